// The four loaders of the template database, on small templates written by
// the tests, including every way the file can be wrong.
#include "frame/program.h"
#include "frame/template_texts.h"
#include "platform/ado.h"
#include "support/fake_host.h"
#include "support/recording_windows.h"
#include "support/template_fixture.h"
#include "support/test_env.h"

#include <gtest/gtest.h>

namespace {

class TemplateTextsTest : public ::testing::Test {
protected:
    TemplateTextsTest() : program(host, env.settings()) {
        program.identity = Identity::ForCode(QStringLiteral("tvxito"));
        program.folders.programFolder = env.programFolder();
        program.setWindows(&windows);
    }

    void write(const TemplateTexts &texts) { writeTemplate(env.programFolder(), texts); }
    void loadCaptions() { templateTexts::Get_Captions(program); }

    // Runs a statement on the written template (to damage it on purpose).
    void alter(const QString &sql) {
        ado::Connection db;
        db.Open(ado::ConnectionString(program.templatePath(), QStringLiteral("kqw6081")));
        db.Execute(sql);
    }

    TestEnv env;
    FakeHost host;
    RecordingWindows windows;
    Program program;
};

TEST_F(TemplateTextsTest, CaptionsComeFromTheLearnerColumnInRowOrder) {
    write(TemplateTexts::Numbered());
    loadCaptions();
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_EQ(program.captions.Count(), caption::Last);
    EXPECT_EQ(program.captions[1], QStringLiteral("S1"));
    EXPECT_EQ(program.captions[149], QStringLiteral("S149"));
    EXPECT_EQ(program.captions[11], QStringLiteral("Temas Virtuales"));
    // 0 and n + 1 exist and are empty; above that is an error.
    EXPECT_EQ(program.captions[0], QString());
    EXPECT_EQ(program.captions[caption::Last + 1], QString());
    EXPECT_THROW(program.captions[caption::Last + 2], std::out_of_range);

    program.identity = Identity::ForCode(QStringLiteral("tvxspa"));
    loadCaptions();
    EXPECT_EQ(program.captions[1], QStringLiteral("E1"));
}

TEST_F(TemplateTextsTest, NullCaptionIsEmptyText) {
    write(TemplateTexts::Numbered());
    alter(QStringLiteral("UPDATE tblCaptions SET Spanish = NULL WHERE ID = 5"));
    loadCaptions();
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_EQ(program.captions[5], QString());
    EXPECT_EQ(program.captions[6], QStringLiteral("S6"));
}

TEST_F(TemplateTextsTest, SystemMessagesOfTheBuildsRowSetWithSplashLines) {
    TemplateTexts texts = TemplateTexts::Numbered();
    texts.messages.clear();
    for (int i = 1; i <= 12; ++i)
        texts.messages << QStringLiteral("M%1\tN%1\tpage%1.htm\t1\t%2").arg(i).arg(i % 2);
    write(texts);
    loadCaptions();
    windows.splashText = QStringLiteral("start");
    templateTexts::Get_System_Messages(program);
    ASSERT_EQ(program.ticker.messageCount, 12);
    EXPECT_EQ(program.ticker.messages[0], QStringLiteral("N1"));
    EXPECT_EQ(program.ticker.links[11], QStringLiteral("page12.htm"));
    // Newest line first: caption 8 after the last message, then its line.
    EXPECT_TRUE(windows.splashText.startsWith(
        QStringLiteral("S8\r\nS23 MSG #0012\r\nS8\r\nS23 MSG #0011\r\n")));
    EXPECT_TRUE(windows.splashText.endsWith(QStringLiteral("S23 MSG #001\r\nstart")));

    // Another build setting reads the other row set.
    ProgramSettings second = env.settings();
    second.rowSet = 2;
    Program other(host, second);
    other.identity = program.identity;
    other.folders = program.folders;
    other.captions = program.captions;
    templateTexts::Get_System_Messages(other);
    EXPECT_EQ(other.ticker.messageCount, 6);
    EXPECT_EQ(other.ticker.messages[0], QStringLiteral("N1"));
    EXPECT_EQ(other.ticker.messages[1], QStringLiteral("N3"));
}

TEST_F(TemplateTextsTest, EmptyMessageSelectionIsReportedAndCountStaysZero) {
    TemplateTexts texts = TemplateTexts::Numbered();
    texts.messages = {QStringLiteral("Only two\tSolo dos\t\t0\t1")};
    write(texts);
    loadCaptions();
    templateTexts::Get_System_Messages(program);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_TRUE(
        host.lastBox().text.startsWith(QStringLiteral("S149\r\n\r\nGet_System_Messages: ")));
    EXPECT_EQ(host.lastBox().title, QStringLiteral("ERROR"));
    EXPECT_EQ(host.lastBox().style, vb::vbCritical);
    EXPECT_EQ(program.ticker.messageCount, 0);
}

TEST_F(TemplateTextsTest, TipsOfTheLanguageCodeAndTheirBound) {
    TemplateTexts texts = TemplateTexts::Numbered();
    texts.tips.clear();
    for (int i = 1; i <= 20; ++i)
        texts.tips << QStringLiteral("spa%1\tfre\tger\tita\teng\tfra\tale\tito%1").arg(i);
    write(texts);
    loadCaptions();
    templateTexts::Get_Tips(program);
    EXPECT_TRUE(host.boxes.empty());
    ASSERT_EQ(program.ticker.tips.size(), 20);
    EXPECT_EQ(program.ticker.tips[0], QStringLiteral("ito1"));
    EXPECT_EQ(program.ticker.tipBound, 21);

    // A build with the same learner language reads its own column.
    program.identity = Identity::ForCode(QStringLiteral("tvxspa"));
    templateTexts::Get_Tips(program);
    EXPECT_EQ(program.ticker.tips[19], QStringLiteral("spa20"));
}

TEST_F(TemplateTextsTest, NullTipStopsLoadingAndTheBoundFollowsTheTipsLoaded) {
    TemplateTexts texts = TemplateTexts::Numbered();
    texts.tips = {QStringLiteral("a\ta\ta\ta\ta\ta\ta\tone"),
                  QStringLiteral("a\ta\ta\ta\ta\ta\ta\ttwo"),
                  QStringLiteral("a\ta\ta\ta\ta\ta\ta\tthree")};
    write(texts);
    alter(QStringLiteral("UPDATE tblTips SET tvxito = NULL WHERE ID = 2"));
    loadCaptions();
    templateTexts::Get_Tips(program);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_TRUE(host.lastBox().text.contains(QStringLiteral("Get_Tips: ")));
    EXPECT_EQ(program.ticker.tips, QStringList{QStringLiteral("one")});
    // One past the last tip loaded: the ticker never reads past the list.
    EXPECT_EQ(program.ticker.tipBound, 2);
}

TEST_F(TemplateTextsTest, EmptyTipTableIsReported) {
    TemplateTexts texts = TemplateTexts::Numbered();
    texts.tips.clear();
    write(texts);
    loadCaptions();
    templateTexts::Get_Tips(program);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_TRUE(host.lastBox().text.contains(QStringLiteral("\r\n\r\nGet_Tips: ")));
    EXPECT_TRUE(program.ticker.tips.isEmpty());
}

TEST_F(TemplateTextsTest, MenuLinksArePlacedInOrder) {
    TemplateTexts texts = TemplateTexts::Numbered();
    texts.menu = {QStringLiteral("Home\tInicio\tindex.htm\t1\t1"),
                  QStringLiteral("Shop\tTienda\tshop.htm\t0\t1"),
                  QStringLiteral("Help\tAyuda\thelp.htm\t1\t0")};
    write(texts);
    loadCaptions();
    QStringList placed;
    const int highest = templateTexts::Get_Menu_Links(
        program, [&](int k, const QString &text, const QString &link) {
            placed << QStringLiteral("%1 %2 %3").arg(k).arg(text, link);
        });
    EXPECT_EQ(highest, 1);
    EXPECT_EQ(placed, (QStringList{QStringLiteral("0 Inicio index.htm"),
                                   QStringLiteral("1 Ayuda help.htm")}));
    EXPECT_EQ(windows.splashText.count(QStringLiteral("S8\r\n")), 2);

    texts.menu = {QStringLiteral("Home\tInicio\tindex.htm\t1\t1")};
    write(texts);
    EXPECT_EQ(templateTexts::Get_Menu_Links(program, [](int, const QString &, const QString &) {}),
              0);
}

TEST_F(TemplateTextsTest, NullMenuLinkStopsAtThatRow) {
    TemplateTexts texts = TemplateTexts::Numbered();
    texts.menu = {QStringLiteral("Home\tInicio\tindex.htm\t1\t1"),
                  QStringLiteral("Help\tAyuda\thelp.htm\t1\t0")};
    write(texts);
    alter(QStringLiteral("UPDATE tblMenu SET link = NULL WHERE ID = 2"));
    loadCaptions();
    int placed = 0;
    const int highest = templateTexts::Get_Menu_Links(
        program, [&](int, const QString &, const QString &) { ++placed; });
    EXPECT_EQ(placed, 1);
    EXPECT_EQ(highest, 0);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_TRUE(host.lastBox().text.contains(QStringLiteral("Get_Menu_Links: ")));
}

TEST_F(TemplateTextsTest, BrokenTemplateFilesAreReportedByEveryLoader) {
    const QString path = program.templatePath();
    auto checkAllReport = [&](const QString &expected) {
        host.boxes.clear();
        program.captions.Resize(caption::Last);
        templateTexts::Get_Captions(program);
        templateTexts::Get_System_Messages(program);
        templateTexts::Get_Tips(program);
        templateTexts::Get_Menu_Links(program, [](int, const QString &, const QString &) {});
        ASSERT_EQ(host.boxes.size(), 4u);
        const char *names[] = {
            "Get_Captions: ", "Get_System_Messages: ", "Get_Tips: ", "Get_Menu_Links: "};
        for (int i = 0; i < 4; ++i) {
            EXPECT_TRUE(host.boxes[i].text.contains(QLatin1String(names[i])))
                << host.boxes[i].text.toStdString();
            EXPECT_TRUE(host.boxes[i].text.contains(expected, Qt::CaseInsensitive))
                << host.boxes[i].text.toStdString();
        }
        EXPECT_FALSE(templateTexts::Template_Problem(program).isEmpty());
    };

    // Missing: the description names the file.
    checkAllReport(path);
    // Empty file and foreign content: not a database.
    writeFile(path, QByteArray());
    checkAllReport(QStringLiteral("database"));
    writeFile(path, QByteArray("This is a letter, not a database.\n").repeated(100));
    checkAllReport(QStringLiteral("database"));
    // Another password.
    QFile::remove(path);
    ado::Connection::CreateDatabase(path);
    {
        ado::Connection db;
        db.Open(ado::ConnectionString(path, QString()));
        db.SetPassword(QStringLiteral("other"));
    }
    checkAllReport(QStringLiteral("password"));
}

TEST_F(TemplateTextsTest, MissingTableIsNamed) {
    write(TemplateTexts::Numbered());
    alter(QStringLiteral("DROP TABLE tblTips"));
    loadCaptions();
    templateTexts::Get_Tips(program);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_TRUE(host.lastBox().text.contains(QStringLiteral("tblTips")));
    EXPECT_TRUE(templateTexts::Template_Problem(program).isEmpty());
}

} // namespace
