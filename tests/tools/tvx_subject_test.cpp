#include "platform/ado.h"
#include "subject_data/subject_schema.h"
#include "subject_tool.h"
#include "subjects/phrase_recorder.h"
#include "support/test_env.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTextStream>

#include <gtest/gtest.h>

using namespace tvxsubject;

namespace {

// A tiny but well-formed WAVE file whose data carries a label.
QByteArray wave(const QByteArray &label) {
    QByteArray bytes("RIFF");
    bytes += QByteArray(4, '\0');
    bytes += "WAVEfmt ";
    bytes += QByteArray(20, '\1');
    bytes += "data" + label;
    return bytes;
}

QByteArray readAll(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QString toolFailure(const std::function<void()> &f) {
    try {
        f();
    } catch (const ToolError &e) {
        return e.message();
    }
    return {};
}

class SubjectToolTest : public ::testing::Test {
public:
    void SetUp() override {
        tsv = env.root() + QStringLiteral("in/phrases.tsv");
        wavs = env.root() + QStringLiteral("in/wav");
        out = env.root() + QStringLiteral("Saludos_Y_Despedidas.ito");
        writeTsv("n\tphrase\ttranslation\ttranslation2\n"
                 "2\tgrazie\tgracias\tmuchas gracias\n"
                 "1\tciao\thola\t\n"
                 "3\tl'acqua è fredda\tel agua está fría\tagua fría\n");
        for (int n = 1; n <= 3; ++n)
            writeFile(wavs + QStringLiteral("/%1.wav").arg(n),
                      wave("phrase" + QByteArray::number(n)));
    }
    void writeTsv(const QByteArray &text) { writeFile(tsv, text); }
    CreateOptions options() const { return {QStringLiteral("tvxito"), tsv, wavs, out, false}; }
    int run(const QStringList &args) {
        outText.clear();
        errText.clear();
        QTextStream o(&outText);
        QTextStream e(&errText);
        return tvxsubject::Run(args, o, e);
    }

    TestEnv env;
    QString tsv;
    QString wavs;
    QString out;
    QString outText;
    QString errText;
};

TEST_F(SubjectToolTest, CreateRefusesBadInputNamingTheProblemAndWritesNothing) {
    struct Case {
        const char *what;
        std::function<void(SubjectToolTest &, CreateOptions &)> spoil;
        QString expected;
    };
    const QList<Case> cases = {
        {"missing sound",
         [](SubjectToolTest &t, CreateOptions &) { QFile::remove(t.wavs + "/2.wav"); },
         QStringLiteral("phrase 2: sound file")},
        {"not a wave",
         [](SubjectToolTest &t, CreateOptions &) {
             writeFile(t.wavs + "/3.wav", "MP3 bytes here");
         },
         QStringLiteral("phrase 3:")},
        {"duplicate number",
         [](SubjectToolTest &t, CreateOptions &) {
             t.writeTsv(
                 "n\tphrase\ttranslation\ttranslation2\n1\ta\tb\tc\n2\ta\tb\tc\n2\tx\ty\tz\n");
         },
         QStringLiteral("phrase number 2 appears more than once")},
        {"gap",
         [](SubjectToolTest &t, CreateOptions &) {
             t.writeTsv("n\tphrase\ttranslation\ttranslation2\n1\ta\tb\tc\n3\ta\tb\tc\n");
         },
         QStringLiteral("2 is missing")},
        {"star in a text",
         [](SubjectToolTest &t, CreateOptions &) {
             t.writeTsv("n\tphrase\ttranslation\ttranslation2\n1\ta\tb\tc\n2\ta\tb*\tc\n");
         },
         QStringLiteral("phrase 2: the translation")},
        {"line break in a text",
         [](SubjectToolTest &t, CreateOptions &) {
             t.writeTsv("n\tphrase\ttranslation\ttranslation2\n1\ta\tb\rc\td\n");
         },
         QStringLiteral("phrase 1: the translation contains a line break")},
        {"not a number",
         [](SubjectToolTest &t, CreateOptions &) {
             t.writeTsv("n\tphrase\ttranslation\ttranslation2\none\ta\tb\tc\n");
         },
         QStringLiteral("line 2: 'one' is not a phrase number")},
        {"wrong header",
         [](SubjectToolTest &t, CreateOptions &) {
             t.writeTsv("n\tphrase\ttranslation\n1\ta\tb\n");
         },
         QStringLiteral("header")},
        {"unknown code", [](SubjectToolTest &, CreateOptions &o) { o.code = "tvxpor"; },
         QStringLiteral("unknown build code 'tvxpor'")},
        {"code case", [](SubjectToolTest &, CreateOptions &o) { o.code = "TVXITO"; },
         QStringLiteral("unknown build code 'TVXITO'")},
        {"star in the file name",
         [](SubjectToolTest &t, CreateOptions &o) { o.out = t.env.root() + "Sal*udos.ito"; },
         QStringLiteral("'Sal*udos.ito' contains '*'")},
        {"missing phrase list",
         [](SubjectToolTest &t, CreateOptions &o) { o.tsv = t.env.root() + "none.tsv"; },
         QStringLiteral("none.tsv' not found")},
    };
    for (const Case &c : cases) {
        SetUp();
        CreateOptions o = options();
        c.spoil(*this, o);
        const QString message = toolFailure([&] { CreateSubject(o); });
        EXPECT_TRUE(message.contains(c.expected)) << c.what << ": " << message.toStdString();
        EXPECT_FALSE(QFileInfo::exists(o.out)) << c.what;
        EXPECT_TRUE(QDir(env.root()).entryList({"*.part"}, QDir::Files).isEmpty()) << c.what;
    }
}

TEST_F(SubjectToolTest, CreateKeepsAnExistingFileUnlessForced) {
    writeFile(out, "an older subject");
    const QString message = toolFailure([&] { CreateSubject(options()); });
    EXPECT_TRUE(message.contains(QLatin1String("exists already"))) << message.toStdString();
    EXPECT_EQ(readAll(out), QByteArray("an older subject"));

    EXPECT_EQ(run({"create", "--code", "tvxito", "--tsv", tsv, "--wav", wavs, "--out", out}), 1);
    EXPECT_TRUE(errText.contains(QLatin1String("exists already")));
    EXPECT_EQ(
        run({"create", "--code", "tvxito", "--tsv", tsv, "--wav", wavs, "--out", out, "--force"}),
        0)
        << errText.toStdString();
    EXPECT_TRUE(CheckSubject(out, "tvxito").isEmpty());
}

TEST_F(SubjectToolTest, CreateCheckListExportRoundTrip) {
    CreateSubject(options());
    EXPECT_EQ(CheckSubject(out), QStringList());
    EXPECT_EQ(CheckSubject(out, "tvxito"), QStringList());
    const QStringList wrong = CheckSubject(out, "tvxspa");
    ASSERT_EQ(wrong.size(), 1);
    EXPECT_TRUE(wrong[0].contains(QLatin1String("'tvxito', not 'tvxspa'")));

    // The file is what the program reads: code, phrases in number order, sounds.
    ado::Connection cn;
    cn.Open(ado::ConnectionString(out, subjects::SubjectPassword()));
    ado::Recordset rs;
    rs.Open("SELECT * FROM tblPhrases", cn);
    EXPECT_EQ(rs.RecordCount(), 3);
    rs.Open("SELECT * FROM tblPhrases WHERE pkPhraseNo = 3", cn);
    EXPECT_EQ(rs.Fields("tPhrase").Text(), QStringLiteral("l'acqua è fredda"));
    EXPECT_EQ(rs.Fields("bsound").GetChunk(-1), wave("phrase3"));
    rs.Close();
    cn.Close();

    const QString listing = ListSubject(out);
    EXPECT_TRUE(listing.startsWith(QLatin1String("code\ttvxito\n")));
    EXPECT_TRUE(
        listing.contains(QStringLiteral("1\tciao\thola\t\t%1 bytes\n").arg(wave("phrase1").size())))
        << listing.toStdString();

    const QString folder = env.root() + QStringLiteral("export");
    ExportSubject(out, folder);
    EXPECT_EQ(QString::fromUtf8(readAll(folder + "/phrases.tsv")),
              QStringLiteral("n\tphrase\ttranslation\ttranslation2\n"
                             "1\tciao\thola\t\n"
                             "2\tgrazie\tgracias\tmuchas gracias\n"
                             "3\tl'acqua è fredda\tel agua está fría\tagua fría\n"));
    for (int n = 1; n <= 3; ++n)
        EXPECT_EQ(readAll(folder + QStringLiteral("/%1.wav").arg(n)),
                  wave("phrase" + QByteArray::number(n)));

    // What export writes, create takes back unchanged.
    const QString again = env.root() + QStringLiteral("again.ito");
    CreateSubject({"tvxito", folder + "/phrases.tsv", folder, again, false});
    EXPECT_EQ(ListSubject(again), listing);

    EXPECT_EQ(run({"check", again, "--code", "tvxito"}), 0) << errText.toStdString();
    EXPECT_EQ(run({"list", again}), 0);
    EXPECT_EQ(outText, listing);
}

TEST_F(SubjectToolTest, CheckReportsEveryProblemOfAHandMadeFile) {
    const QString file = env.root() + QStringLiteral("Bad.ito");
    subjects::CreateSubjectFile(file, QStringLiteral("tvxspa"));
    subjects::AddPhrase(file, 1, "uno", "one", "", wave("1"));
    subjects::AddPhrase(file, 2, "dos*", "two", "", QByteArray());
    subjects::AddPhrase(file, 4, "cuatro", "four", "", QByteArray("ID3 an mp3"));
    const QStringList problems = CheckSubject(file, "tvxito");
    const QString all = problems.join('\n');
    EXPECT_TRUE(all.contains(QLatin1String("'tvxspa', not 'tvxito'"))) << all.toStdString();
    EXPECT_TRUE(all.contains(QLatin1String("found 4 where 3 was expected"))) << all.toStdString();
    EXPECT_TRUE(all.contains(QLatin1String("phrase 2: the phrase"))) << all.toStdString();
    EXPECT_TRUE(all.contains(QLatin1String("phrase 2 has no sound"))) << all.toStdString();
    EXPECT_TRUE(all.contains(QLatin1String("phrase 4: the sound is not"))) << all.toStdString();
    EXPECT_EQ(problems.size(), 5);
    EXPECT_EQ(run({"check", file}), 1);

    const QString junk = env.root() + QStringLiteral("Junk.ito");
    writeFile(junk, QByteArray("not a database at all, just some text").repeated(30));
    const QStringList junkProblems = CheckSubject(junk);
    ASSERT_EQ(junkProblems.size(), 1);
    EXPECT_TRUE(junkProblems[0].contains(QLatin1String("not a database file")));

    const QString empty = env.root() + QStringLiteral("NoProps.ito");
    subjects::CreateSubjectFile(empty, "tvxito");
    {
        ado::Connection cn;
        cn.Open(ado::ConnectionString(empty, subjects::SubjectPassword()));
        cn.Execute("DELETE FROM tblProperties");
    }
    EXPECT_TRUE(CheckSubject(empty).join(' ').contains(QLatin1String("tblProperties has no row")));
}

TEST_F(SubjectToolTest, CommandLineRejectsUnknownCommandsAndOptions) {
    EXPECT_EQ(run({}), 1);
    EXPECT_TRUE(errText.contains(QLatin1String("usage")));
    EXPECT_EQ(run({"frobnicate"}), 1);
    EXPECT_EQ(run({"create", "--code", "tvxito", "--tsv", tsv, "--wav", wavs}), 1);
    EXPECT_TRUE(errText.contains(QLatin1String("--out is missing"))) << errText.toStdString();
    EXPECT_EQ(run({"list", out, "--color", "red"}), 1);
    EXPECT_TRUE(errText.contains(QLatin1String("unknown option '--color'")));
    EXPECT_EQ(run({"list"}), 1);
    EXPECT_EQ(run({"check", out, "--code", "tvxxxx"}), 1);
    EXPECT_TRUE(errText.contains(QLatin1String("unknown build code")));
    EXPECT_EQ(run({"list", env.root() + "none.ito"}), 1);
    EXPECT_TRUE(errText.contains(QLatin1String("File not found"))) << errText.toStdString();
}

// ---------------------------------------------------------------------------

class DemoTest : public ::testing::Test {
protected:
    void SetUp() override {
        content = env.root() + QStringLiteral("content");
        program = env.root() + QStringLiteral("program");
        cache = env.root() + QStringLiteral("cache");
        writeFile(content + "/template/captions.tsv", "number\tEnglish\tSpanish\n"
                                                      "9\tSomething\tAlgo\n"
                                                      "10\tSubjects\tTemas\n"
                                                      "11\tMy Subjects\tMis Temas\n");
        writeFile(content + "/subjects/topics.tsv",
                  "id\tEnglish\tSpanish\n"
                  "01_greetings\tGreetings_And_Farewells\tSaludos_Y_Despedidas\n"
                  "02_food\tFood\tComida\n");
        const QByteArray header =
            "n\tEnglish\tEnglish2\tSpanish\tSpanish2\tFrench\tGerman\tItalian\n";
        writeFile(content + "/subjects/01_greetings.tsv",
                  header + "1\tHello\tHi\tHola\tBuenas\tBonjour\tHallo\tCiao\n"
                           "2\tThank you\tThanks\tGracias\tMil gracias\tMerci\tDanke\tGrazie\n");
        writeFile(content + "/subjects/02_food.tsv",
                  header + "1\tBread\tA loaf\tPan\tUna barra\tPain\tBrot\tPane\n");
        writeFile(content + "/subjects/virtual.tsv",
                  "folder_English\tfolder_Spanish\tsubject_English\tsubject_Spanish\ttopic\tn\n"
                  "Starter\tInicio\tPolite words\tPalabras amables\t01_greetings\t2\n"
                  "Starter\tInicio\tPolite words\tPalabras amables\t02_food\t1\n"
                  "Starter\tInicio\tFirst words\tPrimeras palabras\t01_greetings\t1\n");
    }

    DemoOptions options(const QString &code) {
        DemoOptions o;
        o.code = code;
        o.content = content;
        o.out = program;
        o.wavCache = cache;
        o.record = [this](const QString &voice, const QString &text) {
            recordings << voice + ":" + text;
            return wave((voice + ":" + text).toUtf8());
        };
        return o;
    }

    TestEnv env;
    QString content;
    QString program;
    QString cache;
    QStringList recordings;
};

TEST_F(DemoTest, BuildsTheSubjectsAndTheVirtualFolderOfABuild) {
    const DemoReport report = BuildDemo(options("tvxito"));
    const QString subject = program + "/Temas/Saludos_Y_Despedidas.ito";
    EXPECT_EQ(report.subjectFiles, (QStringList{subject, program + "/Temas/Comida.ito"}));
    EXPECT_EQ(report.virtualFiles, QStringList{program + "/Mis Temas/Inicio.vito"});
    EXPECT_EQ(recordings, (QStringList{"it:Ciao", "it:Grazie", "it:Pane"}));
    EXPECT_TRUE(CheckSubject(subject, "tvxito").isEmpty());

    // Italian phrase, Spanish translations, Italian recording.
    ado::Connection cn;
    cn.Open(ado::ConnectionString(subject, subjects::SubjectPassword()));
    ado::Recordset rs;
    rs.Open("SELECT * FROM tblPhrases WHERE pkPhraseNo = 2", cn);
    EXPECT_EQ(rs.Fields("tPhrase").Text(), QStringLiteral("Grazie"));
    EXPECT_EQ(rs.Fields("tTranslation").Text(), QStringLiteral("Gracias"));
    EXPECT_EQ(rs.Fields("tTranslation2").Text(), QStringLiteral("Mil gracias"));
    EXPECT_EQ(rs.Fields("bsound").GetChunk(-1), wave("it:Grazie"));
    rs.Close();
    cn.Close();

    cn.Open(ado::ConnectionString(report.virtualFiles[0], subjects::SubjectPassword()));
    rs.Open("SELECT * FROM tblParents ORDER BY nParent", cn);
    ASSERT_EQ(rs.RecordCount(), 2);
    EXPECT_EQ(rs.Fields(1).Text(), QStringLiteral("Palabras amables"));
    const int polite = rs.Fields(0).Value().toInt();
    rs.Open(QStringLiteral("SELECT * FROM tblPhrases where fkParent =") + QString::number(polite),
            cn);
    ASSERT_EQ(rs.RecordCount(), 2);
    EXPECT_EQ(rs.Fields("tfilename").Text(), QStringLiteral("Saludos_Y_Despedidas.ito"));
    EXPECT_EQ(rs.Fields("nPhraseNo").Value().toInt(), 2);
    EXPECT_EQ(rs.Fields("tPhrase").Text(), QStringLiteral("Grazie"));
    EXPECT_EQ(rs.Fields("tTranslation2").Text(), QStringLiteral("Mil gracias"));
    rs.MoveNext();
    EXPECT_EQ(rs.Fields("tfilename").Text(), QStringLiteral("Comida.ito"));
    EXPECT_EQ(rs.Fields("nPhraseNo").Value().toInt(), 1);
    EXPECT_EQ(rs.Fields("tTranslation").Text(), QStringLiteral("Pan"));
}

TEST_F(DemoTest, EnglishLearnersGetEnglishNamesAndTranslations) {
    BuildDemo(options("tvxspa"));
    const QString subject = program + "/Subjects/Greetings_And_Farewells.spa";
    EXPECT_TRUE(CheckSubject(subject, "tvxspa").isEmpty());
    EXPECT_TRUE(QFileInfo::exists(program + "/My Subjects/Starter.vspa"));
    ado::Connection cn;
    cn.Open(ado::ConnectionString(subject, subjects::SubjectPassword()));
    ado::Recordset rs;
    rs.Open("SELECT * FROM tblPhrases WHERE pkPhraseNo = 1", cn);
    EXPECT_EQ(rs.Fields("tPhrase").Text(), QStringLiteral("Hola"));
    EXPECT_EQ(rs.Fields("tTranslation").Text(), QStringLiteral("Hello"));
    EXPECT_EQ(rs.Fields("tTranslation2").Text(), QStringLiteral("Hi"));
    EXPECT_EQ(rs.Fields("bsound").GetChunk(-1), wave("es:Hola"));
}

TEST_F(DemoTest, RecordingsComeFromTheCacheUntilTheirTextChanges) {
    BuildDemo(options("tvxito"));
    recordings.clear();
    DemoReport report = BuildDemo(options("tvxito"));
    EXPECT_TRUE(recordings.isEmpty());
    EXPECT_EQ(report.fromCache, 3);

    // Another build learning Italian shares the recordings.
    BuildDemo(options("tvxita"));
    EXPECT_TRUE(recordings.isEmpty());

    writeFile(content + "/subjects/02_food.tsv",
              "n\tEnglish\tEnglish2\tSpanish\tSpanish2\tFrench\tGerman\tItalian\n"
              "1\tBread\tA loaf\tPan\tUna barra\tPain\tBrot\tIl pane\n");
    report = BuildDemo(options("tvxito"));
    EXPECT_EQ(recordings, QStringList{"it:Il pane"});
    EXPECT_EQ(report.recorded, 1);

    // Recordings are kept by voice and text: the old text's is still there.
    writeFile(content + "/subjects/02_food.tsv",
              "n\tEnglish\tEnglish2\tSpanish\tSpanish2\tFrench\tGerman\tItalian\n"
              "1\tBread\tA loaf\tPan\tUna barra\tPain\tBrot\tPane\n");
    recordings.clear();
    report = BuildDemo(options("tvxito"));
    EXPECT_TRUE(recordings.isEmpty());
    EXPECT_EQ(report.fromCache, 3);
}

TEST_F(DemoTest, DroppedTopicsDisappearFromTheProgramFolder) {
    BuildDemo(options("tvxito"));
    writeFile(program + "/Temas/Other_Build.spa", "kept: another build's file");
    writeFile(content + "/subjects/topics.tsv",
              "id\tEnglish\tSpanish\n01_greetings\tGreetings\tSaludos\n");
    writeFile(content + "/subjects/virtual.tsv",
              "folder_English\tfolder_Spanish\tsubject_English\tsubject_Spanish\ttopic\tn\n");
    BuildDemo(options("tvxito"));
    EXPECT_EQ(QDir(program + "/Temas").entryList(QDir::Files),
              (QStringList{"Other_Build.spa", "Saludos.ito"}));
    EXPECT_TRUE(QDir(program + "/Mis Temas").entryList(QDir::Files).isEmpty());
}

TEST_F(DemoTest, BrokenContentIsReportedWithItsPlace) {
    writeFile(content + "/subjects/virtual.tsv",
              "folder_English\tfolder_Spanish\tsubject_English\tsubject_Spanish\ttopic\tn\n"
              "Starter\tInicio\tPolite\tAmables\t02_food\t7\n");
    QString message = toolFailure([&] { BuildDemo(options("tvxito")); });
    EXPECT_TRUE(
        message.contains(QLatin1String("virtual.tsv line 2: topic '02_food' has no phrase 7")))
        << message.toStdString();

    writeFile(content + "/subjects/02_food.tsv",
              "n\tEnglish\tEnglish2\tSpanish\tSpanish2\tFrench\tGerman\tItalian\n"
              "1\tBread\tA loaf\tPan\tUna*barra\tPain\tBrot\tPane\n");
    message = toolFailure([&] { BuildDemo(options("tvxito")); });
    EXPECT_TRUE(message.contains(QLatin1String("02_food.tsv: phrase 1: the translation2")))
        << message.toStdString();

    QFile::remove(content + "/template/captions.tsv");
    message = toolFailure([&] { BuildDemo(options("tvxito")); });
    EXPECT_TRUE(message.contains(QLatin1String("captions.tsv' not found")))
        << message.toStdString();

    EXPECT_TRUE(toolFailure([&] {
                    BuildDemo(options("tvxxyz"));
                }).contains(QLatin1String("unknown build code")));
}

TEST(Espeak, RecordsARealWaveInTheTargetVoice) {
    if (QStandardPaths::findExecutable(QStringLiteral("espeak-ng")).isEmpty())
        GTEST_SKIP() << "espeak-ng is not installed";
    subjects::PhraseRecorder recorder(VoiceFor(QStringLiteral("Italian")), {});
    const QByteArray bytes = recorder.record({QStringLiteral("-uno, due, tre")}).value(0);
    EXPECT_TRUE(IsWave(bytes));
    EXPECT_GT(bytes.size(), 1000);
    EXPECT_TRUE(toolFailure([] { VoiceFor(QStringLiteral("Klingon")); }).contains("Klingon"));
}

} // namespace
