// The weekly update check runs at most once in 7 days and only when online.
#include "frame/program.h"
#include "frame/update_check.h"
#include "platform/registry.h"
#include "support/fake_host.h"
#include "support/test_env.h"

#include <gtest/gtest.h>

namespace {

class UpdateScheduleTest : public ::testing::Test {
protected:
    UpdateScheduleTest() : program(host, env.settings()) {
        program.identity = Identity::ForCode(QStringLiteral("tvxito"));
    }

    bool run(bool answer = false) {
        return updateCheck::Run_Scheduled_Check(program, [&] {
            ++checks;
            return answer;
        });
    }
    void setStored(const QString &text) {
        modRegistry::Save_String_Value(QStringLiteral("HKEY_CURRENT_USER"), program.registryKey(),
                                       QStringLiteral("DateChecked"), text);
    }
    QString stored() {
        return modRegistry::Get_String_Value(QStringLiteral("HKEY_CURRENT_USER"),
                                             program.registryKey(), QStringLiteral("DateChecked"));
    }

    TestEnv env;
    FakeHost host;
    Program program;
    int checks = 0;
};

TEST_F(UpdateScheduleTest, FirstStartRecordsNowAndDoesNotCheck) {
    host.connected = true;
    EXPECT_FALSE(run());
    EXPECT_EQ(checks, 0);
    EXPECT_EQ(updateCheck::Read_Date_Checked(program), host.clock);
}

TEST_F(UpdateScheduleTest, SixDaysIsTooEarly) {
    host.connected = true;
    updateCheck::Save_Date_Checked(program, host.clock.addDays(-6));
    const QString before = stored();
    EXPECT_FALSE(run());
    EXPECT_EQ(checks, 0);
    EXPECT_EQ(stored(), before);
}

TEST_F(UpdateScheduleTest, ExactlySevenDaysOnlineChecksAndRecordsNow) {
    host.connected = true;
    updateCheck::Save_Date_Checked(program, host.clock.addDays(-7));
    EXPECT_TRUE(run(true));
    EXPECT_EQ(checks, 1);
    EXPECT_EQ(updateCheck::Read_Date_Checked(program), host.clock);
}

TEST_F(UpdateScheduleTest, OfflineLeavesTheDateForTheNextStart) {
    updateCheck::Save_Date_Checked(program, host.clock.addDays(-30));
    const QString before = stored();
    EXPECT_FALSE(run());
    EXPECT_EQ(checks, 0);
    EXPECT_EQ(stored(), before);
    host.connected = true;
    EXPECT_FALSE(run());
    EXPECT_EQ(checks, 1);
}

TEST_F(UpdateScheduleTest, UnreadableDateCountsAsMissing) {
    host.connected = true;
    setStored(QStringLiteral("the thirty-second of Brumaire"));
    EXPECT_FALSE(run());
    EXPECT_EQ(checks, 0);
    EXPECT_EQ(updateCheck::Read_Date_Checked(program), host.clock);
}

} // namespace
