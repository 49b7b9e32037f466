// Hearing a phrase of the tree and correcting its texts in the subject file.
#include "frame/mod_main.h"
#include "subjects/phrase_edit.h"
#include "subjects/phrase_sound.h"
#include "subjects/subject_fixture.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

class PhraseSoundEditTest : public SubjectTestBase {
protected:
    void SetUp() override {
        fixture::makeSubject(installed(QStringLiteral("Food.ito")), QStringLiteral("tvxito"),
                             fixture::numbered(3));
        fixture::makeVirtualFolder(virtualFolder(QStringLiteral("Mine.vito")),
                                   {QStringLiteral("Verbs")},
                                   {{1, QStringLiteral("Food.ito"), 2, "copy", "two", "u"}});
        build();
        food = find(QStringLiteral("Food"));
        click(food);
    }
    void listen(int node) {
        TreeFolders.Select(node);
        phraseSound::mnuListenToPhrase_Click(program, TreeFolders);
    }
    QStringList playedFiles() const {
        QStringList files;
        for (const FakeHost::Sound &s : host.sounds)
            files << s.path;
        return files;
    }
    QString fileTexts(int number) {
        ado::Connection cn;
        cn.Open(modMain::Get_Connection_String(installed(QStringLiteral("Food.ito"))));
        ado::Recordset rs;
        rs.Open(QStringLiteral("SELECT * FROM tblPhrases where pkPhraseNo =") +
                    QString::number(number),
                cn);
        return rs.Fields(QStringLiteral("tPhrase")).Text() + QLatin1Char('|') +
               rs.Fields(QStringLiteral("tTranslation")).Text() + QLatin1Char('|') +
               rs.Fields(QStringLiteral("tTranslation2")).Text();
    }
    int food = 0;
};

TEST_F(PhraseSoundEditTest, PhrasesOfEveryKindPlayFoldersAndSubjectsDoNot) {
    const QString sound = phraseSound::Selected_Phrase_Path(program);
    EXPECT_TRUE(sound.contains(program.handleTag)) << "this shell's own file";

    listen(1);    // a folder
    listen(food); // a subject
    EXPECT_TRUE(playedFiles().isEmpty());

    listen(TreeFolders.Child(food)); // an installed phrase
    EXPECT_EQ(playedFiles(), QStringList{sound});
    EXPECT_FALSE(host.sounds.back().async);
    EXPECT_EQ(windows.notices, QStringList{QStringLiteral("p1")}) << "its spoken text is shown";
    EXPECT_FALSE(windows.noticeVisible);

    const int verbs = find(QStringLiteral("Verbs"));
    click(verbs);
    listen(TreeFolders.Child(verbs)); // a virtual phrase: the source's recording
    EXPECT_EQ(playedFiles().size(), 2);
    QFile file(sound);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), fixture::sampleWave());

    // Closing the notice during the wait keeps it silent; the file is still written.
    host.onDoEvents = [this] { windows.noticeVisible = false; };
    listen(TreeFolders.Child(food));
    EXPECT_EQ(playedFiles().size(), 2);
    host.onDoEvents = nullptr;

    // A damaged recording is not played as silence: the learner is told.
    {
        ado::Connection cn;
        cn.Open(modMain::Get_Connection_String(installed(QStringLiteral("Food.ito"))));
        cn.Execute(QStringLiteral("UPDATE tblPhrases SET bsound = ? WHERE pkPhraseNo = 3"),
                   {QByteArray("RIFF\x10\0\0\0WAVEjunk")});
    }
    listen(TreeFolders.Child(food) + 2);
    EXPECT_EQ(playedFiles().size(), 2);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.lastBox().text, caption(caption::SoundNotPlayable).arg(QStringLiteral("p3")));
    host.boxes.clear();

    // A source subject that is gone: nothing, and nothing said.
    QFile::remove(installed(QStringLiteral("Food.ito")));
    listen(TreeFolders.Child(food));
    EXPECT_EQ(playedFiles().size(), 2);
    EXPECT_TRUE(host.boxes.empty());
}

TEST_F(PhraseSoundEditTest, AnEditWritesTrimmedTextsAndTheTagShowsWhatTheFileHolds) {
    const subjectData::Phrase phrase = phraseAt(TreeFolders.Child(food));
    // An emptied box keeps the file's text; the tag says so too.
    const subjectData::Phrase saved = phraseEdit::Save(
        program, phrase, {QStringLiteral("  p-one "), QStringLiteral(" One "), QString()});
    EXPECT_EQ(fileTexts(1), QStringLiteral("p-one|One|u1"));
    EXPECT_EQ(subjectData::SubjectNode::Of(saved)->Tag(),
              QStringLiteral("Food.ito*1*p-one*One*u1"));
}

TEST_F(PhraseSoundEditTest, RefusedTextsAndFilesThatCannotBeWrittenChangeNothing) {
    EXPECT_EQ(phraseEdit::Refusal(program, {QStringLiteral("a*b"), QString(), QString()}),
              caption(caption::TextWithStarOrBreak));
    EXPECT_EQ(phraseEdit::Refusal(program, {QString(), QStringLiteral("two\nlines"), QString()}),
              caption(caption::TextWithStarOrBreak));
    EXPECT_EQ(phraseEdit::Refusal(program, {QStringLiteral("fine"), QString(), QString()}),
              QString());

    // A phrase number without a row, and a file marked read-only.
    subjectData::Phrase missing = phraseAt(TreeFolders.Child(food));
    missing.number = 9;
    EXPECT_THROW(phraseEdit::Save(program, missing, {QStringLiteral("x"), QString(), QString()}),
                 std::exception);
    const QString path = installed(QStringLiteral("Food.ito"));
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadUser);
    try {
        phraseEdit::Save(program, phraseAt(TreeFolders.Child(food)),
                         {QStringLiteral("changed"), QString(), QString()});
        ADD_FAILURE() << "a read-only file was written";
    } catch (const std::exception &e) {
        EXPECT_TRUE(QString::fromUtf8(e.what()).contains(QStringLiteral("read-only"))) << e.what();
    }
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_EQ(fileTexts(1), QStringLiteral("p1|t1|u1"));
}

} // namespace
