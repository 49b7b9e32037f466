// The letters of the language being learned that a keyboard of another
// country may lack, offered as buttons and as Alt with the plain letter:
// Alt+E writes the first of the e's, Alt+E again right after turns it into
// the next one, and so on round.
#pragma once

#include <QChar>
#include <QString>
#include <QVector>

namespace activity {

struct AccentLetter {
    QChar key;      // the plain letter or sign Alt goes with, lower case
    QString letter; // lower case
};

// For the language named in line 5 of the study file ("Italian",
// "Spanish", "French", "German"); none for English or a language we do not
// know.
QVector<AccentLetter> AccentLettersFor(const QString &targetLanguage);

// The letter Alt+key writes: the first of key's letters, or the one after
// previous when previous is one of them (from the last back to the first).
// upper gives the capital. Empty when key has none.
QString NextAccentLetter(const QVector<AccentLetter> &letters, QChar key, const QString &previous,
                         bool upper);

} // namespace activity
