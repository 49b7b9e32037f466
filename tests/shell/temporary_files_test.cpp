// The session's temporary files (the study file and sounds of a launch, the
// phrase heard last, the learner's recording, the update notice) live in a
// folder of the program's own inside the shared temporary folder. Another
// user of the computer may plant links there under any name the program
// used to choose; none of them is ever followed.
#include "activities/activity_launch.h"
#include "activities/study_set.h"
#include "frame/template_texts.h"
#include "frame/update_check.h"
#include "platform/platform_language.h"
#include "shell/frm_main.h"
#include "subjects/frm_voice.h"
#include "subjects/phrase_sound.h"
#include "subjects/subject_fixture.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

const QByteArray kLearnersOwn("the learner's own file");

QByteArray readAll(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class TemporaryFilesTest : public SubjectTestBase {
protected:
    TemporaryFilesTest() {
        env.installTemplate();
        templateTexts::Get_Captions(program);
        program.folders.activitiesFolder = env.programFolder() + QStringLiteral("Activities/");
        program.folders.dataFolder = env.programFolder();
        program.currentStudent = QStringLiteral("Ana García");
        // The update notice comes from a folder standing in for the web site.
        const QString site = env.root() + QStringLiteral("site/");
        writeFile(site + QStringLiteral("updates/Ver_1_0_0.txt"), "NO,Small fixes");
        program.captions.Set(94, QUrl::fromLocalFile(site).toString());
        subject(QStringLiteral("Food.ito"), 2);
        build();
    }

    // Every name the session's files have, the update notice's for now.
    QStringList names() const {
        const QString tag = program.handleTag;
        return {QStringLiteral("~tvx") + tag + QStringLiteral(".txt"),
                QStringLiteral("~tvx") + tag + QStringLiteral("1.wav"),
                QStringLiteral("~tvx") + tag + QStringLiteral("2.wav"),
                QStringLiteral("~selectedphrase") + tag + QStringLiteral(".wav"),
                QStringLiteral("~tvxvoice") + tag + QStringLiteral(".wav"),
                QStringLiteral("~") + host.clock.toString(QStringLiteral("MMddyyyyHHmmss")) +
                    QStringLiteral(".tmp")};
    }
    QString victim(const QString &name) const {
        return env.root() + QStringLiteral("victim/") + name;
    }
    // What another user leaves in folder: under each name a link to a file
    // of the learner's.
    void plantLinks(const QString &folder) {
        planted = names();
        for (const QString &name : std::as_const(planted)) {
            writeFile(victim(name), kLearnersOwn);
            QFile::remove(folder + name);
            ASSERT_TRUE(QFile::link(victim(name), folder + name)) << name.toStdString();
        }
    }
    void expectVictimsUntouched() {
        for (const QString &name : std::as_const(planted))
            EXPECT_EQ(readAll(victim(name)), kLearnersOwn) << name.toStdString();
    }

    // The update check, an activity launched, a phrase heard and recorded.
    void useEveryTemporaryFile() {
        host.answerNext(vb::vbNo);
        QEventLoop loop;
        updateCheck::Start_Check_For_Update(program, &loop, [&](bool endProgram) {
            EXPECT_FALSE(endProgram);
            loop.quit();
        });
        loop.exec();
        click(find(QStringLiteral("Food")));
        ActivityLaunch launch(program, tree, TreeFolders);
        launch.btnAct_Click(QStringLiteral("Quiz"));
        const subjectData::Phrase phrase{QStringLiteral("Food.ito"), 1, QStringLiteral("Fop1"),
                                         QString(), QString()};
        phraseSound::Play_Phrase(program, phrase);
        host.microphoneWave = fixture::sampleWave();
        host.onNextModal([](QWidget &) {});
        const QPointer<VoiceSession> session =
            voiceWindows::Record_And_Compare(program, phrase, nullptr);
        ASSERT_TRUE(QTest::qWaitFor([&] { return session.isNull(); }, 30000));
    }

    QStringList planted;
};

TEST_F(TemporaryFilesTest, LinksPlantedUnderTheSessionsFileNamesAreNeverFollowed) {
    // Where the names used to be: the shared temporary folder.
    const QString shared = env.tempFolder();
    plantLinks(shared);
    useEveryTemporaryFile();
    expectVictimsUntouched();
    for (const QString &name : std::as_const(planted)) {
        const QFileInfo link(shared + name);
        EXPECT_TRUE(link.isSymLink()) << name.toStdString();
        EXPECT_EQ(link.symLinkTarget(), victim(name));
    }
    // The work was done all the same, in the program's own folder.
    const QString own = program.Temporary_Folder();
    EXPECT_TRUE(own.startsWith(shared)) << own.toStdString();
    EXPECT_EQ(host.startedIn, QStringList{own});
    EXPECT_TRUE(readAll(activities::Study_File_Path(program)).contains("Fop2"));
    EXPECT_EQ(readAll(activities::Sound_File_Path(program, 2)), fixture::sampleWave());
    EXPECT_EQ(readAll(phraseSound::Selected_Phrase_Path(program)), fixture::sampleWave());
    EXPECT_FALSE(readAll(voiceWindows::Recording_Path(program)).isEmpty());
    EXPECT_EQ(host.modalWindows, QStringList{QStringLiteral("frmCompare")});

    // Even a name guessed inside the program's folder is no way in: the
    // link is replaced by a file of the program's, and the learner's file
    // stays as it was.
    host.modalWindows.clear();
    plantLinks(own);
    useEveryTemporaryFile();
    expectVictimsUntouched();
    for (const QString &name : names().mid(0, 5)) {
        const QFileInfo file(own + name);
        EXPECT_TRUE(file.isFile() && !file.isSymLink()) << name.toStdString();
        EXPECT_EQ(file.permissions() & QFileDevice::Permissions(0x0077), QFileDevice::Permissions())
            << "open to others: " << name.toStdString();
    }
    EXPECT_EQ(host.modalWindows, QStringList{QStringLiteral("frmCompare")});
    EXPECT_EQ(host.startedPrograms.size(), 2);
}

TEST_F(TemporaryFilesTest, TheFolderIsTheUsersAloneMadeAgainWhenGoneAndRemovedAtTheEnd) {
    const QString own = program.Temporary_Folder();
    EXPECT_EQ(QFileInfo(own).permissions() & QFileDevice::Permissions(0x7777),
              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                  QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser);
    EXPECT_TRUE(QDir(own).dirName().startsWith(QStringLiteral("~tvx-"))) << own.toStdString();
    {
        // No name another program of the same process could be told in advance.
        Program second(host, env.settings());
        EXPECT_NE(second.Temporary_Folder(), own);
    }

    // A cleaner of old temporary files took the folder, and someone put a
    // link to a folder of theirs in its place: a new folder is made.
    ASSERT_TRUE(QDir(own).removeRecursively());
    const QString theirs = env.root() + QStringLiteral("theirs/");
    QDir().mkpath(theirs);
    ASSERT_TRUE(QFile::link(theirs, own.chopped(1)));
    const QString sound = phraseSound::Write_Phrase_Sound(program, QStringLiteral("Food.ito"), 2);
    EXPECT_FALSE(sound.startsWith(own)) << sound.toStdString();
    EXPECT_EQ(readAll(sound), fixture::sampleWave());
    EXPECT_TRUE(QDir(theirs).isEmpty());

    // The end takes the folder with everything in it; a link inside is
    // removed as a link, the learner's folder it pointed at is kept whole.
    const QString kept = env.root() + QStringLiteral("kept/");
    writeFile(kept + QStringLiteral("notes.txt"), kLearnersOwn);
    const QString current = program.Temporary_Folder();
    ASSERT_TRUE(QFile::link(kept, current + QStringLiteral("a link")));
    program.End();
    EXPECT_FALSE(QFileInfo::exists(current));
    EXPECT_EQ(readAll(kept + QStringLiteral("notes.txt")), kLearnersOwn);
    EXPECT_TRUE(QFileInfo(own.chopped(1)).isSymLink()) << "not the program's to remove";
}

// The session's files that landed in the root folder.
QStringList inRootFolder(const QString &tag) {
    return QDir(QStringLiteral("/"))
        .entryList({QStringLiteral("~tvx") + tag + QLatin1Char('*'),
                    QStringLiteral("~selectedphrase") + tag + QLatin1Char('*')},
                   QDir::Files | QDir::Hidden);
}

// Takes away, however the test ends, what it may have left in the root folder.
struct RootFolderSweep {
    QString tag;
    ~RootFolderSweep() {
        for (const QString &name : inRootFolder(tag))
            QFile::remove(QStringLiteral("/") + name);
    }
};

TEST_F(TemporaryFilesTest, ATemporaryFolderThatIsGoneIsToldAndNothingGoesToTheRootFolder) {
    const RootFolderSweep sweep{program.handleTag};
    // The system's reason reads in English until the main window loads the
    // learner's language, whatever an earlier test left behind.
    platformLanguage::Use_Learner_Language(QStringLiteral("English"));
    const QString gone = env.root() + QStringLiteral("gone");
    qputenv("TMPDIR", QFile::encodeName(gone));
    const QString expected = program.captions[caption::TemporaryFolderUnusable].arg(
        QDir::toNativeSeparators(gone), QStringLiteral("No such file or directory"));

    click(find(QStringLiteral("Food")));
    ActivityLaunch launch(program, tree, TreeFolders);
    launch.btnAct_Click(QStringLiteral("Quiz"));
    EXPECT_EQ(host.boxTexts(), QStringList{expected});
    EXPECT_TRUE(host.startedPrograms.isEmpty());
    EXPECT_TRUE(mainEnabledAtEnd());

    TreeFolders.Select(TreeFolders.Child(find(QStringLiteral("Food"))));
    phraseSound::Listen_to_Phrase(program, TreeFolders, phraseSound::Speed::Normal);
    ASSERT_FALSE(host.boxes.empty());
    EXPECT_TRUE(host.lastBox().text.endsWith(expected))
        << host.boxTexts().join(QLatin1Char('|')).toStdString();

    // The main window tells it at the start already.
    Program started(host, env.settings());
    {
        frmMain main(started);
        main.Form_Load();
        EXPECT_TRUE(host.boxTexts().contains(started.captions[caption::TemporaryFolderUnusable].arg(
            QDir::toNativeSeparators(gone), QStringLiteral("No existe el archivo o la carpeta"))))
            << host.boxTexts().join(QLatin1Char('|')).toStdString();
        main.close();
    }
    platformLanguage::Use_Learner_Language(QStringLiteral("English"));

    EXPECT_FALSE(QFileInfo::exists(gone));
    EXPECT_EQ(inRootFolder(program.handleTag), QStringList());
}

} // namespace
