#include "bare.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QLocale>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTreeWidget>
#include <QWidget>

#include <spawn.h>
#include <sqlite3.h>
#include <sys/wait.h>

extern char **environ;

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>
#include <vector>

namespace bench::bare {

namespace {

constexpr int kRandomPhraseCount = 10;

// One prepared statement, finalized whatever happens.
class Query {
public:
    Query(sqlite3 *db, const char *sql) {
        m_ok = sqlite3_prepare_v2(db, sql, -1, &m_st, nullptr) == SQLITE_OK;
    }
    ~Query() { sqlite3_finalize(m_st); }
    Query(const Query &) = delete;
    Query &operator=(const Query &) = delete;

    bool ok() const { return m_ok; }
    sqlite3_stmt *statement() const { return m_st; }
    bool next() { return m_ok && sqlite3_step(m_st) == SQLITE_ROW; }
    void bind(int index, int value) { sqlite3_bind_int(m_st, index, value); }
    void bind(int index, const QString &text) {
        const QByteArray utf8 = text.toUtf8();
        sqlite3_bind_text(m_st, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    }
    // A value as the default text conversion writes it: numbers in their
    // shortest form, Null as empty text.
    QString valueText(int column) const {
        switch (sqlite3_column_type(m_st, column)) {
        case SQLITE_NULL:
            return QString();
        case SQLITE_INTEGER:
            return QString::number(sqlite3_column_int64(m_st, column));
        case SQLITE_FLOAT:
            return QString::number(sqlite3_column_double(m_st, column), 'g',
                                   QLocale::FloatingPointShortest);
        default:
            return text(column);
        }
    }
    bool isNumber(int column) const {
        const int type = sqlite3_column_type(m_st, column);
        return type == SQLITE_INTEGER || type == SQLITE_FLOAT;
    }
    double number(int column) const { return sqlite3_column_double(m_st, column); }
    int columnOf(const char *name) const {
        for (int i = 0; i < sqlite3_column_count(m_st); ++i)
            if (qstricmp(sqlite3_column_name(m_st, i), name) == 0)
                return i;
        return -1;
    }
    int integer(int column) const { return sqlite3_column_int(m_st, column); }
    QString text(int column) const {
        // The text first: asking for it may convert the value, and the size
        // is that of the converted text.
        const auto *utf8 = reinterpret_cast<const char *>(sqlite3_column_text(m_st, column));
        return QString::fromUtf8(utf8, sqlite3_column_bytes(m_st, column));
    }

private:
    sqlite3_stmt *m_st = nullptr;
    bool m_ok = false;
};

// A subject or virtual folder file opened for reading. Its password is an
// access check: the one row of MSysPassword holds a salt and the hex SHA-256
// of salt + password.
class Database {
public:
    ~Database() { sqlite3_close(m_db); }

    bool open(const QString &path, const QString &password) {
        if (sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, SQLITE_OPEN_READONLY,
                            nullptr) != SQLITE_OK) {
            m_error = QStringLiteral("cannot open %1").arg(path);
            return false;
        }
        Query check(m_db, "SELECT tSalt, tHash FROM MSysPassword LIMIT 1");
        if (!check.next()) {
            m_error = QStringLiteral("%1 is not a subject file").arg(path);
            return false;
        }
        const QByteArray hash = QCryptographicHash::hash((check.text(0) + password).toUtf8(),
                                                         QCryptographicHash::Sha256)
                                    .toHex();
        if (QString::fromLatin1(hash).compare(check.text(1), Qt::CaseInsensitive) != 0) {
            m_error = QStringLiteral("wrong password for %1").arg(path);
            return false;
        }
        return true;
    }
    sqlite3 *handle() const { return m_db; }
    QString error() const {
        return m_error.isEmpty() ? QString::fromUtf8(sqlite3_errmsg(m_db)) : m_error;
    }

private:
    sqlite3 *m_db = nullptr;
    QString m_error;
};

// Lets the window system draw about once a frame while a long loop runs.
class EventPump {
public:
    EventPump() { m_clock.start(); }
    void tick() {
        if (m_clock.elapsed() >= 16) {
            QCoreApplication::processEvents();
            m_clock.restart();
        }
    }

private:
    QElapsedTimer m_clock;
};

// A plain window with a progress box, both of the splash window's size; new
// lines go in front.
class Splash : public QWidget {
public:
    explicit Splash(const QString &firstText) {
        resize(313, 272);
        m_box = new QPlainTextEdit(firstText, this);
        m_box->setReadOnly(true);
        m_box->setGeometry(28, 184, 256, 58);
    }
    void prepend(const QString &line) {
        QTextCursor cursor(m_box->document());
        cursor.movePosition(QTextCursor::Start);
        cursor.insertText(line);
    }

private:
    QPlainTextEdit *m_box;
};

// "family_and_FRIENDS.ito" -> " Family And Friends": words split at "_",
// each capitalised, the extension cut.
QString titleOf(const QString &fileName) {
    QStringList words = fileName.left(fileName.size() - 4).split(QLatin1Char('_'));
    for (QString &word : words)
        word = word.left(1).toUpper() + word.mid(1).toLower();
    return QLatin1Char(' ') + words.join(QLatin1Char(' '));
}

QStringList listFiles(const QString &folder, const QString &pattern) {
    return QDir(folder).entryList({pattern}, QDir::Files, QDir::Name | QDir::IgnoreCase);
}

int countBelow(const QTreeWidgetItem *item) {
    int n = item->childCount();
    for (int i = 0; i < item->childCount(); ++i)
        n += countBelow(item->child(i));
    return n;
}

QStringList childTexts(const QTreeWidgetItem *item) {
    QStringList texts;
    for (int i = 0; item && i < item->childCount(); ++i)
        texts << item->child(i)->text(0);
    return texts;
}

int countItems(const QTreeWidget &tree) {
    return countBelow(tree.invisibleRootItem());
}

void setUpTree(QTreeWidget &tree) {
    tree.setColumnCount(1);
    tree.setHeaderHidden(true);
    tree.setUniformRowHeights(true);
    tree.resize(kTreeSize);
}

void showAndPaint(QTreeWidget &tree) {
    tree.show();
    SettleEvents();
    tree.repaint();
}

// The three fixed folders, the installed subjects and the virtual folders
// with their subjects, as the program's tree shows them at start.
class TreeBuilder {
public:
    TreeBuilder(const TreeFacts &facts, const TreeIcons &icons) : m_facts(facts), m_icons(icons) {}

    QTreeWidgetItem *installed = nullptr;
    QTreeWidgetItem *randomSubject = nullptr;
    QTreeWidgetItem *randomPhrases = nullptr;
    QString problem;

    void build(QTreeWidget &tree, Splash *splash) {
        EventPump pump;
        QFont bold = tree.font();
        bold.setBold(true);
        auto folder = [&](const QString &text, int picture) {
            auto *item = new QTreeWidgetItem(QStringList{text});
            item->setFont(0, bold);
            item->setIcon(0, m_icons[picture]);
            return item;
        };
        auto placeholder = [&] { return new QTreeWidgetItem(QStringList{m_facts.noSubjects}); };
        auto progress = [&](const QString &title) {
            if (splash)
                splash->prepend(m_facts.loading + QLatin1Char(' ') + title + QLatin1Char('\n'));
            pump.tick();
        };

        installed = folder(m_facts.installedTitle, 1);
        randomSubject = folder(m_facts.randomSubjectTitle, 1);
        randomPhrases = folder(m_facts.randomPhrasesTitle, 1);
        tree.addTopLevelItems({installed, randomSubject, randomPhrases});

        QList<QTreeWidgetItem *> subjects;
        for (const QString &file :
             listFiles(m_facts.installedFolder, QStringLiteral("*.") + m_facts.shortCode)) {
            const QString title = titleOf(file);
            auto *item = new QTreeWidgetItem(QStringList{title.trimmed()});
            item->setIcon(0, m_icons[5]);
            item->setData(0, Qt::UserRole, file);
            subjects << item;
            progress(title);
        }
        if (subjects.isEmpty())
            subjects << placeholder();
        installed->addChildren(subjects);
        tree.setCurrentItem(installed);

        for (const QString &file :
             listFiles(m_facts.virtualFolder, QStringLiteral("*.v") + m_facts.shortCode)) {
            QTreeWidgetItem *top = folder(file.left(file.size() - 5), 3);
            QList<QTreeWidgetItem *> children;
            Database db;
            if (db.open(m_facts.virtualFolder + file, m_facts.subjectPassword)) {
                Query parents(db.handle(), "SELECT nParent, tName FROM tblParents");
                if (!parents.ok())
                    problem = db.error();
                while (parents.next()) {
                    const QString name = parents.text(1);
                    auto *item = new QTreeWidgetItem(QStringList{name});
                    item->setIcon(0, m_icons[7]);
                    item->setData(0, Qt::UserRole, parents.integer(0));
                    children << item;
                    progress(name);
                }
            } else {
                problem = db.error();
            }
            if (children.isEmpty())
                children << placeholder();
            top->addChildren(children);
            tree.addTopLevelItem(top);
        }
    }

private:
    const TreeFacts &m_facts;
    const TreeIcons &m_icons;
};

class StartupTreeWorkload : public Workload {
public:
    StartupTreeWorkload(const TreeFacts &facts, const TreeIcons &icons, bool withSplash)
        : m_facts(facts), m_icons(icons), m_withSplash(withSplash) {}

    void prepare(int) override {
        m_problem.clear();
        m_tree = std::make_unique<QTreeWidget>();
        setUpTree(*m_tree);
        if (m_withSplash) {
            m_splash = std::make_unique<Splash>(m_facts.splashStatus);
            m_splash->show();
            QCoreApplication::processEvents();
        }
    }
    void run() override {
        TreeBuilder builder(m_facts, m_icons);
        builder.build(*m_tree, m_splash.get());
        m_problem = builder.problem;
        showAndPaint(*m_tree);
    }
    int nodes() const override { return countItems(*m_tree); }
    void cleanup() override {
        m_splash.reset();
        m_tree.reset();
        QCoreApplication::processEvents();
    }

private:
    TreeFacts m_facts;
    TreeIcons m_icons;
    bool m_withSplash;
    std::unique_ptr<QTreeWidget> m_tree;
    std::unique_ptr<Splash> m_splash;
};

class OpenSubjectWorkload : public Workload {
public:
    OpenSubjectWorkload(const TreeFacts &facts, const TreeIcons &icons, const QString &subjectFile)
        : m_facts(facts), m_icons(icons), m_file(subjectFile) {
        setUpTree(m_tree);
        TreeBuilder builder(m_facts, m_icons);
        builder.build(m_tree, nullptr);
        m_folder = builder.installed;
        for (int i = 0; i < m_folder->childCount(); ++i)
            if (m_folder->child(i)->data(0, Qt::UserRole).toString() == subjectFile)
                m_subject = m_folder->child(i);
        m_folder->setExpanded(true);
        showAndPaint(m_tree);
    }

    void prepare(int) override { m_problem.clear(); }
    void run() override {
        if (!m_subject)
            return;
        m_tree.setCurrentItem(m_subject);
        QList<QTreeWidgetItem *> phrases;
        Database db;
        if (db.open(m_facts.installedFolder + m_file, m_facts.subjectPassword)) {
            Query rows(db.handle(),
                       "SELECT pkPhraseNo, tPhrase, tTranslation, tTranslation2 FROM tblPhrases");
            if (!rows.ok())
                m_problem = db.error();
            while (rows.next()) {
                auto *item = new QTreeWidgetItem(QStringList{rows.text(2)});
                item->setIcon(0, m_icons[9]);
                item->setData(0, Qt::UserRole, rows.integer(0));
                item->setData(0, Qt::UserRole + 1, rows.text(1));
                item->setData(0, Qt::UserRole + 2, rows.text(3));
                phrases << item;
            }
        } else {
            m_problem = db.error();
        }
        m_subject->addChildren(phrases);
        m_subject->setExpanded(true);
        SettleEvents();
        m_tree.repaint();
    }
    int nodes() const override { return countItems(m_tree); }
    QStringList shownTexts() const override { return childTexts(m_subject); }
    QString problem() const override {
        return m_subject ? m_problem : QStringLiteral("the tree does not list ") + m_file;
    }
    void cleanup() override {
        if (m_subject) {
            qDeleteAll(m_subject->takeChildren());
            m_subject->setExpanded(false);
        }
        m_tree.setCurrentItem(m_folder);
        SettleEvents();
    }

private:
    TreeFacts m_facts;
    TreeIcons m_icons;
    QString m_file;
    QTreeWidget m_tree;
    QTreeWidgetItem *m_folder = nullptr;
    QTreeWidgetItem *m_subject = nullptr;
};

class RandomPhrasesWorkload : public Workload {
public:
    RandomPhrasesWorkload(const TreeFacts &facts, const TreeIcons &icons)
        : m_facts(facts), m_icons(icons) {
        setUpTree(m_tree);
        TreeBuilder builder(m_facts, m_icons);
        builder.build(m_tree, nullptr);
        m_folder = builder.randomPhrases;
        showAndPaint(m_tree);
    }

    void prepare(int run) override {
        m_problem.clear();
        m_seed = SeedForRun(run);
    }
    void run() override {
        m_tree.setCurrentItem(m_folder);
        m_node = new QTreeWidgetItem(QStringList{m_facts.randomPhrasesNode});
        m_node->setIcon(0, m_icons[5]);
        m_folder->addChild(m_node);
        m_folder->setIcon(0, m_icons[2]);
        m_folder->setExpanded(true);
        m_tree.setCurrentItem(m_node);

        const QStringList files =
            listFiles(m_facts.installedFolder, QStringLiteral("*.") + m_facts.shortCode);
        VbRandom random;
        random.seed(m_seed);
        QList<QTreeWidgetItem *> phrases;
        for (int c = 0; c < kRandomPhraseCount && !files.isEmpty(); ++c) {
            const int r = qBound(0, int(random.next() * files.size()), int(files.size()) - 1);
            Database db;
            if (!db.open(m_facts.installedFolder + files[r], m_facts.subjectPassword)) {
                m_problem = db.error();
                continue;
            }
            Query code(db.handle(), "SELECT tProgramCode FROM tblProperties LIMIT 1");
            if (!code.next() || code.text(0) != m_facts.languageCode) {
                m_problem = files[r] + QStringLiteral(" is not a subject of this build");
                continue;
            }
            Query count(db.handle(), "SELECT COUNT(*) FROM tblPhrases");
            const int m = count.next() ? count.integer(0) : 0;
            if (m == 0) {
                m_problem = files[r] + QStringLiteral(" has no phrases");
                continue;
            }
            const int k = qBound(1, int(random.next() * m) + 1, m);
            Query row(db.handle(), "SELECT pkPhraseNo, tPhrase, tTranslation, tTranslation2 FROM "
                                   "tblPhrases WHERE pkPhraseNo = ?");
            row.bind(1, k);
            if (!row.next()) {
                m_problem = files[r] + QStringLiteral(" has no phrase %1").arg(k);
                continue;
            }
            auto *item = new QTreeWidgetItem(QStringList{row.text(2)});
            item->setIcon(0, m_icons[9]);
            item->setData(0, Qt::UserRole, files[r]);
            item->setData(0, Qt::UserRole + 1, row.integer(0));
            item->setData(0, Qt::UserRole + 2, row.text(1));
            item->setData(0, Qt::UserRole + 3, row.text(3));
            phrases << item;
        }
        m_node->addChildren(phrases);
        m_node->setExpanded(true);
        SettleEvents();
        m_tree.repaint();
    }
    int nodes() const override { return countItems(m_tree); }
    QStringList shownTexts() const override { return childTexts(m_node); }
    void cleanup() override {
        // The second click on the folder takes the drawn phrases away.
        m_tree.setCurrentItem(m_folder);
        delete m_node;
        m_node = nullptr;
        m_folder->setIcon(0, m_icons[1]);
        SettleEvents();
    }

private:
    TreeFacts m_facts;
    TreeIcons m_icons;
    QTreeWidget m_tree;
    QTreeWidgetItem *m_folder = nullptr;
    QTreeWidgetItem *m_node = nullptr;
    quint32 m_seed = 0;
};

class LaunchWorkload : public Workload {
public:
    LaunchWorkload(const TreeFacts &facts, const QString &subjectFile,
                   const QString &activityProgram)
        : m_facts(facts), m_subjectFile(subjectFile), m_program(activityProgram),
          m_temp(QDir::tempPath() + QLatin1Char('/')) {}

    void run() override {
        m_problem.clear();
        Database db;
        if (!db.open(m_facts.installedFolder + m_subjectFile, m_facts.subjectPassword)) {
            m_problem = db.error();
            return;
        }
        Query code(db.handle(), "SELECT tProgramCode FROM tblProperties LIMIT 1");
        if (!code.next() || code.text(0) != m_facts.languageCode) {
            m_problem = m_subjectFile + QStringLiteral(" is not a subject of this build");
            return;
        }
        Query rows(db.handle(),
                   "SELECT tPhrase, tTranslation, tTranslation2, bsound FROM tblPhrases LIMIT 10");
        const QString tag = QString::number(QCoreApplication::applicationPid());
        QByteArray study;
        QByteArray phrases;
        int n = 0;
        while (rows.next()) {
            ++n;
            const QString sound =
                m_temp + QStringLiteral("~tvb") + tag + QString::number(n) + QStringLiteral(".wav");
            QFile file(sound);
            const void *bytes = sqlite3_column_blob(rows.statement(), 3);
            const int size = sqlite3_column_bytes(rows.statement(), 3);
            if (!file.open(QIODevice::WriteOnly) ||
                file.write(static_cast<const char *>(bytes), size) != size) {
                m_problem = QStringLiteral("cannot write ") + sound;
                return;
            }
            for (const QString &value : {rows.text(0), rows.text(1), rows.text(2), sound})
                phrases += '"' + value.toUtf8() + "\"\r\n";
        }
        const QStringList header{tag,
                                 m_facts.languageCode,
                                 QStringLiteral("Tolvanex"),
                                 QStringLiteral("Spanish"),
                                 QStringLiteral("Italian"),
                                 QStringLiteral("Ana Bench"),
                                 m_subjectFile,
                                 QString::number(n),
                                 m_facts.installedFolder + QStringLiteral("Users.dat"),
                                 QStringLiteral("EMPTY"),
                                 QStringLiteral("EMPTY"),
                                 QStringLiteral("EMPTY"),
                                 QStringLiteral("EMPTY"),
                                 QStringLiteral("EMPTY"),
                                 QStringLiteral(" 1 ")};
        for (const QString &line : header)
            study += line.toUtf8() + "\r\n";
        study += phrases;
        const QString studyName = QStringLiteral("~tvb") + tag + QStringLiteral(".txt");
        QFile file(m_temp + studyName);
        if (!file.open(QIODevice::WriteOnly) || file.write(study) != study.size()) {
            m_problem = QStringLiteral("cannot write the study file");
            return;
        }
        file.close();
        m_count = n;
        // A launcher of its own size: posix_spawn costs what forking a small
        // process does, whatever else this benchmark maps.
        const QByteArray program = QFile::encodeName(m_program);
        const QByteArray argument = QFile::encodeName(studyName);
        const QByteArray folder = QFile::encodeName(m_temp);
        char *argv[] = {const_cast<char *>(program.constData()),
                        const_cast<char *>(argument.constData()), nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addchdir_np(&actions, folder.constData());
        pid_t pid = 0;
        if (posix_spawn(&pid, program.constData(), &actions, nullptr, argv, environ) == 0)
            m_started << pid;
        else
            m_problem = QStringLiteral("cannot start ") + m_program;
        posix_spawn_file_actions_destroy(&actions);
    }
    // The phrases handed to the activity.
    int nodes() const override { return m_count; }
    void cleanup() override {
        const QString tag = QString::number(QCoreApplication::applicationPid());
        for (int i = 1; i <= m_count; ++i)
            QFile::remove(m_temp + QStringLiteral("~tvb") + tag + QString::number(i) +
                          QStringLiteral(".wav"));
        QFile::remove(m_temp + QStringLiteral("~tvb") + tag + QStringLiteral(".txt"));
        for (const pid_t pid : std::as_const(m_started))
            ::waitpid(pid, nullptr, 0);
        m_started.clear();
    }

private:
    TreeFacts m_facts;
    QString m_subjectFile;
    QString m_program;
    QString m_temp;
    int m_count = 0;
    QVector<pid_t> m_started;
};

// The progress viewer's chart: the pair's numeric scores in date order,
// joined by a line with a dot on each.
class Chart : public QWidget {
public:
    using QWidget::QWidget;
    QVector<double> scores;

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::gray);
        painter.setBrush(Qt::white);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
        if (scores.isEmpty())
            return;
        const QRectF area = QRectF(rect()).adjusted(48, 16, -8, -16);
        const double high = std::max(1.0, *std::max_element(scores.begin(), scores.end()));
        QPainterPath path;
        QVector<QPointF> points;
        for (int i = 0; i < scores.size(); ++i) {
            const double x = scores.size() == 1
                                 ? area.center().x()
                                 : area.left() + area.width() * i / (scores.size() - 1);
            points << QPointF(x, area.bottom() - area.height() * scores[i] / high);
        }
        path.moveTo(points.front());
        for (const QPointF &point : points)
            path.lineTo(point);
        painter.setPen(QPen(Qt::blue, 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(path);
        painter.setBrush(Qt::blue);
        for (const QPointF &point : points)
            painter.drawEllipse(point, 3, 3);
    }
};

// The progress viewer: the tree of a view, the chart and the list of a
// pair's rows, at the program window's places.
class Viewer : public QWidget {
public:
    Viewer(const ViewerFacts &facts, const ViewerIcons &icons) : m_facts(facts), m_icons(icons) {
        resize(kViewerSize);
        tree = new QTreeWidget(this);
        tree->setHeaderHidden(true);
        tree->setUniformRowHeights(true);
        tree->setIconSize(QSize(32, 32));
        tree->setGeometry(kViewerTree);
        chart = new Chart(this);
        chart->setGeometry(kViewerChart);
        list = new QTreeWidget(this);
        list->setColumnCount(4);
        list->setRootIsDecorated(false);
        list->setUniformRowHeights(true);
        list->setHeaderLabels(m_facts.columns);
        list->setGeometry(kViewerList);
        m_activityIcon.addPixmap(m_icons[41].pixmap(32, 32), QIcon::Normal);
        m_activityIcon.addPixmap(m_icons[42].pixmap(32, 32), QIcon::Selected);
    }

    // The view by student: every activity under every student.
    void buildStudentView() {
        problem.clear();
        tree->clear();
        list->clear();
        Database db;
        if (!db.open(m_facts.usersPath, m_facts.password)) {
            problem = db.error();
            return;
        }
        QList<QTreeWidgetItem *> students;
        QFont bold = tree->font();
        bold.setBold(true);
        {
            Query users(db.handle(),
                        "SELECT pkStudentID, tFirstname, tLastname, nIcon FROM tblUsers");
            if (!users.ok())
                problem = db.error();
            while (users.next()) {
                auto *item = new QTreeWidgetItem(
                    QStringList{users.text(1) + QLatin1Char(' ') + users.text(2)});
                item->setFont(0, bold);
                const int face = users.integer(3);
                if (face >= 1 && face < m_icons.size())
                    item->setIcon(0, m_icons[face]);
                item->setData(0, Qt::UserRole, users.integer(0));
                students << item;
            }
        }
        if (!students.isEmpty())
            students.front()->setForeground(0, QColor(0, 0, 255));
        QStringList activities;
        {
            Query names(db.handle(), "SELECT * FROM qryActivities");
            if (!names.ok())
                problem = db.error();
            while (names.next())
                activities << names.text(0);
        }
        if (activities.isEmpty()) {
            students << new QTreeWidgetItem(QStringList{m_facts.noData});
        } else {
            for (QTreeWidgetItem *student : std::as_const(students)) {
                QList<QTreeWidgetItem *> children;
                children.reserve(activities.size());
                for (const QString &activity : std::as_const(activities)) {
                    auto *item = new QTreeWidgetItem(QStringList{activity});
                    item->setIcon(0, m_activityIcon);
                    children << item;
                }
                student->addChildren(children);
            }
        }
        tree->addTopLevelItems(students);
    }

    // The bench's rows hold the desktop's day numbers and fractions of a
    // day; the viewer shows them in the learner's short forms.
    static const QLocale &learnerLocale() {
        static const QLocale locale = [] {
            const QString code = QStringLiteral(TVX_LANGUAGE_CODE);
            const bool spanish = code == QLatin1String("tvxeng") ||
                                 code == QLatin1String("tvxfra") ||
                                 code == QLatin1String("tvxale") || code == QLatin1String("tvxito");
            const QLocale::Language language = spanish ? QLocale::Spanish : QLocale::English;
            if (QLocale::system().language() == language)
                return QLocale::system();
            return spanish ? QLocale(QLocale::Spanish, QLocale::Spain)
                           : QLocale(QLocale::English, QLocale::UnitedStates);
        }();
        return locale;
    }
    static QString dayText(double day) {
        return learnerLocale().toString(QDate(1899, 12, 30).addDays(qint64(day)),
                                        QLocale::ShortFormat);
    }
    static QString timeText(double fraction) {
        const int seconds = int(std::llround(fraction * 86400)) % 86400;
        return learnerLocale().toString(QTime::fromMSecsSinceStartOfDay(seconds * 1000),
                                        QLocale::ShortFormat);
    }

    // The rows of a student's activity, listed and charted.
    void showPair(QTreeWidgetItem *pair) {
        problem.clear();
        tree->setCurrentItem(pair);
        list->clear();
        chart->scores.clear();
        Database db;
        if (!db.open(m_facts.usersPath, m_facts.password)) {
            problem = db.error();
            return;
        }
        Query rows(db.handle(), "SELECT * FROM tblscores WHERE tName = ? AND tActivity = ?");
        if (!rows.ok()) {
            problem = db.error();
            return;
        }
        rows.bind(1, pair->parent()->text(0));
        rows.bind(2, pair->text(0));
        const int subject = rows.columnOf("tSubject");
        const int text = rows.columnOf("textScore");
        const int number = rows.columnOf("numberScore");
        const int date = rows.columnOf("nDate");
        const int time = rows.columnOf("nTime");
        struct Point {
            double date, time, score;
        };
        QVector<Point> points;
        QList<QTreeWidgetItem *> items;
        while (rows.next()) {
            QString score = rows.text(text);
            if (score.isEmpty()) {
                score = rows.valueText(number);
                if (rows.isNumber(number))
                    points << Point{rows.number(date), rows.number(time), rows.number(number)};
            }
            items << new QTreeWidgetItem(QStringList{rows.valueText(subject), score,
                                                     dayText(rows.number(date)),
                                                     timeText(rows.number(time))});
        }
        list->addTopLevelItems(items);
        std::stable_sort(points.begin(), points.end(), [](const Point &a, const Point &b) {
            return a.date != b.date ? a.date < b.date : a.time < b.time;
        });
        for (const Point &point : std::as_const(points))
            chart->scores << point.score;
        chart->update();
    }

    QStringList listedRows() const {
        QStringList texts;
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            const QTreeWidgetItem *item = list->topLevelItem(i);
            texts << QStringList{item->text(0), item->text(1), item->text(2), item->text(3)}.join(
                QLatin1Char('|'));
        }
        for (const double score : chart->scores)
            texts << QStringLiteral("point %1").arg(score);
        return texts;
    }
    QStringList viewTexts() const {
        QStringList texts;
        for (int i = 0; i < tree->topLevelItemCount(); ++i)
            texts << tree->topLevelItem(i)->text(0);
        QTreeWidgetItem *first = tree->topLevelItem(0);
        for (int i = 0; first && i < first->childCount(); ++i)
            texts << QStringLiteral("  ") + first->child(i)->text(0);
        return texts;
    }
    void paintNow() {
        SettleEvents();
        repaint();
    }

    QTreeWidget *tree;
    Chart *chart;
    QTreeWidget *list;
    QString problem;

private:
    ViewerFacts m_facts;
    ViewerIcons m_icons;
    QIcon m_activityIcon;
};

class ViewerWorkload : public Workload {
public:
    ViewerWorkload(const ViewerFacts &facts, const ViewerIcons &icons, bool clickPair)
        : m_viewer(facts, icons), m_clickPair(clickPair) {
        m_viewer.show();
        if (m_clickPair) {
            m_viewer.buildStudentView();
            if (QTreeWidgetItem *first = m_viewer.tree->topLevelItem(0)) {
                first->setExpanded(true);
                m_pair = first->child(0);
            }
        }
        m_viewer.paintNow();
    }

    void run() override {
        if (m_clickPair) {
            if (m_pair)
                m_viewer.showPair(m_pair);
        } else {
            m_viewer.buildStudentView();
        }
        m_viewer.paintNow();
    }
    int nodes() const override { return countItems(*m_viewer.tree); }
    QStringList shownTexts() const override {
        return m_clickPair ? m_viewer.listedRows() : m_viewer.viewTexts();
    }
    QString problem() const override {
        if (m_clickPair && !m_pair)
            return QStringLiteral("the view by student lists no activity");
        return m_viewer.problem;
    }
    void cleanup() override {
        if (m_clickPair) {
            m_viewer.list->clear();
            m_viewer.chart->scores.clear();
        } else {
            m_viewer.tree->clear();
        }
        SettleEvents();
    }

private:
    Viewer m_viewer;
    bool m_clickPair;
    QTreeWidgetItem *m_pair = nullptr;
};

// The scheduler's arithmetic on plain numbers: FSRS-6 with its published
// default weights, days as day numbers.
namespace memory {

constexpr double w[21] = {0.212,  1.2931, 2.3065, 8.2956, 6.4133, 0.8334, 3.0194,
                          0.001,  1.8722, 0.1666, 0.796,  1.4835, 0.0614, 0.2629,
                          1.6483, 0.6014, 1.8729, 0.5425, 0.0912, 0.0658, 0.1542};
constexpr double kRetention = 0.9;

struct Review {
    qint64 day;
    int second;
    int grade;
};

struct State {
    int reviews = 0;
    int lapses = 0;
    int firstGrade = 0;
    qint64 lastDay = 0;
    double d = 0;
    double s = 0;
};

double factor() {
    return std::pow(0.9, -1.0 / w[20]) - 1.0;
}

double recall(double elapsed, double s) {
    return std::pow(1.0 + factor() * std::max(0.0, elapsed) / s, -w[20]);
}

double initialD(int g) {
    return w[4] - std::exp(w[5] * (g - 1)) + 1.0;
}

State replay(std::vector<Review> &reviews) {
    std::stable_sort(reviews.begin(), reviews.end(), [](const Review &a, const Review &b) {
        return a.day != b.day ? a.day < b.day : a.second < b.second;
    });
    State st;
    for (const Review &r : reviews) {
        const int g = r.grade;
        if (st.reviews == 0) {
            st.s = std::max(w[g - 1], 0.001);
            st.d = std::clamp(initialD(g), 1.0, 10.0);
            st.firstGrade = g;
        } else {
            const qint64 elapsed = std::max<qint64>(0, r.day - st.lastDay);
            if (elapsed == 0) {
                double inc = std::exp(w[17] * (g - 3 + w[18])) * std::pow(st.s, -w[19]);
                if (g >= 3)
                    inc = std::max(inc, 1.0);
                st.s = std::max(st.s * inc, 0.001);
            } else {
                const double rr = recall(double(elapsed), st.s);
                if (g == 1) {
                    const double longTerm = w[11] * std::pow(st.d, -w[12]) *
                                            (std::pow(st.s + 1.0, w[13]) - 1.0) *
                                            std::exp(w[14] * (1.0 - rr));
                    st.s = std::max(std::min(longTerm, st.s / std::exp(w[17] * w[18])), 0.001);
                } else {
                    const double hard = g == 2 ? w[15] : 1.0;
                    const double easy = g == 4 ? w[16] : 1.0;
                    st.s = std::max(st.s * (1.0 + std::exp(w[8]) * (11.0 - st.d) *
                                                      std::pow(st.s, -w[9]) *
                                                      (std::exp(w[10] * (1.0 - rr)) - 1.0) *
                                                      hard * easy),
                                    0.001);
                }
            }
            const double damped = st.d + -w[6] * (g - 3) * (10.0 - st.d) / 9.0;
            st.d = std::clamp(w[7] * initialD(4) + (1.0 - w[7]) * damped, 1.0, 10.0);
            if (g == 1)
                ++st.lapses;
        }
        ++st.reviews;
        st.lastDay = r.day;
    }
    return st;
}

qint64 dueDay(const State &st) {
    const double days = st.s / factor() * (std::pow(kRetention, -1.0 / w[20]) - 1.0);
    return st.lastDay + qint64(std::clamp<double>(std::round(days), 1.0, 36500));
}

qint64 dayOf(qint64 yyyymmdd) {
    return QDate(int(yyyymmdd / 10000), int(yyyymmdd / 100 % 100), int(yyyymmdd % 100))
        .toJulianDay();
}

struct Launch {
    qint64 key;
    QString student;
    qint64 day;
    int second;
};

struct Result {
    qint64 pk;
    qint64 launch; // the launch's key, 0 when no launch had its id
    int entry;
    int grade;
    qint64 day;
    int second;
};

struct Entry {
    QString file;
    int phraseNo;
    QString phrase;
};

// Everything the schedules need, read with the given statements: the
// launches (all, or those sharing a study file with one student), their
// entries, and their results in the order they were written.
struct Read {
    QHash<QString, Launch> launches; // by id
    QHash<qint64, QString> studentOf;
    QHash<qint64, Entry> entries; // by launch key * 16 + entry
    std::vector<Result> results;
    QString problem;
};

void readAll(Read &out, sqlite3 *db, const char *launchSql, const char *entrySql,
             const QStringList &resultSqls, const QString &student) {
    Query launches(db, launchSql);
    if (!student.isEmpty())
        launches.bind(1, student);
    while (launches.next()) {
        const Launch l{sqlite3_column_int64(launches.statement(), 0), launches.text(3),
                       dayOf(sqlite3_column_int64(launches.statement(), 4)),
                       launches.integer(5)};
        out.launches.insert(launches.text(1), l);
        out.studentOf.insert(l.key, l.student);
    }
    Query entries(db, entrySql);
    if (!entries.ok()) {
        out.problem = QString::fromUtf8(sqlite3_errmsg(db));
        return;
    }
    if (!student.isEmpty())
        entries.bind(1, student);
    while (entries.next())
        out.entries.insert(sqlite3_column_int64(entries.statement(), 0) * 16 + entries.integer(1),
                           Entry{entries.text(2), entries.integer(3), entries.text(4)});
    for (const QString &sql : resultSqls) {
        const QByteArray utf8 = sql.toUtf8();
        Query results(db, utf8.constData());
        if (!student.isEmpty())
            results.bind(1, student);
        while (results.next()) {
            const auto found = out.launches.constFind(results.text(0));
            out.results.push_back(
                Result{sqlite3_column_int64(results.statement(), 6),
                       found == out.launches.constEnd() ? 0 : found->key, results.integer(2),
                       results.integer(3), dayOf(sqlite3_column_int64(results.statement(), 4)),
                       results.integer(5)});
        }
    }
    std::sort(out.results.begin(), out.results.end(),
              [](const Result &a, const Result &b) { return a.pk < b.pk; });
}

struct PhraseKey {
    QString student;
    QString file;
    int phraseNo;
    bool operator<(const PhraseKey &o) const {
        return std::tie(student, file, phraseNo) < std::tie(o.student, o.file, o.phraseNo);
    }
};

struct Phrase {
    QString text;
    std::vector<Review> reviews;
};

// The results grouped by student and source phrase; those of no launch, of
// an entry the launch did not have or with a grade outside 1..4 counted.
std::map<PhraseKey, Phrase> group(const Read &read, const QString &onlyStudent, int *unmatched) {
    std::map<PhraseKey, Phrase> phrases;
    for (const Result &r : read.results) {
        const QString student = read.studentOf.value(r.launch);
        if (r.launch && !onlyStudent.isEmpty() && student != onlyStudent)
            continue;
        const auto entry = read.entries.constFind(r.launch * 16 + r.entry);
        if (!r.launch || entry == read.entries.constEnd() || r.grade < 1 || r.grade > 4) {
            ++*unmatched;
            continue;
        }
        Phrase &p = phrases[PhraseKey{student, entry->file, entry->phraseNo}];
        p.text = entry->phrase;
        p.reviews.push_back(Review{r.day, r.second, r.grade});
    }
    return phrases;
}

const char *const kStudentLaunches =
    "SELECT pkLaunchID, tLaunch, tStudyFile, tName, nDate, nTime FROM tblLaunches WHERE "
    "tStudyFile IN (SELECT tStudyFile FROM tblLaunches WHERE tName = ?)";
const char *const kStudentEntries =
    "SELECT E.fkLaunch, E.nEntry, E.tSourceFile, E.nPhraseNo, E.tPhrase, E.tTranslation, "
    "E.tTranslation2 FROM tblLaunches L JOIN tblLaunchEntries E ON E.fkLaunch = L.pkLaunchID "
    "WHERE L.tName = ?";
const char *const kStudentResults =
    "SELECT R.tLaunch, R.tStudyFile, R.nEntry, R.nGrade, R.nDate, R.nTime, R.pkResultID FROM "
    "tblLaunches L JOIN tblResults R ON R.tLaunch = L.tLaunch WHERE L.tName = ?";
const char *const kStudentResultsWithoutLaunch =
    "SELECT tLaunch, tStudyFile, nEntry, nGrade, nDate, nTime, pkResultID FROM tblResults WHERE "
    "tLaunch IS NULL AND tStudyFile IN (SELECT tStudyFile FROM tblLaunches WHERE tName = ?)";

} // namespace memory

class ReviewTodayWorkload : public Workload {
public:
    explicit ReviewTodayWorkload(const MemoryFacts &facts) : m_facts(facts) {}

    void run() override {
        m_problem.clear();
        Database db;
        if (!db.open(m_facts.usersPath, m_facts.password)) {
            m_problem = db.error();
            return;
        }
        memory::Read read;
        memory::readAll(read, db.handle(), memory::kStudentLaunches, memory::kStudentEntries,
                        {QLatin1String(memory::kStudentResults),
                         QLatin1String(memory::kStudentResultsWithoutLaunch)},
                        m_facts.student);
        m_problem = read.problem;
        int unmatched = 0;
        std::map<memory::PhraseKey, memory::Phrase> phrases =
            memory::group(read, m_facts.student, &unmatched);
        const qint64 today = m_facts.today.toJulianDay();
        struct Due {
            const memory::PhraseKey *key;
            qint64 due;
            double recall;
        };
        std::vector<Due> due;
        for (auto &[key, phrase] : phrases) {
            const memory::State st = memory::replay(phrase.reviews);
            const qint64 day = memory::dueDay(st);
            if (day <= today)
                due.push_back(Due{&key, day, memory::recall(double(today - st.lastDay), st.s)});
        }
        std::stable_sort(due.begin(), due.end(), [](const Due &a, const Due &b) {
            return a.due != b.due ? a.due < b.due : a.recall < b.recall;
        });
        m_scheduled = int(phrases.size());
        m_shown.clear();
        for (std::size_t i = 0; i < due.size() && i < 10; ++i)
            m_shown << QStringLiteral("%1#%2 %3")
                           .arg(due[i].key->file)
                           .arg(due[i].key->phraseNo)
                           .arg(QDate::fromJulianDay(due[i].due).toString(Qt::ISODate));
    }
    int nodes() const override { return m_scheduled; }
    QStringList shownTexts() const override { return m_shown; }
    void cleanup() override {
        m_shown.clear();
        m_scheduled = 0;
    }

private:
    MemoryFacts m_facts;
    int m_scheduled = 0;
    QStringList m_shown;
};

class PhraseViewWorkload : public Workload {
public:
    explicit PhraseViewWorkload(const MemoryFacts &facts) : m_facts(facts) {
        m_window.resize(kViewerSize);
        m_tree = new QTreeWidget(&m_window);
        m_tree->setHeaderHidden(true);
        m_tree->setUniformRowHeights(true);
        m_tree->setGeometry(kViewerTree);
        m_window.show();
        QCoreApplication::processEvents();
    }

    void run() override {
        m_problem.clear();
        m_tree->clear();
        Database db;
        if (!db.open(m_facts.usersPath, m_facts.password)) {
            m_problem = db.error();
            return;
        }
        memory::Read read;
        memory::readAll(
            read, db.handle(),
            "SELECT pkLaunchID, tLaunch, tStudyFile, tName, nDate, nTime FROM tblLaunches",
            "SELECT fkLaunch, nEntry, tSourceFile, nPhraseNo, tPhrase, tTranslation, "
            "tTranslation2 FROM tblLaunchEntries",
            {QStringLiteral("SELECT tLaunch, tStudyFile, nEntry, nGrade, nDate, nTime, "
                            "pkResultID FROM tblResults")},
            QString());
        m_problem = read.problem;
        int unmatched = 0;
        std::map<memory::PhraseKey, memory::Phrase> phrases =
            memory::group(read, QString(), &unmatched);
        const qint64 today = m_facts.today.toJulianDay();
        struct Row {
            QString file;
            int phraseNo = 0;
            QString text;
            int students = 0;
            int rightFirst = 0;
            int lapses = 0;
            double recall = 0;
            double share = 0;
        };
        std::map<std::pair<QString, int>, Row> rows;
        for (auto &[key, phrase] : phrases) {
            const memory::State st = memory::replay(phrase.reviews);
            Row &row = rows[{key.file, key.phraseNo}];
            row.file = key.file;
            row.phraseNo = key.phraseNo;
            row.text = phrase.text;
            ++row.students;
            row.rightFirst += st.firstGrade != 1;
            row.lapses += st.lapses;
            row.recall += memory::recall(double(today - st.lastDay), st.s);
        }
        std::vector<Row> sorted;
        sorted.reserve(rows.size());
        for (auto &[key, row] : rows) {
            row.share = double(row.rightFirst) / row.students;
            row.recall /= row.students;
            sorted.push_back(std::move(row));
        }
        std::sort(sorted.begin(), sorted.end(), [](const Row &a, const Row &b) {
            if (a.recall != b.recall)
                return a.recall < b.recall;
            if (a.share != b.share)
                return a.share < b.share;
            if (a.lapses != b.lapses)
                return a.lapses > b.lapses;
            return std::tie(a.file, a.phraseNo) < std::tie(b.file, b.phraseNo);
        });
        const auto percent = [](double share) {
            return QString::number(std::lround(share * 100.0)) + QStringLiteral(" %");
        };
        QList<QTreeWidgetItem *> items;
        for (const Row &row : sorted)
            items << new QTreeWidgetItem(QStringList{m_facts.phraseFigures.arg(row.text)
                                                         .arg(row.students)
                                                         .arg(percent(row.share),
                                                              percent(row.recall))});
        if (sorted.empty())
            items << new QTreeWidgetItem(QStringList{m_facts.noData});
        if (unmatched > 0)
            items << new QTreeWidgetItem(QStringList{m_facts.unmatched.arg(unmatched)});
        m_tree->addTopLevelItems(items);
        QCoreApplication::processEvents();
        m_window.repaint();
    }
    int nodes() const override { return countItems(*m_tree); }
    QStringList shownTexts() const override {
        QStringList texts;
        for (int i = 0; i < m_tree->topLevelItemCount(); ++i)
            texts << m_tree->topLevelItem(i)->text(0);
        return texts;
    }
    void cleanup() override {
        m_tree->clear();
        QCoreApplication::processEvents();
    }

private:
    MemoryFacts m_facts;
    QWidget m_window;
    QTreeWidget *m_tree;
};

} // namespace

std::unique_ptr<Workload> ReviewToday(const MemoryFacts &facts) {
    return std::make_unique<ReviewTodayWorkload>(facts);
}

std::unique_ptr<Workload> PhraseView(const MemoryFacts &facts) {
    return std::make_unique<PhraseViewWorkload>(facts);
}

std::unique_ptr<Workload> ShowPair(const ViewerFacts &facts, const ViewerIcons &icons) {
    return std::make_unique<ViewerWorkload>(facts, icons, true);
}

std::unique_ptr<Workload> BuildStudentView(const ViewerFacts &facts, const ViewerIcons &icons) {
    return std::make_unique<ViewerWorkload>(facts, icons, false);
}

std::unique_ptr<Workload> Launch(const TreeFacts &facts, const QString &subjectFile,
                                 const QString &activityProgram) {
    return std::make_unique<LaunchWorkload>(facts, subjectFile, activityProgram);
}

std::unique_ptr<Workload> StartupTree(const TreeFacts &facts, const TreeIcons &icons,
                                      bool withSplash) {
    return std::make_unique<StartupTreeWorkload>(facts, icons, withSplash);
}

std::unique_ptr<Workload> OpenSubject(const TreeFacts &facts, const TreeIcons &icons,
                                      const QString &subjectFile) {
    return std::make_unique<OpenSubjectWorkload>(facts, icons, subjectFile);
}

std::unique_ptr<Workload> RandomPhrases(const TreeFacts &facts, const TreeIcons &icons) {
    return std::make_unique<RandomPhrasesWorkload>(facts, icons);
}

} // namespace bench::bare
