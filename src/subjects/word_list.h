// Word lists from spreadsheets and flash-card programs, turned into subject
// files with spoken recordings. Shared by tvx-subject and the program's import
// window, so both accept exactly the same files; nothing here needs a window.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>

namespace subjects {

// What can be wrong with a row or a file; the caller words it for its user
// (the terminal in English, the program in the learner's language).
enum class WordListProblemKind {
    Unreadable,       // detail: the system's reason
    UnclosedQuote,    // a quoted field runs to the end of the file
    NoRows,           // nothing to import
    EmptyPhrase,      //
    Star,             // detail: the text holding "*"
    LineBreak,        // detail: the text holding the line break
    DuplicatePhrase,  // detail: the phrase; other: line of its first appearance
    TooManyRows,      // rows beyond what a subject holds
    ControlCharacter, // detail: the text, its control characters shown as \0, \x01...
    CommentRow,       // a data row starting with "#"; detail: the row
    UnsupportedFile,  // other: the FileKind found
    NoSuchDeck,       // detail: the deck asked for; other: unused
};

// Files that are no word list, named so that the user knows what to save
// instead; a word list never imports them line by line.
enum class FileKind {
    Xml,
    Html,
    Zip,
    ExcelWorkbook,     // .xlsx
    OpenDocumentSheet, // .ods
    WordDocument,      // .docx
    OfficeBinary,      // .xls, .doc of older Office versions
    Pdf,
    Sqlite,
    Rtf,
    Binary,
};
// "an XML file", "an Excel workbook (.xlsx)", ... in English.
QString FileKindName(FileKind kind);
// What the bytes are when they cannot be a word list; nothing when they may
// be one.
std::optional<FileKind> UnsupportedKind(const QByteArray &bytes);

struct WordListProblem {
    int line = 0; // file line the row starts on; 0 for the whole file
    WordListProblemKind kind = WordListProblemKind::Unreadable;
    QString detail;
    int other = 0;
};

// What a problem's number counts: a text file's lines, a package's notes, a
// vocabulary file's entries.
enum class RowUnit { Line, Note, Entry };

// "line 3", "note 3", "entry 3", in the learner's language.
QString DescribeUnit(RowUnit unit, int number);

// English wording, for the command line and for logs.
QString DescribeProblem(const WordListProblem &problem, RowUnit unit = RowUnit::Line);

struct WordListRow {
    int line = 0; // file line, or note number in a package
    QString phrase;
    QString translation;
    QString translation2;
    // The recording the file brings for the phrase (a package's media file
    // name, a vocabulary file's sound path); empty: spoken by espeak-ng.
    QString sound;
};

struct WordListOptions {
    // Columns counted from 1; 0 lets the names (a header row, a note type's
    // fields), the languages or the column order decide.
    int phraseColumn = 0;
    int translationColumn = 0;
    int translation2Column = 0;
    // The same by name, compared as header cells are; a number above wins.
    QString phraseColumnName;
    QString translationColumnName;
    QString translation2ColumnName;
    // Only the rows of this deck of a flash-card export or package; empty:
    // every deck.
    QString deck;
    // The build's languages in English ("Italian", "Spanish"): a column
    // named after the language being learned holds the phrase, one named
    // after the learner's the translation.
    QString targetLanguage;
    QString learnerLanguage;
};

// A package's or vocabulary file's own recordings, read when the import needs
// them. read() is called from several threads at once.
class WordListMedia {
public:
    virtual ~WordListMedia() = default;
    // The file's bytes; empty with error set when it is not there.
    virtual QByteArray read(const QString &name, QString *error) const = 0;
};

struct WordList {
    QString encoding;      // "UTF-8", "UTF-16LE", "UTF-16BE" or "Windows-1252"
    QChar separator;       // ',', ';', '\t' or '|'
    QStringList header;    // the recognised header row; empty when there is none
    int phraseColumn = -1; // counted from 0; -1: absent
    int translationColumn = -1;
    int translation2Column = -1;
    RowUnit unit = RowUnit::Line;
    QStringList decks;                          // the decks the file holds, when it names them
    QVector<WordListRow> rows;                  // the good rows, in file order
    QVector<WordListProblem> problems;          // every problem, in file order
    std::shared_ptr<const WordListMedia> media; // null: no recordings of its own
};

// Rows of texts as a file holds them, before columns are chosen: a CSV's
// records, a package's notes, a vocabulary file's entries.
struct WordTable {
    struct Entry {
        int line = 0;
        QStringList fields;
        QString deck;
        // Recordings named beside the fields (vocabulary files), by column.
        QStringList sounds;
    };
    RowUnit unit = RowUnit::Line;
    QStringList header;            // column names; empty: none
    bool firstMayBeHeader = false; // a text file: its first entry may name the columns
    int html = -1;                 // 1: fields are HTML, 0: plain, -1: decide per field
    QStringList decks;
    QVector<Entry> entries;
};
// Chooses the columns and checks every row, as for a CSV file; problems
// holds those found while reading.
WordList WordListFromTable(const WordTable &table, const WordListOptions &options,
                           QVector<WordListProblem> problems = {});

// A subject's phrase numbers are kept in 16 bits.
inline constexpr int kMaxSubjectPhrases = 32767;

WordList ParseWordList(const QByteArray &bytes, const WordListOptions &options = {});
// The same from a file; an unreadable file is one Unreadable problem.
WordList ReadWordList(const QString &path, const WordListOptions &options = {});
// Any file the import takes: a flash-card package (.apkg, .colpkg), a KDE
// vocabulary file (.kvtml) or a word list, told apart by their contents.
WordList ReadImportFile(const QString &path, const WordListOptions &options = {});

// A text as a terminal can show it: control characters written as \0, \x01.
QString ShownControls(const QString &text);

// The first "[sound:...]" file a flash card's field names; empty if none.
QString SoundReference(const QString &field);

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
