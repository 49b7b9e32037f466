// tvx-bench-start: the bare reference of a whole start, a small program of
// Qt Widgets and the SQLite C API that does what the program's start-up does
// on the same folder: the template's texts read, a splash window shown with a
// line per subject, the tree of installed subjects and virtual folders built,
// the template's menu links, messages and tips read, the activities listed,
// and a window listing the students with their faces painted. Then it prints
// "tvx-first-paint", as the program does when TVX_REPORT_FIRST_PAINT=1, and
// ends. tvx-bench starts it and the program in turns.
//
//   tvx-bench-start <program folder> <installed subjects folder> <virtual
//                   subjects folder> <short code> <subject password>
//                   <language code> <learner language>
#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTimer>
#include <QTreeWidget>

#include <sqlite3.h>

#include <cstdio>

namespace {

// The rows of one query on a file whose password is checked first; empty
// when the file cannot be read.
QList<QStringList> rows(const QString &path, const QString &password, const QByteArray &sql) {
    QList<QStringList> out;
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) !=
        SQLITE_OK) {
        sqlite3_close(db);
        return out;
    }
    sqlite3_stmt *st = nullptr;
    bool allowed = false;
    if (sqlite3_prepare_v2(db, "SELECT tSalt, tHash FROM MSysPassword LIMIT 1", -1, &st, nullptr) ==
            SQLITE_OK &&
        sqlite3_step(st) == SQLITE_ROW) {
        const QByteArray salt = reinterpret_cast<const char *>(sqlite3_column_text(st, 0));
        const QByteArray hash = reinterpret_cast<const char *>(sqlite3_column_text(st, 1));
        allowed = QCryptographicHash::hash(salt + password.toUtf8(), QCryptographicHash::Sha256)
                      .toHex()
                      .compare(hash, Qt::CaseInsensitive) == 0;
    }
    sqlite3_finalize(st);
    if (allowed && sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr) == SQLITE_OK) {
        while (sqlite3_step(st) == SQLITE_ROW) {
            QStringList row;
            for (int i = 0; i < sqlite3_column_count(st); ++i)
                row << QString::fromUtf8(
                    reinterpret_cast<const char *>(sqlite3_column_text(st, i)));
            out << row;
        }
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return out;
}

QString titleOf(const QString &fileName) {
    QStringList words = fileName.left(fileName.lastIndexOf(QLatin1Char('.'))).split(u'_');
    for (QString &word : words)
        word = word.left(1).toUpper() + word.mid(1).toLower();
    return words.join(QLatin1Char(' '));
}

class Splash : public QWidget {
public:
    Splash() {
        resize(313, 272);
        m_box = new QPlainTextEdit(this);
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

class Login : public QWidget {
public:
    Login() {
        resize(420, 360);
        list = new QListWidget(this);
        list->setGeometry(16, 16, 388, 280);
        list->setIconSize(QSize(32, 32));
    }
    QListWidget *list;

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter(this).fillRect(rect(), QColor(235, 240, 250));
        if (!m_reported) {
            m_reported = true;
            QTimer::singleShot(0, qApp, [] {
                std::printf("tvx-first-paint\n");
                std::fflush(stdout);
                QCoreApplication::exit(0);
            });
        }
    }

private:
    bool m_reported = false;
};

} // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 8) {
        std::fprintf(stderr, "usage: tvx-bench-start <program folder> <installed folder> "
                             "<virtual folder> <short code> <subject password> "
                             "<language code> <learner language>\n");
        return 2;
    }
    const QString program = args[1];
    const QString installed = args[2];
    const QString virtualFolder = args[3];
    const QString code = args[4];
    const QString subjectPassword = args[5];
    const QByteArray languageCode = args[6].toUtf8();
    const QByteArray learner = args[7].toUtf8();
    const QString templatePath = program + QStringLiteral("Tolvanex.tpl");
    const QString templatePassword = QStringLiteral("kqw6081");

    QStringList captions;
    for (const QStringList &row :
         rows(templatePath, templatePassword, "SELECT " + learner + " FROM tblCaptions"))
        captions << row.value(0);

    Splash splash;
    splash.show();
    QCoreApplication::processEvents();

    QTreeWidget tree;
    tree.setHeaderHidden(true);
    auto *top = new QTreeWidgetItem(QStringList{captions.value(1)});
    tree.addTopLevelItem(top);
    for (const QString &file :
         QDir(installed).entryList({QStringLiteral("*.") + code}, QDir::Files, QDir::Name)) {
        const QString title = titleOf(file);
        top->addChild(new QTreeWidgetItem(QStringList{title}));
        splash.prepend(title + QLatin1Char('\n'));
    }
    for (const QString &file :
         QDir(virtualFolder).entryList({QStringLiteral("*.v") + code}, QDir::Files, QDir::Name)) {
        auto *folder = new QTreeWidgetItem(QStringList{file});
        tree.addTopLevelItem(folder);
        for (const QStringList &row :
             rows(virtualFolder + file, subjectPassword, "SELECT nParent, tName FROM tblParents")) {
            folder->addChild(new QTreeWidgetItem(QStringList{row.value(1)}));
            splash.prepend(row.value(1) + QLatin1Char('\n'));
        }
    }
    QCoreApplication::processEvents();
    const QList<QStringList> links = rows(
        templatePath, templatePassword, "SELECT " + learner + ", link FROM tblMenu WHERE bL1 = 1");
    const QList<QStringList> messages =
        rows(templatePath, templatePassword, "SELECT * FROM tblSystemMessages");
    const QList<QStringList> tips =
        rows(templatePath, templatePassword, "SELECT " + languageCode + " FROM tblTips");
    const QStringList activities =
        QDir(program + QStringLiteral("Activities")).entryList(QDir::Files | QDir::Executable);

    Login login;
    for (const QStringList &row : rows(program + QStringLiteral("Users.dat"), templatePassword,
                                       "SELECT tFirstname, tLastname, nIcon FROM tblUsers")) {
        auto *item = new QListWidgetItem(row.value(0) + QLatin1Char(' ') + row.value(1));
        item->setIcon(
            QIcon(QPixmap(QStringLiteral(":/faces/%1.png").arg(100 + row.value(2).toInt()))));
        login.list->addItem(item);
    }
    splash.close();
    login.show();
    const int texts = int(links.size() + messages.size() + tips.size() + activities.size());
    const int status = app.exec();
    return status == 0 && texts >= 0 ? 0 : 1;
}
