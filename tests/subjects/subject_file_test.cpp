// The compatibility check of installed subject files and its report.
#include "subject_data/subject_file.h"
#include "subjects/subject_fixture.h"

#include <gtest/gtest.h>

namespace {

class SubjectFileTest : public SubjectTestBase {};

TEST_F(SubjectFileTest, ValidationTellsTheBuildOfTheSubject) {
    subject(QStringLiteral("Food.ito"));
    subject(QStringLiteral("Spanish.ito"), 3, QStringLiteral("tvxspa"));
    subject(QStringLiteral("Case.ito"), 3, QStringLiteral("TVXITO"));

    EXPECT_EQ(Validate_Subject(program, QStringLiteral("Food.ito")), QStringLiteral("VALID"));
    EXPECT_EQ(Validate_Subject(program, QStringLiteral("Spanish.ito")),
              QStringLiteral("WRONG_LANGUAGE*tvxspa"));
    // The code is compared exactly.
    EXPECT_EQ(Validate_Subject(program, QStringLiteral("Case.ito")),
              QStringLiteral("WRONG_LANGUAGE*TVXITO"));
    EXPECT_TRUE(host.boxes.empty());
}

TEST_F(SubjectFileTest, ValidationTurnsEveryFailureIntoItsDescription) {
    writeFile(installed(QStringLiteral("Text.ito")),
              "this is not a database at all, just some text");
    fixture::makeSubject(installed(QStringLiteral("Locked.ito")), QStringLiteral("tvxito"),
                         fixture::numbered(2), QStringLiteral("another password"));
    fixture::makeSubject(installed(QStringLiteral("NoProps.ito")), QString(), fixture::numbered(2));
    { ado::Connection::CreateDatabase(installed(QStringLiteral("Empty.ito"))); }

    for (const char *name : {"Text.ito", "Locked.ito", "NoProps.ito", "Empty.ito", "Missing.ito"}) {
        SCOPED_TRACE(name);
        const QString result = Validate_Subject(program, QLatin1String(name));
        EXPECT_NE(result, QStringLiteral("VALID"));
        EXPECT_FALSE(result.startsWith(QStringLiteral("WRONG_LANGUAGE")));
        EXPECT_FALSE(result.trimmed().isEmpty());
    }
    EXPECT_TRUE(Validate_Subject(program, QStringLiteral("Missing.ito"))
                    .contains(QStringLiteral("Missing.ito")));
    EXPECT_TRUE(host.boxes.empty());
}

TEST_F(SubjectFileTest, WrongLanguageGetsOnlyAWarning) {
    program.identity.productTitle = QStringLiteral("Tolvanex Italiano");
    Show_Subject_Error(program, QStringLiteral("Spanish.ito"),
                       QStringLiteral("WRONG_LANGUAGE*tvxspa"));
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.lastBox().text, QStringLiteral("Spanish.itoC5 Tolvanex Italiano"));
    EXPECT_EQ(host.lastBox().style, vb::vbOKOnly | vb::vbExclamation);
    EXPECT_EQ(host.lastBox().title, caption(103));
    EXPECT_TRUE(host.openedUrls.isEmpty());
}

TEST_F(SubjectFileTest, OtherFailuresOfferTheSubjectsPageOnYesOnly) {
    const QString expected = QStringLiteral("file is not a database\r\n\r\nBad.itoC6\r\n\r\nC135");
    host.answerNext(vb::vbNo);
    Show_Subject_Error(program, QStringLiteral("Bad.ito"),
                       QStringLiteral("file is not a database"));
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.lastBox().text, expected);
    EXPECT_EQ(vb::ButtonsOf(host.lastBox().style), vb::vbYesNo);
    EXPECT_EQ(host.lastBox().title, caption(103));
    EXPECT_TRUE(host.openedUrls.isEmpty());

    host.connected = true;
    host.answerNext(vb::vbYes);
    Show_Subject_Error(program, QStringLiteral("Bad.ito"),
                       QStringLiteral("file is not a database"));
    EXPECT_EQ(host.openedUrls, QStringList{caption(94) + QStringLiteral("subjects.htm")});
}

TEST_F(SubjectFileTest, FilePatternsSeparateBuildsAndKinds) {
    subject(QStringLiteral("Food.ito"));
    subject(QStringLiteral("Comida.spa"), 3, QStringLiteral("tvxspa"));
    fixture::makeVirtualFolder(installed(QStringLiteral("Food.vito")), {}, {});
    File1.Refresh();
    ASSERT_EQ(File1.ListCount(), 1);
    EXPECT_EQ(File1.List(0), QStringLiteral("Food.ito"));
}

} // namespace
