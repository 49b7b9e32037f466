// Every label, button and check box of the program's windows shows its whole
// text in both learner languages: nothing is cut off ("Escriba la contras").
#include "frame/folder_set.h"
#include "frame/program.h"
#include "frame/template_texts.h"
#include "shell/frm_main.h"
#include "shell/frm_msg_box.h"
#include "shell/frm_splash.h"
#include "students/frm_admin.h"
#include "students/frm_login.h"
#include "students/frm_new_user.h"
#include "subjects/frm_import.h"
#include "support/fake_host.h"
#include "support/test_env.h"
#include "virtual/frm_custom_subject.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

#include <gtest/gtest.h>

namespace {

// What does not fit in a widget whose text is set: its name and text.
QStringList cutOffTexts(const QWidget &window) {
    QStringList cut;
    for (const QLabel *label : window.findChildren<QLabel *>()) {
        // A label with a buddy shows its "&" as the underline of the shortcut.
        const QString text =
            label->buddy() ? QString(label->text()).remove(QLatin1Char('&')) : label->text();
        if (text.isEmpty())
            continue;
        const QRect room = label->contentsRect();
        const bool rich = label->textFormat() == Qt::RichText ||
                          (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(text));
        const bool fits = label->wordWrap() ? label->heightForWidth(room.width()) <= room.height()
                          : rich            ? label->sizeHint().width() <= room.width()
                                 : label->fontMetrics().horizontalAdvance(text) <= room.width() &&
                                       label->fontMetrics().height() <= room.height();
        if (!fits)
            cut << QStringLiteral("%1: \"%2\" in %3 x %4 px")
                       .arg(label->objectName(), text)
                       .arg(room.width())
                       .arg(room.height());
    }
    for (const QAbstractButton *button : window.findChildren<QAbstractButton *>()) {
        if (button->text().isEmpty())
            continue;
        // A check box needs room for its box; a push button for its frame.
        const int needed = qobject_cast<const QCheckBox *>(button)
                               ? button->sizeHint().width()
                               : button->fontMetrics().horizontalAdvance(
                                     QString(button->text()).remove(QLatin1Char('&'))) +
                                     8;
        if (needed > button->width())
            cut << QStringLiteral("%1: \"%2\" needs %3 of %4 px")
                       .arg(button->objectName(), button->text())
                       .arg(needed)
                       .arg(button->width());
    }
    return cut;
}

class CaptionFitTest : public ::testing::TestWithParam<const char *> {
protected:
    CaptionFitTest() : program(host, env.settings()) {
        env.installTemplate();
        program.identity = Identity::ForCode(QLatin1String(GetParam()));
        program.folders.programFolder = folders::Get_App_Path(program);
        templateTexts::Get_Captions(program);
        folders::Set_Paths(program);
    }

    TestEnv env;
    FakeHost host;
    Program program;
};

TEST_P(CaptionFitTest, EveryWindowShowsItsWholeTexts) {
    frmMain main(program);
    main.Get_Settings();
    templateTexts::Get_Menu_Links(program, [&](int k, const QString &text, const QString &) {
        if (k == 0)
            main.lblMenu[0]->setText(text);
    });
    main.Show_For_Student(true);
    EXPECT_EQ(cutOffTexts(main).join(QStringLiteral("; ")).toStdString(), "");

    frmLogin login(program);
    login.Form_Load();
    login.lblPassword->show();
    EXPECT_EQ(cutOffTexts(login).join(QStringLiteral("; ")).toStdString(), "");

    frmNewUser editor(program, frmNewUser::Mode::Edit, Student{}, {});
    EXPECT_EQ(cutOffTexts(editor).join(QStringLiteral("; ")).toStdString(), "");

    frmSplash splash(program, QPixmap());
    EXPECT_EQ(cutOffTexts(splash).join(QStringLiteral("; ")).toStdString(), "");

    frmMsgBox box;
    EXPECT_EQ(cutOffTexts(box).join(QStringLiteral("; ")).toStdString(), "");

    frmAdmin viewer(program);
    EXPECT_EQ(cutOffTexts(viewer).join(QStringLiteral("; ")).toStdString(), "");

    FileListBox installed;
    FileListBox folders;
    frmCustomSubject virtualEditor(program, installed, folders);
    virtualEditor.Form_Load();
    EXPECT_EQ(cutOffTexts(virtualEditor).join(QStringLiteral("; ")).toStdString(), "");

    frmImport importer(program);
    importer.show();
    importer.chkLeaveOut->show();
    EXPECT_EQ(cutOffTexts(importer).join(QStringLiteral("; ")).toStdString(), "");
}

// tvxspa: learners who speak English; tvxito: learners who speak Spanish.
INSTANTIATE_TEST_SUITE_P(BothLearnerLanguages, CaptionFitTest,
                         ::testing::Values("tvxspa", "tvxito"));

} // namespace
