// tvx-voice compare: one line a teacher or a script can read, from the same
// measure as the comparison window.
#include "subjects/voice_compare.h"
#include "support/test_env.h"
#include "voice_tool.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTextStream>

#include <gtest/gtest.h>

namespace {

struct ToolRun {
    int status;
    QString out;
    QString err;
};

ToolRun runTool(const QStringList &arguments) {
    QString out, err;
    QTextStream outStream(&out), errStream(&err);
    const int status = tvxvoice::Run(arguments, outStream, errStream);
    outStream.flush();
    errStream.flush();
    return {status, out, err};
}

TEST(VoiceToolTest, PrintsTheFigureAndItsBandOrWhyThereIsNone) {
    if (QStandardPaths::findExecutable(QStringLiteral("espeak-ng")).isEmpty())
        GTEST_SKIP() << "espeak-ng is not installed";
    TestEnv env;
    const auto say = [&](const QString &voiceName, const QString &name) {
        const QString path = env.root() + name;
        QProcess espeak;
        espeak.start(QStringLiteral("espeak-ng"),
                     {QStringLiteral("-v"), voiceName, QStringLiteral("-w"), path,
                      QStringLiteral("buongiorno, come stai")});
        EXPECT_TRUE(espeak.waitForFinished(60000));
        return path;
    };
    const QString model = say(QStringLiteral("it"), QStringLiteral("model.wav"));
    const QString take = say(QStringLiteral("it+f2"), QStringLiteral("take.wav"));

    const ToolRun same = runTool({QStringLiteral("compare"), model, take});
    EXPECT_EQ(same.status, 0) << same.err.toStdString();
    EXPECT_TRUE(same.out.contains(QRegularExpression(QStringLiteral("^\\d+ (very close|close)\\n$"))))
        << same.out.toStdString();

    voice::Wave quiet;
    quiet.rate = 22050;
    quiet.samples.assign(22050 * 2, 0.0f);
    const QString silence = env.root() + QStringLiteral("silence.wav");
    QFile file(silence);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(voice::Write_Wave(quiet));
    file.close();
    const ToolRun nothing = runTool({QStringLiteral("compare"), model, silence});
    EXPECT_EQ(nothing.status, 3);
    EXPECT_EQ(nothing.out, QStringLiteral("nothing was heard\n"));

    const QString text = env.root() + QStringLiteral("notes.wav");
    QFile notes(text);
    ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
    notes.write("not a sound at all");
    notes.close();
    const ToolRun unreadable = runTool({QStringLiteral("compare"), model, text});
    EXPECT_EQ(unreadable.status, 1);
    EXPECT_TRUE(unreadable.err.contains(QStringLiteral("notes.wav"))) << unreadable.err.toStdString();
    EXPECT_TRUE(unreadable.out.isEmpty());

    EXPECT_EQ(runTool({QStringLiteral("compare"), model}).status, 2);
}

} // namespace
