#include "subjects/phrase_edit.h"

#include "frame/mod_main.h"
#include "frame/program.h"
#include "platform/ado.h"
#include "subjects/subject_file.h"

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
// The phrase row a node tag names, by its first two fields: the subject's
// file name and the phrase number.
struct PhraseRow {
    QString fileName;
    int number = 0;
    ado::Connection connection;
    ado::Recordset rs;
};

void openRow(Program &program, const QString &nodeTag, PhraseRow &row) {
    const QStringList fields = nodeTag.split(QLatin1Char('*'));
    row.fileName = fields.value(0);
    row.number = fields.value(1).toShort();
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

PhraseTexts Read(Program &program, const QString &nodeTag) {
    PhraseRow row;
    openRow(program, nodeTag, row);
    return {row.rs.Fields(QStringLiteral("tPhrase")).Text(),
            row.rs.Fields(QStringLiteral("tTranslation")).Text(),
            row.rs.Fields(QStringLiteral("tTranslation2")).Text()};
}

QString Save(Program &program, const QString &nodeTag, const PhraseTexts &typed) {
    PhraseRow row;
    openRow(program, nodeTag, row);
    const QString &fileName = row.fileName;
    const int number = row.number;
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
    const QChar star = QLatin1Char('*');
    return fileName + star + QString::number(number) + star +
           rs.Fields(QStringLiteral("tPhrase")).Text() + star +
           rs.Fields(QStringLiteral("tTranslation")).Text() + star +
           rs.Fields(QStringLiteral("tTranslation2")).Text();
}

} // namespace phraseEdit
