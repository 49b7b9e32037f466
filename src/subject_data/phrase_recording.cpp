#include "subject_data/phrase_recording.h"

#include "frame/mod_main.h"
#include "frame/program.h"
#include "platform/ado.h"
#include "platform/platform_language.h"
#include "platform/private_folder.h"
#include "subject_data/subject_file.h"

#include <QFile>

#include <stdexcept>

namespace phraseSound {

QString Selected_Phrase_Name(const Program &program) {
    return QStringLiteral("~selectedphrase") + program.handleTag + QStringLiteral(".wav");
}

QString Selected_Phrase_Path(const Program &program) {
    return program.Temporary_Folder() + Selected_Phrase_Name(program);
}

QString Write_Phrase_Sound(Program &program, const QString &fileName, int number) {
    const QString path = subjectFile::Installed_Path(program, fileName);
    if (!modMain::File_Exists(path))
        return QString();
    const QString sound = Selected_Phrase_Path(program);
    ado::Connection connection;
    connection.Open(modMain::Get_Connection_String(path));
    ado::Recordset rs;
    rs.Open(QStringLiteral("SELECT * FROM tblPhrases where pkPhraseNo =") + QString::number(number),
            connection);
    const ado::Field field = rs.Fields(QStringLiteral("bsound"));
    QFile file(sound);
    if (!privateFolder::OpenNew(file) || !field.SaveTo(file) || !file.flush())
        throw std::runtime_error(program.captions[caption::FileNotWritten]
                                     .arg(sound, platformLanguage::System_Reason(file))
                                     .toStdString());
    return sound;
}

} // namespace phraseSound
