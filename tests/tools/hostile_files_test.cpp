// The crafted files of tests/data/hostile (see make_hostile.py there), opened
// by the program's own procedures and by tvx-subject: each is refused
// cleanly and at once, or shown and kept as it is. None of these tests can
// run for long: the database layer stops a file that would.
#include "activities/activity_catalogue.h"
#include "activities/study_set.h"
#include "frame/mod_main.h"
#include "platform/ado.h"
#include "platform/platform_language.h"
#include "subject_data/subject_file.h"
#include "subject_tool.h"
#include "subjects/frm_edit.h"
#include "subjects/phrase_edit.h"
#include "subjects/subject_fixture.h"

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTextStream>

#include <gtest/gtest.h>

namespace {

QString corpus(const QString &name) {
    return QStringLiteral(TVX_SOURCE_DIR "/tests/data/hostile/") + name;
}

class HostileFilesTest : public SubjectTestBase {
protected:
    ~HostileFilesTest() override { platformLanguage::Use_Learner_Language("English"); }

    // A copy of a crafted file, so that nothing a test does reaches the
    // committed one.
    QString copy(const QString &name, const QString &to) {
        QFile::remove(to);
        EXPECT_TRUE(QFile::copy(corpus(name), to)) << name.toStdString();
        QFile::setPermissions(to, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        return to;
    }
    QString install(const QString &name) { return copy(name, installed(name)); }
    static QString damaged(const QString &path) {
        return QStringLiteral("The database '%1' is damaged.").arg(path);
    }
    QString fileTexts(const QString &name, int number) {
        ado::Connection cn;
        cn.Open(modMain::Get_Connection_String(installed(name)));
        ado::Recordset rs;
        rs.Open(QStringLiteral("SELECT * FROM tblPhrases where pkPhraseNo =") +
                    QString::number(number),
                cn);
        if (rs.EOF_())
            return QStringLiteral("(no row)");
        return rs.Fields(QStringLiteral("tPhrase")).Text() + QLatin1Char('|') +
               rs.Fields(QStringLiteral("tTranslation")).Text() + QLatin1Char('|') +
               rs.Fields(QStringLiteral("tTranslation2")).Text();
    }
    int run(const QStringList &args) {
        outText.clear();
        errText.clear();
        QTextStream o(&outText);
        QTextStream e(&errText);
        return tvxsubject::Run(args, o, e);
    }
    QString outText;
    QString errText;
};

TEST_F(HostileFilesTest, EndlessViewsTriggersAndForeignTablesAreRefusedAsDamaged) {
    for (const char *name :
         {"Endless_Properties.ito", "Computed_Column.ito", "Virtual_Table.ito"}) {
        const QString path = install(QLatin1String(name));
        EXPECT_EQ(Validate_Subject(program, QLatin1String(name)), damaged(path)) << name;
        EXPECT_TRUE(tvxsubject::CheckSubject(path, "tvxito").contains(damaged(path))) << name;
    }
    // Its program code reads well; its phrases never end.
    const QString endless = install(QStringLiteral("Endless_Phrases.ito"));
    EXPECT_EQ(Validate_Subject(program, QStringLiteral("Endless_Phrases.ito")),
              QLatin1String(subjectFile::kValid));
    const QStringList problems = tvxsubject::CheckSubject(endless, "tvxito");
    EXPECT_TRUE(problems.contains(damaged(endless))) << problems.join('\n').toStdString();
    EXPECT_TRUE(problems.contains(
        QStringLiteral("the file holds the view 'tblPhrases', which the program never runs")));

    // A virtual folder whose subjects never end, beside a good subject.
    subject(QStringLiteral("Food.ito"));
    const QString folder =
        copy(QStringLiteral("Endless_Parents.vito"), virtualFolder("Endless_Parents.vito"));
    build();
    ASSERT_FALSE(host.boxes.empty());
    EXPECT_TRUE(host.lastBox().text.contains(damaged(folder))) << host.lastBox().text.toStdString();
    EXPECT_NE(find(QStringLiteral("Food")), 0) << "the other subjects are there";
    host.boxes.clear();

    const int node = find(QStringLiteral("Endless Phrases"));
    ASSERT_NE(node, 0);
    click(node);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_TRUE(host.lastBox().text.contains(damaged(endless)));
    EXPECT_EQ(TreeFolders.Image(node), subjectData::BrokenSubject);
    EXPECT_TRUE(mainEnabledAtEnd());

    // An activity whose pictures never end.
    const QString descriptor = copy(QStringLiteral("Endless_Images.cfg"), env.root() + "Game.cfg");
    Activity activity;
    try {
        activities::Load_Activity_Images(activity, descriptor, QStringLiteral("bSpanish"));
        ADD_FAILURE() << "the descriptor was read";
    } catch (const ado::Error &e) {
        EXPECT_EQ(e.description(), damaged(descriptor));
    }

    // A trigger never runs: correcting a phrase leaves the others and the
    // program code where they are. Check names it.
    const QString trigger = install(QStringLiteral("Trigger_On_Edit.ito"));
    EXPECT_TRUE(tvxsubject::CheckSubject(trigger, "tvxito")
                    .contains(QStringLiteral(
                        "the file holds the trigger 'trgWipe', which the program never runs")));
    phraseEdit::Save(
        program,
        subjectData::Phrase{QStringLiteral("Trigger_On_Edit.ito"), 1, "ciao", "hola", "buenas"},
        {QStringLiteral("ciao ciao"), QString(), QString()});
    EXPECT_EQ(fileTexts(QStringLiteral("Trigger_On_Edit.ito"), 1),
              QStringLiteral("ciao ciao|hola|buenas"));
    EXPECT_EQ(fileTexts(QStringLiteral("Trigger_On_Edit.ito"), 2),
              QStringLiteral("grazie|gracias|muchas gracias"));
    EXPECT_EQ(Validate_Subject(program, QStringLiteral("Trigger_On_Edit.ito")),
              QLatin1String(subjectFile::kValid));
}

TEST_F(HostileFilesTest, AStarInAPhraseTextKeepsTheTranslations) {
    const QString path = install(QStringLiteral("Star_Texts.ito"));
    EXPECT_TRUE(tvxsubject::CheckSubject(path, "tvxito")
                    .contains(QStringLiteral(
                        "phrase 1: the phrase \"ciao*bella\" contains '*', which is not allowed")));

    // The node tag splits at the text's "*", the phrase value does not; the
    // editor shows the file's row.
    build();
    click(find(QStringLiteral("Star Texts")));
    const int phrase = TreeFolders.Child(find(QStringLiteral("Star Texts")));
    ASSERT_NE(phrase, 0);
    {
        frmEdit editor(program, phraseAt(phrase));
        ASSERT_TRUE(editor.Row_Read());
        EXPECT_EQ(editor.txtPhrase->text(), QStringLiteral("ciao*bella"));
        EXPECT_EQ(editor.txtTranslation->text(), QStringLiteral("hola"));
        EXPECT_EQ(editor.txtTranslation2->text(), QStringLiteral("buenas"));
        // OK without a change writes nothing and refuses nothing.
        editor.btnOK->click();
        EXPECT_TRUE(editor.Saved());
        EXPECT_TRUE(host.boxes.empty()) << host.boxTexts().join('\n').toStdString();
    }
    EXPECT_EQ(fileTexts(QStringLiteral("Star_Texts.ito"), 1),
              QStringLiteral("ciao*bella|hola|buenas"));

    // A changed translation is written alone; the phrase keeps its text.
    {
        frmEdit editor(program, phraseAt(phrase));
        editor.txtTranslation->setText(QStringLiteral("hola guapa"));
        editor.btnOK->click();
        EXPECT_TRUE(editor.Saved());
    }
    EXPECT_EQ(fileTexts(QStringLiteral("Star_Texts.ito"), 1),
              QStringLiteral("ciao*bella|hola guapa|buenas"));

    // A phrase gone from the file: the editor says so and is not shown.
    {
        ado::Connection cn;
        cn.Open(modMain::Get_Connection_String(path));
        cn.Execute(QStringLiteral("DELETE FROM tblPhrases WHERE pkPhraseNo = 1"));
    }
    frmEdit gone(program, phraseAt(phrase));
    EXPECT_FALSE(gone.Row_Read());
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_TRUE(host.lastBox().text.contains(program.captions[caption::PhraseGone]));
}

TEST_F(HostileFilesTest, NulsNeverReachTheStudyFileAndCheckReportsThem) {
    const QString path = install(QStringLiteral("Nul_Texts.ito"));
    const QStringList problems = tvxsubject::CheckSubject(path, "tvxito");
    EXPECT_TRUE(problems.contains(
        QStringLiteral("phrase 1: the phrase \"buon\\0giorno\" contains a NUL character, which "
                       "is not allowed")))
        << problems.join('\n').toStdString();

    build();
    const int node = find(QStringLiteral("Nul Texts"));
    ASSERT_NE(node, 0);
    TreeFolders.Select(node);
    const QVector<StudyEntry> entries = activities::Get_Phraes_to_Study(program, TreeFolders, node);
    ASSERT_EQ(entries.size(), 2);
    activities::Write_Study_File(program, QStringLiteral("NulTexts"), entries);
    QFile file(activities::Study_File_Path(program));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_FALSE(bytes.contains('\0'));
    EXPECT_TRUE(bytes.contains("\"buongiorno\"\r\n\"buenosdías\"\r\n\"hola\"\r\n"));
    file.close();
    activities::Delete_Study_Files(program);
}

TEST_F(HostileFilesTest, ADatabaseErrorIsASentenceWithTheDetailsApart) {
    platformLanguage::Use_Learner_Language("Spanish");
    const QString path = install(QStringLiteral("Check_Constraint.ito"));
    build();
    click(find(QStringLiteral("Check Constraint")));
    const int phrase = TreeFolders.Child(find(QStringLiteral("Check Constraint")));
    frmEdit editor(program, phraseAt(phrase));
    ASSERT_TRUE(editor.Row_Read());
    editor.txtPhrase->setText(QStringLiteral("ciao!"));
    editor.btnOK->click();
    EXPECT_FALSE(editor.Saved());
    ASSERT_EQ(host.boxes.size(), 1u);
    const FakeHost::Box &box = host.lastBox();
    EXPECT_EQ(box.text, program.captions[caption::PhraseNotSaved] + QStringLiteral("\r\n\r\n") +
                            QStringLiteral("La base de datos '%1' no ha podido hacer lo que se "
                                           "le pedía.")
                                .arg(path));
    EXPECT_TRUE(box.details.contains(QLatin1String("CHECK constraint failed")))
        << box.details.toStdString();
    EXPECT_TRUE(box.details.contains(QLatin1String("UPDATE `tblPhrases`")))
        << box.details.toStdString();
    EXPECT_EQ(fileTexts(QStringLiteral("Check_Constraint.ito"), 1),
              QStringLiteral("ciao|hola|buenas"));

    // The shared error box keeps them apart too.
    host.boxes.clear();
    modMain::Show_Error(
        program, QStringLiteral("Get_Subjects"),
        ado::Error::WithDetails(QStringLiteral("Una frase."), QStringLiteral("SQL: SELECT 1")));
    EXPECT_EQ(host.lastBox().text,
              caption(149) + QStringLiteral("\r\n\r\nGet_Subjects: Una frase."));
    EXPECT_EQ(host.lastBox().details, QStringLiteral("SQL: SELECT 1"));
}

TEST_F(HostileFilesTest, ListSaysWhichFilesCheckRejects) {
    subject(QStringLiteral("Food.ito"));
    const QString good = installed(QStringLiteral("Food.ito"));
    const QString star = install(QStringLiteral("Star_Texts.ito"));
    const QString endless = install(QStringLiteral("Endless_Phrases.ito"));

    EXPECT_EQ(run({"list", good}), 0) << errText.toStdString();
    EXPECT_TRUE(errText.isEmpty());

    EXPECT_EQ(run({"list", star}), 1);
    EXPECT_TRUE(outText.contains(QLatin1String("1\tciao*bella\thola\tbuenas\t"))) << "still listed";
    EXPECT_TRUE(
        errText.contains(star + QStringLiteral(": rejected by check: phrase 1: the phrase")))
        << errText.toStdString();

    EXPECT_EQ(run({"list", good, star, endless}), 1);
    EXPECT_TRUE(outText.contains(QStringLiteral("file\t%1\ncode\ttvxito\n").arg(good)));
    EXPECT_TRUE(outText.contains(QStringLiteral("file\t%1\ncode\ttvxito\n").arg(star)));
    EXPECT_FALSE(errText.contains(good)) << errText.toStdString();
    EXPECT_TRUE(errText.contains(star + QStringLiteral(": rejected by check:")));
    EXPECT_TRUE(errText.contains(damaged(endless))) << errText.toStdString();
}

} // namespace
