#include "subjects/phrase_edit.h"

#include "frame/mod_main.h"
#include "frame/program.h"
#include "platform/ado.h"
#include "subject_data/subject_file.h"

#include <stdexcept>

namespace phraseEdit {

namespace {
bool unusable(const QString &text) {
    return text.contains(QLatin1Char('*')) || text.contains(QLatin1Char('\n')) ||
           text.contains(QLatin1Char('\r'));
}
} // namespace

QString Refusal(const Program &program, const PhraseTexts &typed) {
    for (const QString *text : {&typed.phrase, &typed.translation, &typed.translation2})
        if (unusable(*text))
            return program.captions[caption::TextWithStarOrBreak];
    return QString();
}

namespace {
// The row of a phrase's place: its subject file and phrase number (kept
// below 32768 by the subject files).
struct PhraseRow {
    QString fileName;
    int number = 0;
    ado::Connection connection;
    ado::Recordset rs;
};

void openRow(Program &program, const subjectData::Phrase &phrase, PhraseRow &row) {
    row.fileName = phrase.sourceFile;
    row.number = static_cast<qint16>(phrase.number);
    const QString path = subjectFile::Installed_Path(program, row.fileName);
    if (!modMain::File_Exists(path))
        throw ado::Error(program.captions[caption::PhraseGone].arg(row.fileName));
    // A file marked read-only opens read-only, and Update then fails with
    // the database layer's own description.
    row.connection.Open(modMain::Get_Connection_String(path));
    row.rs.Open(QStringLiteral("SELECT * FROM tblPhrases where pkPhraseNo =") +
                    QString::number(row.number),
                row.connection);
    if (row.rs.EOF_())
        throw ado::Error(program.captions[caption::PhraseGone].arg(row.fileName));
}
} // namespace

PhraseTexts Read(Program &program, const subjectData::Phrase &phrase) {
    PhraseRow row;
    openRow(program, phrase, row);
    return {row.rs.Fields(QStringLiteral("tPhrase")).Text(),
            row.rs.Fields(QStringLiteral("tTranslation")).Text(),
            row.rs.Fields(QStringLiteral("tTranslation2")).Text()};
}

subjectData::Phrase Save(Program &program, const subjectData::Phrase &phrase,
                         const PhraseTexts &typed) {
    PhraseRow row;
    openRow(program, phrase, row);
    ado::Recordset &rs = row.rs;
    const std::pair<const char *, QString> columns[] = {
        {"tPhrase", typed.phrase.trimmed()},
        {"tTranslation", typed.translation.trimmed()},
        {"tTranslation2", typed.translation2.trimmed()}};
    for (const auto &[column, text] : columns)
        if (!text.isEmpty())
            rs.Fields(QLatin1String(column)).SetValue(text);
    rs.Update();

    // The tree shows what the file holds now, empty boxes included.
    subjectData::Phrase saved = subjectData::InstalledPhraseReader(rs).Read(row.fileName);
    saved.number = row.number;
    return saved;
}

} // namespace phraseEdit
