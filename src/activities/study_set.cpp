#include "activities/study_set.h"

#include "frame/mod_main.h"
#include "frame/program.h"
#include "platform/ado.h"
#include "platform/platform_language.h"
#include "platform/private_folder.h"
#include "platform/tree_view.h"
#include "subject_data/subject_file.h"
#include "subject_data/subject_node.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringConverter>

#include <stdexcept>

namespace activities {

namespace {

[[noreturn]] void cannotWrite(const Program &program, const QString &path, const QString &why) {
    throw std::runtime_error(program.captions[caption::FileNotWritten]
                                 .arg(path, platformLanguage::System_Reason(why))
                                 .toStdString());
}

// Fills an entry from the current phrase row of sourceFile and writes its
// sound, straight from the field to the file.
StudyEntry entryFromRow(const Program &program, ado::Recordset &rs, int entry,
                        const QString &sourceFile) {
    StudyEntry e;
    e.sourceFile = sourceFile;
    e.phraseNo = rs.Fields(QStringLiteral("pkPhraseNo")).Value().toInt();
    e.phrase = rs.Fields(QStringLiteral("tPhrase")).Text();
    e.translation = rs.Fields(QStringLiteral("tTranslation")).Text();
    e.translation2 = rs.Fields(QStringLiteral("tTranslation2")).Text();
    e.soundFile = Sound_File_Path(program, entry);
    const ado::Field sound = rs.Fields(QStringLiteral("bsound"));
    if (sound.IsNull())
        throw std::runtime_error(
            program.captions[caption::NoRecordedSound].arg(e.phrase).toStdString());
    QFile file(e.soundFile);
    if (!privateFolder::OpenNew(file))
        cannotWrite(program, e.soundFile, file.errorString());
    if (!sound.SaveTo(file) || !file.flush())
        cannotWrite(program, e.soundFile, file.errorString());
    return e;
}

// A value keeps to its own line, and holds no NUL: a file from elsewhere may
// carry one in a text, and an activity reading the study file as text would
// refuse the whole file for it.
QString oneLine(QString value) {
    value.remove(QChar(u'\0'));
    value.replace(QLatin1String("\r\n"), QLatin1String(" "));
    value.replace(QLatin1Char('\r'), QLatin1Char(' '));
    value.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return value;
}

} // namespace

QVector<StudyEntry> Get_Phraes_to_Study(Program &program, const TreeView &tree, int subjectNode,
                                        int *phrasesInSubject,
                                        ado::Connection *subjectConnection) {
    Delete_Study_Files(program);
    QVector<StudyEntry> entries;
    const subjectData::SubjectNode *subject = subjectData::Node_At(tree, subjectNode);
    const bool isVirtual = subject && subjectData::Is_Studied_Virtually(subject->kind);
    try {
        if (!subject)
            throw std::runtime_error(program.captions[caption::NoSubjectSelected].toStdString());
        if (isVirtual) {
            for (int child = tree.Child(subjectNode);
                 child != 0 && entries.size() < kMaxStudyEntries; child = tree.Next(child)) {
                const subjectData::SubjectNode *node = subjectData::Node_At(tree, child);
                if (!node || !subjectData::Is_Phrase(node->kind))
                    continue;
                const QString &source = node->phrase.sourceFile;
                const QString path = subjectFile::Installed_Path(program, source);
                // A source that is gone or unusable is skipped silently; one
                // connection serves the check and the reading.
                if (!modMain::File_Exists(path))
                    continue;
                ado::Connection connection;
                try {
                    connection.Open(modMain::Get_Connection_String(path));
                    if (Validate_Subject(program, connection) != QLatin1String(subjectFile::kValid))
                        continue;
                } catch (const ado::Error &) {
                    continue;
                }
                ado::Recordset rs;
                rs.Open(QStringLiteral("SELECT * FROM tblPhrases where pkPhraseNo =") +
                            QString::number(node->phrase.number),
                        connection);
                entries << entryFromRow(program, rs, int(entries.size()) + 1, source);
                program.studyCount = int(entries.size());
            }
        } else {
            const QString &source = subject->fileName;
            ado::Connection own;
            if (!subjectConnection || !subjectConnection->IsOpen())
                own.Open(
                    modMain::Get_Connection_String(subjectFile::Installed_Path(program, source)));
            ado::Connection &connection = own.IsOpen() ? own : *subjectConnection;
            ado::Recordset rs;
            rs.Open(QStringLiteral("SELECT * FROM tblPhrases"), connection);
            if (phrasesInSubject)
                *phrasesInSubject = rs.RecordCount();
            // A longer subject is studied by its first phrases: the study
            // set has room for no more.
            for (; !rs.EOF_() && entries.size() < kMaxStudyEntries; rs.MoveNext()) {
                entries << entryFromRow(program, rs, int(entries.size()) + 1, source);
                program.studyCount = int(entries.size());
            }
        }
    } catch (const std::exception &e) {
        // The sound of the entry that failed may exist in part: the next
        // launch deletes it with the others.
        program.studyCount = int(entries.size()) + 1;
        modMain::Show_Error(program, QStringLiteral("Get_Phraes_to_Study"), e);
        if (!isVirtual)
            entries.clear();
    }
    return entries;
}

void Write_Study_File(Program &program, const QString &subjectTitle,
                      const QVector<StudyEntry> &entries) {
    const QString crlf = QStringLiteral("\r\n");
    QStringList header{
        QString::number(QCoreApplication::applicationPid()),
        program.identity.languageCode,
        program.identity.productTitle,
        program.identity.learnerLanguage,
        program.identity.targetLanguage,
        program.currentStudent,
        subjectTitle,
        QString::number(entries.size()),
        program.usersPath(),
    };
    QStringList lines;
    for (const QString &value : std::as_const(header))
        lines << oneLine(value);
    for (int i = 10; i <= 14; ++i)
        lines << QStringLiteral("EMPTY");
    // A number as the platform's print statement writes it: sign or blank,
    // digits, one trailing blank.
    lines << (kStudyFileVersion < 0 ? QString() : QStringLiteral(" ")) +
                 QString::number(kStudyFileVersion) + QLatin1Char(' ');
    const QChar quote = QLatin1Char('"');
    for (const StudyEntry &e : entries)
        for (const QString &value : {e.phrase, e.translation, e.translation2, e.soundFile})
            lines << quote + oneLine(value) + quote;

    const QString text = lines.join(crlf) + crlf;
#ifdef Q_OS_WIN
    QStringEncoder encode(QStringConverter::System);
#else
    QStringEncoder encode(QStringConverter::Utf8);
#endif
    const QByteArray bytes = encode(text);
    const QString path = Study_File_Path(program);
    // The activity starts only after a complete write; a file that could
    // not be written whole is taken away. (No flush to the disk: the file
    // lives as long as the launch, and waiting for the disk costs more than
    // the rest of the launch.)
    QFile file(path);
    if (!privateFolder::OpenNew(file) || file.write(bytes) != bytes.size() || !file.flush()) {
        const QString reason = file.errorString();
        file.close();
        QFile::remove(path);
        cannotWrite(program, path, reason);
    }
}

} // namespace activities
