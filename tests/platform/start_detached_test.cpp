// Starting an activity program: it runs in the folder it is given, in a
// session of its own, and is not left behind as a finished process; what
// cannot be started is told.
#include "platform/start_detached.h"
#include "support/test_env.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

// Our children that have ended and not been waited for.
int finishedChildren() {
    int count = 0;
    const QString self = QString::number(::getpid());
    for (const QString &pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        // pid (name) state ppid ...
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1 && fields[1] == self.toLatin1() && fields[0] == "Z")
            ++count;
    }
    return count;
}

} // namespace

TEST(StartDetached, RunsInItsFolderAndSessionAndLeavesNothingBehind) {
    TestEnv env;
    const QString folder = env.root() + QStringLiteral("work folder/");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString script = QStringLiteral(
        "sid=$(cut -d' ' -f6 /proc/$$/stat); "
        "if [ \"$sid\" = \"$$\" ]; then s=own; else s=shared; fi; "
        "printf '%s\\n%s\\n%s\\n' \"$(pwd)\" \"$s\" \"$1\" > out.tmp && mv out.tmp out.txt");
    ASSERT_TRUE(startDetached::Start(QStringLiteral("/bin/sh"),
                                     {QStringLiteral("-c"), script, QStringLiteral("sh"),
                                      QStringLiteral("~tvx 1 \"quoted\".txt")},
                                     folder));
    const QString out = folder + QStringLiteral("out.txt");
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(out); }, 10000));
    QFile file(out);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    ASSERT_GE(lines.size(), 3);
    EXPECT_EQ(QDir(QString::fromLocal8Bit(lines[0])).canonicalPath(), QDir(folder).canonicalPath());
    EXPECT_EQ(lines[1], QByteArray("own")) << "a Ctrl+C in our terminal does not reach it";
    EXPECT_EQ(lines[2], QByteArray("~tvx 1 \"quoted\".txt")) << "the argument arrives whole";
    EXPECT_TRUE(QTest::qWaitFor([] { return finishedChildren() == 0; }, 10000));
}

TEST(StartDetached, WhatCannotStartIsTold) {
    TestEnv env;
    const QString plain = env.root() + QStringLiteral("not a program");
    QFile file(plain);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("just text\n");
    file.close();
    EXPECT_FALSE(startDetached::Start(plain, {}));
    EXPECT_FALSE(startDetached::Start(env.root() + QStringLiteral("missing"), {}));
    EXPECT_FALSE(startDetached::Start(QStringLiteral("/bin/true"), {},
                                      env.root() + QStringLiteral("no such folder")));
    EXPECT_TRUE(startDetached::Start(QStringLiteral("true"), {})) << "a name is found in PATH";
    EXPECT_TRUE(QTest::qWaitFor([] { return finishedChildren() == 0; }, 10000));
}
