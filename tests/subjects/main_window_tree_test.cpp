// The subject tree in the main window: real clicks on the tree widget.
#include "platform/tree_view_widget.h"
#include "shell/frm_main.h"
#include "subjects/frm_voice.h"
#include "subjects/phrase_sound.h"
#include "subjects/subject_fixture.h"
#include "subjects/voice_compare.h"
#include "subjects/voice_module.h"
#include "support/crafted_waves.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

class MainWindowTreeTest : public SubjectTestBase {
protected:
    void SetUp() override {
        program.identity.productTitle = QStringLiteral("Tolvanex Italiano");
        subject(QStringLiteral("Food.ito"), 4);
        subject(QStringLiteral("Comida.ito"), 2, QStringLiteral("tvxspa"));
        fixture::makeVirtualFolder(virtualFolder(QStringLiteral("Mine.vito")),
                                   {QStringLiteral("Verbs"), QStringLiteral("Empty")},
                                   {{1, QStringLiteral("Food.ito"), 2, QStringLiteral("p"),
                                     QStringLiteral("two"), QStringLiteral("u")}});
        main = std::make_unique<frmMain>(program);
        main->File1.SetPattern(File1.Pattern());
        main->File1.SetPath(File1.Path());
        main->File2.SetPattern(File2.Pattern());
        main->File2.SetPath(File2.Path());
        main->subjectTree().Create_Folders();
        main->subjectTree().Get_Subjects();
        main->subjectTree().Get_vSubjects();
        main->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(main.get()));
    }
    void TearDown() override {
        main->mnuOption->hide();
        main.reset();
    }

    TreeView &nodes() { return main->TreeFolders; }
    int node(const QString &text) {
        for (int i = 1; i <= nodes().Count(); ++i)
            if (nodes().Text(i) == text)
                return i;
        return 0;
    }
    void press(int index, Qt::MouseButton button = Qt::LeftButton) {
        const QRect rect = main->TreeFoldersView->NodeRect(index);
        ASSERT_FALSE(rect.isEmpty()) << "node " << index << " is not shown";
        QTest::mouseClick(main->TreeFoldersView->viewport(), button, Qt::NoModifier, rect.center());
    }
    // The user opens a branch (its plus sign).
    void open(int index) { nodes().SetExpanded(index, true); }
    QString shownText(int index) {
        return main->TreeFoldersView->ModelIndexOf(index).data().toString();
    }

    std::unique_ptr<frmMain> main;
};

TEST_F(MainWindowTreeTest, ClickingAnInstalledSubjectShowsItsPhrases) {
    press(1);
    EXPECT_TRUE(nodes().Expanded(1));
    EXPECT_EQ(nodes().Image(1), 2);
    const int food = node(QStringLiteral("Food"));
    press(food);
    EXPECT_EQ(nodes().Selected(), food);
    ASSERT_EQ(nodes().Children(food), 4);
    EXPECT_EQ(shownText(nodes().Child(food)), QStringLiteral("Fot1"));
    EXPECT_EQ(main->TreeFoldersView->model()->rowCount(main->TreeFoldersView->ModelIndexOf(food)),
              4);
    // The subject opens on its phrases, so the user sees them at once.
    EXPECT_TRUE(nodes().Expanded(food));
    EXPECT_TRUE(main->TreeFoldersView->isExpanded(main->TreeFoldersView->ModelIndexOf(food)));
    // The pictures of ImageList2 reach the widget.
    EXPECT_EQ(main->ImageList2->Count(), 11);
    EXPECT_FALSE(main->TreeFoldersView->ModelIndexOf(nodes().Child(food))
                     .data(Qt::DecorationRole)
                     .value<QIcon>()
                     .isNull());
    EXPECT_TRUE(main->isEnabled());

    // Folder pictures follow the branch closing too.
    press(1);
    EXPECT_FALSE(nodes().Expanded(1));
    EXPECT_EQ(nodes().Image(1), 1);
    EXPECT_TRUE(host.boxes.empty()) << host.boxTexts().join(QStringLiteral(" | ")).toStdString();
}

// The window disables itself while a subject's phrases load; the keyboard
// focus comes back to the tree, so the arrows go on at once.
TEST_F(MainWindowTreeTest, TheTreeKeepsTheFocusWhileASubjectLoads) {
    main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main.get()));
    press(1);
    const int food = node(QStringLiteral("Food"));
    press(food);
    ASSERT_EQ(nodes().Children(food), 4);
    EXPECT_EQ(QApplication::focusWidget(), static_cast<QWidget *>(main->TreeFoldersView));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    EXPECT_EQ(nodes().Selected(), nodes().Child(food));
}

TEST_F(MainWindowTreeTest, RandomFoldersDrawAndEmptyOnEachClick) {
    host.rndValues = {0.9};
    press(2);
    ASSERT_EQ(nodes().Children(2), 1);
    EXPECT_EQ(shownText(nodes().Child(2)), QStringLiteral(" Food"));
    EXPECT_EQ(nodes().Image(2), 2);
    press(2);
    EXPECT_EQ(nodes().Children(2), 0);
    EXPECT_EQ(main->TreeFoldersView->model()->rowCount(main->TreeFoldersView->ModelIndexOf(2)), 0);
    EXPECT_EQ(nodes().Image(2), 1);

    press(3);
    const int random = nodes().Child(3);
    ASSERT_NE(random, 0);
    EXPECT_EQ(shownText(random), caption(118));
    EXPECT_EQ(nodes().Children(random), 10);
    EXPECT_TRUE(nodes().Expanded(random)) << "the drawn phrases are shown at once";
    EXPECT_TRUE(main->isEnabled());
    press(3);
    EXPECT_EQ(nodes().Children(3), 0);
}

TEST_F(MainWindowTreeTest, VirtualSubjectsPlaceholdersAndForeignPhrases) {
    const int mine = node(QStringLiteral("Mine"));
    press(mine);
    const int verbs = node(QStringLiteral("Verbs"));
    press(verbs);
    ASSERT_EQ(nodes().Children(verbs), 1);
    EXPECT_EQ(nodes().Image(nodes().Child(verbs)), 10);
    EXPECT_EQ(nodes().Image(mine), 4);

    const int empty = node(QStringLiteral("Empty"));
    press(empty);
    open(empty);
    const int placeholder = nodes().Child(empty);
    ASSERT_NE(placeholder, 0);
    EXPECT_EQ(shownText(placeholder), caption(127));
    press(placeholder);
    EXPECT_EQ(nodes().Selected(), empty);

    // A phrase of a subject made for another build.
    press(1);
    const int comida = node(QStringLiteral("Comida"));
    press(comida);
    open(comida);
    press(nodes().Child(comida));
    ASSERT_EQ(host.boxes.size(), 1u) << host.boxTexts().join(QStringLiteral(" | ")).toStdString();
    EXPECT_EQ(host.lastBox().text, QStringLiteral("Comida.itoC5 Tolvanex Italiano"));
    EXPECT_EQ(nodes().Selected(), comida);
}

TEST_F(MainWindowTreeTest, PhraseMenuForEveryPhraseEditingOnlyForInstalledOnes) {
    press(1);
    const int food = node(QStringLiteral("Food"));
    press(food);
    open(food);
    const int phrase = nodes().Child(food);
    press(phrase);
    // The menu follows the selected node, wherever the right click lands.
    press(1, Qt::RightButton);
    EXPECT_EQ(nodes().Selected(), phrase);
    EXPECT_TRUE(main->mnuOption->isVisible());
    main->mnuOption->hide();

    EXPECT_TRUE(main->mnuEdit->isEnabled());

    press(food);
    press(phrase, Qt::RightButton);
    EXPECT_FALSE(main->mnuOption->isVisible()) << "a subject is selected";

    press(node(QStringLiteral("Mine")));
    const int verbs = node(QStringLiteral("Verbs"));
    press(verbs);
    open(verbs);
    press(nodes().Child(verbs));
    press(verbs, Qt::RightButton);
    EXPECT_TRUE(main->mnuOption->isVisible()) << "a virtual phrase can be heard";
    EXPECT_FALSE(main->mnuEdit->isEnabled()) << "a virtual phrase is corrected at its source";
    main->mnuOption->hide();

    press(3);
    open(nodes().Child(3));
    press(nodes().Child(nodes().Child(3)));
    press(1, Qt::RightButton);
    EXPECT_TRUE(main->mnuOption->isVisible()) << "a random phrase can be heard";
    main->mnuOption->hide();
}

} // namespace

namespace {

// Files that go bad while the program runs: the click reports them, marks the
// subject broken and leaves the window usable.
TEST_F(MainWindowTreeTest, DamagedMissingAndUnreadableFilesAreReportedOnClick) {
    press(1);
    const int food = node(QStringLiteral("Food"));
    writeFile(installed(QStringLiteral("Food.ito")), QByteArray(2048, 'x'));
    press(food);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_TRUE(host.lastBox().text.startsWith(QStringLiteral("FOOD.ITO") + caption(6) +
                                               QStringLiteral("\r\n\r\n")));
    EXPECT_EQ(vb::IconOf(host.lastBox().style), vb::vbExclamation);
    EXPECT_EQ(nodes().Image(food), 11);
    EXPECT_EQ(nodes().Selected(), 1);
    EXPECT_TRUE(main->isEnabled());

    const int comida = node(QStringLiteral("Comida"));
    QFile::remove(installed(QStringLiteral("Comida.ito")));
    press(comida);
    ASSERT_EQ(host.boxes.size(), 2u);
    EXPECT_TRUE(host.lastBox().text.contains(QStringLiteral("COMIDA.ITO")));
    EXPECT_EQ(nodes().Image(comida), 11);
    EXPECT_TRUE(main->isEnabled());

    writeFile(virtualFolder(QStringLiteral("Mine.vito")), QByteArray("not a database"));
    press(node(QStringLiteral("Mine")));
    const int verbs = node(QStringLiteral("Verbs"));
    press(verbs);
    ASSERT_EQ(host.boxes.size(), 3u);
    EXPECT_TRUE(host.lastBox().text.contains(QStringLiteral("MINE.VITO")));
    EXPECT_EQ(nodes().Image(verbs), 11);
    EXPECT_EQ(nodes().Selected(), node(QStringLiteral("Mine")));
    EXPECT_TRUE(main->isEnabled());
}

} // namespace

namespace {

TEST_F(MainWindowTreeTest, TheAdministratorCorrectsAPhraseOthersAreToldNo) {
    press(1);
    const int food = node(QStringLiteral("Food"));
    press(food);
    const int phrase = nodes().Child(food);
    nodes().Select(phrase);

    // The rights come with the student who logs in, not with the menu.
    main->Show_For_Student(false);
    main->mnuEdit->setVisible(true);
    main->mnuEdit->trigger();
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.lastBox().text, caption(113));
    EXPECT_TRUE(host.modalWindows.isEmpty());

    main->Show_For_Student(true);
    host.onNextModal([](QWidget &window) {
        auto *translation = window.findChild<QLineEdit *>(QStringLiteral("txtTranslation"));
        auto *second = window.findChild<QLineEdit *>(QStringLiteral("txtTranslation2"));
        ASSERT_TRUE(translation && second);
        EXPECT_EQ(translation->text(), QStringLiteral("Fot1"));
        translation->setText(QStringLiteral("  Bread "));
        second->clear(); // an emptied box keeps the file's text
        QTest::mouseClick(window.findChild<QPushButton *>(QStringLiteral("btnOK")), Qt::LeftButton);
    });
    main->mnuEdit->trigger();
    EXPECT_EQ(shownText(phrase), QStringLiteral("Bread"));
    EXPECT_EQ(nodes().Tag(phrase), QStringLiteral("Food.ito*1*Fop1*Bread*Fou1"));
}

} // namespace

namespace {

TEST_F(MainWindowTreeTest, ADoubleClickOnAPhraseHearsItOnASubjectNothing) {
    press(1);
    const int food = node(QStringLiteral("Food"));
    press(food);
    const QRect subject = main->TreeFoldersView->NodeRect(food);
    QTest::mouseDClick(main->TreeFoldersView->viewport(), Qt::LeftButton, Qt::NoModifier,
                       subject.center());
    EXPECT_TRUE(host.sounds.empty());
    open(food); // the double click folded the subject
    const int phrase = nodes().Child(food);
    press(phrase);
    QTest::mouseDClick(main->TreeFoldersView->viewport(), Qt::LeftButton, Qt::NoModifier,
                       main->TreeFoldersView->NodeRect(phrase).center());
    ASSERT_EQ(host.sounds.size(), 1u);
    EXPECT_EQ(host.sounds[0].path, phraseSound::Selected_Phrase_Path(program));
}

// A second of a voiced vowel: a 140 Hz tone with its harmonics.
QByteArray vowelWave() {
    voice::Wave wave;
    wave.rate = 16000;
    wave.samples.resize(16000);
    for (size_t i = 0; i < wave.samples.size(); ++i) {
        const double t = static_cast<double>(i) / wave.rate;
        float v = 0;
        for (int h = 1; h <= 5; ++h)
            v += static_cast<float>(std::sin(2 * M_PI * 140 * h * t) / (h * 3.0));
        wave.samples[i] = v;
    }
    return voice::Write_Wave(wave);
}

TEST_F(MainWindowTreeTest, SpaceHearsShiftSpaceAndTheMenuHearSlowlyWithThePitchKept) {
    const QByteArray model = vowelWave();
    {
        ado::Connection cn;
        cn.Open(ado::ConnectionString(installed(QStringLiteral("Food.ito")),
                                      subjects::SubjectPassword()));
        cn.Execute(QStringLiteral("UPDATE tblPhrases SET bsound = ?"), {model});
    }
    press(1);
    const int food = node(QStringLiteral("Food"));
    press(food);
    open(food);
    press(nodes().Child(food));

    QTest::keyClick(main->TreeFoldersView, Qt::Key_Space);
    ASSERT_EQ(host.sounds.size(), 1u);
    EXPECT_EQ(host.sounds[0].path, phraseSound::Selected_Phrase_Path(program));

    QTest::keyClick(main->TreeFoldersView, Qt::Key_Space, Qt::ShiftModifier);
    main->mnuHearSlowly->trigger();
    ASSERT_EQ(host.sounds.size(), 3u);
    for (size_t i : {1u, 2u}) {
        EXPECT_TRUE(host.sounds[i].path.isEmpty());
        const voice::Wave slow = voice::Read_Wave(host.sounds[i].wave);
        ASSERT_FALSE(slow.empty());
        EXPECT_EQ(slow.rate, 16000);
        EXPECT_NEAR(slow.milliseconds(), 1000 / voice::kSlowTempo, 60);
    }
    EXPECT_EQ(main->mnuHearSlowly->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_Space));
}

TEST_F(MainWindowTreeTest, WithoutTheVoiceModuleRecordingSaysWhyAndSlowlyThePhraseIsHeardAsItIs) {
    QTemporaryDir empty;
    voiceModule::Set_Folder(empty.path());
    QString problem;
    EXPECT_EQ(voiceModule::Load(&problem), nullptr);
    EXPECT_TRUE(problem.contains(empty.path() + QStringLiteral("/libtvx-voice.so")))
        << problem.toStdString();
    const QString told = voiceModule::Unavailable_Text(problem);
    {
        ado::Connection cn;
        cn.Open(ado::ConnectionString(installed(QStringLiteral("Food.ito")),
                                      subjects::SubjectPassword()));
        cn.Execute(QStringLiteral("UPDATE tblPhrases SET bsound = ?"), {vowelWave()});
    }
    press(1);
    const int food = node(QStringLiteral("Food"));
    press(food);
    open(food);
    press(nodes().Child(food));

    QTest::keyClick(main->TreeFoldersView, Qt::Key_R);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].text, told);
    EXPECT_EQ(vb::IconOf(host.boxes[0].style), vb::vbExclamation);
    EXPECT_TRUE(host.recordRequests.empty()) << "nothing is recorded that cannot be compared";

    QTest::keyClick(main->TreeFoldersView, Qt::Key_Space, Qt::ShiftModifier);
    ASSERT_EQ(host.boxes.size(), 2u);
    EXPECT_EQ(host.boxes[1].text, told);
    ASSERT_EQ(host.sounds.size(), 1u) << "the phrase is still heard, at its own speed";
    EXPECT_EQ(host.sounds[0].path, phraseSound::Selected_Phrase_Path(program));

    // The module back in its place: hearing slowly works again.
    voiceModule::Set_Folder(QStringLiteral(TVX_BINARY_DIR "/" TVX_LANGUAGE_CODE));
    QTest::keyClick(main->TreeFoldersView, Qt::Key_Space, Qt::ShiftModifier);
    EXPECT_EQ(host.boxes.size(), 2u);
    ASSERT_EQ(host.sounds.size(), 2u);
    EXPECT_TRUE(host.sounds[1].path.isEmpty());
    EXPECT_FALSE(voice::Read_Wave(host.sounds[1].wave).empty());
}

class VoiceTest : public MainWindowTreeTest {
protected:
    void SetUp() override {
        MainWindowTreeTest::SetUp();
        model = vowelWave();
        ado::Connection cn;
        cn.Open(ado::ConnectionString(installed(QStringLiteral("Food.ito")),
                                      subjects::SubjectPassword()));
        cn.Execute(QStringLiteral("UPDATE tblPhrases SET bsound = ?"), {model});
        cn.Close();
        press(1);
        const int food = node(QStringLiteral("Food"));
        press(food);
        open(food);
        press(nodes().Child(food));
    }
    // Waits until the recording and its comparison are over.
    bool sessionEnded() {
        return QTest::qWaitFor([&] { return main->findChild<VoiceSession *>() == nullptr; }, 30000);
    }
    QByteArray model;
};

TEST_F(VoiceTest, RRecordsAfterTheModelAndTheComparisonWindowsButtonsPlayAndRecordAgain) {
    host.microphoneWave = model; // the learner says it just like the model
    QString phrase;
    int closeness = -1;
    host.onNextModal([&](QWidget &window) {
        auto *compare = qobject_cast<frmCompare *>(&window);
        ASSERT_TRUE(compare);
        phrase = compare->lblPhrase->text();
        closeness = compare->Result().closeness;
        host.sounds.clear();
        compare->btnModel->click();
        compare->btnMine->click();
        compare->btnBoth->click();
        // Both: the learner's recording follows once the model has played.
        EXPECT_EQ(host.sounds.size(), 3u);
        ASSERT_TRUE(QTest::qWaitFor([&] { return host.sounds.size() == 4u; }, 10000));
        for (const FakeHost::Sound &sound : host.sounds)
            EXPECT_TRUE(sound.async) << "the window answers while a sound plays";
        EXPECT_EQ(host.sounds[0].wave, model);
        // Mine: the phrase's second and two more.
        EXPECT_EQ(voice::Read_Wave(host.sounds[1].wave).milliseconds(), 3000);
        EXPECT_EQ(host.sounds[2].wave, model);
        EXPECT_EQ(host.sounds[3].wave, host.sounds[1].wave);
        EXPECT_EQ(compare->btnAgain->shortcut(), QKeySequence(Qt::Key_R));
        EXPECT_EQ(compare->btnMine->shortcut(), QKeySequence(Qt::Key_I));
        compare->btnAgain->click(); // record again
    });
    host.onNextModal([](QWidget &) {});

    const int phraseNode = nodes().Selected();
    QTest::keyClick(main->TreeFoldersView, Qt::Key_R);
    ASSERT_TRUE(sessionEnded());
    EXPECT_EQ(nodes().Selected(), phraseNode) << "R is a command, not a search";
    EXPECT_EQ(host.modalWindows, QStringList({"frmCompare", "frmCompare"}));
    EXPECT_EQ(host.recordRequests, std::vector<int>({3000, 3000}));
    EXPECT_EQ(phrase, main->subjectTree().Tag_Item(2, nodes().Selected())); // the spoken text
    EXPECT_GE(closeness, 90);
    // The model was played before the second recording too.
    ASSERT_FALSE(host.sounds.empty());
    EXPECT_EQ(host.sounds.back().wave, model);
    EXPECT_TRUE(host.boxes.empty());

    EXPECT_EQ(main->mnuRecordAndCompare->shortcut(), QKeySequence(Qt::Key_R));
    const QString recording = voiceWindows::Recording_Path(program);
    EXPECT_TRUE(QFile::exists(recording));
    main->close();
    EXPECT_FALSE(QFile::exists(recording)) << "the learner's voice is not kept";
}

TEST_F(VoiceTest, EscStopsTheRecordingEarlyAndShowsTheCountdown) {
    host.microphoneWave = model;
    QString countdown;
    // A timer of the window's thread goes on ticking while the microphone
    // listens; a second into the recording it presses Esc.
    int ticksWhileRecording = 0;
    const QDateTime started = host.clock;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            auto *recorder = qobject_cast<frmRecord *>(w);
            if (!recorder || !recorder->isVisible() || host.modalWindows.size() > 0)
                continue;
            ++ticksWhileRecording;
            if (started.msecsTo(host.clock) >= 1000 && countdown.isEmpty()) {
                countdown = recorder->lblCountdown->text();
                QTest::keyClick(recorder, Qt::Key_Escape);
            }
        }
    });
    ticker.start(1);
    host.onNextModal([](QWidget &) {});
    main->mnuRecordAndCompare->trigger();
    ASSERT_TRUE(sessionEnded());
    ASSERT_EQ(host.modalWindows, QStringList({"frmCompare"}));
    EXPECT_FALSE(countdown.isEmpty());
    EXPECT_GE(ticksWhileRecording, 5);
    QFile file(voiceWindows::Recording_Path(program));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_NEAR(voice::Read_Wave(file.readAll()).milliseconds(), 1000, 150);
}

TEST_F(VoiceTest, ADamagedModelIsNeitherSlowedNorRecordedAgainstAndTheLearnerIsTold) {
    const QString text = main->subjectTree().Tag_Item(2, nodes().Selected());
    for (const auto &[name, damaged] : fixture::DamagedWaves()) {
        {
            ado::Connection cn;
            cn.Open(ado::ConnectionString(installed(QStringLiteral("Food.ito")),
                                          subjects::SubjectPassword()));
            cn.Execute(QStringLiteral("UPDATE tblPhrases SET bsound = ?"), {damaged});
        }
        host.boxes.clear();
        main->mnuRecordAndCompare->trigger();
        main->mnuHearSlowly->trigger();
        ASSERT_EQ(host.boxes.size(), 2u) << name;
        for (const FakeHost::Box &box : host.boxes) {
            EXPECT_EQ(box.text, caption(caption::SoundNotPlayable).arg(text)) << name;
            EXPECT_EQ(vb::IconOf(box.style), vb::vbExclamation) << name;
        }
        EXPECT_TRUE(host.recordRequests.empty()) << name;
        EXPECT_TRUE(host.modalWindows.isEmpty()) << name;
        EXPECT_TRUE(host.sounds.empty()) << name;
    }
}

TEST_F(VoiceTest, WithoutAMicrophoneTheLearnerIsToldAndNothingElseHappens) {
    host.microphone = false;
    main->mnuRecordAndCompare->trigger();
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.lastBox().text, caption(caption::NoMicrophone));
    EXPECT_EQ(vb::IconOf(host.lastBox().style), vb::vbExclamation);
    EXPECT_TRUE(host.modalWindows.isEmpty());
    EXPECT_FALSE(QFile::exists(voiceWindows::Recording_Path(program)));
}

} // namespace
