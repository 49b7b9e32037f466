// A Spanish-speaking learner meets no English: once the main window has
// started, Qt's own texts (message box buttons, the save dialog and its
// overwrite question, key names in menus) and the reasons the system gives
// for a failure read in Spanish.
#include "frame/program.h"
#include "platform/platform_language.h"
#include "platform/qt_host.h"
#include "shell/frm_main.h"
#include "subjects/frm_import.h"
#include "support/fake_host.h"
#include "support/test_env.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QKeySequence>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

class LearnerLanguageTest : public ::testing::Test {
protected:
    LearnerLanguageTest() : program(host, env.settings()) { env.installTemplate(); }
    // Qt's texts hang on the application: the next tests find them English.
    ~LearnerLanguageTest() override { platformLanguage::Use_Learner_Language("English"); }

    TestEnv env;
    FakeHost host;
    Program program;
};

// Runs whenever a modal window opens next: reads the box's texts, then
// answers it with its No button.
struct BoxReader {
    QStringList buttons;
    QString text;
    void readNext() {
        QTimer::singleShot(0, [this] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            text = box->text();
            for (QAbstractButton *button : box->buttons())
                buttons << button->text();
            box->button(QMessageBox::No)->click();
        });
    }
};

TEST_F(LearnerLanguageTest, QtsOwnTextsAndKeyNamesAreSpanish) {
    frmMain main(program);
    main.Form_Load();
    ASSERT_FALSE(program.ended);
    ASSERT_EQ(program.identity.learnerLanguage, QStringLiteral("Spanish"));

    // Yes and No of the program's message boxes.
    QtHost qt;
    BoxReader question;
    question.readNext();
    EXPECT_EQ(qt.MsgBox(QStringLiteral("¿Seguro?"), vb::vbYesNo | vb::vbQuestion), vb::vbNo);
    question.buttons.sort();
    EXPECT_EQ(question.buttons.join(QLatin1Char('|')).toStdString(), "&No|&Sí");

    // The menu of a phrase shows its keys by their Spanish names.
    EXPECT_EQ(main.mnuListenToPhrase->shortcut().toString(QKeySequence::NativeText).toStdString(),
              "Espacio");
    EXPECT_EQ(main.mnuHearSlowly->shortcut().toString(QKeySequence::NativeText).toStdString(),
              "Mayúsculas+Espacio");
    EXPECT_EQ(QKeySequence(QKeySequence::Delete).toString(QKeySequence::NativeText).toStdString(),
              "Suprimir");
    EXPECT_EQ(QKeySequence(QKeySequence::Copy).toString(QKeySequence::NativeText).toStdString(),
              "Control+C");

    // The save dialog, and its question before it replaces a file.
    const QString existing = env.root() + QStringLiteral("puntuaciones.csv");
    writeFile(existing, "old");
    QString saveButton;
    BoxReader overwrite;
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        auto *buttons = dialog->findChild<QDialogButtonBox *>();
        if (QPushButton *save = buttons ? buttons->button(QDialogButtonBox::Save) : nullptr) {
            saveButton = save->text();
            overwrite.readNext();
            save->click();
        }
        dialog->reject();
    });
    EXPECT_EQ(qt.GetSaveFileName(QStringLiteral("Exportar"), existing,
                                 QStringLiteral("Archivos CSV (*.csv)")),
              QString());
    EXPECT_EQ(saveButton.toStdString(), "&Guardar");
    EXPECT_EQ(overwrite.text.toStdString(),
              "El fichero puntuaciones.csv ya existe.\n¿Desea reemplazarlo?");
    EXPECT_TRUE(overwrite.buttons.contains(QStringLiteral("&Sí")));
}

TEST_F(LearnerLanguageTest, SystemReasonsAreGivenInSpanishWithinOurSentence) {
    frmMain main(program);
    main.Form_Load();
    ASSERT_FALSE(program.ended);
    main.Show_For_Student(true);

    // Word lists named in the open dialog that cannot be read: one gone by
    // the time it is read, one below a file taken for a folder.
    const QString gone = env.root() + QStringLiteral("palabras.csv");
    const QString belowAFile = env.root() + QStringLiteral("notas.txt/palabras.csv");
    writeFile(env.root() + QStringLiteral("notas.txt"), "notes");
    QStringList problems;
    for (const QString &list : {gone, belowAFile}) {
        host.answerNextOpen(list);
        host.onNextModal([&](QWidget &window) {
            auto &import = dynamic_cast<frmImport &>(window);
            QTest::keyClick(import.btnChoose, Qt::Key_Space);
            for (int i = 0; i < import.lstProblems->count(); ++i)
                problems << import.lstProblems->item(i)->text();
        });
        QTest::mouseClick(main.btnImportWordList, Qt::LeftButton);
    }
    const QString sentence = QStringLiteral("No se puede leer el archivo %1: %2");
    EXPECT_EQ(problems.join(QLatin1Char('\n')).toStdString(),
              QStringList({sentence.arg(QDir::toNativeSeparators(gone),
                                        QStringLiteral("No hay ningún fichero o directorio con "
                                                       "ese nombre")),
                           sentence.arg(QDir::toNativeSeparators(belowAFile),
                                        QStringLiteral("No es una carpeta"))})
                  .join(QLatin1Char('\n'))
                  .toStdString());

    // A list that reads well, on a computer without espeak-ng to speak it.
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(env.root() + QStringLiteral("no-programs")));
    const QString good = env.root() + QStringLiteral("saludos.csv");
    writeFile(good, "phrase,translation\nciao,hola\n");
    host.answerNextOpen(good);
    host.onNextModal([&](QWidget &window) {
        auto &import = dynamic_cast<frmImport &>(window);
        import.setRecordingCache(env.root() + QStringLiteral("cache"));
        QTest::keyClick(import.btnChoose, Qt::Key_Space);
        // A missing espeak-ng is found before anything starts.
        QTest::mouseClick(import.btnImport, Qt::LeftButton);
    });
    host.boxes.clear();
    QTest::mouseClick(main.btnImportWordList, Qt::LeftButton);
    qputenv("PATH", path);
    ASSERT_EQ(host.boxes.size(), 1u);
    const std::string failed = host.lastBox().text.toStdString();
    EXPECT_EQ(failed.rfind("No se pudieron grabar las frases: no se puede iniciar espeak-ng "
                           "(¿está instalado?): ",
                           0),
              0u)
        << failed;
}

} // namespace
