// Word lists from spreadsheets and flash-card programs, turned into subject
// files with spoken recordings. Shared by tvx-subject and the program's import
// window, so both accept exactly the same files; nothing here needs a window.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>
#include <stdexcept>

namespace subjects {

// What can be wrong with a row or a file; the caller words it for its user
// (the terminal in English, the program in the learner's language).
enum class WordListProblemKind {
    Unreadable,      // detail: the system's reason
    UnclosedQuote,   // a quoted field runs to the end of the file
    NoRows,          // nothing to import
    EmptyPhrase,     //
    Star,            // detail: the text holding "*"
    LineBreak,       // detail: the text holding the line break
    DuplicatePhrase, // detail: the phrase; other: line of its first appearance
    TooManyRows,     // rows beyond what a subject holds
};

struct WordListProblem {
    int line = 0; // file line the row starts on; 0 for the whole file
    WordListProblemKind kind = WordListProblemKind::Unreadable;
    QString detail;
    int other = 0;
};

// English wording, for the command line and for logs.
QString DescribeProblem(const WordListProblem &problem);

struct WordListRow {
    int line = 0;
    QString phrase;
    QString translation;
    QString translation2;
};

struct WordListOptions {
    // Columns counted from 1; 0 lets the header row or the column order decide.
    int phraseColumn = 0;
    int translationColumn = 0;
    int translation2Column = 0;
};

struct WordList {
    QString encoding;      // "UTF-8" or "Windows-1252"
    QChar separator;       // ',', ';', '\t' or '|'
    QStringList header;    // the recognised header row; empty when there is none
    int phraseColumn = -1; // counted from 0; -1: absent
    int translationColumn = -1;
    int translation2Column = -1;
    QVector<WordListRow> rows;         // the good rows, in file order
    QVector<WordListProblem> problems; // every problem, in file order
};

// A subject's phrase numbers are kept in 16 bits.
inline constexpr int kMaxSubjectPhrases = 32767;

WordList ParseWordList(const QByteArray &bytes, const WordListOptions &options = {});
// The same from a file; an unreadable file is one Unreadable problem.
WordList ReadWordList(const QString &path, const WordListOptions &options = {});

// Fields of a word list as plain text: tags dropped, entities decoded,
// "[sound:...]" references of flash-card exports removed, blanks collapsed.
QString HtmlToPlainText(const QString &html);

// A subject's texts as CSV (UTF-8 with a byte order mark, which spreadsheet
// programs need to see the accents), with the header ReadWordList knows.
QByteArray WordListCsv(const QVector<WordListRow> &rows);

// A failure to record or to write, worded in English; the program shows its
// own caption and adds this as the detail.
class WordListError : public std::runtime_error {
public:
    explicit WordListError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString &message() const { return m_message; }

private:
    QString m_message;
};

// Thrown when the user stops an import: what was recorded so far may stay in
// the cache, but no subject file is left behind.
class WordListCancelled : public std::runtime_error {
public:
    WordListCancelled() : std::runtime_error("the import was cancelled") {}
};

// Asked between steps of a long import; true stops it. It may be asked from
// another thread than the one that sets it (an atomic flag).
using CancelCheck = std::function<bool()>;

// The espeak-ng voice of a target language ("Italian" -> "it"); empty when
// there is none.
QString EspeakVoice(const QString &targetLanguage);

// Writes a complete subject file for the build code: rows numbered from 1 in
// order, each with its recording. The file appears only when complete (it is
// written under a temporary name and renamed); an existing file is replaced
// only when replace is set. Throws WordListError, or WordListCancelled when
// cancelled says so before the file is in place (nothing is left then).
void WriteWordListSubject(const QString &out, const QString &programCode,
                          const QVector<WordListRow> &rows, const QVector<QByteArray> &waves,
                          bool replace, const CancelCheck &cancelled = {});

} // namespace subjects
