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

QString Save(Program &program, const QString &nodeTag, const PhraseTexts &typed) {
    const QStringList fields = nodeTag.split(QLatin1Char('*'));
    const QString fileName = fields.value(0);
    const int number = fields.value(1).toShort();
    const QString path = subjectFile::Installed_Path(program, fileName);
    if (!modMain::File_Exists(path))
        throw ado::Error(program.captions[caption::PhraseGone].arg(fileName));

    // A file marked read-only opens read-only, and Update then fails with
    // the database layer's own description.
    ado::Connection connection;
    connection.Open(modMain::Get_Connection_String(path));
    ado::Recordset rs;
    rs.Open(QStringLiteral("SELECT * FROM tblPhrases where pkPhraseNo =") + QString::number(number),
            connection);
    if (rs.EOF_())
        throw ado::Error(program.captions[caption::PhraseGone].arg(fileName));
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
