// The study file the shell writes before it starts an activity: fifteen
// header lines (student, subject, languages, the student database) and four
// quoted lines per phrase. This is the one place our activities read it.
#pragma once

#include "activity_texts.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

namespace activity {

struct StudyPhrase {
    QString phrase;       // in the language being learned
    QString translation;  // in the learner's language
    QString translation2; // may be empty
    QString soundFile;    // absolute path of a complete WAVE file
};

struct StudyFile {
    QString path;                 // absolute path of the study file itself
    qint64 shellProcess = 0;      // line 1
    QString languageCode;         // line 2, e.g. "tvxito"
    QString productTitle;         // line 3
    QString learnerLanguage;      // line 4, "English" or "Spanish"
    QString targetLanguage;       // line 5
    QString studentName;          // line 6, the tName of tblscores
    QString subjectTitle;         // line 7, the tSubject of tblscores
    QString databasePath;         // line 9, the student database (Users.dat)
    int formatVersion = 0;        // line 15
    QVector<StudyPhrase> phrases; // line 8 gives their number

    QStringList soundFiles() const {
        QStringList files;
        for (const StudyPhrase &p : phrases)
            files << p.soundFile;
        return files;
    }
};

// What reading gives: the file when error is empty; otherwise error is a
// sentence for the learner, in the language of line 4 when that line could
// be read (English otherwise), and texts speaks that same language.
struct StudyLoad {
    StudyFile file;
    QString error;
    ActivityTexts texts;
    bool ok() const { return error.isEmpty(); }
};

// The study file's number of header lines and its most phrases.
constexpr int kHeaderLines = 15;
constexpr int kMostPhrases = 10;

// Reads the study file's text. path only names the file in messages and is
// the folder that a relative sound path is taken from. Nothing on disk is
// checked here.
StudyLoad ParseStudyFile(const QByteArray &bytes, const QString &path);

// Reads the study file named by the activity's command-line argument: a bare
// name or relative path is taken from workingFolder, an absolute path as it
// is. Besides the text it checks that every sound file and the student
// database exist, so that a game never starts that could not finish.
StudyLoad LoadStudyFile(const QString &argument, const QString &workingFolder);

} // namespace activity
