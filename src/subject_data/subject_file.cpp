#include "subject_data/subject_file.h"

#include "frame/mod_main.h"
#include "frame/program.h"
#include "platform/ado.h"
#include "platform/host.h"

#include <stdexcept>

namespace subjectFile {

QString Proper_Title(const Program &program, const QString &fileName) {
    QString title;
    for (const QString &word : fileName.split(QLatin1Char('_')))
        title += QLatin1Char(' ') + word;
    if (title.length() < 4)
        throw std::invalid_argument(program.captions[caption::FileNameTooShort].toStdString());
    title.chop(4);
    bool wordStart = true;
    for (QChar &c : title) {
        c = wordStart ? c.toUpper() : c.toLower();
        wordStart = c == QLatin1Char(' ');
    }
    return title;
}

bool Is_Plain_File_Name(const QString &fileName) {
    if (fileName.isEmpty() || fileName == QLatin1String(".") || fileName == QLatin1String(".."))
        return false;
    for (const QChar c : fileName) {
        if (c == u'/' || c == u'\\' || c == u':' || c.category() == QChar::Other_Control)
            return false;
    }
    return true;
}

QString Installed_Path(const Program &program, const QString &fileName) {
    if (!Is_Plain_File_Name(fileName))
        return QString();
    return program.folders.installedSubjectsFolder + fileName;
}

QString Virtual_Path(const Program &program, const QString &fileName) {
    return program.folders.virtualSubjectsFolder + fileName;
}

} // namespace subjectFile

QString Validate_Subject(Program &program, ado::Connection &subject) {
    ado::Recordset rs;
    rs.Open(QStringLiteral("SELECT * FROM tblProperties"), subject, {}, ado::adOpenKeyset,
            ado::adLockReadOnly);
    // Reading at the end of an empty table fails, so a subject without
    // properties is reported, never taken as valid.
    const QString code = rs.Fields(QStringLiteral("tProgramCode")).Text();
    if (code != program.identity.languageCode)
        return QLatin1String(subjectFile::kWrongLanguage) + QLatin1Char('*') + code;
    return QLatin1String(subjectFile::kValid);
}

QString Validate_Subject(Program &program, const QString &fileName) {
    ado::Connection connection;
    return Validate_Subject(program, fileName, connection);
}

QString Validate_Subject(Program &program, const QString &fileName, ado::Connection &connection) {
    try {
        connection.Open(
            modMain::Get_Connection_String(subjectFile::Installed_Path(program, fileName)));
        return Validate_Subject(program, connection);
    } catch (const ado::Error &e) {
        return e.description();
    } catch (const std::exception &e) {
        return QString::fromUtf8(e.what());
    }
}

void Show_Subject_Error(Program &program, const QString &fileName, const QString &result) {
    const QString title = modMain::Safe_Caption(program, 103);
    if (result.section(QLatin1Char('*'), 0, 0) == QLatin1String(subjectFile::kWrongLanguage)) {
        program.host().MsgBox(fileName + modMain::Safe_Caption(program, 5) + QLatin1Char(' ') +
                                  program.identity.productTitle,
                              vb::vbOKOnly | vb::vbExclamation, title);
        return;
    }
    const QString text = result + QStringLiteral("\r\n\r\n") + fileName +
                         modMain::Safe_Caption(program, 6) + QStringLiteral("\r\n\r\n") +
                         modMain::Safe_Caption(program, 135);
    if (program.host().MsgBox(text, vb::vbYesNo, title) == vb::vbYes)
        modMain::Open_Web_Page(program, QStringLiteral("subjects.htm"));
}
