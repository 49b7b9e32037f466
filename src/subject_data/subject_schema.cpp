#include "subject_data/subject_schema.h"

#include "platform/ado.h"

#include <QFile>

namespace subjects {

namespace {

// Creates, fills and protects a new file; a failure half-way removes it, so
// no tool leaves a file behind that looks like a usable subject.
template <typename Fill> void createProtected(const QString &path, Fill &&fill) {
    ado::Connection::CreateDatabase(path);
    try {
        ado::Connection cn;
        cn.Open(ado::ConnectionString(path, QString()));
        fill(cn);
        cn.SetPassword(SubjectPassword());
    } catch (...) {
        QFile::remove(path);
        throw;
    }
}

} // namespace

QString SubjectPassword() {
    return QString::fromLatin1(kSubjectPassword);
}

void CreateSubjectFile(const QString &path, const QString &programCode) {
    createProtected(path, [&](ado::Connection &cn) {
        cn.Execute(
            QStringLiteral("CREATE TABLE tblProperties(tProgramCode TEXT);"
                           "CREATE TABLE tblPhrases(pkPhraseNo INTEGER PRIMARY KEY, tPhrase TEXT, "
                           "tTranslation TEXT, tTranslation2 TEXT, bsound BLOB);"
                           "INSERT INTO tblProperties(tProgramCode) VALUES (?);"),
            {programCode});
    });
}

void AddPhrase(ado::Connection &subject, int number, const QString &phrase,
               const QString &translation, const QString &translation2, const QByteArray &wave) {
    // A null QString binds as text; Null has to be asked for explicitly.
    auto text = [](const QString &s) { return s.isNull() ? QVariant() : QVariant(s); };
    subject.Execute(QStringLiteral("INSERT INTO tblPhrases(pkPhraseNo, tPhrase, tTranslation, "
                                   "tTranslation2, bsound) VALUES (?, ?, ?, ?, ?)"),
                    {number, text(phrase), text(translation), text(translation2),
                     wave.isEmpty() ? QVariant() : QVariant(wave)});
}

void AddPhrase(const QString &path, int number, const QString &phrase, const QString &translation,
               const QString &translation2, const QByteArray &wave) {
    ado::Connection cn;
    cn.Open(ado::ConnectionString(path, SubjectPassword()));
    AddPhrase(cn, number, phrase, translation, translation2, wave);
}

void CreateVirtualFolderFile(const QString &path) {
    createProtected(path, [](ado::Connection &cn) {
        cn.Execute(QStringLiteral(
            "CREATE TABLE tblParents(nParent INTEGER PRIMARY KEY AUTOINCREMENT, tName TEXT);"
            "CREATE TABLE tblPhrases(pkPhraseNo INTEGER PRIMARY KEY AUTOINCREMENT, "
            "fkParent INTEGER, tfilename TEXT, nPhraseNo INTEGER, tPhrase TEXT, "
            "tTranslation TEXT, tTranslation2 TEXT);"));
    });
}

} // namespace subjects
