// Temporary folders for one test: a program folder, a data/app-data folder, a
// temporary folder and a settings store, all under one QTemporaryDir that is
// removed when the test ends. Nothing touches the user's real folders.
#pragma once

#include "frame/program.h"

#include <QString>
#include <QTemporaryDir>

class TestEnv {
public:
    TestEnv();
    ~TestEnv();

    QString root() const { return m_dir.path() + QStringLiteral("/"); }
    // The executable's folder of the program under test, ending in "/".
    QString programFolder() const { return root() + QStringLiteral("program/"); }
    // The user's local application-data folder (without trailing "/").
    QString appDataFolder() const { return root() + QStringLiteral("appdata"); }
    // The temporary folder (TMPDIR) while this environment lives, ending in "/".
    QString tempFolder() const { return root() + QStringLiteral("temp/"); }
    // The user's home (HOME) while this environment lives, ending in "/"; the
    // desktop's trash lies below it.
    QString homeFolder() const { return root() + QStringLiteral("home/"); }
    // Where the desktop's trash keeps the files moved to it, ending in "/".
    static QString trashFilesFolder();

    // Settings for a Program living in these folders.
    ProgramSettings settings() const;

    // Copies the built template database (build/<code>/Tolvanex.tpl) and
    // custom.tpl into the program folder.
    void installTemplate() const;

    static QString builtProgramFolder();

private:
    QTemporaryDir m_dir;
    QByteArray m_oldTmp;
    QByteArray m_oldHome;
    QByteArray m_oldDataHome;
};

// Writes bytes to a file, creating folders as needed.
void writeFile(const QString &path, const QByteArray &bytes);
