#include "bare.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTextCursor>
#include <QTreeWidget>
#include <QWidget>

#include <sqlite3.h>

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
    QCoreApplication::processEvents();
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
        QCoreApplication::processEvents();
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
        QCoreApplication::processEvents();
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
        QCoreApplication::processEvents();
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
        QCoreApplication::processEvents();
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
        if (!QProcess::startDetached(m_program, {studyName}, m_temp))
            m_problem = QStringLiteral("cannot start ") + m_program;
    }
    // The phrases handed to the activity.
    int nodes() const override { return m_count; }
    void cleanup() override {
        const QString tag = QString::number(QCoreApplication::applicationPid());
        for (int i = 1; i <= m_count; ++i)
            QFile::remove(m_temp + QStringLiteral("~tvb") + tag + QString::number(i) +
                          QStringLiteral(".wav"));
        QFile::remove(m_temp + QStringLiteral("~tvb") + tag + QStringLiteral(".txt"));
    }

private:
    TreeFacts m_facts;
    QString m_subjectFile;
    QString m_program;
    QString m_temp;
    int m_count = 0;
};

} // namespace

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
