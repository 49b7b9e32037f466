// Program-wide state: one object created by main (or by a test) and passed by
// reference, so several programs can live side by side in one test process.
#pragma once

#include "frame/captions.h"
#include "frame/identity.h"
#include "frame/shell_windows.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

class Host;

// The folders the program works with, each ending in "/".
struct FolderSet {
    QString programFolder;
    QString dataFolder;
    QString installedSubjectsFolder;
    QString virtualSubjectsFolder;
    QString activitiesFolder;
};

// Texts the ticker shows (system messages with their links, and tips). The
// counts always match the lists, also when loading stopped early.
struct TickerTexts {
    QStringList messages; // 1-based in use: messages[0] is message 1
    QStringList links;
    int messageCount = 0;
    QStringList tips; // tips[0] is tip 1
    int tipBound = 0; // one past the last tip loaded; 0 without tips
};

// Where the program's registry values live and which row set the template
// texts are read with; both are settings of the build, injectable by tests.
struct ProgramSettings {
    QString registryRoot = QStringLiteral("HKEY_CURRENT_USER");
    int rowSet = 1;
    // The executable's folder; empty means the running executable's folder.
    QString appPathOverride;
    // The user's local application-data folder; empty means ask the system.
    QString appDataOverride;
    // What writing a file in a folder meets: 0 when it can be written, else
    // the system's error number (EACCES, EROFS, ENOSPC...), as
    // Probe_Write_Access answers; empty means probe the file system. Lets a
    // program folder count as read-only, or its disk as full, where even the
    // user running it may write everything.
    std::function<int(const QString &folder)> writeAccessProbe;
    // Version of the program as major.minor.revision.
    int versionMajor = 1;
    int versionMinor = 0;
    int versionRevision = 0;
};

class Program {
public:
    Program(Host &host, ProgramSettings settings = {});
    // Removes the temporary folder (see Temporary_Folder).
    ~Program();
    Program(const Program &) = delete;
    Program &operator=(const Program &) = delete;

    Host &host() { return m_host; }
    // The window services; a quiet stand-in until the main window sets its own.
    ShellWindows &windows() { return m_windows ? *m_windows : m_noWindows; }
    void setWindows(ShellWindows *windows) { m_windows = windows; }
    const ProgramSettings &settings() const { return m_settings; }

    Identity identity;
    Captions captions;
    FolderSet folders;
    TickerTexts ticker;

    // Display name of the logged-in student ("First Last").
    QString currentStudent;
    // Whether the logged-in student is the administrator, who may correct
    // phrases, view the progress and import word lists.
    bool administrator = false;
    // Set by the virtual subject editor on every change; cleared by the tree rebuild.
    bool bSubjectsChanged = false;
    // A decimal number that names the temporary files of a launch: this
    // process's id, the same for the whole run and never shared by two
    // shells running at once.
    QString handleTag;
    // Entries of the last study set, whose sound files the next launch (or
    // the end of the run) deletes; 0 before the first launch.
    int studyCount = 0;
    // The last click sound played; kept alive while it may still be playing.
    QByteArray clickBuffer;

    // Ends the program: every window closes and no further step runs. The
    // exit code is 0 for a normal end and non-zero after a fatal error. main
    // sets onEnd to leave the event loop; tests read `ended` and `exitCode`.
    void End(int code = 0);
    bool ended = false;
    int exitCode = 0;
    std::function<void(int)> onEnd;
    // Runs once when the program ends, before onEnd, however it ends (a
    // window closed, the student database cleared, a signal): the main
    // window removes its temporary files here. The temporary folder goes
    // right after it.
    std::function<void()> atEnd;

    // The program's own folder for its temporary files (the study file and
    // sounds of a launch, the phrase heard last, the learner's recording,
    // the update notice), ending in "/": a folder of this user's alone with
    // a name nobody can guess, inside the temporary folder. Made on first
    // use, made again should it have gone, removed when the program ends.
    // Throws std::runtime_error with a sentence for the learner when the
    // temporary folder cannot be used.
    QString Temporary_Folder() const;
    // The folder as it stands: empty when it has not been made (or is gone);
    // never makes it. For removing files that may never have been written.
    QString Existing_Temporary_Folder() const;
    // Removes the file of this name from the temporary folder, if there.
    void Remove_Temporary_File(const QString &name) const;

    // The template database path: program folder + "Tolvanex.tpl".
    QString templatePath() const { return folders.programFolder + QStringLiteral("Tolvanex.tpl"); }
    // The student database path: data folder + "Users.dat".
    QString usersPath() const { return folders.dataFolder + QStringLiteral("Users.dat"); }
    // The registry key of this build: Software\Tolvanex\<language code>.
    QString registryKey() const {
        return QStringLiteral("Software\\Tolvanex\\") + identity.languageCode;
    }
    // A value this build keeps under its registry key; defaultValue when
    // there is none.
    QString Setting(const QString &name, const QString &defaultValue = QString()) const;
    void Save_Setting(const QString &name, const QString &value) const;

private:
    Host &m_host;
    ProgramSettings m_settings;
    ShellWindows m_noWindows;
    ShellWindows *m_windows = nullptr;
    mutable QString m_temporaryFolder;
};
