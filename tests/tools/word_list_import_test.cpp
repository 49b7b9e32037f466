#include "platform/ado.h"
#include "platform/sound.h"
#include "subject_data/subject_schema.h"
#include "subject_tool.h"
#include "subjects/frm_import.h"
#include "subjects/subject_fixture.h"
#include "subjects/word_list.h"
#include "support/crafted_waves.h"
#include "support/fake_espeak.h"
#include "support/test_env.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QProcess>
#include <QSignalSpy>
#include <QTextStream>

#include <gtest/gtest.h>

#include <set>
#include <tuple>

#include <zip.h>

using namespace tvxsubject;
using subjects::WordListProblemKind;

namespace {

QString dataFile(const char *name) {
    return QStringLiteral(TVX_SOURCE_DIR "/tests/data/word_lists/") + QLatin1String(name);
}

struct Row {
    QString phrase, translation, translation2;
    qint64 soundBytes = 0;
    bool operator==(const Row &) const = default;
};

// The subject's rows in phrase number order, with the size of each recording.
QVector<Row> subjectRows(const QString &path) {
    ado::Connection cn;
    cn.Open(ado::ConnectionString(path, subjects::SubjectPassword()));
    ado::Recordset rs;
    rs.Open(QStringLiteral("SELECT * FROM tblPhrases ORDER BY pkPhraseNo"), cn);
    QVector<Row> rows;
    for (; !rs.EOF_(); rs.MoveNext())
        rows << Row{rs.Fields("tPhrase").Text(), rs.Fields("tTranslation").Text(),
                    rs.Fields("tTranslation2").Text(), rs.Fields("bsound").ActualSize()};
    return rows;
}

void PrintTo(const Row &r, std::ostream *os) {
    *os << r.phrase.toStdString() << " | " << r.translation.toStdString() << " | "
        << r.translation2.toStdString();
}

class WordListImportTest : public ::testing::Test {
public:
    ImportOptions options(const char *list) const {
        ImportOptions o;
        o.list = dataFile(list);
        o.code = QStringLiteral("tvxito");
        o.out = env.root() + QStringLiteral("Importado.ito");
        o.wavCache = env.root() + QStringLiteral("cache");
        return o;
    }
    // The texts, with every phrase given a real recording.
    QVector<Row> importedTexts(const ImportOptions &o) {
        EXPECT_TRUE(CheckSubject(o.out, o.code).isEmpty())
            << CheckSubject(o.out).join("\n").toStdString();
        QVector<Row> rows = subjectRows(o.out);
        for (Row &row : rows) {
            EXPECT_GT(row.soundBytes, 1000) << row.phrase.toStdString();
            row.soundBytes = 0;
        }
        return rows;
    }
    TestEnv env;
};

} // namespace

TEST_F(WordListImportTest, SpreadsheetCsvWithBomAndSemicolonsBecomesASpokenSubject) {
    const ImportOptions o = options("spreadsheet_semicolons_bom.csv");
    QVector<int> progress;
    ImportOptions watched = o;
    watched.progress = [&](int done, int total) {
        EXPECT_EQ(total, 3);
        progress << done;
    };
    const ImportReport report = ImportWordList(watched);
    EXPECT_EQ(report.phrases, 3);
    EXPECT_EQ(report.recorded, 3);
    EXPECT_TRUE(report.problems.isEmpty());
    EXPECT_EQ(progress.last(), 3);
    EXPECT_EQ(importedTexts(o), (QVector<Row>{{"ciao", "hola", ""},
                                              {"grazie", "gracias", "muchas gracias; de verdad"},
                                              {"l'acqua è \"fredda\"", "el agua está fría", ""}}));

    // Such a spreadsheet may name its separator on a first line.
    const subjects::WordList named =
        subjects::ParseWordList("sep=,\r\nFrase,Traducci\xC3\xB3n\r\ns\xC3\xAD; no,yes\r\n");
    ASSERT_EQ(named.rows.size(), 1);
    EXPECT_EQ(named.rows[0].phrase, QStringLiteral("sí; no"));
    EXPECT_EQ(named.rows[0].line, 3);

    // Importing again reads every recording from the cache.
    ImportOptions again = o;
    again.force = true;
    const ImportReport second = ImportWordList(again);
    EXPECT_EQ(second.recorded, 0);
    EXPECT_EQ(second.fromCache, 3);
}

TEST_F(WordListImportTest, FlashCardExportWithHtmlBecomesPlainText) {
    const ImportOptions o = options("flashcards_export.txt");
    ImportWordList(o);
    EXPECT_EQ(importedTexts(o), (QVector<Row>{{"buongiorno", "buenos días", ""},
                                              {"il caffè", "el café", "la bebida"},
                                              {"per favore", "por \"favor\"", ""}}));
}

TEST_F(WordListImportTest, Windows1252FileWithoutHeaderKeepsItsAccents) {
    const ImportOptions o = options("windows1252.csv");
    EXPECT_EQ(subjects::ReadWordList(o.list).encoding, QStringLiteral("Windows-1252"));
    ImportWordList(o);
    EXPECT_EQ(importedTexts(o), (QVector<Row>{{"perché", "por qué", ""},
                                              {"città", "ciudad", ""},
                                              {"cinque euro", "cinco €", ""}}));
}

TEST_F(WordListImportTest, BrokenFileNamesEveryLineAndWritesNothingUnlessToldToGoOn) {
    const subjects::WordList list = subjects::ReadWordList(dataFile("broken.csv"));
    std::set<std::pair<int, WordListProblemKind>> found;
    for (const subjects::WordListProblem &p : list.problems)
        found.insert({p.line, p.kind});
    EXPECT_EQ(found, (std::set<std::pair<int, WordListProblemKind>>{
                         {3, WordListProblemKind::Star},
                         {4, WordListProblemKind::EmptyPhrase},
                         {5, WordListProblemKind::DuplicatePhrase},
                         {6, WordListProblemKind::LineBreak},
                         {9, WordListProblemKind::UnclosedQuote}}));

    ImportOptions o = options("broken.csv");
    QString failure;
    try {
        ImportWordList(o);
    } catch (const ToolError &e) {
        failure = e.message();
    }
    for (const char *line : {"line 3:", "line 4:", "line 5:", "line 6:", "line 9:"})
        EXPECT_TRUE(failure.contains(QLatin1String(line))) << failure.toStdString();
    EXPECT_EQ(QDir(env.root()).entryList({"*.ito*"}, QDir::Files), QStringList());

    o.keepGoing = true;
    o.record = [](const QString &, const QString &text) {
        return QByteArray("RIFF\0\0\0\0WAVEfmt data", 20) + text.toUtf8();
    };
    const ImportReport report = ImportWordList(o);
    EXPECT_EQ(report.problems.size(), 5);
    EXPECT_EQ(subjectRows(o.out), (QVector<Row>{{"uno", "uno", "", 23}, {"sei", "seis", "", 23}}));
}

TEST_F(WordListImportTest, ExportedListImportsAgainFromTheCommandLineWithChosenColumns) {
    const ImportOptions o = options("flashcards_export.txt");
    ImportWordList(o);
    const QString csv = env.root() + QStringLiteral("list.csv");
    QString outText, errText;
    QTextStream out(&outText), err(&errText);
    ASSERT_EQ(tvxsubject::Run({"export-list", o.out, "--out", csv}, out, err), 0)
        << errText.toStdString();

    // Translation and phrase swapped: a subject for the other direction.
    const QString swapped = env.root() + QStringLiteral("Swapped.ito");
    ASSERT_EQ(
        tvxsubject::Run({"import", csv, "--code", "tvxito", "--out", swapped, "--phrase-column",
                         "2", "--translation-column", "1", "--wav-cache", o.wavCache},
                        out, err),
        0)
        << errText.toStdString();
    EXPECT_TRUE(errText.contains(QLatin1String("] 3/3"))) << errText.toStdString();
    QVector<Row> rows = subjectRows(swapped);
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[2].phrase, QStringLiteral("por \"favor\""));
    EXPECT_EQ(rows[2].translation, QStringLiteral("per favore"));
    EXPECT_EQ(rows[1].translation2, QStringLiteral("la bebida"));
}

TEST_F(WordListImportTest, CtrlCStopsTheToolWithCode130AndLeavesNoOutputFile) {
    fixture::FakeEspeak espeak(env.root() + QStringLiteral("espeak"));
    const QString list = env.root() + QStringLiteral("Lunga.csv");
    writeFile(list, fixture::QuickThenStallingList(12, 40));
    const QString out = env.root() + QStringLiteral("Lunga.ito");

    QProcess tool;
    // As from a terminal: Ctrl+C takes its default action unless the tool
    // handles it.
    tool.setChildProcessModifier([] {
        std::signal(SIGINT, SIG_DFL);
        sigset_t interrupt;
        sigemptyset(&interrupt);
        sigaddset(&interrupt, SIGINT);
        sigprocmask(SIG_UNBLOCK, &interrupt, nullptr);
    });
    QFileSystemWatcher watcher({espeak.Stalled()});
    QEventLoop loop;
    QObject::connect(&watcher, &QFileSystemWatcher::directoryChanged, &loop, &QEventLoop::quit);
    QObject::connect(&tool, &QProcess::finished, &loop, &QEventLoop::quit);
    tool.start(QStringLiteral(TVX_BINARY_DIR "/tools/tvx-subject/tvx-subject"),
               {QStringLiteral("import"), list, QStringLiteral("--code"), QStringLiteral("tvxito"),
                QStringLiteral("--out"), out, QStringLiteral("--wav-cache"),
                env.root() + QStringLiteral("cache")});
    ASSERT_TRUE(tool.waitForStarted());
    // Midway: some phrases recorded, espeak-ng busy with the next.
    while (espeak.StalledCount() == 0 && tool.state() == QProcess::Running)
        loop.exec();
    ASSERT_EQ(tool.state(), QProcess::Running) << tool.readAllStandardError().toStdString();

    ::kill(static_cast<pid_t>(tool.processId()), SIGINT);
    ASSERT_TRUE(tool.waitForFinished(60000));
    const QString err = QString::fromUtf8(tool.readAllStandardError());
    EXPECT_EQ(tool.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(tool.exitCode(), 130) << err.toStdString();
    EXPECT_TRUE(err.contains(QStringLiteral("tvx-subject import: cancelled"))) << err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(out));
    EXPECT_FALSE(QFileInfo::exists(out + QStringLiteral(".part")));
    EXPECT_TRUE(espeak.StillRunning().isEmpty()) << "no espeak-ng process is left";
}

namespace {

// The program's import window and the tool, both with their default cache.
class SharedRecordingCacheTest : public SubjectTestBase {
protected:
    SharedRecordingCacheTest() : m_oldCacheHome(qgetenv("XDG_CACHE_HOME")) {
        qputenv("XDG_CACHE_HOME", (env.root() + QStringLiteral("user-cache")).toLocal8Bit());
    }
    ~SharedRecordingCacheTest() override { qputenv("XDG_CACHE_HOME", m_oldCacheHome); }

    // Imports list through the window; true when the subject was written
    // without any message.
    bool importInWindow(const QString &list) {
        frmImport import(program);
        host.answerNextOpen(list);
        import.btnChoose_Click();
        QSignalSpy ended(&import, &frmImport::importEnded);
        if (!import.btnImport_Click() || !ended.wait(60000))
            return false;
        return ended.at(0).at(0).toBool() && host.boxes.empty();
    }
    // Imports list with the tool's command line; its standard output.
    QString importWithTool(const QString &list) {
        QString outText, errText;
        QTextStream out(&outText), err(&errText);
        const int code = tvxsubject::Run({"import", list, "--code", "tvxito", "--out",
                                          env.root() + QFileInfo(list).completeBaseName() + ".ito"},
                                         out, err);
        EXPECT_EQ(code, 0) << errText.toStdString();
        return outText;
    }

private:
    QByteArray m_oldCacheHome;
};

// An espeak-ng that fails, first on PATH while the object lives: only
// recordings from the cache get through.
class BrokenEspeak {
public:
    explicit BrokenEspeak(const QString &folder) : m_oldPath(qgetenv("PATH")) {
        writeFile(folder + QStringLiteral("/espeak-ng"), "#!/bin/sh\nexit 1\n");
        QFile::setPermissions(folder + QStringLiteral("/espeak-ng"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("PATH", folder.toLocal8Bit() + ':' + m_oldPath);
    }
    ~BrokenEspeak() { qputenv("PATH", m_oldPath); }

private:
    QByteArray m_oldPath;
};

} // namespace

TEST_F(SharedRecordingCacheTest, APhraseRecordedByTheWindowOrTheToolIsNotRecordedByTheOther) {
    const QString windowFirst = env.root() + QStringLiteral("Saluti.csv");
    writeFile(windowFirst, "phrase,translation\nciao,hola\ngrazie,gracias\n");
    const QString toolFirst = env.root() + QStringLiteral("Cibo.csv");
    writeFile(toolFirst, "phrase,translation\npane,pan\nacqua,agua\n");
    {
        fixture::FakeEspeak espeak(env.root() + QStringLiteral("espeak"));
        ASSERT_TRUE(importInWindow(windowFirst));
        EXPECT_TRUE(importWithTool(toolFirst).contains(QLatin1String("(2 recorded, 0 from")));
    }
    BrokenEspeak broken(env.root() + QStringLiteral("broken"));
    EXPECT_TRUE(importWithTool(windowFirst).contains(QLatin1String("(0 recorded, 2 from")));
    EXPECT_TRUE(importInWindow(toolFirst)) << host.lastBox().text.toStdString();
}

// ---------------------------------------------------------------------------
// Files as the programs teachers use write them.

namespace {

class WordListFileTest : public ::testing::Test {
protected:
    QString file(const QString &name, const QByteArray &bytes) const {
        const QString path = env.root() + name;
        writeFile(path, bytes);
        return path;
    }
    ImportOptions options(const QString &list) const {
        ImportOptions o;
        o.list = list;
        o.code = QStringLiteral("tvxito");
        o.out = env.root() + QStringLiteral("Importato.ito");
        o.record = [](const QString &, const QString &) { return fixture::CraftedWave({}); };
        return o;
    }
    // The rows of the subject the import wrote, without their recordings.
    QVector<Row> imported(const ImportOptions &o) const {
        QVector<Row> rows = subjectRows(o.out);
        for (Row &row : rows)
            row.soundBytes = 0;
        return rows;
    }
    // The import's failure; empty when it succeeded.
    static QString failure(const ImportOptions &o) {
        try {
            ImportWordList(o);
        } catch (const ToolError &e) {
            return e.message();
        }
        return {};
    }
    TestEnv env;
};

} // namespace

TEST_F(WordListFileTest, EveryNamedAndNumericEntityOfAFlashCardExportIsDecoded) {
    const ImportOptions o =
        options(file("Parole.txt", "#separator:tab\n#html:true\n"
                                   "perch&eacute;? pi&ugrave; per&ograve;\tpor qu&eacute;\n"
                                   "l&rsquo;&ecirc;tre &hellip;\tel ser\n"
                                   "cinque &euro; &#232; &#x20AC;\tcinco &amp; &lt;b&gt;\n"
                                   "&ugrave;&ograve;&ecirc;&euro;&NotEqualTilde;&#233;&#x1F600;"
                                   "\t&frac12; &Eacute;&eacute; &nosuch; &#0;\n"));
    ImportWordList(o);
    EXPECT_EQ(imported(o), (QVector<Row>{{"perché? più però", "por qué", ""},
                                         {"l’être …", "el ser", ""},
                                         {"cinque € è €", "cinco & <b>", ""},
                                         // HTML5's names beyond HTML 4's, one of two characters.
                                         {QStringLiteral("ùòê€\u2242\u0338é\U0001F600"),
                                          QStringLiteral("½ Éé &nosuch; &#0;"), ""}}));
}

TEST_F(WordListFileTest, AnExportsTagsGuidDeckAndNotetypeColumnsAreNeverTexts) {
    const QString list = file("Mazzi.txt", "#separator:tab\n#html:true\n#guid column:1\n"
                                           "#notetype column:2\n#deck column:3\n#tags column:6\n"
                                           "Xy9$kL2pQa\tBasic\tItaliano::Saluti\tciao\thola\t"
                                           "saluti informale\n"
                                           "Rt5#mN8wEb\tBasic\tItaliano::Cibo\tpane\tpan\tcibo\n");
    ImportOptions o = options(list);
    const ImportReport report = ImportWordList(o);
    EXPECT_EQ(report.decks, (QStringList{"Italiano::Saluti", "Italiano::Cibo"}));
    EXPECT_EQ(imported(o), (QVector<Row>{{"ciao", "hola", ""}, {"pane", "pan", ""}}));

    QString outText, errText;
    QTextStream out(&outText), err(&errText);
    ASSERT_EQ(
        tvxsubject::Run({"import", list, "--code", "tvxito", "--out", o.out, "--force", "--deck",
                         "Italiano::Cibo", "--wav-cache", env.root() + QStringLiteral("cache")},
                        out, err),
        0)
        << errText.toStdString();
    EXPECT_EQ(imported(o), (QVector<Row>{{"pane", "pan", ""}}));
}

TEST_F(WordListFileTest, HeadersNamingTheTermOrTheLanguagesChooseTheColumns) {
    ImportOptions o = options(file("Vocabolario.txt", "Term\tDefinition\nciao\thola\n"));
    ImportWordList(o);
    EXPECT_EQ(imported(o), (QVector<Row>{{"ciao", "hola", ""}}));

    o = options(file("Lingue.csv", "Italiano;Español\nciao;hola\n"));
    o.force = true;
    ImportWordList(o);
    EXPECT_EQ(imported(o), (QVector<Row>{{"ciao", "hola", ""}}));

    // The column in the language being learned is the phrase, wherever it is.
    o = options(file("Languages.csv", "Spanish,Italian,Notes\nhola,ciao,informal\n"));
    o.force = true;
    ImportWordList(o);
    EXPECT_EQ(imported(o), (QVector<Row>{{"ciao", "hola", "informal"}}));
}

TEST_F(WordListFileTest, UnicodeTextOfASpreadsheetIsReadInBothByteOrders) {
    const QString text =
        QStringLiteral("Frase\tTraducción\r\nperché\tpor qué\r\ncittà\tciudad\r\n");
    QByteArray littleEndian("\xFF\xFE");
    QByteArray bigEndian; // without a byte order mark
    for (const QChar c : text) {
        littleEndian += char(c.unicode() & 0xFF);
        littleEndian += char(c.unicode() >> 8);
        bigEndian += char(c.unicode() >> 8);
        bigEndian += char(c.unicode() & 0xFF);
    }
    for (const auto &[name, bytes, encoding] :
         {std::tuple{"Unicode.txt", littleEndian, "UTF-16LE"},
          std::tuple{"UnicodeBE.txt", bigEndian, "UTF-16BE"}}) {
        const ImportOptions o = options(file(name, bytes));
        EXPECT_EQ(subjects::ReadWordList(o.list).encoding, QLatin1String(encoding));
        ImportOptions again = o;
        again.force = true;
        ImportWordList(again);
        EXPECT_EQ(imported(o), (QVector<Row>{{"perché", "por qué", ""}, {"città", "ciudad", ""}}))
            << name;
        EXPECT_TRUE(CheckSubject(o.out, o.code).isEmpty())
            << CheckSubject(o.out).join("\n").toStdString();
    }
}

TEST_F(WordListFileTest, CheckRefusesControlCharactersAndRecordingsTooShortOrSilent) {
    QVector<PhraseRow> rows(3);
    rows[0] = {1, QStringLiteral("ciao\x01"), QStringLiteral("hola"), {}, fixture::CraftedWave({})};
    rows[1] = {2,
               QStringLiteral("grazie"),
               QStringLiteral("gracias"),
               {},
               fixture::CraftedWave({.frames = 112})}; // 7 ms
    rows[2] = {3,
               QStringLiteral("prego"),
               QStringLiteral("de nada"),
               {},
               MonoWave16(std::vector<qint16>(22050, 0), 22050)};
    const QString subject = env.root() + QStringLiteral("Rotto.ito");
    WriteSubject(subject, QStringLiteral("tvxito"), rows, false);
    const QStringList problems = CheckSubject(subject, "tvxito");
    EXPECT_EQ(problems,
              (QStringList{"phrase 1: the phrase \"ciao\\x01\" contains a control character, "
                           "which is not allowed",
                           "phrase 2: the sound lasts 7 ms; a recording shorter than 100 ms "
                           "holds no phrase",
                           "phrase 3: the sound is silent; it holds no speech"}));
    QString outText, errText;
    QTextStream out(&outText), err(&errText);
    EXPECT_EQ(tvxsubject::Run({"check", subject}, out, err), 1);
    EXPECT_FALSE(outText.contains(QLatin1String("OK")));
}

TEST_F(WordListFileTest, AHashRowAmongTheDataIsListedAsLeftOut) {
    ImportOptions o = options(file("Hash.csv", "# my list\nphrase,translation\nciao,hola\n"
                                               "#hashtag,almohadilla\ngrazie,gracias\n"));
    EXPECT_TRUE(failure(o).contains(QLatin1String("line 4: the row \"#hashtag,almohadilla\"")))
        << failure(o).toStdString();
    EXPECT_FALSE(QFileInfo::exists(o.out));
    o.keepGoing = true;
    const ImportReport report = ImportWordList(o);
    EXPECT_EQ(report.problems.size(), 1);
    EXPECT_EQ(imported(o), (QVector<Row>{{"ciao", "hola", ""}, {"grazie", "gracias", ""}}));
}

TEST_F(WordListFileTest, AFileOfAnotherKindIsRefusedWithItsKindNamed) {
    const auto zip = [this](const char *name, const char *entry) {
        const QString path = env.root() + QLatin1String(name);
        int error = 0;
        zip_t *archive = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE, &error);
        static const char text[] = "ciao,hola\n";
        zip_file_add(archive, entry, zip_source_buffer(archive, text, sizeof text - 1, 0), 0);
        zip_close(archive);
        return path;
    };
    const std::pair<QString, const char *> files[] = {
        {file("Lista.xml", "<?xml version=\"1.0\"?>\n<list><w>ciao,hola</w>\n<w>a,b</w></list>\n"),
         "this is an XML file"},
        {zip("Lista.zip", "lista.csv"), "this is a zip archive"},
        {zip("Lista.xlsx", "xl/workbook.xml"), "this is an Excel workbook (.xlsx)"},
        {file("Lista.xls", QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) +
                               QByteArray(512, '\0') + "ciao,hola\n"),
         "this is an older Office file (.xls or .doc)"}};
    for (const auto &[path, kind] : files)
        for (const bool keepGoing : {false, true}) {
            ImportOptions o = options(path);
            o.keepGoing = keepGoing;
            const QString message = failure(o);
            EXPECT_TRUE(message.contains(QLatin1String(kind))) << message.toStdString();
            EXPECT_TRUE(message.contains(QLatin1String("save it as CSV"))) << message.toStdString();
            EXPECT_FALSE(QFileInfo::exists(o.out)) << path.toStdString();
        }
}

TEST_F(WordListFileTest, ANameDifferingOnlyInLetterCaseIsRefused) {
    const QString list = file("Saluti.csv", "ciao,hola\n");
    ImportOptions first = options(list);
    first.out = env.root() + QStringLiteral("Saluti.ito");
    ImportWordList(first);
    for (const bool force : {false, true}) {
        ImportOptions second = options(list);
        second.out = env.root() + QStringLiteral("saluti.ito");
        second.force = force;
        EXPECT_TRUE(failure(second).contains(QLatin1String("differs only in letter case")))
            << failure(second).toStdString();
        EXPECT_FALSE(QFileInfo::exists(second.out));
    }
}

TEST_F(WordListFileTest, AnUnwritableOutputFolderIsFoundBeforeAnythingIsRecorded) {
    ImportOptions o = options(file("Saluti.csv", "ciao,hola\n"));
    // A file stands where the folder should be.
    writeFile(env.root() + QStringLiteral("blocked"), "not a folder");
    o.out = env.root() + QStringLiteral("blocked/Saluti.ito");
    int recorded = 0;
    o.record = [&recorded](const QString &, const QString &) {
        ++recorded;
        return fixture::CraftedWave({});
    };
    EXPECT_TRUE(failure(o).contains(QLatin1String("cannot write into the folder")))
        << failure(o).toStdString();
    EXPECT_EQ(recorded, 0);
}
