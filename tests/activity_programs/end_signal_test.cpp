// The real activity programs, started as the shell starts them, end at once
// on the signals of a logout, kill or Ctrl+C, as closing their window does:
// exit code 0 and no score for a game not finished.
#include "study_fixture.h"
#include "support/program_process.h"

#include <QDir>

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>

TEST(ActivityEnd, TermIntAndHupEndAGameInProgressWithoutAScore) {
    for (const char *name : {"FlashCards", "ListeningQuiz", "Speaking"}) {
        for (const int signalNumber : {SIGTERM, SIGINT, SIGHUP}) {
            SCOPED_TRACE(std::string(name) + " " + strsignal(signalNumber));
            fixture::StudyFolder study;
            const QString studyFile = study.write(fixture::numbered(4));
            const QString home = study.env.root() + QStringLiteral("session");
            QDir().mkpath(home + QStringLiteral("/runtime"));

            QProcess game;
            fixture::StartProgram(game,
                                  TestEnv::builtProgramFolder() + QStringLiteral("Activities/") +
                                      QLatin1String(name),
                                  {studyFile}, study.folder(), home);
            ASSERT_TRUE(game.waitForStarted(30000)) << game.errorString().toStdString();
            ASSERT_EQ(::kill(pid_t(game.processId()), signalNumber), 0);

            const fixture::Ending ending = fixture::WaitForEnd(game, 30000);
            EXPECT_TRUE(ending.ended) << "still running after the signal";
            EXPECT_TRUE(ending.normalExit) << "ended by the signal itself, not by the game";
            EXPECT_EQ(ending.exitCode, 0) << game.readAllStandardError().toStdString();
            EXPECT_TRUE(study.scores().isEmpty());
        }
    }
}
