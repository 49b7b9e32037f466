#include "students/student_database.h"

#include "class_data/class_server.h"
#include "class_data/class_sync.h"
#include "frame/captions.h"
#include "frame/mod_main.h"
#include "platform/ado.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <stdexcept>

namespace {

[[noreturn]] void fail(const QString &description) {
    throw std::runtime_error(description.toStdString());
}

void writeProfile(ado::Recordset &rs, const StudentProfile &profile) {
    rs[QStringLiteral("tFirstname")].SetValue(profile.firstName.trimmed());
    rs[QStringLiteral("tLastname")].SetValue(profile.lastName.trimmed());
    if (profile.password)
        rs[QStringLiteral("tPassword")].SetValue(profile.password->trimmed());
    rs[QStringLiteral("nIcon")].SetValue(profile.icon);
}

} // namespace

StudentDatabase::StudentDatabase(QString usersPath, const Captions &texts)
    : m_path(std::move(usersPath)), m_texts(texts) {}

bool StudentDatabase::Create_From_Template(const QString &templatePath) const {
    // Any file of that name counts as existing, hidden or not: copying over it
    // would throw away every student and score.
    const QFileInfo target(m_path);
    if (target.exists() && target.isFile())
        return false;
    if (target.exists())
        fail(m_texts[caption::FolderNotFile].arg(QDir::toNativeSeparators(m_path)));
    if (!QFileInfo(templatePath).isFile())
        fail(m_texts[caption::TemplateMissing].arg(QDir::toNativeSeparators(templatePath)));
    QDir().mkpath(target.absolutePath());
    if (!QFile::copy(templatePath, m_path)) {
        // A copy that failed half-way (a full disk) must not be taken for a
        // student database at the next start.
        QFile::remove(m_path);
        fail(m_texts[caption::TemplateNotCopied].arg(QDir::toNativeSeparators(templatePath)));
    }
    // An installed template is often read-only; its copy must take new students.
    QFile::setPermissions(m_path, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                      QFileDevice::ReadGroup | QFileDevice::ReadOther);
    if (!modMain::File_Exists(m_path))
        fail(m_texts[caption::CopyNotFound].arg(QDir::toNativeSeparators(m_path)));
    return true;
}

QVector<Student> StudentDatabase::Students() const {
    ado::Connection cn;
    cn.Open(modMain::Get_Template_Connection_String(m_path));
    ado::Recordset rs;
    rs.Open(QStringLiteral("Select * from tblUsers"), cn);
    QVector<Student> result;
    while (!ado::AtEnd(rs)) {
        Student s;
        s.id = rs[QStringLiteral("pkStudentID")].Value().toLongLong();
        s.firstName = students::One_Line(rs[QStringLiteral("tFirstname")].Text());
        s.lastName = students::One_Line(rs[QStringLiteral("tLastname")].Text());
        s.password = rs[QStringLiteral("tPassword")].Text();
        s.icon = rs[QStringLiteral("nIcon")].Value().toInt();
        result << s;
        rs.MoveNext();
    }
    rs.Close();
    cn.Close();
    return result;
}

qint64 StudentDatabase::Add(const StudentProfile &profile) const {
    ado::Connection cn;
    cn.Open(modMain::Get_Template_Connection_String(m_path));
    ado::Recordset rs;
    rs.Open(QStringLiteral("Select * from tblUsers"), cn);
    rs.AddNew();
    writeProfile(rs, profile);
    rs.Update();
    const qint64 id = rs[QStringLiteral("pkStudentID")].Value().toLongLong();
    rs.Close();
    cn.Close();
    return id;
}

void StudentDatabase::Update(qint64 id, const StudentProfile &profile) const {
    ado::Connection cn;
    cn.Open(modMain::Get_Template_Connection_String(m_path));
    ado::Recordset rs;
    rs.Open(QStringLiteral("Select * from tblUsers where pkStudentID = ") + QString::number(id),
            cn);
    if (ado::AtEnd(rs))
        fail(m_texts[caption::StudentGone].arg(QDir::toNativeSeparators(m_path)));
    writeProfile(rs, profile);
    rs.Update();
    rs.Close();
    cn.Close();
}

namespace students {

bool Password_Matches(const QString &stored, const QString &typed) {
    // A student who came from the class server has the server's hash of the
    // upper-cased password.
    if (classData::Is_Password_Hash(stored))
        return classData::Verify_Stored_Password(stored, typed);
    return stored.toUpper() == typed.toUpper();
}

bool Is_Duplicate_Name(const QVector<Student> &students, const QString &displayName) {
    const QString wanted = displayName.toUpper();
    for (const Student &student : students)
        if (student.DisplayName().toUpper() == wanted)
            return true;
    return false;
}

QString Face_Name(int face) {
    return QCoreApplication::translate("students", "Face %1").arg(face);
}

bool Has_Line_Break(const QString &text) {
    return text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n'));
}

QString One_Line(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

} // namespace students
