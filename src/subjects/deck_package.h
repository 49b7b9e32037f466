// Flash-card program packages (.apkg of a deck, .colpkg of a whole
// collection): a zip holding the collection, an SQLite file, and its media
// files under numbers, with a list naming them. Older packages hold the
// collection as collection.anki2 or collection.anki21 and the list as JSON
// ({"0": "ciao.mp3"}); current ones hold collection.anki21b and every media
// file compressed with zstd, and the list as a compressed protobuf message.
// Their notes become a word list whose phrases bring their own recordings.
#pragma once

#include "subjects/word_list.h"

#include <QByteArray>
#include <QString>

namespace subjects {

// True when the file is a zip holding a flash-card collection.
bool IsDeckPackage(const QString &path);

// The notes of the package as a word list (RowUnit::Note, a note numbered by
// its place in the collection), each phrase's first "[sound:...]" naming its
// recording in list.media. Fields are chosen as a CSV file's columns, by the
// note type's field names or by number. A package that cannot be read is
// one Unreadable problem.
WordList ReadDeckPackage(const QString &path, const WordListOptions &options = {});

// zstd-compressed bytes (one or more frames) decompressed; empty with error
// set when they are not.
QByteArray ZstdDecompress(const QByteArray &bytes, QString *error);

} // namespace subjects
