// Subject files, virtual folders and a program living in a test's own folders,
// for the subject tree and phrase list tests. The files are written through
// the program's own database layer.
#pragma once

#include "frame/program.h"
#include "platform/ado.h"
#include "platform/file_list_box.h"
#include "platform/sound.h"
#include "platform/tree_view.h"
#include "subject_data/subject_schema.h"
#include "subjects/subject_tree.h"
#include "support/fake_host.h"
#include "support/recording_windows.h"
#include "support/test_env.h"

#include <QDir>
#include <QStringList>
#include <QVariant>

#include <gtest/gtest.h>

#include <vector>

namespace fixture {

struct Phrase {
    QVariant number;
    QVariant phrase;
    QVariant translation;
    QVariant translation2;
};

// n phrases numbered 1..n: "p<i>" spoken, "t<i>" translated, "u<i>" second translation.
inline std::vector<Phrase> numbered(int n, const QString &prefix = QString()) {
    std::vector<Phrase> rows;
    for (int i = 1; i <= n; ++i)
        rows.push_back({i, prefix + QStringLiteral("p%1").arg(i),
                        prefix + QStringLiteral("t%1").arg(i),
                        prefix + QStringLiteral("u%1").arg(i)});
    return rows;
}

// The recording every fixture phrase has: a tenth of a second of quiet tone,
// a real wave sound the player accepts.
inline QByteArray sampleWave() {
    std::vector<qint16> samples(800);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = qint16((i % 16 < 8) ? 800 : -800);
    return MonoWave16(samples, 8000);
}

// An installed subject file made for programCode. Damaged variants: no
// tblProperties row when programCode is null, or another password.
inline void makeSubject(const QString &path, const QString &programCode,
                        const std::vector<Phrase> &rows,
                        const QString &password = subjects::SubjectPassword()) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (!programCode.isNull() && password == subjects::SubjectPassword()) {
        subjects::CreateSubjectFile(path, programCode);
        ado::Connection cn;
        cn.Open(ado::ConnectionString(path, password));
        for (const Phrase &row : rows)
            subjects::AddPhrase(cn, row.number.toInt(), row.phrase.toString(),
                                row.translation.toString(), row.translation2.toString(),
                                sampleWave());
        return;
    }
    ado::Connection::CreateDatabase(path);
    ado::Connection cn;
    cn.Open(ado::ConnectionString(path, QString()));
    cn.Execute(
        QStringLiteral("CREATE TABLE tblProperties(tProgramCode TEXT);"
                       "CREATE TABLE tblPhrases(pkPhraseNo INTEGER PRIMARY KEY, tPhrase TEXT, "
                       "tTranslation TEXT, tTranslation2 TEXT, bsound BLOB);"));
    if (!programCode.isNull())
        cn.Execute(QStringLiteral("INSERT INTO tblProperties(tProgramCode) VALUES (?)"),
                   {programCode});
    for (const Phrase &row : rows)
        subjects::AddPhrase(cn, row.number.toInt(), row.phrase.toString(),
                            row.translation.toString(), row.translation2.toString(),
                            sampleWave());
    cn.SetPassword(password);
}

struct VirtualPhrase {
    int parent;
    QVariant fileName;
    QVariant number;
    QVariant phrase;
    QVariant translation;
    QVariant translation2;
};

// A virtual folder with the named subjects (keys 1, 2, ... in order) and phrases.
inline void makeVirtualFolder(const QString &path, const QVariantList &subjectNames,
                              const std::vector<VirtualPhrase> &phrases) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    subjects::CreateVirtualFolderFile(path);
    ado::Connection cn;
    cn.Open(ado::ConnectionString(path, subjects::SubjectPassword()));
    for (const QVariant &name : subjectNames)
        cn.Execute(QStringLiteral("INSERT INTO tblParents(tName) VALUES (?)"), {name});
    for (const VirtualPhrase &p : phrases)
        cn.Execute(
            QStringLiteral(
                "INSERT INTO tblPhrases(fkParent, tfilename, nPhraseNo, tPhrase, tTranslation, "
                "tTranslation2) VALUES (?, ?, ?, ?, ?, ?)"),
            {p.parent, p.fileName, p.number, p.phrase, p.translation, p.translation2});
}

} // namespace fixture

// A program of the build "tvxito" in a test's own folders, with captions
// "C<n>" so that every text the user sees can be traced to its caption, and
// the subject tree on a TreeView model without a window.
class SubjectTestBase : public ::testing::Test {
protected:
    SubjectTestBase() : program(host, env.settings()), tree(program, TreeFolders, File1, File2) {
        program.identity = Identity::ForCode(QStringLiteral("tvxito"));
        program.captions.Resize(caption::Last);
        for (int n = 1; n <= caption::Last; ++n)
            program.captions.Set(n, QStringLiteral("C%1").arg(n));
        program.folders.programFolder = env.programFolder();
        program.folders.installedSubjectsFolder = env.root() + QStringLiteral("Subjects/");
        program.folders.virtualSubjectsFolder = env.root() + QStringLiteral("Virtual/");
        QDir().mkpath(program.folders.installedSubjectsFolder);
        QDir().mkpath(program.folders.virtualSubjectsFolder);
        program.setWindows(&windows);
        File1.SetPattern(QStringLiteral("*.ito"));
        File1.SetPath(program.folders.installedSubjectsFolder);
        File2.SetPattern(QStringLiteral("*.vito"));
        File2.SetPath(program.folders.virtualSubjectsFolder);
    }
    ~SubjectTestBase() override { program.setWindows(nullptr); }

    QString installed(const QString &name) const {
        return program.folders.installedSubjectsFolder + name;
    }
    QString virtualFolder(const QString &name) const {
        return program.folders.virtualSubjectsFolder + name;
    }
    QString caption(int n) const { return program.captions[n]; }

    void subject(const QString &name, int phrases = 3,
                 const QString &code = QStringLiteral("tvxito")) {
        fixture::makeSubject(
            installed(name), code,
            fixture::numbered(phrases, name.section(QLatin1Char('.'), 0, 0).left(2)));
    }

    // The start-up builders, in their order.
    void build() {
        tree.Create_Folders();
        tree.Get_Subjects();
        tree.Get_vSubjects();
    }

    // Index of the first node whose text is text (0 when none).
    int find(const QString &text) const {
        for (int i = 1; i <= TreeFolders.Count(); ++i)
            if (TreeFolders.Text(i) == text)
                return i;
        return 0;
    }
    // Texts of the children of a node, in order.
    QStringList childTexts(int index) const {
        QStringList texts;
        for (int i = TreeFolders.Child(index); i != 0; i = TreeFolders.Next(i))
            texts << TreeFolders.Text(i);
        return texts;
    }
    QStringList childTags(int index) const {
        QStringList tags;
        for (int i = TreeFolders.Child(index); i != 0; i = TreeFolders.Next(i))
            tags << TreeFolders.Tag(i);
        return tags;
    }
    // The phrase a phrase node stands for.
    subjectData::Phrase phraseAt(int index) const {
        const subjectData::SubjectNode *node = subjectData::Node_At(TreeFolders, index);
        EXPECT_TRUE(node && subjectData::Is_Phrase(node->kind)) << index;
        return node ? node->phrase : subjectData::Phrase();
    }
    // A click as the tree delivers it: the node is selected first.
    void click(int index) {
        TreeFolders.Select(index);
        tree.NodeClick(index);
    }
    // The main window ends every procedure enabled.
    bool mainEnabledAtEnd() const {
        return windows.mainEnabled.isEmpty() || windows.mainEnabled.last();
    }

    TestEnv env;
    FakeHost host;
    RecordingWindows windows;
    Program program;
    TreeView TreeFolders;
    FileListBox File1;
    FileListBox File2;
    SubjectTree tree;
};
