// tvx-subject: authors, lists, checks and exports subject files, and builds
// the demo subjects of a language build. Everything the command line offers
// is a function here, so tests drive it without starting a process.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

#include "subjects/word_list.h"

#include <functional>
#include <stdexcept>

class QTextStream;

namespace tvxsubject {

// A problem the user has to fix; message() names it (file, phrase, line).
class ToolError : public std::runtime_error {
public:
    explicit ToolError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString &message() const { return m_message; }

private:
    QString m_message;
};

struct PhraseRow {
    int number = 0;
    QString phrase;
    QString translation;
    QString translation2;
    QByteArray wave;
};

// The phrase list format shared by create and export:
// n<TAB>phrase<TAB>translation<TAB>translation2, one header line.
QVector<PhraseRow> ReadPhraseTsv(const QString &path);
void WritePhraseTsv(const QString &path, const QVector<PhraseRow> &rows);

// Fails unless code is one of the eight build codes.
void RequireBuildCode(const QString &code);
// Fails unless the numbers run 1..N (in any order) and no text holds "*".
void ValidatePhrases(const QVector<PhraseRow> &rows);
// True for bytes that start like a RIFF/WAVE file.
bool IsWave(const QByteArray &bytes);

// Writes a subject file for the build code from validated rows, sorted by
// number. An existing file is refused unless replace is set. The file appears
// only when complete.
void WriteSubject(const QString &out, const QString &code, QVector<PhraseRow> rows, bool replace);

struct CreateOptions {
    QString code;
    QString tsv;
    QString wavFolder; // holds <n>.wav for every phrase n
    QString out;
    bool force = false;
};
void CreateSubject(const CreateOptions &options);

// One line with the code, then one line per phrase with its texts and the
// size of its recording.
QString ListSubject(const QString &path);
// Every problem found (empty: the file is fine). With code given, the file's
// program code must equal it.
QStringList CheckSubject(const QString &path, const QString &code = {});
// Writes phrases.tsv and <n>.wav into folder (created when missing).
void ExportSubject(const QString &path, const QString &folder);

// Makes the recording of text in an espeak-ng voice ("es", "fr", "de", "it",
// "en") without espeak-ng, and returns the WAV bytes (tests).
using Recorder = std::function<QByteArray(const QString &voice, const QString &text)>;
// The espeak-ng voice of a target language ("Italian" -> "it").
QString VoiceFor(const QString &targetLanguage);

struct DemoOptions {
    QString code;
    QString content;  // the content folder: subjects/ and template/captions.tsv
    QString out;      // the program folder of the build
    QString wavCache; // empty: record every phrase again
    Recorder record;  // empty: espeak-ng, in parallel
};
struct DemoReport {
    QStringList subjectFiles; // full paths written
    QStringList virtualFiles;
    int recorded = 0;
    int fromCache = 0;
};
DemoReport BuildDemo(const DemoOptions &options);

// Turns a word list (CSV or TSV from a spreadsheet or a flash-card program,
// UTF-8, UTF-16 or Windows-1252), a flash-card package (.apkg, .colpkg) or a
// KDE vocabulary file (.kvtml) into a subject file of the build. A phrase
// with a recording of its own in the package or vocabulary file keeps it;
// espeak-ng speaks every other one in the language being learned. Any problem in the list fails the
// import, naming every line, unless keepGoing is set: then the good rows make the subject and the
// problems are returned. When cancelled says so, the recording stops and
// subjects::WordListCancelled is thrown; no output file is left (recordings already made stay in
// the cache).
struct ImportOptions {
    QString list;
    QString code;
    QString out;
    bool keepGoing = false;
    bool force = false;
    subjects::WordListOptions columns;      // the languages are the build code's
    QString wavCache;                       // empty: record every phrase
    Recorder record;                        // empty: espeak-ng, in parallel
    std::function<void(int, int)> progress; // phrases done, phrases in all
    subjects::CancelCheck cancelled;        // empty: runs to its end
};
struct ImportReport {
    int phrases = 0;
    int recorded = 0;
    int fromCache = 0;
    int ownRecordings = 0;            // the file's own recordings kept
    QStringList decks;                // the decks the file holds
    QStringList problems;             // left-out rows, worded with their line numbers
    QStringList unreadableRecordings; // the file's own, spoken by espeak-ng instead
};
ImportReport ImportWordList(const ImportOptions &options);
// Writes a subject's texts as a CSV word list that imports again.
void ExportWordList(const QString &subject, const QString &out);

// The command line: args without the program name. Returns the exit code;
// an import stopped by Ctrl+C (SIGINT) returns 130, as a shell reports a
// program ended by that signal.
int Run(const QStringList &args, QTextStream &out, QTextStream &err);

} // namespace tvxsubject
