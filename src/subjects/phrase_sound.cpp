#include "subjects/phrase_sound.h"

#include "frame/mod_main.h"
#include "frame/program.h"
#include "platform/ado.h"
#include "platform/host.h"
#include "platform/platform_language.h"
#include "platform/private_folder.h"
#include "platform/sound.h"
#include "platform/tree_view.h"
#include "subjects/subject_file.h"
#include "subjects/subject_tree.h"
#include "subjects/voice_compare.h"

#include <QFile>

#include <stdexcept>

namespace phraseSound {

namespace {
constexpr int kNoticeHeightTwips = 1500;
} // namespace

QString Selected_Phrase_Name(const Program &program) {
    return QStringLiteral("~selectedphrase") + program.handleTag + QStringLiteral(".wav");
}

QString Selected_Phrase_Path(const Program &program) {
    return program.Temporary_Folder() + Selected_Phrase_Name(program);
}

bool Phrase_Selected(SubjectTree &subjects, TreeView &TreeFolders) {
    const int selected = TreeFolders.Selected();
    if (selected == 0 || subjects.Tag_Item(0, selected) == QLatin1String("FOLDER"))
        return false;
    const int parent = TreeFolders.Parent(selected);
    return parent != 0 && !TreeFolders.Bold(parent);
}

void mnuListenToPhrase_Click(Program &program, SubjectTree &subjects, TreeView &TreeFolders,
                             Speed speed) {
    if (Phrase_Selected(subjects, TreeFolders))
        Listen_to_Phrase(program, subjects, TreeFolders, speed);
}

void Listen_to_Phrase(Program &program, SubjectTree &subjects, TreeView &TreeFolders, Speed speed) {
    try {
        const int selected = TreeFolders.Selected();
        Play_Phrase(program, subjects.Tag_Item(0, selected), subjects.Tag_Item(1, selected),
                    subjects.Tag_Item(2, selected), speed);
    } catch (const std::exception &e) {
        modMain::Show_Error(program, QStringLiteral("Listen_to_Phrase"), e);
    }
}

QString Write_Phrase_Sound(Program &program, const QString &fileName, const QString &number) {
    const QString path = subjectFile::Installed_Path(program, fileName);
    if (!modMain::File_Exists(path))
        return QString();
    const QString sound = Selected_Phrase_Path(program);
    ado::Connection connection;
    connection.Open(modMain::Get_Connection_String(path));
    ado::Recordset rs;
    rs.Open(QStringLiteral("SELECT * FROM tblPhrases where pkPhraseNo =") +
                QString::number(number.toInt()),
            connection);
    const ado::Field field = rs.Fields(QStringLiteral("bsound"));
    const QByteArray bytes = field.GetChunk(field.ActualSize());
    QFile file(sound);
    if (!privateFolder::OpenNew(file) || file.write(bytes) != bytes.size() || !file.flush())
        throw std::runtime_error(program.captions[caption::FileNotWritten]
                                     .arg(sound, platformLanguage::System_Reason(file))
                                     .toStdString());
    return sound;
}

void Play_Phrase(Program &program, const QString &fileName, const QString &number,
                 const QString &text, Speed speed) {
    const QString sound = Write_Phrase_Sound(program, fileName, number);
    if (sound.isEmpty())
        return;
    QByteArray wave;
    {
        QFile file(sound);
        if (file.open(QIODevice::ReadOnly))
            wave = file.readAll();
    }
    // A damaged recording would play as silence: the learner is told instead.
    if (!IsPlayableWave(wave)) {
        program.host().MsgBox(program.captions[caption::SoundNotPlayable].arg(text),
                              vb::vbExclamation, program.identity.productTitle);
        return;
    }
    QByteArray slowed;
    if (speed == Speed::Slow)
        slowed = voice::Change_Tempo(wave, voice::kSlowTempo);
    ShellWindows &windows = program.windows();
    windows.ShowNotice(QString(), text, kNoticeHeightTwips, 0);
    modMain::Wait_Seconds(program.host(), 1);
    if (windows.NoticeVisible()) {
        // A recording that cannot be slowed is played as it is.
        if (slowed.isEmpty())
            modMain::Play_Sound(program.host(), sound, 0);
        else
            program.host().PlaySoundMemory(slowed, false);
    }
    windows.UnloadNotice();
}

} // namespace phraseSound
