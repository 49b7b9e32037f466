// Where the program keeps its data: a writable program folder keeps
// everything, a read-only one moves the data to the application-data folder
// and copies the shipped virtual subjects there once.
#include "frame/folder_set.h"
#include "frame/program.h"
#include "frame/template_texts.h"
#include "platform/registry.h"
#include "support/fake_host.h"
#include "support/test_env.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <cerrno>

namespace {

class FolderSetTest : public ::testing::Test {
protected:
    FolderSetTest() : program(host, settingsWithProbe()) {
        program.identity = Identity::ForCode(QStringLiteral("tvxito"));
        program.captions.Resize(caption::Last);
        program.captions.Set(10, QStringLiteral("Temas"));
        program.captions.Set(11, QStringLiteral("Temas virtuales"));
        program.captions.Set(149, QStringLiteral("Error:"));
        writeFile(env.programFolder() + QStringLiteral("Temas virtuales/Paquete Inicial.vito"),
                  "v1");
    }

    // A program folder installed where the user may not write; tests run
    // as a user who may write everywhere, so the probe is told.
    ProgramSettings settingsWithProbe() {
        ProgramSettings settings = env.settings();
        settings.writeAccessProbe = [this](const QString &folder) {
            return folder == readOnlyFolder ? EACCES : folders::Probe_Write_Access(folder);
        };
        return settings;
    }
    void makeProgramFolderReadOnly() { readOnlyFolder = env.programFolder(); }

    QString stored(const char *name) {
        return modRegistry::Get_String_Value(QStringLiteral("HKEY_CURRENT_USER"),
                                             program.registryKey(), QLatin1String(name));
    }

    TestEnv env;
    FakeHost host;
    Program program;
    QString readOnlyFolder;
};

TEST_F(FolderSetTest, WritableProgramFolderKeepsAllData) {
    folders::Set_Paths(program);
    const FolderSet &f = program.folders;
    EXPECT_EQ(f.programFolder, env.programFolder());
    EXPECT_EQ(f.dataFolder, env.programFolder());
    EXPECT_EQ(f.installedSubjectsFolder, env.programFolder() + QStringLiteral("Temas/"));
    EXPECT_EQ(f.virtualSubjectsFolder, env.programFolder() + QStringLiteral("Temas virtuales/"));
    EXPECT_EQ(f.activitiesFolder, env.programFolder() + QStringLiteral("Activities/"));
    EXPECT_FALSE(QFileInfo::exists(env.appDataFolder() + QStringLiteral("/Tolvanex Italiano")));
    EXPECT_FALSE(QFileInfo::exists(env.programFolder() + QStringLiteral("test.txt")));
    EXPECT_TRUE(host.boxes.empty());

    folders::Save_Folder_Values(program);
    EXPECT_EQ(stored("VirtualSubjectsDir"), f.virtualSubjectsFolder);
    EXPECT_EQ(stored("ProgramDir"), f.programFolder);
}

TEST_F(FolderSetTest, ReadOnlyProgramFolderCopiesVirtualSubjectsOnce) {
    makeProgramFolderReadOnly();
    folders::Set_Paths(program);
    const QString data = env.appDataFolder() + QStringLiteral("/Tolvanex Italiano/");
    EXPECT_EQ(program.folders.dataFolder, data);
    EXPECT_EQ(program.folders.virtualSubjectsFolder, data + QStringLiteral("Temas virtuales/"));
    EXPECT_EQ(program.folders.installedSubjectsFolder,
              env.programFolder() + QStringLiteral("Temas/"));
    const QString copy = data + QStringLiteral("Temas virtuales/Paquete Inicial.vito");
    QFile file(copy);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("v1"));
    file.close();

    // A later start keeps the user's copy even though the shipped one changed.
    writeFile(env.programFolder() + QStringLiteral("Temas virtuales/Paquete Inicial.vito"), "v2");
    writeFile(env.programFolder() + QStringLiteral("Temas virtuales/Nuevo.vito"), "new");
    Program second(host, env.settings());
    second.identity = program.identity;
    second.captions = program.captions;
    folders::Set_Paths(second);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("v1"));
    EXPECT_FALSE(QFileInfo::exists(data + QStringLiteral("Temas virtuales/Nuevo.vito")));
    EXPECT_TRUE(host.boxes.empty());
}

TEST_F(FolderSetTest, WithoutApplicationDataTheTemporaryFolderServes) {
    makeProgramFolderReadOnly();
    ProgramSettings settings = settingsWithProbe();
    settings.appDataOverride = QStringLiteral("/proc/no-such-folder/x");
    Program p(host, settings);
    p.identity = program.identity;
    p.captions = program.captions;
    folders::Set_Paths(p);
    EXPECT_EQ(p.folders.dataFolder, env.tempFolder() + QStringLiteral("Tolvanex Italiano/"));
    EXPECT_TRUE(QFileInfo(p.folders.virtualSubjectsFolder + QStringLiteral("Paquete Inicial.vito"))
                    .isFile());
}

// A probe that cannot write because the disk is full does not make the
// program folder read-only: its students and scores are still there to read,
// and an empty database elsewhere would look as if they were lost.
TEST_F(FolderSetTest, AFullDiskKeepsTheProgramFoldersStudentsAndSaysSo) {
    env.installTemplate();
    writeFile(env.programFolder() + QStringLiteral("Users.dat"), "the students");
    int probeError = ENOSPC;
    ProgramSettings settings = env.settings();
    settings.writeAccessProbe = [&probeError](const QString &) { return probeError; };
    Program p(host, settings);
    p.identity = program.identity;
    p.folders.programFolder = env.programFolder();
    templateTexts::Get_Captions(p);
    const QString appDataCopy = env.appDataFolder() + QStringLiteral("/Tolvanex Italiano");

    folders::Set_Paths(p);
    EXPECT_EQ(p.folders.dataFolder, env.programFolder());
    EXPECT_EQ(p.usersPath(), env.programFolder() + QStringLiteral("Users.dat"));
    EXPECT_EQ(p.folders.virtualSubjectsFolder, env.programFolder() + p.captions[11] + '/');
    EXPECT_FALSE(QFileInfo::exists(appDataCopy));
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.lastBox().text, p.captions[caption::ProgramDiskFull].arg(
                                       QDir::toNativeSeparators(env.programFolder())));
    EXPECT_TRUE(host.lastBox().text.contains(QStringLiteral("lleno")))
        << "in the learner's language";
    EXPECT_EQ(vb::IconOf(host.lastBox().style), vb::vbExclamation);

    // A folder that may only be read moves the data, as always, silently.
    for (const int readOnly : {EACCES, EROFS}) {
        probeError = readOnly;
        folders::Set_Paths(p);
        EXPECT_EQ(p.folders.dataFolder, appDataCopy + QLatin1Char('/')) << readOnly;
    }
    EXPECT_EQ(host.boxes.size(), 1u);
}

TEST_F(FolderSetTest, RegistryValuesAreRewrittenOnlyWhenTheyDifferBeyondLetterCase) {
    folders::Set_Paths(program);
    const QString root = QStringLiteral("HKEY_CURRENT_USER");
    const QString upper = program.folders.programFolder.toUpper();
    modRegistry::Save_String_Value(root, program.registryKey(), QStringLiteral("ProgramDir"),
                                   upper);
    modRegistry::Save_String_Value(root, program.registryKey(),
                                   QStringLiteral("InstalledSubjectsDir"),
                                   QStringLiteral("/elsewhere/"));
    folders::Save_Folder_Values(program);
    EXPECT_EQ(stored("ProgramDir"), upper);
    EXPECT_EQ(stored("InstalledSubjectsDir"), program.folders.installedSubjectsFolder);
}

TEST_F(FolderSetTest, AppPathEndsWithOneSlash) {
    ProgramSettings settings = env.settings();
    settings.appPathOverride = env.root() + QStringLiteral("program");
    Program p(host, settings);
    EXPECT_EQ(folders::Get_App_Path(p), env.programFolder());
    EXPECT_EQ(folders::Get_App_Path(program), env.programFolder());
}

TEST_F(FolderSetTest, WriteAccessProbeTouchesNoFileOfTheUser) {
    // A user's own file of the name older versions probed with survives.
    writeFile(env.root() + QStringLiteral("test.txt"), "my notes");
    EXPECT_FALSE(folders::Test_Write_Access(env.root()));
    QFile kept(env.root() + QStringLiteral("test.txt"));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray("my notes"));
    EXPECT_EQ(QDir(env.root()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("test.txt")});
    EXPECT_TRUE(folders::Test_Write_Access(env.root() + QStringLiteral("missing/")));
    EXPECT_EQ(folders::Probe_Write_Access(env.root() + QStringLiteral("missing/")), ENOENT);
    EXPECT_EQ(folders::Probe_Write_Access(env.root()), 0);
}

} // namespace
