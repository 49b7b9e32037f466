// The score row waits for a student database that another program is
// writing, and a database that cannot take it is reported, not hidden.
#include "common/score_writer.h"
#include "frame/mod_main.h"
#include "platform/ado.h"
#include "study_fixture.h"

#include <QFile>

#include <gtest/gtest.h>

#include <thread>

using activity::ActivityTexts;
using fixture::StudyFolder;

TEST(ScoreWriter, WaitsForADatabaseAnotherProgramIsWriting) {
    StudyFolder study;
    const activity::StudyFile file = study.load(study.write(fixture::numbered(1)));
    const activity::ScoreRow row =
        activity::MakeScoreRow(file, QStringLiteral("Tarjetas"), 50, QString(),
                               QDateTime(QDate(2025, 1, 31), QTime(9, 5, 7)));

    // The shell (or another activity) holds the write lock for a moment.
    ado::Connection other;
    other.Open(modMain::Get_Template_Connection_String(file.databasePath));
    other.Execute(QStringLiteral("BEGIN IMMEDIATE"));
    std::thread release([&other] {
        std::this_thread::sleep_for(std::chrono::milliseconds(700));
        other.Execute(QStringLiteral("COMMIT"));
    });
    QString reason;
    const activity::WriteResult written =
        activity::WriteScore(file.databasePath, row, ActivityTexts("Spanish"), &reason);
    release.join();
    ASSERT_EQ(written, activity::WriteResult::Written) << reason.toStdString();
    const QVector<QVariantList> rows = study.scores();
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0][5].toLongLong(), 20250131);
    EXPECT_EQ(rows[0][6].toLongLong(), 9 * 3600 + 5 * 60 + 7);

    // The same row again (a kept score added by a program that ended before
    // it could forget it) is not added twice.
    EXPECT_EQ(activity::WriteScore(file.databasePath, row, ActivityTexts("Spanish"), &reason),
              activity::WriteResult::Written);
    EXPECT_EQ(study.scores().size(), 1);

    // Held for the whole wait: told apart from other failures.
    other.Execute(QStringLiteral("BEGIN IMMEDIATE"));
    EXPECT_EQ(activity::WriteScore(file.databasePath, row, ActivityTexts("Spanish"), &reason, 20),
              activity::WriteResult::Locked);
    other.Execute(QStringLiteral("ROLLBACK"));

    // A database removed meanwhile: a sentence for the learner, no file made.
    QFile::remove(file.databasePath);
    EXPECT_EQ(activity::WriteScore(file.databasePath, row, ActivityTexts("Spanish"), &reason),
              activity::WriteResult::Failed);
    EXPECT_TRUE(reason.startsWith(QStringLiteral("La base de datos de alumnos")))
        << reason.toStdString();
    EXPECT_FALSE(QFile::exists(file.databasePath));
}
