// The virtual subject editor driven through its real controls: drops of each
// kind on each target, the keyboard's copy and paste, naming, renaming and
// deleting, and what the main window finds afterwards.
#include "activities/activity_launch.h"
#include "activities/study_set.h"
#include "platform/tree_view_widget.h"
#include "platform/twips.h"
#include "shell/frm_main.h"
#include "subjects/phrase_sound.h"
#include "subjects/subject_fixture.h"
#include "virtual/frm_custom_subject.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

namespace {

QByteArray readAll(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

int findNode(const TreeView &tree, const QString &text) {
    for (int i = 1; i <= tree.Count(); ++i)
        if (tree.Text(i) == text)
            return i;
    return 0;
}

QStringList nodeTexts(const TreeView &tree, int index) {
    QStringList texts;
    for (int i = tree.Child(index); i != 0; i = tree.Next(i))
        texts << tree.Text(i);
    return texts;
}

// The open label editor of the right tree (closed ones linger until deleted).
QLineEdit *labelBox(frmCustomSubject &editor) {
    for (QLineEdit *box : editor.TreeVirtual->viewport()->findChildren<QLineEdit *>())
        if (box->isVisible())
            return box;
    return nullptr;
}

// The label editor commits, then the window handles the new name: both queued.
void settle() {
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

class EditorTest : public SubjectTestBase {
protected:
    void SetUp() override {
        for (int n = caption::FolderFileExists; n <= caption::SourceSubjectGone; ++n)
            program.captions.Set(n, QStringLiteral("C%1 %2 %3 %4").arg(n));
        subjects::CreateVirtualFolderFile(env.programFolder() + QStringLiteral("custom.tpl"));
        subject(QStringLiteral("Food.ito"), 4);
        subject(QStringLiteral("Drinks.ito"), 12);
        fixture::makeVirtualFolder(virtualFolder(QStringLiteral("Mine.vito")),
                                   {QStringLiteral("Verbs"), QStringLiteral("Empty")},
                                   {{1, QStringLiteral("Food.ito"), 2, "Fop2", "Fot2", "Fou2"}});
        editor = std::make_unique<frmCustomSubject>(program, File1, File2);
        editor->Form_Load();
        editor->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(editor.get()));
        // The student opens the folder (its plus sign).
        right().SetExpanded(1, true);
        program.bSubjectsChanged = false;
    }
    void TearDown() override {
        editor->mnuEdit->hide();
        editor.reset();
    }

    TreeView &left() { return editor->TreeSubjects->Nodes(); }
    TreeView &right() { return editor->TreeVirtual->Nodes(); }
    int leftNode(const QString &text) { return findNode(left(), text); }
    int rightNode(const QString &text) { return findNode(right(), text); }

    void press(TreeViewWidget *tree, int index, Qt::MouseButton button = Qt::LeftButton) {
        const QRect rect = tree->NodeRect(index);
        ASSERT_FALSE(rect.isEmpty()) << "node " << index << " is not shown";
        QTest::mouseClick(tree->viewport(), button, Qt::NoModifier, rect.center());
    }
    // The phrases of an installed subject, listed by a click.
    int openSubject(const QString &title) {
        const int node = leftNode(title);
        press(editor->TreeSubjects, node);
        return node;
    }
    // A drag from the left tree let go over a node of the right one, as
    // Qt's model/view delivers it.
    void drop(int dragged, int target) {
        std::unique_ptr<QMimeData> data(left().mimeData({left().ModelIndex(dragged)}));
        ASSERT_TRUE(data);
        right().dropMimeData(data.get(), Qt::CopyAction, -1, -1, right().ModelIndex(target));
        QCoreApplication::processEvents();
    }
    // Types a name into the open label editor and confirms it.
    void typeLabel(const QString &text) {
        QLineEdit *box = labelBox(*editor);
        ASSERT_TRUE(box) << "no label edit is open";
        box->setText(text);
        QTest::keyClick(box, Qt::Key_Return);
        settle();
    }

    bool editing() { return editor->TreeVirtual->IsEditingLabel(); }
    void fireTimer(QTimer *timer) {
        ASSERT_TRUE(timer->isActive());
        QMetaObject::invokeMethod(timer, "timeout");
    }
    QStringList subjectRows(const QString &file) {
        ado::Connection cn;
        cn.Open(ado::ConnectionString(virtualFolder(file), subjects::SubjectPassword()));
        ado::Recordset rs;
        rs.Open(QStringLiteral("SELECT * FROM tblParents"), cn);
        QStringList rows;
        for (; !rs.EOF_(); rs.MoveNext())
            rows << rs.Fields(1).Text();
        return rows;
    }
    int phraseRowCount(const QString &file) {
        ado::Connection cn;
        cn.Open(ado::ConnectionString(virtualFolder(file), subjects::SubjectPassword()));
        ado::Recordset rs;
        rs.Open(QStringLiteral("SELECT * FROM tblPhrases"), cn);
        return rs.RecordCount();
    }

    std::unique_ptr<frmCustomSubject> editor;
};

TEST_F(EditorTest, LoadShowsInstalledSubjectsAndVirtualFoldersWithTheirPictures) {
    EXPECT_EQ(editor->windowTitle(), program.identity.productTitle + " - " + caption(65));
    EXPECT_EQ(left().Text(1), caption(2));
    EXPECT_TRUE(left().Bold(1));
    EXPECT_TRUE(left().Expanded(1));
    EXPECT_EQ(left().Image(1), 2);
    EXPECT_EQ(nodeTexts(left(), 1),
              (QStringList{QStringLiteral("Drinks"), QStringLiteral("Food")}));
    EXPECT_EQ(left().Tag(leftNode(QStringLiteral("Food"))), QStringLiteral("1"));
    EXPECT_EQ(right().Text(1), QStringLiteral("Mine"));
    EXPECT_TRUE(right().Bold(1));
    EXPECT_EQ(right().Selected(), 1);
    EXPECT_EQ(nodeTexts(right(), 1),
              (QStringList{QStringLiteral("Verbs"), QStringLiteral("Empty")}));
    EXPECT_EQ(right().Image(rightNode(QStringLiteral("Verbs"))), 7);
    // Nothing chosen yet: only New Folder and Done.
    EXPECT_FALSE(editor->btnNewSubject->isEnabled());
    EXPECT_FALSE(editor->btnRename->isEnabled());
    EXPECT_FALSE(editor->btnDelete->isEnabled());
    EXPECT_EQ(editor->TreeVirtual->accessibleName(), caption(64));

    const int food = openSubject(QStringLiteral("Food"));
    ASSERT_EQ(left().Children(food), 4);
    EXPECT_EQ(left().Tag(left().Child(food)), QStringLiteral("Food.ito*1*Fop1*Fot1*Fou1"));
    EXPECT_EQ(left().Image(left().Child(food)), 9);

    press(editor->TreeVirtual, rightNode(QStringLiteral("Verbs")));
    EXPECT_EQ(nodeTexts(right(), rightNode(QStringLiteral("Verbs"))),
              QStringList{QStringLiteral("Fot2")});
    EXPECT_FALSE(editor->btnNewSubject->isEnabled());
    EXPECT_TRUE(editor->btnRename->isEnabled());
    press(editor->TreeVirtual, rightNode(QStringLiteral("Fot2")));
    EXPECT_FALSE(editor->btnRename->isEnabled());
    EXPECT_TRUE(editor->btnDelete->isEnabled());
    press(editor->TreeVirtual, 1);
    EXPECT_TRUE(editor->btnNewSubject->isEnabled());
    EXPECT_TRUE(editor->mnuNew->isEnabled());
}

TEST_F(EditorTest, EachDropKindOnEachTargetKind) {
    const int food = openSubject(QStringLiteral("Food"));
    const int verbs = rightNode(QStringLiteral("Verbs"));
    press(editor->TreeVirtual, verbs);
    const int phrase = rightNode(QStringLiteral("Fot2"));

    // The root copies nothing; a subject only onto a folder.
    drop(1, 1);
    drop(food, verbs);
    drop(food, phrase);
    EXPECT_EQ(host.boxTexts(), (QStringList{caption(137), caption(137)}));
    EXPECT_FALSE(program.bSubjectsChanged);

    drop(food, 1);
    const int copy = right().ChildAt(1, 2);
    EXPECT_EQ(right().Text(copy), QStringLiteral("Food"));
    EXPECT_EQ(nodeTexts(right(), copy), (QStringList{"Fot1", "Fot2", "Fot3", "Fot4"}));
    EXPECT_EQ(right().Tag(right().Child(copy)).section('*', 0, 4), "Food.ito*1*Fop1*Fot1*Fou1");
    EXPECT_EQ(subjectRows("Mine.vito"), (QStringList{"Verbs", "Empty", "Food"}));
    EXPECT_TRUE(program.bSubjectsChanged);

    // A phrase: not onto a folder; onto a subject or a phrase of it.
    const int third = left().ChildAt(food, 2);
    drop(third, 1);
    EXPECT_EQ(host.lastBox().text, caption(126));
    drop(third, verbs);
    drop(left().ChildAt(food, 3), phrase);
    EXPECT_EQ(nodeTexts(right(), verbs), (QStringList{"Fot2", "Fot3", "Fot4"}));
    EXPECT_EQ(right().Tag(right().Selected()).section('*', 0, 4), "Food.ito*4*Fop4*Fot4*Fou4");
    EXPECT_EQ(phraseRowCount("Mine.vito"), 1 + 4 + 2);
    // Beside every node: nothing.
    drop(third, 0);
    EXPECT_EQ(phraseRowCount("Mine.vito"), 7);
    EXPECT_EQ(host.boxes.size(), 3u);
}

TEST_F(EditorTest, ADropThroughTheViewLandsOnTheNodeUnderThePointerAndEdgesScroll) {
    const int food = openSubject(QStringLiteral("Food"));
    const int empty = rightNode(QStringLiteral("Empty"));
    QWidget *viewport = editor->TreeVirtual->viewport();
    std::unique_ptr<QMimeData> data(left().mimeData({left().ModelIndex(left().Child(food))}));
    const QPoint at = editor->TreeVirtual->NodeRect(empty).center();
    QDragEnterEvent enter(at, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &enter);
    QDragMoveEvent move(at, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &move);
    EXPECT_TRUE(move.isAccepted());
    EXPECT_EQ(editor->DropHighlight(), empty);
    QDropEvent dropped(QPointF(at), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &dropped);
    QCoreApplication::processEvents();
    EXPECT_EQ(nodeTexts(right(), empty), QStringList{QStringLiteral("Fot1")});

    // 50 twips below the top scrolls up, 150 above the bottom down.
    for (int i = 0; i < 40; ++i)
        drop(food, rightNode(QStringLiteral("Mine")) ? 1 : 0);
    right().SetExpanded(1, true);
    QScrollBar *bar = editor->TreeVirtual->verticalScrollBar();
    QCoreApplication::processEvents();
    ASSERT_GT(bar->maximum(), 2);
    bar->setValue(2);
    const QPoint top = viewport->mapFrom(editor->TreeVirtual, QPoint(20, TwipsToPixels(50)));
    QDragEnterEvent again(top, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &again);
    QDragMoveEvent up(top, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &up);
    EXPECT_EQ(editor->ScrollDirection(), -1);
    EXPECT_EQ(editor->Timer1->interval(), 200);
    fireTimer(editor->Timer1);
    EXPECT_EQ(bar->value(), 1);
    const QPoint bottom = viewport->mapFrom(
        editor->TreeVirtual,
        QPoint(20, TwipsToPixels(PixelsToTwips(editor->TreeVirtual->height()) - 150)));
    QDragMoveEvent down(bottom, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &down);
    EXPECT_EQ(editor->ScrollDirection(), 1);
    fireTimer(editor->Timer1);
    EXPECT_EQ(bar->value(), 2);
    QDragLeaveEvent leave;
    QCoreApplication::sendEvent(viewport, &leave);
    EXPECT_FALSE(editor->Timer1->isActive());
}

TEST_F(EditorTest, ASubjectTakesTenPhrasesByDropButAWholeSubjectHasNoLimit) {
    const int drinks = openSubject(QStringLiteral("Drinks"));
    const int verbs = rightNode(QStringLiteral("Verbs"));
    // Verbs holds one phrase in its file, not yet shown: it counts.
    for (int i = 0; i < 9; ++i)
        drop(left().ChildAt(drinks, i), verbs);
    EXPECT_EQ(right().Children(verbs), 10);
    EXPECT_TRUE(host.boxes.empty());
    drop(left().ChildAt(drinks, 9), verbs);
    EXPECT_EQ(host.lastBox().text, caption(7));
    EXPECT_EQ(right().Children(verbs), 10);

    drop(drinks, 1);
    EXPECT_EQ(right().Children(right().ChildAt(1, 2)), 12);
}

// Loading a subject's phrases disables the window for a moment; the tree
// keeps the keyboard.
TEST_F(EditorTest, TheTreeKeepsTheFocusWhileItsPhrasesLoad) {
    editor->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(editor.get()));
    editor->TreeSubjects->setFocus();
    const int food = openSubject(QStringLiteral("Food"));
    ASSERT_EQ(left().Children(food), 4);
    EXPECT_EQ(QApplication::focusWidget(), static_cast<QWidget *>(editor->TreeSubjects));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    EXPECT_EQ(left().Selected(), left().Child(food));
}

TEST_F(EditorTest, TheKeyboardCopiesAndPastesWithTheSameRules) {
    editor->TreeVirtual->setFocus();
    QTest::keyClick(editor->TreeVirtual, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(host.lastBox().text, caption(caption::NothingCopied));

    const int food = openSubject(QStringLiteral("Food"));
    left().Select(left().Child(food));
    editor->TreeSubjects->setFocus();
    QTest::keyClick(editor->TreeSubjects, Qt::Key_C, Qt::ControlModifier);
    right().Select(1);
    QTest::keyClick(editor->TreeVirtual, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(host.lastBox().text, caption(126));
    const int empty = rightNode(QStringLiteral("Empty"));
    right().Select(empty);
    QTest::keyClick(editor->TreeVirtual, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(nodeTexts(right(), empty), QStringList{QStringLiteral("Fot1")});

    // Enter asks to hear the selected phrase, as a double click does;
    // Shift+Space slowly, and R to record it, as in the main window (which
    // plays and records, see EditorFromMainWindowTest).
    std::vector<std::pair<subjectData::Phrase, bool>> heard;
    std::vector<subjectData::Phrase> recorded;
    QObject::connect(editor.get(), &frmCustomSubject::HearPhrase, editor.get(),
                     [&](const subjectData::Phrase &phrase, bool slowly) {
                         heard.emplace_back(phrase, slowly);
                     });
    QObject::connect(editor.get(), &frmCustomSubject::RecordPhrase, editor.get(),
                     [&](const subjectData::Phrase &phrase) { recorded.push_back(phrase); });
    QTest::keyClick(editor->TreeVirtual, Qt::Key_Return);
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_EQ(heard[0].first.phrase, QStringLiteral("Fop1"));
    EXPECT_EQ(heard[0].first.sourceFile, QStringLiteral("Food.ito"));
    EXPECT_EQ(heard[0].first.number, 1);
    EXPECT_FALSE(heard[0].second);
    QTest::keyClick(editor->TreeVirtual, Qt::Key_Space, Qt::ShiftModifier);
    ASSERT_EQ(heard.size(), 2u);
    EXPECT_TRUE(heard[1].second);
    const int phrase = right().Selected();
    QTest::keyClick(editor->TreeVirtual, Qt::Key_R);
    ASSERT_EQ(recorded.size(), 1u);
    EXPECT_EQ(recorded[0], heard[0].first);
    EXPECT_EQ(right().Selected(), phrase);
    // A subject is no phrase: nothing is asked.
    right().Select(empty);
    QTest::keyClick(editor->TreeVirtual, Qt::Key_Return);
    EXPECT_EQ(heard.size(), 2u);
}

TEST_F(EditorTest, NewFoldersAreNumberedAndNamedInPlace) {
    editor->btnNewFolder->click();
    const int first = right().Selected();
    EXPECT_EQ(right().Text(first), caption(123));
    EXPECT_TRUE(QFile::exists(virtualFolder(caption(123) + ".vito")));
    EXPECT_TRUE(editing());
    typeLabel(QStringLiteral("Animals"));
    EXPECT_TRUE(QFile::exists(virtualFolder("Animals.vito")));
    EXPECT_FALSE(QFile::exists(virtualFolder(caption(123) + ".vito")));

    // The count of names starting with caption 123 gives the number; a
    // name in use by a node or a file is skipped.
    right().Add(0, caption(123) + " 2");
    writeFile(virtualFolder(caption(123) + " 3.vito"), "student's own");
    editor->btnNewFolder->click();
    EXPECT_EQ(right().Text(right().Selected()), caption(123) + " 4");
    EXPECT_EQ(readAll(virtualFolder(caption(123) + " 3.vito")), QByteArray("student's own"));
    EXPECT_TRUE(editor->btnNewSubject->isEnabled());
    typeLabel(caption(123) + " 4");
    EXPECT_TRUE(program.bSubjectsChanged);

    editor->btnNewSubject->click();
    EXPECT_EQ(right().Text(right().Selected()), caption(51));
    typeLabel(QStringLiteral("Birds"));
    EXPECT_EQ(subjectRows(caption(123) + " 4.vito"), QStringList{QStringLiteral("Birds")});

    // Enter presses the focused button, as Space does.
    editor->btnNewFolder->setFocus();
    QTest::keyClick(editor->btnNewFolder, Qt::Key_Return);
    QTRY_VERIFY(editing());
    EXPECT_TRUE(QFile::exists(virtualFolder(caption(123) + " 5.vito")));
}

TEST_F(EditorTest, RenamesAreRefusedWithAMessageAndTheEditRestartsOrAccepted) {
    fixture::makeVirtualFolder(virtualFolder(QStringLiteral("Other.vito")), {}, {});
    editor.reset();
    editor = std::make_unique<frmCustomSubject>(program, File1, File2);
    editor->Form_Load();
    editor->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(editor.get()));
    const int mine = rightNode(QStringLiteral("Mine"));
    press(editor->TreeVirtual, mine);

    const QStringList refused{QStringLiteral("  "), QStringLiteral("Other"), QStringLiteral("a/b")};
    const QStringList told{caption(124), caption(125), caption(caption::UnusableFolderName)};
    for (int i = 0; i < refused.size(); ++i) {
        editor->btnRename->click();
        typeLabel(refused[i]);
        EXPECT_EQ(windows.messages.last(), told[i]);
        fireTimer(editor->TimerEdit);
        EXPECT_EQ(right().Text(mine), QStringLiteral("Mine"));
        EXPECT_TRUE(editing());
        QTest::keyClick(labelBox(*editor), Qt::Key_Escape);
    }
    EXPECT_TRUE(QFile::exists(virtualFolder("Mine.vito")));
    EXPECT_FALSE(program.bSubjectsChanged);

    // The box opens on the name, all of it selected: Enter keeps it.
    editor->btnRename->click();
    ASSERT_TRUE(labelBox(*editor));
    EXPECT_EQ(labelBox(*editor)->text(), QStringLiteral("Mine"));
    EXPECT_EQ(labelBox(*editor)->selectedText(), QStringLiteral("Mine"));
    const int messages = int(windows.messages.size());
    QTest::keyClick(labelBox(*editor), Qt::Key_Return);
    settle();
    EXPECT_EQ(int(windows.messages.size()), messages);
    EXPECT_FALSE(editing());
    EXPECT_FALSE(editor->TimerEdit->isActive());
    EXPECT_TRUE(QFile::exists(virtualFolder("Mine.vito")));

    editor->btnRename->click();
    typeLabel(QStringLiteral("Words"));
    EXPECT_FALSE(QFile::exists(virtualFolder("Mine.vito")));
    EXPECT_EQ(subjectRows("Words.vito"), (QStringList{"Verbs", "Empty"}));
    press(editor->TreeVirtual, rightNode(QStringLiteral("Verbs")));
    QTest::keyClick(editor->TreeVirtual, Qt::Key_F2);
    typeLabel(QStringLiteral("Actions"));
    EXPECT_EQ(subjectRows("Words.vito"), (QStringList{"Actions", "Empty"}));
    EXPECT_TRUE(program.bSubjectsChanged);
}

// A tap on a button right after typing a name: the press and the release
// arrive together, before the window has handled the name. The rename still
// reaches the node that was edited, and before the button's command runs.
TEST_F(EditorTest, ARenameFollowedAtOnceByAnotherCommandRenamesTheEditedNode) {
    const auto tap = [](QWidget *button) {
        const QPoint at = button->rect().center();
        const QPoint global = button->mapToGlobal(at);
        QCoreApplication::postEvent(button, new QMouseEvent(QEvent::MouseButtonPress, at, global,
                                                            Qt::LeftButton, Qt::LeftButton,
                                                            Qt::NoModifier));
        QCoreApplication::postEvent(button, new QMouseEvent(QEvent::MouseButtonRelease, at,
                                                            global, Qt::LeftButton,
                                                            Qt::NoButton, Qt::NoModifier));
        settle();
    };
    const auto typeOnly = [&](const QString &text) {
        QLineEdit *box = labelBox(*editor);
        ASSERT_TRUE(box) << "no label edit is open";
        box->setText(text);
    };

    // New Folder: the edited folder gets the name, the new one keeps its own.
    press(editor->TreeVirtual, rightNode(QStringLiteral("Mine")));
    editor->btnRename->click();
    typeOnly(QStringLiteral("Words"));
    tap(editor->btnNewFolder);
    EXPECT_TRUE(QFile::exists(virtualFolder("Words.vito")));
    EXPECT_FALSE(QFile::exists(virtualFolder("Mine.vito")));
    EXPECT_TRUE(QFile::exists(virtualFolder(caption(123) + ".vito")));
    EXPECT_EQ(right().Text(right().Selected()), caption(123));
    EXPECT_TRUE(editing());
    QTest::keyClick(labelBox(*editor), Qt::Key_Escape);
    settle();

    // Delete: the subject renamed is the one deleted, the other keeps its name.
    const int words = rightNode(QStringLiteral("Words"));
    right().SetExpanded(words, true);
    press(editor->TreeVirtual, rightNode(QStringLiteral("Verbs")));
    editor->btnRename->click();
    typeOnly(QStringLiteral("Actions"));
    tap(editor->btnDelete);
    EXPECT_EQ(subjectRows("Words.vito"), QStringList{QStringLiteral("Empty")});
    EXPECT_EQ(nodeTexts(right(), rightNode(QStringLiteral("Words"))),
              QStringList{QStringLiteral("Empty")});

    // Done: the main window rebuilds its tree after the folder has its new name.
    press(editor->TreeVirtual, rightNode(QStringLiteral("Words")));
    editor->btnRename->click();
    typeOnly(QStringLiteral("Phrases"));
    bool renamedWhenRefreshed = false;
    QObject::connect(editor.get(), &frmCustomSubject::RefreshSubjects, editor.get(), [&] {
        renamedWhenRefreshed = QFile::exists(virtualFolder("Phrases.vito")) &&
                               !QFile::exists(virtualFolder("Words.vito"));
    });
    tap(editor->btnDone);
    EXPECT_TRUE(renamedWhenRefreshed);
}

// Tab in the box ends the edit; it never opens the next node's label.
TEST_F(EditorTest, TabInTheRenameBoxEndsTheEditAndLeavesTheOtherNodesAlone) {
    const QStringList before{right().Text(1), right().Text(2), right().Text(3)};
    press(editor->TreeVirtual, rightNode(QStringLiteral("Verbs")));
    editor->btnRename->click();
    labelBox(*editor)->setText(QStringLiteral("Actions"));
    QTest::keyClick(labelBox(*editor), Qt::Key_Tab);
    settle();
    EXPECT_FALSE(editing());
    EXPECT_EQ(subjectRows("Mine.vito"), (QStringList{"Actions", "Empty"}));
    EXPECT_EQ(right().Text(rightNode(QStringLiteral("Empty"))), QStringLiteral("Empty"));
    EXPECT_EQ(right().Text(1), before[0]);
}

TEST_F(EditorTest, DeleteRemovesEachNodeKindAndAFolderGoesToTheTrash) {
    const int verbs = rightNode(QStringLiteral("Verbs"));
    press(editor->TreeVirtual, verbs);
    press(editor->TreeVirtual, rightNode(QStringLiteral("Fot2")));
    editor->btnDelete->click();
    EXPECT_EQ(right().Children(verbs), 0);
    EXPECT_EQ(phraseRowCount("Mine.vito"), 0);

    // The pop-up menu acts on the node under the pointer.
    const int empty = rightNode(QStringLiteral("Empty"));
    press(editor->TreeVirtual, empty, Qt::RightButton);
    const QPoint at = editor->TreeVirtual->NodeRect(empty).center();
    QContextMenuEvent menu(QContextMenuEvent::Mouse, at,
                           editor->TreeVirtual->viewport()->mapToGlobal(at));
    QCoreApplication::sendEvent(editor->TreeVirtual->viewport(), &menu);
    EXPECT_TRUE(editor->mnuEdit->isVisible());
    editor->mnuEdit->hide();
    editor->mnuDelete->trigger();
    EXPECT_EQ(subjectRows("Mine.vito"), QStringList{QStringLiteral("Verbs")});

    // A whole folder goes only when the student says so.
    const QByteArray bytes = readAll(virtualFolder("Mine.vito"));
    press(editor->TreeVirtual, 1);
    host.answerNext(vb::vbNo);
    QTest::keyClick(editor->TreeVirtual, Qt::Key_Delete);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.lastBox().text, caption(caption::DeleteFolderQuestion).arg("Mine"));
    EXPECT_EQ(host.lastBox().style, vb::vbYesNo | vb::vbQuestion);
    EXPECT_EQ(right().Count(), 2);
    EXPECT_EQ(readAll(virtualFolder("Mine.vito")), bytes);
    host.answerNext(vb::vbYes);
    QTest::keyClick(editor->TreeVirtual, Qt::Key_Delete);
    host.boxes.clear();
    EXPECT_EQ(right().Count(), 0);
    EXPECT_FALSE(QFile::exists(virtualFolder("Mine.vito")));
    EXPECT_EQ(readAll(TestEnv::trashFilesFolder() + "Mine.vito"), bytes);
    EXPECT_TRUE(host.boxes.empty());
    // An empty tree: nothing to delete, rename or add to.
    editor->btnDelete->click();
    editor->btnNewSubject->click();
    EXPECT_TRUE(host.boxes.empty());
}

TEST_F(EditorTest, AnInstalledSubjectRemovedMeanwhileIsReportedAndNothingIsAdded) {
    const int food = openSubject(QStringLiteral("Food"));
    ASSERT_TRUE(QFile::remove(installed("Food.ito")));
    drop(food, 1);
    drop(left().Child(food), rightNode(QStringLiteral("Empty")));
    ASSERT_EQ(host.boxes.size(), 2u);
    EXPECT_TRUE(host.boxes[0].text.contains(QStringLiteral("Copy_Subject: ")));
    EXPECT_TRUE(host.boxes[1].text.contains(QStringLiteral("Copy_Phrase: ")));
    EXPECT_EQ(nodeTexts(right(), 1), (QStringList{"Verbs", "Empty"}));
    EXPECT_EQ(right().Children(rightNode(QStringLiteral("Empty"))), 0);
    EXPECT_EQ(subjectRows("Mine.vito").size(), 2);
    EXPECT_EQ(phraseRowCount("Mine.vito"), 1);
}

// The editor opened from the main window, as a student uses it.
class EditorFromMainWindowTest : public SubjectTestBase {
protected:
    void SetUp() override {
        subjects::CreateVirtualFolderFile(env.programFolder() + QStringLiteral("custom.tpl"));
        subject(QStringLiteral("Food.ito"), 4);
        program.folders.activitiesFolder = env.programFolder() + QStringLiteral("Activities/");
        program.folders.dataFolder = env.programFolder();
        program.currentStudent = QStringLiteral("Ann");
        main = std::make_unique<frmMain>(program);
        for (auto [mine, ours] : {std::pair{&main->File1, &File1}, {&main->File2, &File2}}) {
            mine->SetPattern(ours->Pattern());
            mine->SetPath(ours->Path());
        }
        main->subjectTree().Create_Folders();
        main->subjectTree().Get_Subjects();
        main->subjectTree().Get_vSubjects();
        main->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(main.get()));
    }
    frmCustomSubject *open() {
        main->btnCreateVirtualSubjects->click();
        return main->findChild<frmCustomSubject *>();
    }

    std::unique_ptr<frmMain> main;
};

TEST_F(EditorFromMainWindowTest, TheTreeIsRebuiltOnceAfterChangesAndNotAfterNone) {
    QSignalSpy rebuilt(&main->TreeFolders, &QAbstractItemModel::modelReset);
    frmCustomSubject *editor = open();
    ASSERT_TRUE(editor);
    EXPECT_FALSE(main->isVisible());
    EXPECT_TRUE(editor->isVisible());
    editor->btnDone->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(main->isVisible());
    EXPECT_EQ(rebuilt.count(), 0);

    editor = open();
    ASSERT_TRUE(editor);
    editor->btnNewFolder->click();
    editor->close();
    EXPECT_EQ(rebuilt.count(), 1);
    EXPECT_FALSE(program.bSubjectsChanged);
    EXPECT_NE(main->TreeFolders.Text(4), QString());
}

TEST_F(EditorFromMainWindowTest, TheEditorsPhrasesAreHeardAndRecordedThroughTheMainWindow) {
    frmCustomSubject *editor = open();
    ASSERT_TRUE(editor);
    TreeView &left = editor->TreeSubjects->Nodes();
    const int food = findNode(left, QStringLiteral("Food"));
    editor->TreeSubjects_NodeClick(food);
    left.Select(left.ChildAt(food, 1));
    editor->TreeSubjects->setFocus();
    QTest::keyClick(editor->TreeSubjects, Qt::Key_Return);
    ASSERT_EQ(host.sounds.size(), 1u);
    EXPECT_EQ(host.sounds[0].path, phraseSound::Selected_Phrase_Path(program));
    // Recording on a machine without a microphone: the learner is told.
    host.microphone = false;
    QTest::keyClick(editor->TreeSubjects, Qt::Key_R);
    EXPECT_EQ(host.lastBox().text, caption(caption::NoMicrophone));
    editor->close();
}

TEST_F(EditorFromMainWindowTest, AVirtualSubjectMadeInTheEditorIsStudied) {
    frmCustomSubject *editor = open();
    ASSERT_TRUE(editor);
    editor->btnNewFolder->click();
    QLineEdit *box = labelBox(*editor);
    ASSERT_TRUE(box);
    box->setText(QStringLiteral("Trip"));
    QTest::keyClick(box, Qt::Key_Return);
    settle();
    editor->btnNewSubject->click();
    box = labelBox(*editor);
    ASSERT_TRUE(box);
    box->setText(QStringLiteral("Snacks"));
    QTest::keyClick(box, Qt::Key_Return);
    settle();

    TreeView &left = editor->TreeSubjects->Nodes();
    TreeView &right = editor->TreeVirtual->Nodes();
    const int food = findNode(left, QStringLiteral("Food"));
    editor->TreeSubjects_NodeClick(food);
    for (int n : {3, 1}) {
        left.Select(left.ChildAt(food, n));
        editor->Copy_Selection();
        right.Select(findNode(right, QStringLiteral("Snacks")));
        editor->Paste_Selection();
    }
    editor->btnDone->click();
    ASSERT_TRUE(main->isVisible());

    const int snacks = findNode(main->TreeFolders, QStringLiteral("Snacks"));
    ASSERT_NE(snacks, 0);
    main->TreeFolders.Select(snacks);
    main->subjectTree().NodeClick(snacks);
    main->activityLaunch().btnAct_Click(QStringLiteral("Quiz"));
    ASSERT_EQ(host.startedPrograms.size(), 1);
    const QStringList lines = QString::fromUtf8(readAll(activities::Study_File_Path(program)))
                                  .split(QStringLiteral("\r\n"));
    ASSERT_GE(lines.size(), 15 + 8);
    EXPECT_EQ(lines[7], QStringLiteral("2"));
    EXPECT_EQ(lines[15], QStringLiteral("\"Fop4\""));
    EXPECT_EQ(lines[19], QStringLiteral("\"Fop2\""));
}

} // namespace
