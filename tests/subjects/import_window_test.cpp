// Importing a word list from the main window: the administrator's command,
// the file chosen through the host's open dialog, the preview, the recording.
#include "platform/sound.h"
#include "shell/frm_main.h"
#include "subjects/deck_sound.h"
#include "subjects/frm_import.h"
#include "subjects/subject_fixture.h"
#include "support/deck_files.h"
#include "support/fake_espeak.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileSystemWatcher>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

namespace {

QString dataFile(const char *name) {
    return QStringLiteral(TVX_SOURCE_DIR "/tests/data/word_lists/") + QLatin1String(name);
}

class ImportWindowTest : public SubjectTestBase {
protected:
    void SetUp() override {
        subject(QStringLiteral("Food.ito"), 2);
        main = std::make_unique<frmMain>(program);
        main->File1.SetPattern(File1.Pattern());
        main->File1.SetPath(File1.Path());
        main->File2.SetPattern(File2.Pattern());
        main->File2.SetPath(File2.Path());
        main->subjectTree().Create_Folders();
        main->subjectTree().Get_Subjects();
        main->subjectTree().Get_vSubjects();
    }
    void TearDown() override {
        main->mnuOption->hide();
        main.reset();
    }
    int node(const QString &text) {
        for (int i = 1; i <= main->TreeFolders.Count(); ++i)
            if (main->TreeFolders.Text(i) == text)
                return i;
        return 0;
    }
    QString cache() const { return env.root() + QStringLiteral("cache"); }
    // Presses Import and waits for the import's end: true when it wrote
    // the subject.
    static bool importAndWait(frmImport &import) {
        QSignalSpy ended(&import, &frmImport::importEnded);
        if (!import.btnImport_Click())
            return false;
        if (!ended.wait(60000))
            return false;
        return ended.at(0).at(0).toBool();
    }

    std::unique_ptr<frmMain> main;
};

} // namespace

TEST_F(ImportWindowTest, AdministratorImportsASpreadsheetAndTheSubjectAppearsInTheTree) {
    main->Show_For_Student(false);
    EXPECT_FALSE(main->btnImportWordList->isVisible());
    main->Show_For_Student(true);
    ASSERT_TRUE(main->btnImportWordList->isVisible());
    ASSERT_TRUE(main->btnImportWordList->isEnabled());

    host.answerNextOpen(dataFile("spreadsheet_semicolons_bom.csv"));
    int progressShown = 0;
    host.onNextModal([&](QWidget &window) {
        auto &import = dynamic_cast<frmImport &>(window);
        import.setRecordingCache(cache());
        EXPECT_FALSE(import.btnImport->isEnabled());
        QTest::keyClick(import.btnChoose, Qt::Key_Space);
        ASSERT_EQ(import.tblPreview->rowCount(), 3);
        EXPECT_EQ(import.tblPreview->horizontalHeaderItem(2)->text(), caption(247));
        EXPECT_EQ(import.tblPreview->item(1, 0)->text(), QStringLiteral("grazie"));
        EXPECT_EQ(import.tblPreview->item(1, 2)->text(),
                  QStringLiteral("muchas gracias; de verdad"));
        EXPECT_EQ(import.txtName->text(), QStringLiteral("spreadsheet_semicolons_bom"));
        import.txtName->setFocus();
        import.txtName->selectAll();
        QTest::keyClicks(import.txtName, QStringLiteral("Saludos"));
        QSignalSpy ended(&import, &frmImport::importEnded);
        QTest::keyClick(import.txtName, Qt::Key_Return);
        ASSERT_TRUE(ended.wait(60000));
        EXPECT_EQ(ended.at(0).at(0), true);
        progressShown = import.barRecording->value();
    });
    QTest::mouseClick(main->btnImportWordList, Qt::LeftButton);

    ASSERT_EQ(host.openDialogs.size(), 1u);
    EXPECT_TRUE(host.openDialogs[0].filter.contains(QLatin1String("*.csv")));
    EXPECT_EQ(progressShown, 3);
    const int saludos = node(QStringLiteral("Saludos"));
    ASSERT_GT(saludos, 0);
    // Selected and opened on its phrases.
    EXPECT_EQ(main->TreeFolders.Selected(), saludos);
    EXPECT_TRUE(main->TreeFolders.Expanded(saludos));
    // Phrases show in the learner's language.
    EXPECT_EQ(main->TreeFolders.Text(main->TreeFolders.Child(saludos)), QStringLiteral("hola"));
    EXPECT_GT(node(QStringLiteral("Food")), 0);
    EXPECT_TRUE(QFileInfo::exists(installed(QStringLiteral("Saludos.ito"))));
    EXPECT_FALSE(program.bSubjectsChanged);
}

TEST_F(ImportWindowTest, ABrokenListShowsItsLinesAndImportsOnlyWhenToldToLeaveThemOut) {
    frmImport import(program);
    import.setRecordingCache(cache());
    host.answerNextOpen(dataFile("broken.csv"));
    import.btnChoose_Click();
    EXPECT_EQ(import.lstProblems->count(), 5);
    EXPECT_EQ(import.lstProblems->item(0)->text(),
              import.Describe_Problem({9, subjects::WordListProblemKind::UnclosedQuote, {}, 0}));
    EXPECT_EQ(import.tblPreview->rowCount(), 2);
    EXPECT_FALSE(import.btnImport->isEnabled());

    import.chkLeaveOut->setChecked(true);
    import.txtName->setText(QStringLiteral("Food"));
    ASSERT_TRUE(import.btnImport->isEnabled());
    // A subject of that name exists: the user is told and nothing is replaced.
    EXPECT_FALSE(import.btnImport_Click());
    EXPECT_EQ(host.lastBox().text, caption(caption::ImportedSubjectExists));

    import.txtName->setText(QStringLiteral("Numeri"));
    EXPECT_TRUE(importAndWait(import));
    EXPECT_EQ(import.importedFile(), installed(QStringLiteral("Numeri.ito")));
    ado::Connection cn;
    cn.Open(ado::ConnectionString(import.importedFile(), subjects::SubjectPassword()));
    ado::Recordset rs;
    rs.Open(QStringLiteral("SELECT * FROM tblPhrases ORDER BY pkPhraseNo"), cn);
    QStringList phrases;
    for (; !rs.EOF_(); rs.MoveNext()) {
        phrases << rs.Fields("tPhrase").Text();
        EXPECT_TRUE(rs.Fields("bsound").GetChunk(4) == "RIFF");
    }
    EXPECT_EQ(phrases, (QStringList{QStringLiteral("uno"), QStringLiteral("sei")}));
}

TEST_F(ImportWindowTest, CancelStopsTheRecordingMidwayLeavesNoSubjectAndTheWindowGoesOn) {
    fixture::FakeEspeak espeak(env.root() + QStringLiteral("espeak"));
    const QString list = env.root() + QStringLiteral("Lunga.csv");
    writeFile(list, fixture::QuickThenStallingList(12, 40));
    frmImport import(program);
    import.setRecordingCache(cache());
    import.show();
    host.answerNextOpen(list);
    import.btnChoose_Click();
    ASSERT_TRUE(import.btnImport->isEnabled());

    // Once the recording reaches the phrases that take long, the user presses
    // Cancel: the window answers while espeak-ng works.
    QFileSystemWatcher watcher({espeak.Stalled()});
    int doneWhenCancelled = -1;
    bool cancelUsable = false;
    QObject::connect(&watcher, &QFileSystemWatcher::directoryChanged, [&] {
        if (doneWhenCancelled >= 0 || espeak.StalledCount() == 0)
            return;
        doneWhenCancelled = import.barRecording->value();
        cancelUsable = import.btnCancel->isEnabled() && import.isVisible();
        if (!cancelUsable) {
            espeak.Release(); // nothing can stop it: let it end
            return;
        }
        QTest::mouseClick(import.btnCancel, Qt::LeftButton);
    });
    EXPECT_FALSE(importAndWait(import));

    EXPECT_TRUE(cancelUsable);
    EXPECT_GT(doneWhenCancelled, 0);
    EXPECT_LT(doneWhenCancelled, 52) << "stopped midway";
    EXPECT_TRUE(espeak.StillRunning().isEmpty()) << "no espeak-ng process is left";
    EXPECT_TRUE(host.boxes.empty()) << host.lastBox().text.toStdString();
    EXPECT_EQ(QDir(QFileInfo(installed(QStringLiteral("Food.ito"))).path()).entryList(QDir::Files),
              QStringList{QStringLiteral("Food.ito")})
        << "no subject file, nor a part of one";
    // The window is as before Import, and stays.
    EXPECT_TRUE(import.isVisible());
    EXPECT_TRUE(import.btnImport->isEnabled());
    EXPECT_TRUE(import.btnChoose->isEnabled());
    EXPECT_TRUE(import.txtName->isEnabled());
    EXPECT_EQ(import.barRecording->value(), 0);
    EXPECT_FALSE(import.barRecording->isTextVisible());

    // Imported again, the phrases recorded before come from the cache.
    espeak.Release();
    EXPECT_TRUE(importAndWait(import));
    EXPECT_TRUE(QFileInfo::exists(installed(QStringLiteral("Lunga.ito"))));
    EXPECT_FALSE(import.isVisible()) << "a written subject closes the window";
}

TEST_F(ImportWindowTest, TheWindowsEventsGoOnWhileEspeakRecords) {
    fixture::FakeEspeak espeak(env.root() + QStringLiteral("espeak"));
    const QString list = env.root() + QStringLiteral("Lenta.csv");
    writeFile(list, fixture::QuickThenStallingList(3, 4));
    frmImport import(program);
    import.setRecordingCache(cache());
    import.show();
    host.answerNextOpen(list);
    import.btnChoose_Click();

    // A timer of the window's thread ticks on while espeak-ng is stalled;
    // after some ticks it lets espeak-ng finish.
    int ticksWhileImporting = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        if (!import.isImporting())
            return;
        if (++ticksWhileImporting == 10)
            espeak.Release();
    });
    ticker.start(5);
    QSignalSpy ended(&import, &frmImport::importEnded);
    ASSERT_TRUE(import.btnImport_Click());
    EXPECT_TRUE(import.isImporting()) << "the click returns while the import goes on";
    ASSERT_TRUE(ended.wait(60000));
    EXPECT_EQ(ended.at(0).at(0), true);
    EXPECT_GE(ticksWhileImporting, 10);
    EXPECT_GT(espeak.StalledCount(), 0) << "espeak-ng was busy while the timer ticked";
    EXPECT_EQ(import.barRecording->value(), 7);
    EXPECT_TRUE(QFileInfo::exists(installed(QStringLiteral("Lenta.ito"))));
}

TEST_F(ImportWindowTest, APackageOfSeveralDecksOffersTheDeckAndKeepsItsOwnRecordings) {
    const fixture::Tone pane{fixture::Encoding::Mp3, 44100, 1, 0.5, 300, 0.2};
    fixture::Package p;
    p.notes = {{{"ciao", "hola"}, "Saluti"},
               {{"pane [sound:pane.mp3]", "pan"}, "Cibo"},
               {{"vino", "vino"}, "Cibo"}};
    p.media = {{"pane.mp3", fixture::EncodedTone(pane)}};
    const QString file = env.root() + QStringLiteral("Mazzo.apkg");
    fixture::WritePackage(file, p);

    fixture::FakeEspeak espeak(env.root() + QStringLiteral("espeak"));
    frmImport import(program);
    import.setRecordingCache(cache());
    host.answerNextOpen(file);
    import.btnChoose_Click();
    ASSERT_FALSE(import.cboDeck->isHidden());
    EXPECT_EQ(import.cboDeck->count(), 3);
    EXPECT_EQ(import.tblPreview->rowCount(), 3);
    // Only the notes of one deck, numbered as the package's notes.
    import.cboDeck->setFocus();
    QTest::keyClick(import.cboDeck, Qt::Key_End);
    EXPECT_EQ(import.cboDeck->currentText(), QStringLiteral("Cibo"));
    EXPECT_EQ(import.txtName->text(), QStringLiteral("Cibo"));
    ASSERT_EQ(import.tblPreview->rowCount(), 2);
    EXPECT_EQ(import.tblPreview->item(0, 0)->text(), QStringLiteral("pane"));
    EXPECT_EQ(import.tblPreview->verticalHeaderItem(0)->text(), QStringLiteral("2"));
    ASSERT_TRUE(importAndWait(import));
    EXPECT_TRUE(host.boxes.empty()) << host.lastBox().text.toStdString();

    ado::Connection cn;
    cn.Open(
        ado::ConnectionString(installed(QStringLiteral("Cibo.ito")), subjects::SubjectPassword()));
    ado::Recordset rs;
    rs.Open(QStringLiteral("SELECT * FROM tblPhrases ORDER BY pkPhraseNo"), cn);
    ASSERT_FALSE(rs.EOF_());
    const std::optional<WaveLayout> own = PlayableWaveLayout(rs.Fields("bsound").GetChunk(-1));
    ASSERT_TRUE(own.has_value());
    EXPECT_EQ(own->rate, subjects::kSubjectWaveRate);
    EXPECT_EQ(own->frames, qsizetype(pane.seconds * subjects::kSubjectWaveRate + 0.5));
    rs.MoveNext();
    EXPECT_EQ(rs.Fields("tPhrase").Text(), QStringLiteral("vino"));
    // espeak-ng's: the fake one's tone.
    EXPECT_EQ(rs.Fields("bsound").GetChunk(-1), fixture::CraftedWave({}));
}

TEST_F(ImportWindowTest, ColumnsAreChosenAndSwappedAsOnTheCommandLine) {
    const QString list = env.root() + QStringLiteral("Parole.csv");
    writeFile(list, "# from my spreadsheet\nphrase,translation,notes\n\nciao,hola,informal\n"
                    "grazie,gracias,\n");
    frmImport import(program);
    host.answerNextOpen(list);
    import.btnChoose_Click();
    EXPECT_EQ(import.spnPhraseColumn->value(), 1);
    EXPECT_EQ(import.spnTranslationColumn->value(), 2);
    EXPECT_EQ(import.spnTranslation2Column->value(), 3);
    // The file's own line numbers, as the problems name them.
    ASSERT_EQ(import.tblPreview->rowCount(), 2);
    EXPECT_EQ(import.tblPreview->verticalHeaderItem(0)->text(), QStringLiteral("4"));
    EXPECT_EQ(import.tblPreview->verticalHeaderItem(1)->text(), QStringLiteral("5"));

    QTest::mouseClick(import.btnSwapColumns, Qt::LeftButton);
    EXPECT_EQ(import.spnPhraseColumn->value(), 2);
    EXPECT_EQ(import.spnTranslationColumn->value(), 1);
    EXPECT_EQ(import.tblPreview->item(0, 0)->text(), QStringLiteral("hola"));
    EXPECT_EQ(import.tblPreview->item(0, 1)->text(), QStringLiteral("ciao"));

    import.spnTranslation2Column->setFocus();
    QTest::keyClick(import.spnTranslation2Column, Qt::Key_Down);
    EXPECT_EQ(import.tblPreview->item(0, 2)->text(), QStringLiteral("hola"));
}

TEST_F(ImportWindowTest, ANameDifferingOnlyInCaseOrAnUnwritableFolderStopsBeforeRecording) {
    fixture::FakeEspeak espeak(env.root() + QStringLiteral("espeak"));
    frmImport import(program);
    import.setRecordingCache(cache());
    host.answerNextOpen(dataFile("spreadsheet_semicolons_bom.csv"));
    import.btnChoose_Click();
    import.txtName->setText(QStringLiteral("FOOD"));
    EXPECT_FALSE(import.btnImport_Click());
    EXPECT_EQ(host.lastBox().text, caption(caption::ImportedSubjectExists));
    EXPECT_FALSE(import.isImporting());

    // A folder that cannot be written: a file stands where it should be.
    writeFile(env.root() + QStringLiteral("blocked"), "not a folder");
    program.folders.installedSubjectsFolder = env.root() + QStringLiteral("blocked/Subjects/");
    import.txtName->setText(QStringLiteral("Saluti"));
    EXPECT_FALSE(import.btnImport_Click());
    EXPECT_EQ(host.lastBox().text, caption(caption::ImportNotWritten));
    EXPECT_FALSE(import.isImporting());
    EXPECT_FALSE(QDir(cache()).exists()) << "nothing was recorded";
}
