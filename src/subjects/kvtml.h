// KDE vocabulary files (.kvtml, version 2): entries with one translation per
// language identifier, each translation with its text and, optionally, a
// sound file. The identifier of the language being learned gives the phrase.
#pragma once

#include "subjects/word_list.h"

#include <QByteArray>
#include <QString>

namespace subjects {

// True when the bytes begin a kvtml document.
bool IsKvtml(const QByteArray &bytes);

// The entries as a word list (RowUnit::Entry, numbered from 1 in file order):
// one column per identifier, named after its language, lessons as decks;
// sounds are read from the file's folder through list.media. A file that is
// no kvtml of version 2 is one Unreadable problem.
WordList ParseKvtml(const QByteArray &bytes, const QString &folder,
                    const WordListOptions &options = {});
WordList ReadKvtml(const QString &path, const WordListOptions &options = {});

} // namespace subjects
