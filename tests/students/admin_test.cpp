// The progress viewer, driven through its controls with the student database
// on disk: the three views, a pair's rows and chart, the keyboard, the CSV
// export and the clearing of the database.
#include "activities/study_set.h"
#include "frame/folder_set.h"
#include "frame/mod_main.h"
#include "frame/program.h"
#include "frame/template_texts.h"
#include "frame/update_check.h"
#include "platform/ado.h"
#include "platform/pictures.h"
#include "platform/platform_language.h"
#include "platform/registry.h"
#include "platform/tiled_background.h"
#include "platform/tree_view.h"
#include "platform/tree_view_widget.h"
#include "students/frm_admin.h"
#include "students/frm_make_virtual_subject.h"
#include "students/pending_scores.h"
#include "students/phrase_views.h"
#include "students/progress_chart.h"
#include "students/score_views.h"
#include "students/student_database.h"
#include "study_data/learner_reviews.h"
#include "study_data/study_results.h"
#include "subjects/subject_fixture.h"
#include "support/fake_host.h"
#include "support/recording_windows.h"
#include "support/test_env.h"
#include "virtual/virtual_store.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QStyledItemDelegate>
#include <QTest>
#include <QTreeWidget>

#include <sqlite3.h>

#include <gtest/gtest.h>

#include <ostream>

static void PrintTo(const QString &text, std::ostream *os) {
    *os << '"' << text.toStdString() << '"';
}

namespace {

class AdminTest : public ::testing::Test {
protected:
    AdminTest() : program(host, env.settings()) {
        env.installTemplate();
        program.identity = Identity::ForCode(QStringLiteral("tvxito"));
        program.folders.programFolder = folders::Get_App_Path(program);
        templateTexts::Get_Captions(program);
        folders::Set_Paths(program);
        program.setWindows(&windows);
        database().Create_From_Template(program.templatePath());
        // As the shell does at its start: our own texts in the learner's
        // language.
        platformLanguage::Use_Learner_Language(program.identity.learnerLanguage);
    }
    ~AdminTest() override { platformLanguage::Use_Learner_Language(QStringLiteral("English")); }

    const QString &cap(int n) const { return program.captions[n]; }
    StudentDatabase database() const {
        return StudentDatabase(program.usersPath(), program.captions);
    }

    qint64 addStudent(const QString &first, const QString &last, int icon) {
        return database().Add({first, last, std::nullopt, icon});
    }
    void execute(const QString &sql, const QVariantList &params = {}) {
        ado::Connection cn;
        cn.Open(modMain::Get_Template_Connection_String(program.usersPath()));
        cn.Execute(sql, params);
    }
    void addScore(const QString &name, const QString &activity, const QString &subject,
                  const QVariant &text, const QVariant &number, double date, double time) {
        execute(QStringLiteral("INSERT INTO tblscores(tName, tActivity, tSubject, textScore, "
                               "numberScore, nDate, nTime) VALUES (?, ?, ?, ?, ?, ?, ?)"),
                {name, activity, subject, text, number, date, time});
    }

    // Two students, the administrator first; two activities and two
    // subjects with scores, one of them a text.
    void addStudentsAndScores() {
        ana = addStudent(QStringLiteral("Ana"), QStringLiteral("García"), 5);
        sean = addStudent(QStringLiteral("Seán"), QStringLiteral("O'Brien"), 7);
        const QString a = QStringLiteral("Ana García");
        addScore(a, "Flash Cards", "Food", QString(), 70, 46002, 0.5);
        addScore(a, "Flash Cards", "Food", QStringLiteral("Good, \"very\""), 90, 46001, 0.25);
        addScore(a, "Flash Cards", "Travel", QString(), 60, 46000, 0.75);
        addScore(QStringLiteral("Seán O'Brien"), "Quiz", "Travel", QString(), 40, 46003, 0.1);
        addScore(a, "Quiz", "Food", QVariant(), 85, 46000, 0.2);
    }

    std::unique_ptr<frmAdmin> openViewer() {
        auto viewer = std::make_unique<frmAdmin>(program);
        viewer->show();
        return viewer;
    }
    // The view choice, as the drop-down list reports a choice.
    static void choose(frmAdmin &viewer, int view) {
        viewer.cboView->setCurrentIndex(view);
        emit viewer.cboView->activated(view);
    }

    // Every node in creation order: children indented, "*" bold, pictures,
    // "#" tag, "blue" for the administrator's colour.
    static QStringList nodesOf(const frmAdmin &viewer) {
        const TreeView &nodes = viewer.TreeView1->Nodes();
        QStringList lines;
        for (int i = 1; i <= nodes.Count(); ++i) {
            QString line = (nodes.Parent(i) ? QStringLiteral("  ") : QString()) + nodes.Text(i);
            if (nodes.Bold(i))
                line += QStringLiteral(" *");
            if (nodes.Image(i))
                line += QStringLiteral(" [%1/%2]").arg(nodes.Image(i)).arg(nodes.SelectedImage(i));
            if (!nodes.Tag(i).isEmpty())
                line += QStringLiteral(" #") + nodes.Tag(i);
            if (nodes.ForeColor(i) == QColor(0, 0, 255))
                line += QStringLiteral(" blue");
            lines << line;
        }
        return lines;
    }
    static QStringList rowsOf(const frmAdmin &viewer) {
        QStringList rows;
        for (int i = 0; i < viewer.ListView1->topLevelItemCount(); ++i) {
            const QTreeWidgetItem *item = viewer.ListView1->topLevelItem(i);
            rows << QStringList{item->text(0), item->text(1), item->text(2), item->text(3)}.join(
                QLatin1Char('|'));
        }
        return rows;
    }
    static QStringList headingsOf(const frmAdmin &viewer) {
        QStringList headings;
        for (int i = 0; i < 4; ++i)
            headings << viewer.ListView1->headerItem()->text(i);
        return headings;
    }
    static QVector<double> chartOf(const frmAdmin &viewer) {
        QVector<double> scores;
        for (const scores::ChartPoint &point : viewer.picProgress->Points())
            scores << point.score;
        return scores;
    }
    // A mouse click on a node the tree shows.
    static void clickNode(frmAdmin &viewer, int index) {
        TreeViewWidget &tree = *viewer.TreeView1;
        tree.scrollTo(tree.ModelIndexOf(index));
        const QRect rect = tree.NodeRect(index);
        ASSERT_FALSE(rect.isEmpty()) << "node " << index << " is not shown";
        QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, rect.center());
    }

    // Exports the chosen view as the user does, and waits until it is done.
    static void exportView(frmAdmin &viewer) {
        QTest::mouseClick(viewer.btnExport, Qt::LeftButton);
        viewer.WaitForExport();
    }

    static QByteArray readAll(const QString &path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    // A game of bread (entry 1) and milk (entry 2) with these grades, its
    // launch recorded as the shell records it.
    void recordGame(const QString &id, const QString &student, const QDateTime &when,
                    const QVector<int> &grades) {
        const QString studyFile = QStringLiteral("~tvx%1.txt").arg(id);
        studyResults::Launch launch{id, studyFile, student, QStringLiteral("Food"), when,
                                    {{1, "Food.ito", 1, "pane", "bread", ""},
                                     {2, "Food.ito", 2, "latte", "milk", ""}}};
        studyResults::Record_Launch(program.usersPath(), launch, 1000);
        QVector<studyResults::PhraseResult> results;
        for (int i = 0; i < grades.size(); ++i)
            results << studyResults::PhraseResult{i + 1, grades[i], when.addSecs(10 * (i + 1)), -1};
        ASSERT_EQ(studyResults::Write_Results(program.usersPath(), studyFile, when,
                                              {{"pane", "bread", ""}, {"latte", "milk", ""}},
                                              results, 1000),
                  studyResults::ResultsWritten::Written);
    }

    TestEnv env;
    FakeHost host;
    RecordingWindows windows;
    Program program;
    qint64 ana = 0;
    qint64 sean = 0;
};

TEST_F(AdminTest, TheAdministratorTurnsTheWeeklyUpdateCheckOffAndOn) {
    {
        const auto viewer = openViewer();
        EXPECT_EQ(viewer->chkUpdateCheck->text(), cap(caption::WeeklyUpdateCheck));
        EXPECT_TRUE(viewer->chkUpdateCheck->isChecked()) << "on unless turned off";
        viewer->chkUpdateCheck->click();
    }
    EXPECT_FALSE(updateCheck::Is_Update_Check_On(program));
    const auto again = openViewer();
    EXPECT_FALSE(again->chkUpdateCheck->isChecked());
    again->chkUpdateCheck->click();
    EXPECT_TRUE(updateCheck::Is_Update_Check_On(program));
}

TEST_F(AdminTest, LoadsItsTextsWithNoViewChosenAndNamesEveryControl) {
    const auto viewer = openViewer();
    EXPECT_EQ(viewer->windowTitle(), cap(54));
    EXPECT_EQ(viewer->lblView->text(), cap(52));
    EXPECT_EQ(viewer->btnClearDatabase->text(), cap(56));
    EXPECT_EQ(viewer->btnExport->text(), cap(caption::ExportScores));
    ASSERT_EQ(viewer->cboView->count(), 4);
    EXPECT_EQ(viewer->cboView->itemText(0), cap(50));
    EXPECT_EQ(viewer->cboView->itemText(1), cap(46));
    EXPECT_EQ(viewer->cboView->itemText(2), cap(10));
    EXPECT_EQ(viewer->cboView->itemText(3), cap(caption::ByPhrase));
    EXPECT_EQ(viewer->lblRetention->text(), cap(caption::DesiredRetention));
    EXPECT_EQ(viewer->cboView->currentIndex(), -1);
    EXPECT_EQ(viewer->View(), -1);
    EXPECT_EQ(viewer->TreeView1->Nodes().Count(), 0);
    EXPECT_EQ(viewer->ListView1->topLevelItemCount(), 0);
    EXPECT_EQ(headingsOf(*viewer), (QStringList{QString(), cap(47), cap(48), cap(49)}));
    EXPECT_EQ(viewer->ListView1->columnWidth(0), 133); // 2000 twips
    EXPECT_EQ(viewer->ListView1->columnWidth(3), 87);  // 1300 twips
    EXPECT_EQ(viewer->ImageList2->Count(), 43);
    EXPECT_FALSE(viewer->btnExport->isEnabled()); // nothing to export yet

    // Tab runs through the controls the way they are read: the view choice,
    // the tree, the list, then the buttons.
    QStringList order;
    for (QWidget *w = viewer->cboView; order.size() < 5; w = w->nextInFocusChain())
        if ((w->focusPolicy() & Qt::TabFocus) && w->isVisible())
            order << w->objectName();
    EXPECT_EQ(order,
              (QStringList{"cboView", "TreeView1", "ListView1", "btnExport", "btnClearDatabase"}));
    for (const QWidget *control : std::initializer_list<const QWidget *>{
             viewer->cboView, viewer->TreeView1, viewer->ListView1, viewer->picProgress,
             viewer->btnExport, viewer->btnClearDatabase, viewer->spnRetention})
        EXPECT_FALSE(control->accessibleName().isEmpty()) << control->objectName().toStdString();
}

TEST_F(AdminTest, ViewsWithoutScoresShowTheNoDataNodeThatDoesNothing) {
    auto viewer = openViewer();
    choose(*viewer, scores::ByStudent); // not even a student yet
    EXPECT_EQ(nodesOf(*viewer), QStringList{cap(55)});

    const qint64 first = addStudent(QStringLiteral("Zoe"), QStringLiteral("Quinn"), 3);
    const qint64 second = addStudent(QStringLiteral("Adam"), QStringLiteral("Baker"), 40);
    choose(*viewer, scores::ByStudent);
    EXPECT_EQ(nodesOf(*viewer),
              (QStringList{QStringLiteral("Zoe Quinn * [3/3] #%1 blue").arg(first),
                           QStringLiteral("Adam Baker * [40/40] #%1").arg(second), cap(55)}));
    clickNode(*viewer, 3);
    EXPECT_EQ(viewer->ListView1->topLevelItemCount(), 0);
    EXPECT_TRUE(windows.messages.isEmpty());

    for (const int view : {scores::ByActivity, scores::BySubject}) {
        choose(*viewer, view);
        EXPECT_EQ(nodesOf(*viewer), QStringList{cap(55)}) << view;
        EXPECT_EQ(viewer->View(), view);
    }
    clickNode(*viewer, 1);
    EXPECT_EQ(viewer->ListView1->topLevelItemCount(), 0);
    EXPECT_TRUE(windows.messages.isEmpty());
}

TEST_F(AdminTest, EveryViewListsEveryPairAndAPairShowsItsRowsInFourColumns) {
    addStudentsAndScores();
    auto viewer = openViewer();

    choose(*viewer, scores::ByStudent);
    EXPECT_EQ(nodesOf(*viewer), (QStringList{QStringLiteral("Ana García * [5/5] #%1 blue").arg(ana),
                                             QStringLiteral("Seán O'Brien * [7/7] #%1").arg(sean),
                                             "  Flash Cards [41/42]", "  Quiz [41/42]",
                                             "  Flash Cards [41/42]", "  Quiz [41/42]"}));
    EXPECT_EQ(headingsOf(*viewer), (QStringList{cap(10), cap(47), cap(48), cap(49)}));
    // A click on a student opens it; a click on a pair lists its rows, the
    // text score instead of the number, an empty text showing the number.
    clickNode(*viewer, 1);
    EXPECT_TRUE(viewer->TreeView1->Nodes().Expanded(1));
    EXPECT_EQ(viewer->ListView1->topLevelItemCount(), 0);
    clickNode(*viewer, 3);
    // Day numbers and fractions of a day show as the learner reads dates.
    EXPECT_EQ(rowsOf(*viewer),
              (QStringList{"Food|70|11/12/25|12:00", "Food|Good, \"very\"|10/12/25|6:00",
                           "Travel|60|9/12/25|18:00"}));
    clickNode(*viewer, 4);
    EXPECT_EQ(rowsOf(*viewer), QStringList{"Food|85|9/12/25|4:48"});
    // A quote in a name is only a letter.
    clickNode(*viewer, 2);
    clickNode(*viewer, 6);
    EXPECT_EQ(rowsOf(*viewer), QStringList{"Travel|40|12/12/25|2:24"});
    clickNode(*viewer, 5);
    EXPECT_TRUE(rowsOf(*viewer).isEmpty());
    clickNode(*viewer, 1); // closes again
    EXPECT_FALSE(viewer->TreeView1->Nodes().Expanded(1));

    choose(*viewer, scores::ByActivity);
    EXPECT_EQ(nodesOf(*viewer),
              (QStringList{"Flash Cards * [41/42]", "Quiz * [41/42]", "  Food [43/43]",
                           "  Travel [43/43]", "  Food [43/43]", "  Travel [43/43]"}));
    EXPECT_EQ(headingsOf(*viewer)[0], cap(50));
    EXPECT_TRUE(rowsOf(*viewer).isEmpty()); // a new view starts with an empty list
    clickNode(*viewer, 1);
    clickNode(*viewer, 3);
    EXPECT_EQ(rowsOf(*viewer), (QStringList{"Ana García|70|11/12/25|12:00",
                                            "Ana García|Good, \"very\"|10/12/25|6:00"}));

    choose(*viewer, scores::BySubject);
    EXPECT_EQ(nodesOf(*viewer),
              (QStringList{"Food * [43/43]", "Travel * [43/43]", "  Ana García [5/5]",
                           "  Seán O'Brien [7/7]", "  Ana García [5/5]", "  Seán O'Brien [7/7]"}));
    EXPECT_EQ(headingsOf(*viewer)[0], cap(46));
    clickNode(*viewer, 2);
    clickNode(*viewer, 6);
    EXPECT_EQ(rowsOf(*viewer), QStringList{"Quiz|40|12/12/25|2:24"});
    EXPECT_TRUE(windows.messages.isEmpty());
}

TEST_F(AdminTest, ChartShowsThePairsNumericScoresInDateOrder) {
    addStudentsAndScores();
    addScore(QStringLiteral("Ana García"), "Flash Cards", "Travel", QString(), 65, 46000, 0.25);
    auto viewer = openViewer();
    choose(*viewer, scores::ByStudent);
    clickNode(*viewer, 1);
    clickNode(*viewer, 3);
    // The text score is left out; the same day goes by the time.
    EXPECT_EQ(chartOf(*viewer), (QVector<double>{65, 60, 70}));
    const QVector<QPointF> at = viewer->picProgress->PointPositions();
    ASSERT_EQ(at.size(), 3);
    EXPECT_LT(at[0].x(), at[1].x());
    EXPECT_LT(at[1].x(), at[2].x());
    EXPECT_LT(at[2].y(), at[0].y()); // 70 above 65
    EXPECT_GT(at[1].y(), at[0].y()); // 60 below 65
    EXPECT_EQ(viewer->picProgress->accessibleDescription(), QStringLiteral("65, 60, 70"));

    // What is drawn is the line through those points, and a dot on each.
    const auto lineAt = [&](QPointF point) {
        const QImage drawn = viewer->picProgress->grab().toImage();
        const QColor colour = drawn.pixelColor(point.toPoint());
        return colour.blue() > 150 && colour.red() < 100;
    };
    EXPECT_TRUE(lineAt(at[1]));

    clickNode(*viewer, 4); // one score: one dot
    EXPECT_EQ(chartOf(*viewer), QVector<double>{85});
    EXPECT_EQ(viewer->picProgress->PointPositions().size(), 1);
    EXPECT_TRUE(lineAt(viewer->picProgress->PointPositions()[0]));
    EXPECT_FALSE(lineAt(at[1])) << "the picture of the pair before";
    clickNode(*viewer, 2);
    clickNode(*viewer, 5); // Seán's Flash Cards: nothing
    EXPECT_TRUE(chartOf(*viewer).isEmpty());
}

TEST_F(AdminTest, TheTiledBackgroundShowsBetweenTheControlsAfterAClick) {
    addStudentsAndScores();
    auto viewer = openViewer();
    choose(*viewer, scores::ByStudent);
    clickNode(*viewer, 1);
    clickNode(*viewer, 3);
    QCoreApplication::processEvents();

    // The tiles as the window lays them, from its top left corner.
    QPixmap tiles(viewer->size());
    tiles.fill(viewer->palette().color(QPalette::Window));
    {
        QPainter painter(&tiles);
        tiling::TileBackground(painter, viewer->size(),
                               LoadPicture(QStringLiteral(":/tiles/background.png")));
    }
    const QImage expected = tiles.toImage().convertToFormat(QImage::Format_RGB32);
    const QImage shown = viewer->grab().toImage().convertToFormat(QImage::Format_RGB32);
    // Left of the tree, between the tree and the list, and under the list.
    const QRect tree = viewer->TreeView1->geometry();
    const QRect list = viewer->ListView1->geometry();
    for (const QRect &gap :
         {QRect(2, tree.top(), tree.left() - 4, tree.height()),
          QRect(tree.right() + 2, tree.top(), list.left() - tree.right() - 3, tree.height()),
          QRect(list.left(), list.bottom() + 2, list.width(), 4)}) {
        ASSERT_FALSE(gap.isEmpty());
        EXPECT_EQ(shown.copy(gap), expected.copy(gap))
            << "at " << gap.x() << "," << gap.y() << " " << gap.width() << "x" << gap.height();
    }
}

TEST_F(AdminTest, DatesAndTimesShowInTheLearnersShortFormTextsAsStored) {
    addStudentsAndScores();
    const QString a = QStringLiteral("Ana García");
    // As the activity kit writes them, as text from another program, and
    // numbers of neither encoding.
    addScore(a, "Quiz", "Food", QString(), 50, 20261209, 10269);
    addScore(a, "Quiz", "Food", QString(), 55, 45300.5, 0.75);
    execute(QStringLiteral("INSERT INTO tblscores(tName, tActivity, tSubject, textScore, "
                           "numberScore, nDate, nTime) VALUES (?, 'Quiz', 'Food', '', 60, "
                           "'2024-03-05', '10:15')"),
            {a});
    addScore(a, "Quiz", "Food", QString(), 65, 20241399, 90000);
    auto viewer = openViewer();
    choose(*viewer, scores::ByStudent);
    clickNode(*viewer, 1);
    clickNode(*viewer, 4);
    EXPECT_EQ(rowsOf(*viewer), (QStringList{"Food|85|9/12/25|4:48", "Food|50|9/12/26|2:51",
                                            "Food|55|9/1/24 12:00|18:00",
                                            "Food|60|2024-03-05|10:15", "Food|65|20241399|90000"}));

    // The export writes what the list shows.
    const QString path = env.root() + QStringLiteral("quiz.csv");
    host.answerNextSave(path);
    exportView(*viewer);
    const QByteArray bytes = readAll(path);
    for (const char *line : {"\r\nAna García,Quiz,Food,50,9/12/26,2:51\r\n",
                             "\r\nAna García,Quiz,Food,55,9/1/24 12:00,18:00\r\n",
                             "\r\nAna García,Quiz,Food,60,2024-03-05,10:15\r\n",
                             "\r\nAna García,Quiz,Food,65,20241399,90000\r\n"})
        EXPECT_TRUE(bytes.contains(line)) << line;
}

TEST_F(AdminTest, ChartOrdersMixedDateFormsByTrueDateAndWritesTheDaysUnderItsTimeAxis) {
    addStudentsAndScores();
    const QString a = QStringLiteral("Ana García");
    const auto scoreAt = [&](double score, const QVariant &date, const QVariant &time) {
        execute(QStringLiteral("INSERT INTO tblscores(tName, tActivity, tSubject, textScore, "
                               "numberScore, nDate, nTime) VALUES (?, 'Quiz', 'Travel', '', ?, ?, "
                               "?)"),
                {a, score, date, time});
    };
    scoreAt(40, 20240310.0, 36000.0);                      // 10 March, yyyymmdd
    scoreAt(30, QStringLiteral("06/03/2024"), QVariant()); // 6 March, written day first
    scoreAt(15, 20240305.0, 36000.0);                      // 5 March 10:00
    scoreAt(10, QStringLiteral("2024-03-01"), QStringLiteral("09:00"));
    scoreAt(12, 45356.25, QVariant()); // 5 March 6:00, a day number
    auto viewer = openViewer();
    choose(*viewer, scores::ByActivity);
    clickNode(*viewer, 2);
    clickNode(*viewer, 6); // Quiz / Travel, with Seán's score of 12 December 2025
    EXPECT_EQ(chartOf(*viewer), (QVector<double>{10, 12, 15, 30, 40, 40}));
    QStringList days;
    for (const auto &[index, text] : viewer->picProgress->AxisLabels())
        days << text;
    EXPECT_EQ(days.front(), QStringLiteral("1/3/24"));
    EXPECT_EQ(days.back(), QStringLiteral("12/12/25"));
    EXPECT_TRUE(days.contains(QStringLiteral("5/3/24"))) << days.join(' ').toStdString();
}

TEST_F(AdminTest, ColumnsFitWhatTheyShowKeepTheirWidthsAndANewViewStartsAtTheTop) {
    addStudentsAndScores();
    const QString a = QStringLiteral("Ana García");
    execute(QStringLiteral("INSERT INTO tblscores(tName, tActivity, tSubject, textScore, "
                           "numberScore, nDate, nTime) VALUES (?, 'Quiz', 'Food', ?, 0, "
                           "'2024-03-05 10:15:00', '10:15:00 p. m.')"),
            {a, QStringLiteral("Muy bien: todas las frases a la primera")});
    // Trees longer than the window: 42 students, 42 activities.
    for (int i = 1; i <= 40; ++i) {
        addStudent(QStringLiteral("Alumno"), QStringLiteral("Número %1").arg(i), 1 + i % 40);
        addScore(QStringLiteral("Seán O'Brien"),
                 QStringLiteral("Juego %1").arg(i, 2, 10, QLatin1Char('0')), "Travel", QString(), 1,
                 46000, 0);
    }
    auto viewer = openViewer();
    QTreeWidget &list = *viewer->ListView1;
    const int designed[4] = {133, 67, 67, 87}; // 2000, 1000, 1000 and 1300 twips
    // Every text of the list fits its column as the list draws it.
    const auto expectFits = [&list, &designed] {
        QStyleOptionViewItem option;
        option.initFrom(&list);
        option.widget = &list;
        for (int column = 0; column < 4; ++column) {
            EXPECT_GE(list.columnWidth(column), designed[column]) << column;
            for (int row = 0; row < list.topLevelItemCount(); ++row) {
                const QModelIndex index = list.model()->index(row, column);
                EXPECT_GE(list.columnWidth(column),
                          list.itemDelegateForIndex(index)->sizeHint(option, index).width())
                    << list.topLevelItem(row)->text(column).toStdString();
            }
        }
    };

    choose(*viewer, scores::ByStudent);
    for (int column = 1; column < 4; ++column)
        EXPECT_GE(list.columnWidth(column), designed[column]);
    clickNode(*viewer, 1);
    const TreeView &nodes = viewer->TreeView1->Nodes();
    int quiz = nodes.Child(1);
    while (quiz && nodes.Text(quiz) != QLatin1String("Quiz"))
        quiz = nodes.Next(quiz);
    ASSERT_NE(quiz, 0);
    clickNode(*viewer, quiz); // Ana's Quiz
    ASSERT_EQ(rowsOf(*viewer).size(), 2);
    EXPECT_EQ(rowsOf(*viewer)[1], QStringLiteral("Food|Muy bien: todas las frases a la primera|"
                                                 "2024-03-05 10:15:00|10:15:00 p. m."));
    expectFits();
    int widths[4];
    for (int column = 0; column < 4; ++column)
        widths[column] = list.columnWidth(column);

    // The tree is read from its end; another view starts at the top with
    // the columns as wide as they were.
    viewer->TreeView1->scrollToBottom();
    QCoreApplication::processEvents();
    ASSERT_GT(viewer->TreeView1->verticalScrollBar()->value(), 0);
    choose(*viewer, scores::ByActivity); // as long a tree as the one before
    QCoreApplication::processEvents();
    EXPECT_EQ(viewer->TreeView1->verticalScrollBar()->value(), 0);
    for (int column = 0; column < 4; ++column)
        EXPECT_GE(list.columnWidth(column), widths[column]) << column;
    choose(*viewer, scores::BySubject);
    clickNode(*viewer, 1);
    clickNode(*viewer, 3); // Food / Ana García
    expectFits();
}

TEST_F(AdminTest, KeyboardChoosesAViewMovesThroughTheTreeAndEnterShowsAPair) {
    addStudentsAndScores();
    auto viewer = openViewer();
    QTest::keyClick(viewer->cboView, Qt::Key_Down);
    EXPECT_EQ(viewer->View(), scores::ByStudent);
    ASSERT_EQ(viewer->TreeView1->Nodes().Count(), 6);

    TreeViewWidget *tree = viewer->TreeView1;
    const TreeView &nodes = tree->Nodes();
    QTest::keyClick(tree, Qt::Key_Down); // Ana: selected, neither opened nor read
    EXPECT_EQ(nodes.Selected(), 1);
    EXPECT_FALSE(nodes.Expanded(1));
    QTest::keyClick(tree, Qt::Key_Return); // Enter opens her as a click does
    EXPECT_TRUE(nodes.Expanded(1));
    QTest::keyClick(tree, Qt::Key_Down);
    EXPECT_EQ(nodes.Selected(), 3);
    EXPECT_TRUE(rowsOf(*viewer).isEmpty());
    QTest::keyClick(tree, Qt::Key_Return);
    EXPECT_EQ(rowsOf(*viewer).size(), 3);
    EXPECT_EQ(chartOf(*viewer), (QVector<double>{60, 70}));
    EXPECT_TRUE(host.boxes.empty()); // Enter pressed no button
}

TEST_F(AdminTest, ExportWritesEveryPairOfTheViewOnceAsCsv) {
    addStudentsAndScores();
    // A second student of the same name shares Ana's rows in the tree.
    addStudent(QStringLiteral("Ana"), QStringLiteral("García"), 9);
    auto viewer = openViewer();
    choose(*viewer, scores::ByStudent);
    const QString path = env.root() + QStringLiteral("progress.csv");
    host.answerNextSave(path);
    exportView(*viewer);

    ASSERT_EQ(host.saveDialogs.size(), 1u);
    EXPECT_EQ(host.saveDialogs[0].title, cap(caption::ExportTitle));
    EXPECT_TRUE(
        host.saveDialogs[0].filter.startsWith(cap(caption::CsvFilter) + QStringLiteral(";;")));
    EXPECT_EQ(host.saveDialogs[0].proposedFilter, 0);
    EXPECT_EQ(QFileInfo(host.saveDialogs[0].suggestedPath).fileName(),
              cap(54) + QStringLiteral(" - ") + cap(50) + QStringLiteral(".csv"));
    const QByteArray expected =
        (QStringList{cap(50), cap(46), cap(10), cap(47), cap(48), cap(49)}
             .join(QLatin1Char(','))
             .toUtf8() +
         "\r\n"
         "Ana García,Flash Cards,Food,70,11/12/25,12:00\r\n"
         "Ana García,Flash Cards,Food,\"Good, \"\"very\"\"\",10/12/25,6:00\r\n"
         "Ana García,Flash Cards,Travel,60,9/12/25,18:00\r\n"
         "Ana García,Quiz,Food,85,9/12/25,4:48\r\n"
         "Seán O'Brien,Quiz,Travel,40,12/12/25,2:24\r\n");
    EXPECT_EQ(readAll(path), expected);
    ASSERT_EQ(host.boxes.size(), 1u); // where it went
    EXPECT_EQ(vb::IconOf(host.lastBox().style), vb::vbInformation);

    // Cancelling the dialog writes nothing.
    QFile::remove(path);
    QTest::mouseClick(viewer->btnExport, Qt::LeftButton);
    EXPECT_FALSE(viewer->Exporting());
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_EQ(host.boxes.size(), 1u);

    // A file that cannot be written is named in a message, and an existing
    // file is left as it was when the rows cannot be read.
    host.answerNextSave(env.root());
    exportView(*viewer);
    ASSERT_EQ(host.boxes.size(), 2u);
    EXPECT_TRUE(host.lastBox().text.startsWith(cap(caption::ExportNotWritten) +
                                               QStringLiteral("\r\n") +
                                               QDir::toNativeSeparators(env.root())));
    writeFile(path, "earlier export");
    execute(QStringLiteral("DROP TABLE tblscores"));
    host.answerNextSave(path);
    exportView(*viewer);
    ASSERT_EQ(host.boxes.size(), 3u);
    EXPECT_TRUE(host.lastBox().text.contains(QLatin1String("tblscores")));
    EXPECT_EQ(readAll(path), QByteArray("earlier export"));
    EXPECT_TRUE(viewer->btnExport->isEnabled());
}

TEST_F(AdminTest, ExportCompletesTheNameStartsInAFolderThatExistsAndSaysWhereItSaved) {
    addStudentsAndScores();
    auto viewer = openViewer();
    choose(*viewer, scores::BySubject);
    const QString documents = env.homeFolder() + QStringLiteral("Documents");
    ASSERT_FALSE(QFileInfo::exists(documents));

    // No folder remembered and no documents folder: the dialog starts at
    // home, and a name typed without a suffix gets ".csv".
    const QString exports = env.root() + QStringLiteral("exports/");
    QDir().mkpath(exports);
    host.answerNextSave(exports + QStringLiteral("notas"));
    exportView(*viewer);
    ASSERT_EQ(host.saveDialogs.size(), 1u);
    EXPECT_EQ(QFileInfo(host.saveDialogs[0].suggestedPath).absolutePath() + QLatin1Char('/'),
              env.homeFolder());
    EXPECT_EQ(host.saveDialogs[0].defaultSuffix, QStringLiteral("csv"));
    const QString written = exports + QStringLiteral("notas.csv");
    EXPECT_TRUE(readAll(written).startsWith(cap(10).toUtf8() + ','));
    EXPECT_FALSE(QFileInfo::exists(exports + QStringLiteral("notas")));
    // Said in the learner's language, with the file.
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.lastBox().text,
              QStringLiteral("Las puntuaciones se han guardado en este archivo:\r\n") +
                  QDir::toNativeSeparators(written));

    // The next export starts where the last one went; a name of another
    // suffix keeps it.
    host.answerNextSave(exports + QStringLiteral("notas.txt"));
    exportView(*viewer);
    ASSERT_EQ(host.saveDialogs.size(), 2u);
    EXPECT_EQ(QFileInfo(host.saveDialogs[1].suggestedPath).absolutePath(),
              QFileInfo(written).absolutePath());
    EXPECT_TRUE(QFileInfo::exists(exports + QStringLiteral("notas.txt")));

    // Completing the name must not replace a file unasked: No keeps it.
    writeFile(written, "kept");
    host.answerNextSave(exports + QStringLiteral("notas"));
    host.answerNext(vb::vbNo);
    QTest::mouseClick(viewer->btnExport, Qt::LeftButton);
    EXPECT_FALSE(viewer->Exporting());
    ASSERT_EQ(host.boxes.size(), 3u);
    EXPECT_TRUE(host.lastBox().text.contains(QDir::toNativeSeparators(written)));
    EXPECT_EQ(vb::ButtonsOf(host.lastBox().style), vb::vbYesNo);
    EXPECT_EQ(readAll(written), QByteArray("kept"));

    // The remembered folder is gone: the documents folder, once it exists.
    QDir(exports).removeRecursively();
    QDir().mkpath(documents);
    QTest::mouseClick(viewer->btnExport, Qt::LeftButton);
    ASSERT_EQ(host.saveDialogs.size(), 4u);
    EXPECT_EQ(QFileInfo(host.saveDialogs[3].suggestedPath).absolutePath(),
              QFileInfo(documents).absoluteFilePath());
}

TEST_F(AdminTest, ExportOffersTheFormThatSpreadsheetsSetToSpanishOpenIntoColumns) {
    addStudentsAndScores();
    const QString a = QStringLiteral("Ana García");
    addScore(a, "Flash Cards", "Food", QString(), 72.5, 20261209, 10269);
    addScore(a, "Flash Cards", "Food", QStringLiteral("7.5/10; bien"), 7.5, 45300.5, 0.75);
    addScore(a, "Flash Cards", "Food", QString(), 12.25, -3.5, 90000);
    auto viewer = openViewer();
    choose(*viewer, scores::ByActivity);
    const QString path = env.root() + QStringLiteral("hoja.csv");
    host.answerNextSave(path, 1);
    exportView(*viewer);

    ASSERT_EQ(host.saveDialogs.size(), 1u);
    EXPECT_EQ(host.saveDialogs[0].filter,
              cap(caption::CsvFilter) +
                  QStringLiteral(";;CSV para hojas de cálculo en español (punto y coma) (*.csv)"));
    const QByteArray bytes = readAll(path);
    const QByteArray header = "\xEF\xBB\xBF" +
                              QStringList{cap(46), cap(10), cap(50), cap(47), cap(48), cap(49)}
                                  .join(QLatin1Char(';'))
                                  .toUtf8() +
                              "\r\n";
    ASSERT_TRUE(bytes.startsWith(header)) << bytes.left(200).toStdString();
    const QList<QByteArray> lines = bytes.mid(header.size()).split('\n');
    // Decimal commas in numbers, dates and times in the forms such a
    // spreadsheet reads, texts as stored, quoted where they hold a ";".
    EXPECT_TRUE(lines.contains("Flash Cards;Food;Ana García;70;11/12/2025;12:00:00\r"));
    EXPECT_TRUE(lines.contains("Flash Cards;Food;Ana García;72,5;09/12/2026;02:51:09\r"));
    EXPECT_TRUE(lines.contains(
        "Flash Cards;Food;Ana García;\"7.5/10; bien\";09/01/2024 12:00:00;18:00:00\r"));
    EXPECT_TRUE(lines.contains("Flash Cards;Food;Ana García;12,25;-3,5;90000\r"));
    EXPECT_TRUE(
        lines.contains("Flash Cards;Food;Ana García;\"Good, \"\"very\"\"\";10/12/2025;06:00:00\r"));

    // The next export proposes the form chosen last.
    QTest::mouseClick(viewer->btnExport, Qt::LeftButton);
    ASSERT_EQ(host.saveDialogs.size(), 2u);
    EXPECT_EQ(host.saveDialogs[1].proposedFilter, 1);
}

TEST_F(AdminTest, LongWorkShowsABusyPointerAndTheWindowStaysUsable) {
    addStudentsAndScores();
    // 16 000 rows of one pair.
    execute(QStringLiteral(
        "INSERT INTO tblscores(tName, tActivity, tSubject, textScore, numberScore, nDate, nTime) "
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 16000) "
        "SELECT 'Ana García', 'Flash Cards', 'Food', '', i % 101, 20240101 + i % 28, i FROM n"));
    auto viewer = openViewer();
    QVector<int> pointers;
    const auto notePointer = [&pointers] {
        const QCursor *cursor = QGuiApplication::overrideCursor();
        pointers << (cursor ? int(cursor->shape()) : -1);
    };
    QObject::connect(viewer->TreeView1->model(), &QAbstractItemModel::rowsInserted, viewer.get(),
                     notePointer);
    QObject::connect(viewer->ListView1->model(), &QAbstractItemModel::rowsInserted, viewer.get(),
                     notePointer);
    choose(*viewer, scores::ByStudent);
    ASSERT_FALSE(pointers.isEmpty());
    EXPECT_EQ(pointers.front(), int(Qt::WaitCursor)) << "while the tree is built";
    clickNode(*viewer, 1);
    pointers.clear();
    clickNode(*viewer, 3);
    EXPECT_EQ(viewer->ListView1->topLevelItemCount(), 16003);
    EXPECT_EQ(pointers, QVector<int>{int(Qt::WaitCursor)}) << "while the list is filled";
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << "and only then";

    // An export runs beside the window: while an activity holds the
    // database the file waits, the pointer says so and the window answers.
    {
        ado::Connection activity;
        activity.Open(modMain::Get_Template_Connection_String(program.usersPath()));
        activity.Execute(QStringLiteral("BEGIN EXCLUSIVE"));
        host.answerNextSave(env.root() + QStringLiteral("all.csv"));
        QTest::mouseClick(viewer->btnExport, Qt::LeftButton);
        EXPECT_TRUE(viewer->Exporting());
        EXPECT_EQ(viewer->cursor().shape(), Qt::BusyCursor);
        EXPECT_FALSE(viewer->btnExport->isEnabled());
        EXPECT_TRUE(host.boxes.empty());
        clickNode(*viewer, 2); // the window still answers
        EXPECT_TRUE(viewer->TreeView1->Nodes().Expanded(2));
        activity.Execute(QStringLiteral("COMMIT"));
    }
    viewer->WaitForExport();
    EXPECT_FALSE(viewer->Exporting());
    EXPECT_EQ(viewer->cursor().shape(), Qt::ArrowCursor);
    EXPECT_TRUE(viewer->btnExport->isEnabled());
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(vb::IconOf(host.lastBox().style), vb::vbInformation);
    EXPECT_EQ(readAll(env.root() + QStringLiteral("all.csv")).count('\n'), 1 + 16000 + 5);
}

// A name stored with a line break before such names were refused: the
// activities recorded her scores under the name the study file gave them,
// on one line, and so the viewer shows it.
TEST_F(AdminTest, AStudentStoredWithALineBreakInHerNameShowsABlankThereAndHerScores) {
    const qint64 eva = addStudent(QStringLiteral("Eva\r\nLuisa"), QStringLiteral("Ruiz\nPaz"), 3);
    addScore(QStringLiteral("Eva Luisa Ruiz Paz"), "Flash Cards", "Food", QString(), 75, 46002,
             0.5);
    auto viewer = openViewer();
    choose(*viewer, scores::ByStudent);
    EXPECT_EQ(nodesOf(*viewer),
              (QStringList{QStringLiteral("Eva Luisa Ruiz Paz * [3/3] #%1 blue").arg(eva),
                           "  Flash Cards [41/42]"}));
    clickNode(*viewer, 1);
    clickNode(*viewer, 2);
    EXPECT_EQ(rowsOf(*viewer), QStringList{"Food|75|11/12/25|12:00"});

    choose(*viewer, scores::BySubject);
    EXPECT_EQ(nodesOf(*viewer), (QStringList{"Food * [43/43]", "  Eva Luisa Ruiz Paz [3/3]"}));
    clickNode(*viewer, 1);
    clickNode(*viewer, 2);
    EXPECT_EQ(rowsOf(*viewer), QStringList{"Flash Cards|75|11/12/25|12:00"});
    EXPECT_TRUE(windows.messages.isEmpty());
}

TEST_F(AdminTest, CsvLinesQuoteOnlyTheFieldsThatNeedIt) {
    EXPECT_EQ(scores::Csv_Line({"plain", "a,b", "say \"hi\"", "two\r\nlines", "cr\r", "", "O'Brien",
                                QStringLiteral("Señal")}),
              QByteArray("plain,\"a,b\",\"say \"\"hi\"\"\",\"two\r\nlines\",\"cr\r\",,O'Brien,"
                         "Se\xc3\xb1"
                         "al\r\n"));
    // With semicolons between fields a comma is only a letter.
    EXPECT_EQ(scores::Csv_Line({"72,5", "a;b", "say \"hi\""}, ';'),
              QByteArray("72,5;\"a;b\";\"say \"\"hi\"\"\"\r\n"));
}

TEST_F(AdminTest, APairThatCannotBeReadIsReportedInTheMessageWindow) {
    addStudentsAndScores();
    auto viewer = openViewer();
    choose(*viewer, scores::ByStudent);
    clickNode(*viewer, 1);
    execute(QStringLiteral("DROP TABLE tblscores"));
    clickNode(*viewer, 3);
    ASSERT_EQ(windows.messages.size(), 1);
    EXPECT_TRUE(windows.messages[0].contains(QLatin1String("tblscores")));
    EXPECT_TRUE(rowsOf(*viewer).isEmpty());
    EXPECT_FALSE(program.ended);
}

TEST_F(AdminTest, ClearingAsksTwiceThenDeletesTheDatabaseAndTheStudyFilesAndEnds) {
    addStudentsAndScores();
    auto viewer = openViewer();
    const QString users = program.usersPath();
    program.studyCount = 2;
    const QStringList studyFiles{activities::Sound_File_Path(program, 1),
                                 activities::Sound_File_Path(program, 2),
                                 activities::Study_File_Path(program)};
    for (const QString &file : studyFiles)
        writeFile(file, "x");
    // A score an activity kept while the database was locked.
    const QString kept = scores::Pending_Folder(users) + QStringLiteral("/kept.json");
    writeFile(kept, "{}");
    const QString first = cap(57) + QStringLiteral(" Tolvanex Italiano\r\n\r\n") + cap(58);
    const QString second =
        QStringLiteral("Tolvanex Italiano ") + cap(59) + QStringLiteral("\r\n\r\n") + cap(60);

    host.answerNext(vb::vbNo);
    QTest::mouseClick(viewer->btnClearDatabase, Qt::LeftButton);
    host.answerNext(vb::vbYes);
    host.answerNext(vb::vbNo);
    QTest::mouseClick(viewer->btnClearDatabase, Qt::LeftButton);
    EXPECT_EQ(host.boxTexts(), (QStringList{first, first, second}));
    for (const FakeHost::Box &box : host.boxes) {
        EXPECT_EQ(box.title, cap(56));
        EXPECT_EQ(vb::ButtonsOf(box.style), vb::vbYesNo);
    }
    EXPECT_TRUE(QFileInfo::exists(users));
    EXPECT_TRUE(QFileInfo::exists(studyFiles[2]));
    EXPECT_FALSE(program.ended);
    EXPECT_TRUE(windows.messages.isEmpty());

    host.answerNext(vb::vbYes);
    host.answerNext(vb::vbYes);
    QTest::mouseClick(viewer->btnClearDatabase, Qt::LeftButton);
    EXPECT_EQ(host.boxes.size(), 5u);
    EXPECT_FALSE(QFileInfo::exists(users));
    for (const QString &file : studyFiles)
        EXPECT_FALSE(QFileInfo::exists(file)) << file.toStdString();
    EXPECT_FALSE(QFileInfo::exists(scores::Pending_Folder(users)));
    EXPECT_EQ(windows.messages, QStringList{cap(61)});
    EXPECT_TRUE(program.ended);
    EXPECT_EQ(program.exitCode, 0);
}

TEST_F(AdminTest, ADatabaseThatCannotBeDeletedIsReportedAndTheProgramGoesOn) {
    auto viewer = openViewer();
    const QString users = program.usersPath();
    QFile::remove(users);
    writeFile(users + QStringLiteral("/inside.txt"), "a folder in the way");
    host.answerNext(vb::vbYes);
    host.answerNext(vb::vbYes);
    QTest::mouseClick(viewer->btnClearDatabase, Qt::LeftButton);
    ASSERT_EQ(host.boxes.size(), 3u);
    EXPECT_TRUE(host.lastBox().text.startsWith(
        cap(caption::UsersNotDeleted).arg(QDir::toNativeSeparators(users))));
    EXPECT_EQ(vb::ButtonsOf(host.lastBox().style), vb::vbOKOnly);
    EXPECT_TRUE(windows.messages.isEmpty());
    EXPECT_FALSE(program.ended);
}

TEST_F(AdminTest, AReadOnlyDatabaseIsNotClearedAndNothingIsDeleted) {
    addStudentsAndScores();
    auto viewer = openViewer();
    const QString users = program.usersPath();
    program.studyCount = 1;
    const QStringList kept{users, activities::Sound_File_Path(program, 1),
                           activities::Study_File_Path(program),
                           scores::Pending_Folder(users) + QStringLiteral("/kept.json")};
    for (const QString &file : kept.mid(1))
        writeFile(file, "x");
    ASSERT_TRUE(QFile::setPermissions(users, QFileDevice::ReadOwner | QFileDevice::ReadGroup |
                                                 QFileDevice::ReadOther));
    host.answerNext(vb::vbYes);
    host.answerNext(vb::vbYes);
    QTest::mouseClick(viewer->btnClearDatabase, Qt::LeftButton);
    ASSERT_EQ(host.boxes.size(), 1u) << host.boxTexts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(host.lastBox().text,
              cap(caption::UsersReadOnly).arg(QDir::toNativeSeparators(users)));
    EXPECT_TRUE(host.lastBox().text.contains(QStringLiteral("solo lectura")));
    EXPECT_EQ(vb::ButtonsOf(host.lastBox().style), vb::vbOKOnly);
    for (const QString &file : kept)
        EXPECT_TRUE(QFileInfo::exists(file)) << file.toStdString();
    EXPECT_EQ(program.studyCount, 1);
    EXPECT_TRUE(windows.messages.isEmpty());
    EXPECT_FALSE(program.ended);
    QFile::setPermissions(users, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

TEST_F(AdminTest, AnOlderDatabaseGetsThePairIndexesWhenTheViewerOpensIt) {
    // As an older template made it: one index per name.
    execute(QStringLiteral("DROP INDEX idxScoresNameActivity; DROP INDEX idxScoresActivitySubject; "
                           "DROP INDEX idxScoresSubjectName; "
                           "CREATE INDEX idxScoresName ON tblscores (tName); "
                           "CREATE INDEX idxScoresActivity ON tblscores (tActivity); "
                           "CREATE INDEX idxScoresSubject ON tblscores (tSubject)"));
    openViewer();

    ado::Connection cn;
    cn.Open(modMain::Get_Template_Connection_String(program.usersPath()));
    const char *queries[3] = {
        "EXPLAIN QUERY PLAN SELECT * FROM tblscores WHERE tName = ? AND tActivity = ?",
        "EXPLAIN QUERY PLAN SELECT * FROM tblscores WHERE tActivity = ? AND tSubject = ?",
        "EXPLAIN QUERY PLAN SELECT * FROM tblscores WHERE tSubject = ? AND tName = ?"};
    const char *indexes[3] = {"idxScoresNameActivity", "idxScoresActivitySubject",
                              "idxScoresSubjectName"};
    for (int view = 0; view < 3; ++view) {
        sqlite3_stmt *plan = nullptr;
        ASSERT_EQ(sqlite3_prepare_v2(cn.handle(), queries[view], -1, &plan, nullptr), SQLITE_OK);
        QString detail;
        while (sqlite3_step(plan) == SQLITE_ROW)
            detail +=
                QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(plan, 3)));
        sqlite3_finalize(plan);
        EXPECT_TRUE(detail.contains(QLatin1String(indexes[view])) &&
                    detail.contains(QLatin1String("=? AND ")))
            << detail.toStdString();
    }
}

} // namespace

TEST_F(AdminTest, TheViewByPhraseListsPhrasesWorstFirstAndAPhrasesStudentsWithTheirAnswers) {
    addStudentsAndScores();
    const QString ana = QStringLiteral("Ana García");
    const QString sean = QStringLiteral("Seán O'Brien");
    // A week before today Ana missed milk at first; Seán knew both.
    const QDateTime weekAgo = host.clock.addDays(-7);
    recordGame(QStringLiteral("1"), ana, weekAgo, {fsrs::Good, fsrs::Again});
    recordGame(QStringLiteral("2"), sean, weekAgo.addSecs(600), {fsrs::Good, fsrs::Good});
    // And a result no launch had an entry for.
    execute(QStringLiteral("INSERT INTO tblResults (tStudyFile, tLaunch, nEntry, nGrade, nDate, "
                           "nTime) VALUES ('~tvx1.txt', '1', 9, 3, 20261201, 36000)"));

    const QDate today = host.clock.date();
    const auto recall = [&](QVector<int> grades) {
        QVector<fsrs::Review> reviews;
        for (const int grade : grades)
            reviews << fsrs::Review{weekAgo, grade};
        return fsrs::Retrievability(fsrs::Replay(reviews), today);
    };
    const QString percent = QStringLiteral("%1 %");
    auto viewer = openViewer();
    choose(*viewer, scores::ByPhrase);
    EXPECT_EQ(viewer->View(), scores::ByPhrase);
    const QString milk = cap(caption::PhraseFigures)
                             .arg(QStringLiteral("latte"))
                             .arg(2)
                             .arg(percent.arg(50),
                                  percent.arg(std::lround(
                                      (recall({fsrs::Again}) + recall({fsrs::Good})) * 50)));
    const QString bread =
        cap(caption::PhraseFigures)
            .arg(QStringLiteral("pane"))
            .arg(2)
            .arg(percent.arg(100), percent.arg(std::lround(recall({fsrs::Good}) * 100)));
    EXPECT_EQ(nodesOf(*viewer), (QStringList{milk, bread, cap(caption::ResultsUnmatched).arg(1)}));
    EXPECT_EQ(headingsOf(*viewer),
              (QStringList{cap(75), cap(caption::Answers), cap(caption::RecallToday),
                           cap(caption::NextReview)}));

    // A click lists the phrase's students: answers oldest first, today's
    // recall, the next review in the learner's short date form.
    const scores::DateForms forms =
        scores::Short_Forms(scores::Learner_Locale(program.identity.learnerLanguage));
    const auto dueAfter = [&](QVector<int> grades, const fsrs::Parameters &parameters) {
        QVector<fsrs::Review> reviews;
        for (const int grade : grades)
            reviews << fsrs::Review{weekAgo, grade};
        return forms.locale.toString(fsrs::Due_Date(fsrs::Replay(reviews), parameters),
                                     forms.date);
    };
    clickNode(*viewer, 1);
    EXPECT_EQ(rowsOf(*viewer),
              (QStringList{ana + QStringLiteral("|1|%1 %|").arg(std::lround(
                                     recall({fsrs::Again}) * 100)) +
                               dueAfter({fsrs::Again}, {}),
                           sean + QStringLiteral("|3|%1 %|").arg(std::lround(
                                      recall({fsrs::Good}) * 100)) +
                               dueAfter({fsrs::Good}, {})}));
    EXPECT_TRUE(chartOf(*viewer).isEmpty());
    // The line that counts what was left out does nothing; Enter on a phrase
    // lists it as a click does.
    const QStringList milkRows = rowsOf(*viewer);
    clickNode(*viewer, 3);
    EXPECT_EQ(rowsOf(*viewer), milkRows);
    TreeViewWidget *tree = viewer->TreeView1;
    QTest::keyClick(tree, Qt::Key_Up);
    EXPECT_EQ(tree->Nodes().Selected(), 2);
    QTest::keyClick(tree, Qt::Key_Return);
    ASSERT_EQ(rowsOf(*viewer).size(), 2);
    EXPECT_TRUE(rowsOf(*viewer)[0].startsWith(ana + QStringLiteral("|3|")));

    // The administrator lowers the desired retention: the next reviews move
    // at once, and the schedule everywhere reads the stored value.
    viewer->spnRetention->setFocus();
    QTest::keyClick(viewer->spnRetention, Qt::Key_Down);
    EXPECT_EQ(viewer->spnRetention->value(), 89);
    EXPECT_EQ(viewer->spnRetention->text(), QStringLiteral("89 %"));
    viewer->spnRetention->setValue(70);
    EXPECT_EQ(learnerReviews::Desired_Retention_Percent(program), 70);
    fsrs::Parameters lower;
    lower.desiredRetention = 0.70;
    EXPECT_TRUE(rowsOf(*viewer)[0].endsWith(QLatin1Char('|') + dueAfter({fsrs::Good}, lower)));
    EXPECT_NE(dueAfter({fsrs::Good}, lower), dueAfter({fsrs::Good}, {}));
    EXPECT_EQ(openViewer()->spnRetention->value(), 70);

    // The export holds a record per phrase and student, in the view's order.
    const QString path = env.root() + QStringLiteral("phrases.csv");
    host.answerNextSave(path);
    exportView(*viewer);
    EXPECT_EQ(QFileInfo(host.saveDialogs.back().suggestedPath).fileName(),
              cap(54) + QStringLiteral(" - ") + cap(caption::ByPhrase) + QStringLiteral(".csv"));
    const QStringList lines = QString::fromUtf8(readAll(path)).split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 6) << lines.join('/').toStdString();
    EXPECT_EQ(lines[0], phraseViews::Csv_Header(program.captions).join(QLatin1Char(',')));
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("Food.ito,2,latte,milk,2,0.5000,")))
        << lines[1].toStdString();
    EXPECT_TRUE(lines[1].contains(QLatin1Char(',') + ana + QStringLiteral(",1,")));
    EXPECT_TRUE(lines[4].startsWith(QStringLiteral("Food.ito,1,pane,bread,2,1.0000,")));
    EXPECT_EQ(lines[5], QString());
}

TEST_F(AdminTest, ADamagedResultsTableStopsOnlyTheViewByPhrase) {
    addStudentsAndScores();
    auto viewer = openViewer();
    choose(*viewer, scores::ByPhrase);
    EXPECT_EQ(nodesOf(*viewer), QStringList{cap(55)}) << "no results yet";
    EXPECT_TRUE(host.boxes.empty());

    execute(QStringLiteral("DROP TABLE tblResults; CREATE TABLE tblResults (x)"));
    choose(*viewer, scores::ByPhrase);
    EXPECT_EQ(host.boxes.size(), 1u) << "the error is told";
    EXPECT_EQ(viewer->TreeView1->Nodes().Count(), 0);
    choose(*viewer, scores::ByStudent);
    EXPECT_EQ(viewer->TreeView1->Nodes().Count(), 6);
    clickNode(*viewer, 1);
    clickNode(*viewer, 3);
    EXPECT_EQ(rowsOf(*viewer).size(), 3);
    EXPECT_EQ(host.boxes.size(), 1u);
}

TEST_F(AdminTest, TheClassesTroublePhrasesBecomeAVirtualSubjectInAFolderOfTheAdministratorsChoice) {
    addStudentsAndScores();
    fixture::makeSubject(program.folders.installedSubjectsFolder + QStringLiteral("Food.ito"),
                         QStringLiteral("tvxito"),
                         {{1, "pane", "bread", ""}, {2, "latte", "milk", ""}});
    const QDateTime weekAgo = host.clock.addDays(-7);
    recordGame(QStringLiteral("1"), QStringLiteral("Ana García"), weekAgo,
               {fsrs::Good, fsrs::Again});
    QDir().mkpath(program.folders.virtualSubjectsFolder);
    virtualStore::VirtualStore store(program);

    auto viewer = openViewer();
    choose(*viewer, scores::ByStudent);
    EXPECT_FALSE(viewer->btnMakeVirtual->isVisible()) << "without a maker, or outside the view";
    viewer->SetVirtualSubjectMaker(&store);
    choose(*viewer, scores::ByPhrase);
    ASSERT_TRUE(viewer->btnMakeVirtual->isVisible());
    ASSERT_TRUE(viewer->btnMakeVirtual->isEnabled());
    EXPECT_FALSE(viewer->picProgress->isVisible());
    EXPECT_EQ(viewer->btnMakeVirtual->accessibleName(), cap(caption::MakeVirtualSubject));

    bool shown = false;
    host.onNextModal([&](QWidget &window) {
        auto &choice = dynamic_cast<frmMakeVirtualSubject &>(window);
        shown = true;
        // The whole class first, then each subject with results.
        ASSERT_EQ(choice.cboSource->count(), 2);
        EXPECT_EQ(choice.cboSource->itemText(0), cap(caption::WholeClass));
        EXPECT_EQ(choice.cboSource->itemText(1), QStringLiteral("Food"));
        ASSERT_EQ(choice.lstPhrases->count(), 2);
        EXPECT_EQ(choice.lstPhrases->item(0)->text(), QStringLiteral("milk  -  latte"))
            << "worst first";
        choice.cboSource->setCurrentIndex(1);
        EXPECT_EQ(choice.txtName->text(),
                  cap(caption::PhrasesToPractise) + QStringLiteral(" - Food"));

        // Nothing ticked: said, and the window stays.
        for (int i = 0; i < choice.lstPhrases->count(); ++i)
            choice.lstPhrases->item(i)->setCheckState(Qt::Unchecked);
        choice.cmdMake_Click();
        ASSERT_EQ(host.boxes.size(), 1u);
        EXPECT_EQ(host.boxes[0].text, cap(caption::ChooseAPhrase));
        EXPECT_EQ(choice.result(), 0);

        // Milk only, in a new folder whose name has a quote.
        choice.lstPhrases->item(0)->setCheckState(Qt::Checked);
        choice.cboFolder->setEditText(QStringLiteral("Class \"B\""));
        choice.txtName->setText(QStringLiteral("Milk & more"));
        choice.cmdMake_Click();
        EXPECT_EQ(choice.result(), int(QDialog::Accepted));
    });
    QTest::mouseClick(viewer->btnMakeVirtual, Qt::LeftButton);
    ASSERT_TRUE(shown);
    ASSERT_EQ(host.boxes.size(), 2u);
    EXPECT_EQ(host.boxes[1].text, cap(caption::VirtualSubjectMade)
                                      .arg(QStringLiteral("Milk & more"))
                                      .arg(1)
                                      .arg(QStringLiteral("Class \"B\"")));

    // The folder holds a copy of milk, its source named, for every student.
    ASSERT_EQ(store.Folder_Names(), QStringList{QStringLiteral("Class \"B\"")});
    const QVector<virtualStore::SubjectRow> subjects =
        store.List_Subjects(QStringLiteral("Class \"B\""));
    ASSERT_EQ(subjects.size(), 1);
    EXPECT_EQ(subjects[0].name, QStringLiteral("Milk & more"));
    const QVector<subjectData::Phrase> phrases =
        store.List_Phrases(QStringLiteral("Class \"B\""), subjects[0].key);
    ASSERT_EQ(phrases.size(), 1);
    EXPECT_EQ(phrases[0].sourceFile, QStringLiteral("Food.ito"));
    EXPECT_EQ(phrases[0].number, 2);
    EXPECT_EQ(phrases[0].translation, QStringLiteral("milk"));
    EXPECT_TRUE(program.bSubjectsChanged);

    // A second one goes into the same folder, named in another case.
    host.onNextModal([&](QWidget &window) {
        auto &choice = dynamic_cast<frmMakeVirtualSubject &>(window);
        choice.cboFolder->setEditText(QStringLiteral("class \"b\""));
        choice.cmdMake_Click();
    });
    QTest::mouseClick(viewer->btnMakeVirtual, Qt::LeftButton);
    ASSERT_EQ(store.Folder_Names().size(), 1);
    EXPECT_EQ(store.List_Subjects(QStringLiteral("Class \"B\"")).size(), 2);
}
