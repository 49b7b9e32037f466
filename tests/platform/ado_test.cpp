#include "platform/ado.h"
#include "support/test_env.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QFile>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>
#include <thread>

using ado::Connection;
using ado::Error;
using ado::Recordset;

namespace {

// Counts the bytes SQLite reads from files while it is the default file
// system, so a test can tell whether a query read a value's content.
class ReadCounter {
public:
    ReadCounter() {
        s_real = sqlite3_vfs_find(nullptr);
        s_vfs = *s_real;
        s_vfs.zName = "tvx_read_counter";
        s_vfs.szOsFile = int(sizeof(File)) + s_real->szOsFile;
        s_vfs.xOpen = &open;
        s_bytes = 0;
        sqlite3_vfs_register(&s_vfs, 1);
    }
    ~ReadCounter() {
        sqlite3_vfs_register(s_real, 1);
        sqlite3_vfs_unregister(&s_vfs);
    }
    ReadCounter(const ReadCounter &) = delete;
    ReadCounter &operator=(const ReadCounter &) = delete;
    static qint64 bytes() { return s_bytes; }

private:
    struct File {
        sqlite3_file base;
        sqlite3_file *real() { return reinterpret_cast<sqlite3_file *>(this + 1); }
    };
    static sqlite3_file *real(sqlite3_file *f) { return reinterpret_cast<File *>(f)->real(); }

    static int open(sqlite3_vfs *, sqlite3_filename name, sqlite3_file *f, int flags, int *out) {
        static const sqlite3_io_methods methods = {
            1, // no memory mapping, so every read goes through xRead
            [](sqlite3_file *f) {
                const int rc = real(f)->pMethods->xClose(real(f));
                f->pMethods = nullptr;
                return rc;
            },
            [](sqlite3_file *f, void *buffer, int amount, sqlite3_int64 offset) {
                s_bytes += amount;
                return real(f)->pMethods->xRead(real(f), buffer, amount, offset);
            },
            [](sqlite3_file *f, const void *buffer, int amount, sqlite3_int64 offset) {
                return real(f)->pMethods->xWrite(real(f), buffer, amount, offset);
            },
            [](sqlite3_file *f, sqlite3_int64 size) {
                return real(f)->pMethods->xTruncate(real(f), size);
            },
            [](sqlite3_file *f, int flags) { return real(f)->pMethods->xSync(real(f), flags); },
            [](sqlite3_file *f, sqlite3_int64 *size) {
                return real(f)->pMethods->xFileSize(real(f), size);
            },
            [](sqlite3_file *f, int lock) { return real(f)->pMethods->xLock(real(f), lock); },
            [](sqlite3_file *f, int lock) { return real(f)->pMethods->xUnlock(real(f), lock); },
            [](sqlite3_file *f, int *out) {
                return real(f)->pMethods->xCheckReservedLock(real(f), out);
            },
            [](sqlite3_file *f, int op, void *arg) {
                return real(f)->pMethods->xFileControl(real(f), op, arg);
            },
            [](sqlite3_file *f) { return real(f)->pMethods->xSectorSize(real(f)); },
            [](sqlite3_file *f) { return real(f)->pMethods->xDeviceCharacteristics(real(f)); },
            nullptr,
            nullptr,
            nullptr,
            nullptr,
            nullptr,
            nullptr};
        const int rc = s_real->xOpen(s_real, name, real(f), flags, out);
        f->pMethods = real(f)->pMethods ? &methods : nullptr;
        return rc;
    }

    static inline sqlite3_vfs *s_real = nullptr;
    static inline sqlite3_vfs s_vfs{};
    static inline qint64 s_bytes = 0;
};

// Runs f and returns the description it fails with ("" when it does not fail).
template <typename F> QString failure(F &&f) {
    try {
        f();
    } catch (const Error &e) {
        return e.description();
    }
    return {};
}

class AdoTest : public ::testing::Test {
protected:
    QString path(const QString &name) const { return env.root() + name; }

    // A new file holding what the statements make, written as one of ours.
    QString makeFile(const QString &name, const QString &statements) {
        const QString file = path(name);
        Connection::CreateDatabase(file);
        Connection own;
        own.Open(ado::ConnectionString(file, QString(), ado::FileOrigin::Own));
        own.Execute(statements);
        return file;
    }

    // A student-like table, a blob table and a view, protected by "pw".
    QString makeDatabase(const QString &name = QStringLiteral("test.db"),
                         const QString &password = QStringLiteral("pw")) {
        const QString file = path(name);
        Connection::CreateDatabase(file);
        Connection cn;
        cn.Open(ado::ConnectionString(file, QString()));
        cn.Execute(QStringLiteral(
            "CREATE TABLE tblUsers(pkStudentID INTEGER PRIMARY KEY AUTOINCREMENT, "
            "tFirstname TEXT, tLastname TEXT, nIcon INTEGER, bL1 INTEGER, nScore REAL);"
            "CREATE TABLE tblPhrases(pkPhraseNo INTEGER PRIMARY KEY, tPhrase TEXT, bsound BLOB);"
            "CREATE VIEW qryNames AS SELECT tFirstname, tLastname FROM tblUsers "
            "ORDER BY tFirstname;"));
        cn.Execute(QStringLiteral("INSERT INTO tblUsers(tFirstname, tLastname, nIcon, bL1, nScore) "
                                  "VALUES (?, ?, ?, ?, ?), (?, ?, ?, ?, ?)"),
                   {QStringLiteral("Ana"), QStringLiteral("Ruiz"), 3, true, 2.5,
                    QStringLiteral("Bo"), QVariant(), 7, false, QVariant()});
        if (!password.isEmpty())
            cn.SetPassword(password);
        return file;
    }

    TestEnv env;
};

TEST_F(AdoTest, OpenParsesJetConnectionStringsInAnyOrderAndCase) {
    const QString file = makeDatabase();
    Connection cn;
    cn.Open(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + file +
            QStringLiteral(";Jet OLEDB:Database Password=pw;"));
    EXPECT_TRUE(cn.IsOpen());
    EXPECT_EQ(cn.DataSource(), file);
    cn.Close();
    EXPECT_FALSE(cn.IsOpen());

    cn.Open(QStringLiteral("jet oledb:database password=pw; DATA SOURCE = ") + file +
            QStringLiteral(" ;provider=x"));
    EXPECT_TRUE(cn.IsOpen());
}

TEST_F(AdoTest, PathsWithSeparatorsQuotesAndBlanksOpen) {
    EXPECT_EQ(ado::ConnectionString(QStringLiteral("/a/b.ito"), QStringLiteral("pw")),
              QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/a/b.ito;"
                             "Jet OLEDB:Database Password=pw;"));
    EXPECT_EQ(ado::ConnectionString(QStringLiteral("/a;b/say \"hi\".ito"), QStringLiteral("pw")),
              QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=\"/a;b/say "
                             "\"\"hi\"\".ito\";Jet OLEDB:Database Password=pw;"));

    const QStringList names{QStringLiteral("a;b/x;y.ito"), QStringLiteral("it's \"q\";.ito"),
                            QStringLiteral("trailing blank.ito "), QStringLiteral("plain.ito")};
    for (const QString &name : names) {
        const QString source = makeDatabase(QStringLiteral("plain.db"), QStringLiteral("p;w"));
        const QString file = path(name);
        if (file != source) {
            writeFile(file, QByteArray());
            QFile::remove(file);
            ASSERT_TRUE(QFile::rename(source, file)) << name.toStdString();
        }
        Connection cn;
        EXPECT_EQ(failure([&] { cn.Open(ado::ConnectionString(file, QStringLiteral("p;w"))); }),
                  QString())
            << name.toStdString();
        EXPECT_EQ(cn.DataSource(), file);
        cn.Close();
        QFile::remove(file);
    }

    // Quoted values written by hand: single quotes, blanks around them.
    const QString file = makeDatabase(QStringLiteral("x;y.ito"));
    Connection cn;
    cn.Open(QStringLiteral("Provider=x; Data Source = '") + file +
            QStringLiteral("' ;Jet OLEDB:Database Password=\"pw\""));
    EXPECT_EQ(cn.DataSource(), file);
}

TEST_F(AdoTest, OpenFailsClearlyAndNeverCreatesAFile) {
    const QString missing = path(QStringLiteral("missing.ito"));
    Connection cn;
    const QString notFound = failure([&] { cn.Open(ado::ConnectionString(missing, "pw")); });
    EXPECT_TRUE(notFound.contains(QLatin1String("not found"))) << notFound.toStdString();
    EXPECT_TRUE(notFound.contains(missing));
    EXPECT_FALSE(QFile::exists(missing));
    EXPECT_FALSE(cn.IsOpen());

    const QString junk = path(QStringLiteral("junk.ito"));
    writeFile(junk, QByteArray("This is a text file, certainly not a database. ").repeated(40));
    const QString notDb = failure([&] { cn.Open(ado::ConnectionString(junk, "pw")); });
    EXPECT_TRUE(notDb.contains(QLatin1String("not a database file"))) << notDb.toStdString();
    EXPECT_TRUE(notDb.contains(junk));

    const QString empty = path(QStringLiteral("empty.ito"));
    writeFile(empty, QByteArray());
    EXPECT_TRUE(failure([&] {
                    cn.Open(ado::ConnectionString(empty, "pw"));
                }).contains(QLatin1String("not a database file")));
    EXPECT_EQ(QFile(empty).size(), 0);

    EXPECT_FALSE(failure([&] { cn.Open(QStringLiteral("Provider=x;")); }).isEmpty());
}

TEST_F(AdoTest, PasswordIsCheckedReplacedAndRemoved) {
    const QString file = makeDatabase();
    Connection cn;
    const QString wrong = failure([&] { cn.Open(ado::ConnectionString(file, "PW")); });
    EXPECT_TRUE(wrong.contains(QLatin1String("Wrong password"))) << wrong.toStdString();
    EXPECT_FALSE(cn.IsOpen());
    EXPECT_FALSE(failure([&] { cn.Open(ado::ConnectionString(file, "")); }).isEmpty());

    cn.Open(ado::ConnectionString(file, "pw"));
    cn.SetPassword(QStringLiteral("marpelin4729"));
    cn.Close();
    EXPECT_FALSE(failure([&] { cn.Open(ado::ConnectionString(file, "pw")); }).isEmpty());
    cn.Open(ado::ConnectionString(file, "marpelin4729"));

    // The stored hash is SHA-256 of salt + password, never the password itself.
    Recordset rs;
    rs.Open(QStringLiteral("SELECT * FROM MSysPassword"), cn);
    EXPECT_EQ(rs.RecordCount(), 1);
    const QString salt = rs.Fields("tSalt").Text();
    const QString hash = rs.Fields("tHash").Text();
    EXPECT_FALSE(salt.isEmpty());
    EXPECT_EQ(hash, QString::fromLatin1(
                        QCryptographicHash::hash((salt + QStringLiteral("marpelin4729")).toUtf8(),
                                                 QCryptographicHash::Sha256)
                            .toHex()));
    rs.Close();

    cn.SetPassword(QString());
    cn.Close();
    cn.Open(ado::ConnectionString(file, "anything at all"));
    EXPECT_TRUE(cn.IsOpen());
}

TEST_F(AdoTest, FileWithoutPasswordOpensWithAnyPassword) {
    const QString file = makeDatabase(QStringLiteral("open.db"), QString());
    Connection cn;
    cn.Open(ado::ConnectionString(file, "kqw6081"));
    EXPECT_TRUE(cn.IsOpen());
}

TEST_F(AdoTest, CreateDatabaseMakesAnOpenableFileAndRefusesExistingOnes) {
    const QString file = path(QStringLiteral("new.tpl"));
    Connection::CreateDatabase(file);
    EXPECT_GT(QFile(file).size(), 0);
    Connection cn;
    cn.Open(ado::ConnectionString(file, QString()));
    EXPECT_TRUE(cn.IsOpen());
    cn.Close();
    EXPECT_TRUE(failure([&] {
                    Connection::CreateDatabase(file);
                }).contains(QLatin1String("exists already")));
}

TEST_F(AdoTest, QueriesReadTypedValuesByNameAndPosition) {
    const QString file = makeDatabase();
    Connection cn;
    cn.Open(ado::ConnectionString(file, "pw"));
    Recordset rs;
    rs.Open(QStringLiteral("Select * from tblUsers where pkStudentID = 1"), cn);
    ASSERT_EQ(rs.RecordCount(), 1);
    EXPECT_EQ(rs.FieldCount(), 6);
    EXPECT_EQ(rs.Fields(0).Name(), QStringLiteral("pkStudentID"));
    EXPECT_EQ(rs.Fields(1).Value(), QVariant(QStringLiteral("Ana")));
    EXPECT_EQ(rs.Fields("TFIRSTNAME").Text(), QStringLiteral("Ana")); // names ignore case
    EXPECT_EQ(rs["nIcon"].Value().typeId(), QMetaType::Int);
    EXPECT_EQ(rs["nIcon"].Value().toInt(), 3);
    EXPECT_EQ(rs["nScore"].Value().typeId(), QMetaType::Double);
    EXPECT_DOUBLE_EQ(rs["nScore"].Value().toDouble(), 2.5);

    rs.Open(QStringLiteral("SELECT * FROM tblUsers WHERE bL1 = False"), cn);
    ASSERT_EQ(rs.RecordCount(), 1);
    EXPECT_EQ(rs.Fields("tFirstname").Text(), QStringLiteral("Bo"));
    EXPECT_TRUE(rs.Fields("tLastname").IsNull());
    EXPECT_FALSE(rs.Fields("tLastname").Value().isValid());
    EXPECT_EQ(rs.Fields("tLastname").Text(), QString(""));
    EXPECT_FALSE(rs.Fields("tLastname").Text().isNull());
    EXPECT_TRUE(rs.Fields("nScore").IsNull());

    rs.Open(QStringLiteral("select tLastname, tFirstname from tblUsers Where bL1 = True"), cn);
    EXPECT_EQ(rs.FieldCount(), 2);
    EXPECT_EQ(rs.Fields(0).Text(), QStringLiteral("Ruiz"));

    rs.Open(QStringLiteral("SELECT pkStudentID FROM [tblUsers] ORDER BY pkStudentID DESC"), cn);
    EXPECT_EQ(rs.Fields(0).Value().toInt(), 2);

    // A big number keeps its width.
    cn.Execute(QStringLiteral("UPDATE tblUsers SET nIcon = 5000000000 WHERE pkStudentID = 2"));
    rs.Open(QStringLiteral("SELECT nIcon FROM tblUsers WHERE pkStudentID = 2"), cn);
    EXPECT_EQ(rs.Fields(0).Value().typeId(), QMetaType::LongLong);
    EXPECT_EQ(rs.Fields(0).Value().toLongLong(), 5000000000LL);
}

TEST_F(AdoTest, MissingTablesColumnsAndFieldsAreNamed) {
    const QString file = makeDatabase();
    Connection cn;
    cn.Open(ado::ConnectionString(file, "pw"));
    Recordset rs;
    QString e = failure([&] { rs.Open(QStringLiteral("SELECT * FROM tblNothing"), cn); });
    EXPECT_TRUE(e.contains(QLatin1String("No such table"))) << e.toStdString();
    EXPECT_TRUE(e.contains(QLatin1String("tblNothing")));
    e = failure([&] { rs.Open(QStringLiteral("tblNothing"), cn); });
    EXPECT_TRUE(e.contains(QLatin1String("tblNothing"))) << e.toStdString();

    e = failure([&] { rs.Open(QStringLiteral("SELECT * FROM tblUsers WHERE nAge = 3"), cn); });
    EXPECT_TRUE(e.contains(QLatin1String("No such column"))) << e.toStdString();
    EXPECT_TRUE(e.contains(QLatin1String("nAge")));
    e = failure([&] { rs.Open(QStringLiteral("SELECT tAge FROM tblUsers"), cn); });
    EXPECT_TRUE(e.contains(QLatin1String("tAge"))) << e.toStdString();

    rs.Open(QStringLiteral("SELECT * FROM tblUsers"), cn);
    e = failure([&] { rs.Fields("tMiddlename"); });
    EXPECT_TRUE(e.contains(QLatin1String("No such column"))) << e.toStdString();
    EXPECT_TRUE(e.contains(QLatin1String("tMiddlename")));
    EXPECT_FALSE(failure([&] { rs.Fields(6); }).isEmpty());
    EXPECT_FALSE(failure([&] { rs.Fields(-1); }).isEmpty());
}

TEST_F(AdoTest, NavigationEofBofAndRecordCount) {
    const QString file = makeDatabase();
    Connection cn;
    cn.Open(ado::ConnectionString(file, "pw"));
    Recordset rs;
    rs.Open(QStringLiteral("SELECT * FROM tblUsers ORDER BY pkStudentID"), cn);
    EXPECT_FALSE(rs.EOF_());
    EXPECT_FALSE(rs.BOF());
    EXPECT_EQ(rs.Fields("tFirstname").Text(), QStringLiteral("Ana"));
    rs.MoveNext();
    EXPECT_EQ(rs.Fields("tFirstname").Text(), QStringLiteral("Bo"));
    rs.MoveNext();
    EXPECT_TRUE(ado::AtEnd(rs));
    EXPECT_TRUE(failure([&] {
                    rs.Fields("tFirstname").Value();
                }).contains(QLatin1String("No current record")));
    EXPECT_TRUE(failure([&] { rs.MoveNext(); }).contains(QLatin1String("No current record")));
    rs.MoveLast();
    EXPECT_EQ(rs.RecordCount(), 2);
    EXPECT_EQ(rs.Fields("tFirstname").Text(), QStringLiteral("Bo"));
    rs.MovePrevious();
    rs.MovePrevious();
    EXPECT_TRUE(rs.BOF());
    EXPECT_FALSE(rs.EOF_());
    EXPECT_TRUE(failure([&] { rs.Fields(0).Value(); }).contains(QLatin1String("No current")));
    EXPECT_FALSE(failure([&] { rs.MovePrevious(); }).isEmpty());
    rs.MoveFirst();
    EXPECT_EQ(rs.Fields("tFirstname").Text(), QStringLiteral("Ana"));

    rs.Open(QStringLiteral("SELECT * FROM tblUsers WHERE pkStudentID = 99"), cn);
    EXPECT_TRUE(rs.EOF_());
    EXPECT_TRUE(rs.BOF());
    EXPECT_EQ(rs.RecordCount(), 0);
    EXPECT_TRUE(failure([&] { rs.MoveLast(); }).contains(QLatin1String("No current record")));
    EXPECT_TRUE(failure([&] { rs.MoveFirst(); }).contains(QLatin1String("No current record")));
    EXPECT_TRUE(failure([&] { rs.MoveNext(); }).contains(QLatin1String("No current record")));

    rs.Close();
    EXPECT_FALSE(rs.IsOpen());
    EXPECT_FALSE(failure([&] { rs.EOF_(); }).isEmpty());
}

TEST_F(AdoTest, AddNewUpdateReadsTheAutoNumberBackAndStandsOnTheNewRow) {
    const QString file = makeDatabase();
    Connection cn;
    cn.Open(ado::ConnectionString(file, "pw"));
    Recordset rs;
    rs.Open(QStringLiteral("Select * from tblUsers"), cn);
    rs.AddNew();
    EXPECT_TRUE(rs.Fields("pkStudentID").IsNull());
    rs.Fields("tFirstname").SetValue(QStringLiteral("Cy"));
    rs.Fields("nIcon").SetValue(12);
    EXPECT_EQ(rs.Fields("tFirstname").Text(), QStringLiteral("Cy"));
    rs.Update();
    EXPECT_EQ(rs.Fields("pkStudentID").Value().toInt(), 3);
    EXPECT_EQ(rs.Fields("tFirstname").Text(), QStringLiteral("Cy"));
    EXPECT_EQ(rs.RecordCount(), 3);

    // AUTOINCREMENT never reuses a deleted key.
    rs.Delete();
    rs.AddNew();
    rs.Fields(1).SetValue(QStringLiteral("Di"));
    rs.Update();
    EXPECT_EQ(rs.Fields(0).Value().toInt(), 4);

    // Nothing set at all still adds a row.
    rs.AddNew();
    rs.Update();
    EXPECT_EQ(rs.Fields(0).Value().toInt(), 5);
    EXPECT_TRUE(rs.Fields("tFirstname").IsNull());

    // CancelUpdate drops a pending row.
    rs.AddNew();
    rs.Fields(1).SetValue(QStringLiteral("never"));
    rs.CancelUpdate();
    rs.Close();

    Connection other;
    other.Open(ado::ConnectionString(file, "pw"));
    Recordset check;
    check.Open(QStringLiteral("SELECT tFirstname FROM tblUsers ORDER BY pkStudentID"), other);
    QStringList names;
    for (; !check.EOF_(); check.MoveNext())
        names << check.Fields(0).Text();
    EXPECT_EQ(names, (QStringList{"Ana", "Bo", "Di", ""}));
}

TEST_F(AdoTest, EditingAFieldAndUpdateChangesTheStoredRow) {
    const QString file = makeDatabase();
    Connection cn;
    cn.Open(ado::ConnectionString(file, "pw"));
    Recordset rs;
    rs.Open(QStringLiteral("SELECT * FROM tblUsers WHERE pkStudentID = 2"), cn);
    rs.Fields("tLastname").SetValue(QStringLiteral("Berg"));
    rs.Fields("nScore").SetValue(1.25);
    rs.Fields("bL1").SetValue(true);
    rs.Update();
    EXPECT_EQ(rs.Fields("tLastname").Text(), QStringLiteral("Berg"));

    // Moving off an edited row writes it, as the cursor does in ADO.
    rs.Open(QStringLiteral("SELECT * FROM tblUsers ORDER BY pkStudentID"), cn);
    rs.Fields("tFirstname").SetValue(QStringLiteral("Anna"));
    rs.MoveNext();
    // A null QString writes empty text, an invalid variant writes Null.
    rs.Fields("tFirstname").SetValue(QString());
    rs.Fields("nIcon").SetValue(QVariant());
    rs.Update();
    rs.Close();

    Recordset check;
    check.Open(QStringLiteral("SELECT * FROM tblUsers WHERE bL1 = True ORDER BY pkStudentID"), cn);
    ASSERT_EQ(check.RecordCount(), 2);
    EXPECT_EQ(check.Fields("tFirstname").Text(), QStringLiteral("Anna"));
    check.MoveNext();
    EXPECT_FALSE(check.Fields("tFirstname").IsNull());
    EXPECT_EQ(check.Fields("tFirstname").Text(), QString());
    EXPECT_TRUE(check.Fields("nIcon").IsNull());
    EXPECT_EQ(check.Fields("tLastname").Text(), QStringLiteral("Berg"));
    EXPECT_DOUBLE_EQ(check.Fields("nScore").Value().toDouble(), 1.25);
}

TEST_F(AdoTest, DeleteRemovesTheCurrentRowAndMoveNextGoesOn) {
    const QString file = makeDatabase();
    Connection cn;
    cn.Open(ado::ConnectionString(file, "pw"));
    cn.Execute(QStringLiteral("INSERT INTO tblUsers(tFirstname) VALUES ('Cy')"));
    Recordset rs;
    rs.Open(QStringLiteral("SELECT * FROM tblUsers ORDER BY pkStudentID"), cn);
    rs.MoveNext(); // Bo
    rs.Delete();
    EXPECT_TRUE(failure([&] { rs.Fields(1).Value(); }).contains(QLatin1String("deleted")));
    EXPECT_FALSE(rs.EOF_());
    rs.Update(); // nothing pending: harmless, as in the usual delete loop
    rs.MoveNext();
    EXPECT_EQ(rs.Fields(1).Text(), QStringLiteral("Cy"));
    EXPECT_EQ(rs.RecordCount(), 2);
    rs.MovePrevious(); // skips the deleted row
    EXPECT_EQ(rs.Fields(1).Text(), QStringLiteral("Ana"));

    // The delete loop: delete, update, move next until the end.
    rs.Open(QStringLiteral("SELECT * FROM tblUsers"), cn);
    int deleted = 0;
    while (!rs.EOF_()) {
        rs.Delete();
        rs.Update();
        rs.MoveNext();
        ++deleted;
    }
    EXPECT_EQ(deleted, 2);
    EXPECT_EQ(rs.RecordCount(), 0);
    rs.Open(QStringLiteral("tblUsers"), cn);
    EXPECT_EQ(rs.RecordCount(), 0);
    EXPECT_FALSE(failure([&] { rs.Delete(); }).isEmpty());
}

TEST_F(AdoTest, BoundParametersKeepQuotesAndNeverBreakTheQuery) {
    const QString file = makeDatabase();
    Connection cn;
    cn.Open(ado::ConnectionString(file, "pw"));
    Recordset rs;
    rs.Open(QStringLiteral("select * from tblUsers"), cn);
    rs.AddNew();
    rs.Fields("tFirstname").SetValue(QStringLiteral("Seán"));
    rs.Fields("tLastname").SetValue(QStringLiteral("O'Brien"));
    rs.Update();
    const int key = rs.Fields("pkStudentID").Value().toInt();

    rs.Open(QStringLiteral("select * from tblUsers where tLastname = ? and tFirstname = ?"), cn,
            {QStringLiteral("O'Brien"), QStringLiteral("Seán")});
    ASSERT_EQ(rs.RecordCount(), 1);
    EXPECT_EQ(rs.Fields("pkStudentID").Value().toInt(), key);

    rs.Open(QStringLiteral("select * from tblUsers where tFirstname = ?"), cn,
            {QStringLiteral("x' OR '1'='1")});
    EXPECT_EQ(rs.RecordCount(), 0);

    EXPECT_TRUE(failure([&] {
                    rs.Open(QStringLiteral("select * from tblUsers where tFirstname = ?"), cn);
                }).contains(QLatin1String("parameter")));
}

TEST_F(AdoTest, LongBinaryValuesAreReadOnlyWhenAskedFor) {
    const QString file = makeDatabase();
    QByteArray sound("RIFF");
    for (int i = 0; i < 100000; ++i)
        sound.append(char(i % 251));
    {
        Connection cn;
        cn.Open(ado::ConnectionString(file, "pw"));
        cn.Execute(QStringLiteral("INSERT INTO tblPhrases VALUES (1, 'uno', ?), (2, 'dos', NULL)"),
                   {sound});
    }
    Connection cn;
    cn.Open(ado::ConnectionString(file, "pw"));
    Recordset rs;
    rs.Open(QStringLiteral("SELECT * FROM tblPhrases ORDER BY pkPhraseNo"), cn);

    EXPECT_EQ(rs.Fields("tPhrase").Text(), QStringLiteral("uno"));
    // Change the stored sound after the row was read: a recordset that had
    // read the sound with the row would still hand out the old bytes.
    {
        Connection writer;
        writer.Open(ado::ConnectionString(file, "pw"));
        writer.Execute(QStringLiteral("UPDATE tblPhrases SET bsound = ? WHERE pkPhraseNo = 1"),
                       {QByteArray("XY") + sound.mid(2)});
    }
    EXPECT_EQ(rs.Fields("bsound").ActualSize(), sound.size());
    const QByteArray head = rs.Fields("bsound").GetChunk(4);
    EXPECT_EQ(head, QByteArray("XYFF"));
    EXPECT_EQ(rs.Fields("bsound").GetChunk(3), sound.mid(4, 3)); // chunks continue
    EXPECT_EQ(rs.Fields("bsound").GetChunk(-1).size(), sound.size() - 7);
    EXPECT_TRUE(rs.Fields("bsound").GetChunk(10).isEmpty());
    EXPECT_EQ(rs.Fields("bsound").Value().toByteArray().mid(2), sound.mid(2));
    EXPECT_FALSE(rs.Fields("bsound").IsNull());

    rs.MoveNext(); // a new row starts at its first byte again
    EXPECT_TRUE(rs.Fields("bsound").IsNull());
    EXPECT_EQ(rs.Fields("bsound").ActualSize(), 0);
    EXPECT_TRUE(rs.Fields("bsound").GetChunk(-1).isEmpty());
    rs.MovePrevious();
    EXPECT_EQ(rs.Fields("bsound").GetChunk(rs.Fields("bsound").ActualSize()).left(2),
              QByteArray("XY"));

    // Writing a blob through a field.
    rs.Fields("bsound").SetValue(QByteArray("RIFFnew"));
    rs.Update();
    EXPECT_EQ(rs.Fields("bsound").GetChunk(-1), QByteArray("RIFFnew"));
}

TEST_F(AdoTest, SaveToWritesAValueWholeToADeviceAndTellsOfADeviceThatRefuses) {
    const QString file = makeDatabase();
    QByteArray sound("RIFF");
    for (int i = 0; i < 300000; ++i) // several pieces of the copy
        sound.append(char(i % 253));
    {
        Connection cn;
        cn.Open(ado::ConnectionString(file, "pw"));
        cn.Execute(QStringLiteral("INSERT INTO tblPhrases VALUES (1, 'uno', ?), (2, 'dos', NULL), "
                                  "(3, 'tres', 'a text where a sound belongs')"),
                   {sound});
    }
    Connection cn;
    cn.Open(ado::ConnectionString(file, "pw"));
    Recordset rs;
    rs.Open(QStringLiteral("SELECT * FROM tblPhrases ORDER BY pkPhraseNo"), cn);
    const auto saved = [&](const char *field) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        EXPECT_TRUE(rs.Fields(QString::fromLatin1(field)).SaveTo(buffer)) << field;
        return buffer.data();
    };
    EXPECT_EQ(saved("bsound"), sound);
    EXPECT_EQ(saved("bsound"), sound) << "saved again, the same bytes";
    EXPECT_EQ(saved("tPhrase"), QByteArray("uno"));
    rs.MoveNext();
    EXPECT_TRUE(saved("bsound").isEmpty()) << "Null writes nothing";
    rs.MoveNext();
    EXPECT_EQ(saved("bsound"), QByteArray("a text where a sound belongs"));

    // A device that takes nothing (a full disk) is told, not taken as done.
    rs.MoveFirst();
    QBuffer closed;
    EXPECT_FALSE(rs.Fields("bsound").SaveTo(closed));
    // A row deleted by another program since the recordset was opened.
    {
        Connection other;
        other.Open(ado::ConnectionString(file, "pw"));
        other.Execute(QStringLiteral("DELETE FROM tblPhrases WHERE pkPhraseNo = 1"));
    }
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    EXPECT_FALSE(failure([&] { rs.Fields("bsound").SaveTo(buffer); }).isEmpty());
}

TEST_F(AdoTest, ListingRowsNeverReadsLongBinaryValues) {
    const QString file = makeDatabase();
    const QByteArray big(512 * 1024, 'x');
    {
        Connection cn;
        cn.Open(ado::ConnectionString(file, "pw"));
        // bsound without a type: its values are blobs by what is stored, not
        // by the declared type; bpicture is a long binary column by type.
        cn.Execute(QStringLiteral("CREATE TABLE tblSounds(pkNo INTEGER PRIMARY KEY, tPhrase TEXT, "
                                  "bsound, bpicture LONGBINARY)"));
        for (int i = 1; i <= 4; ++i)
            cn.Execute(QStringLiteral("INSERT INTO tblSounds VALUES (?, ?, ?, ?)"),
                       {i, QStringLiteral("phrase %1").arg(i), big, big});
        cn.Execute(QStringLiteral("INSERT INTO tblSounds VALUES (5, 'empty', NULL, NULL)"));
    }
    ReadCounter counter;
    Connection cn;
    cn.Open(ado::ConnectionString(file, "pw"));
    Recordset rs;
    rs.Open(QStringLiteral("SELECT * FROM tblSounds ORDER BY tPhrase"), cn);
    QStringList phrases;
    qint64 sizes = 0;
    int nulls = 0;
    for (; !rs.EOF_(); rs.MoveNext()) {
        phrases << rs.Fields("tPhrase").Text();
        sizes += rs.Fields("bsound").ActualSize() + rs.Fields("bpicture").ActualSize();
        nulls += int(rs.Fields("bsound").IsNull()) + int(rs.Fields("bpicture").IsNull());
    }
    EXPECT_EQ(phrases.size(), 5);
    EXPECT_EQ(phrases.last(), QStringLiteral("phrase 4"));
    EXPECT_EQ(sizes, 8 * big.size());
    EXPECT_EQ(nulls, 2);
    // The file holds 4 MB of values; listing reads a few pages of it.
    EXPECT_LT(counter.bytes(), 64 * 1024);

    rs.MoveFirst(); // "empty"
    rs.MoveNext();
    EXPECT_EQ(rs.Fields("bsound").Value().toByteArray(), big);
    EXPECT_GE(counter.bytes(), big.size());
    rs.Close();
    cn.Close();
}

TEST_F(AdoTest, RowsComeInTheQuerysOwnOrder) {
    const QString file = makeDatabase();
    Connection cn;
    cn.Open(ado::ConnectionString(file, "pw"));
    // An index on a text column may answer a query for keys alone in the
    // index's order; the recordset must keep the order of the query itself.
    cn.Execute(QStringLiteral("CREATE INDEX idxFirst ON tblUsers(tFirstname);"
                              "INSERT INTO tblUsers(tFirstname) VALUES ('Al'), ('Zoe'), ('Cy')"));
    const auto plainOrder = [&](const char *sql) {
        sqlite3_stmt *stmt = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(cn.handle(), sql, -1, &stmt, nullptr), SQLITE_OK);
        QStringList names;
        while (sqlite3_step(stmt) == SQLITE_ROW)
            names << QString::fromUtf8(
                reinterpret_cast<const char *>(sqlite3_column_text(stmt, 1)));
        sqlite3_finalize(stmt);
        return names;
    };
    const auto recordsetOrder = [&](const QString &sql, int column) {
        Recordset rs;
        rs.Open(sql, cn);
        EXPECT_TRUE(rs.IsUpdatable());
        QStringList names;
        for (; !rs.EOF_(); rs.MoveNext())
            names << rs.Fields(column).Text();
        return names;
    };
    const QStringList plain = plainOrder("SELECT * FROM tblUsers");
    EXPECT_EQ(plain, (QStringList{"Ana", "Bo", "Al", "Zoe", "Cy"}));
    EXPECT_EQ(recordsetOrder(QStringLiteral("SELECT * FROM tblUsers"), 1), plain);
    EXPECT_EQ(recordsetOrder(QStringLiteral("tblUsers"), 1), plain);

    // An order by position names the caller's own columns.
    EXPECT_EQ(recordsetOrder(QStringLiteral("SELECT pkStudentID, tFirstname FROM tblUsers "
                                            "ORDER BY 2 DESC"),
                             1),
              (QStringList{"Zoe", "Cy", "Bo", "Ana", "Al"}));
}

TEST_F(AdoTest, UpdatedRowsShowWhatTheFileHolds) {
    const QString file = makeDatabase();
    Connection cn;
    // Triggers run in the program's own files only.
    cn.Open(ado::ConnectionString(file, "pw", ado::FileOrigin::Own));
    cn.Execute(QStringLiteral("CREATE TRIGGER trgName AFTER UPDATE OF tFirstname ON tblUsers "
                              "BEGIN UPDATE tblUsers SET tLastname = upper(new.tFirstname) "
                              "WHERE pkStudentID = new.pkStudentID; END"));
    Recordset rs;
    rs.Open(QStringLiteral("SELECT * FROM tblUsers ORDER BY pkStudentID"), cn);
    rs.Fields("tFirstname").SetValue(QStringLiteral("Eva"));
    rs.Fields("nIcon").SetValue(QStringLiteral("12")); // stored as a number
    rs.Update();
    EXPECT_EQ(rs.Fields("tLastname").Text(), QStringLiteral("EVA"));
    EXPECT_EQ(rs.Fields("nIcon").Value(), QVariant(12));

    rs.AddNew();
    rs.Fields("nScore").SetValue(QStringLiteral("3.5"));
    rs.Update();
    EXPECT_EQ(rs.Fields("nScore").Value(), QVariant(3.5));
    EXPECT_TRUE(rs.Fields("tFirstname").IsNull());
}

TEST_F(AdoTest, ViewsAndComplexQueriesAreReadOnlySnapshots) {
    const QString file = makeDatabase();
    Connection cn;
    // Views run in the program's own files only.
    cn.Open(ado::ConnectionString(file, "pw", ado::FileOrigin::Own));
    Recordset rs;
    rs.Open(QStringLiteral("qryNames"), cn);
    EXPECT_FALSE(rs.IsUpdatable());
    ASSERT_EQ(rs.RecordCount(), 2);
    EXPECT_EQ(rs.Fields("tFirstname").Text(), QStringLiteral("Ana"));
    rs.MoveLast();
    EXPECT_EQ(rs.Fields("TFIRSTNAME").Text(), QStringLiteral("Bo"));

    rs.Open(QStringLiteral("SELECT * FROM qryNames WHERE tFirstname = ?"), cn,
            {QStringLiteral("Bo")});
    ASSERT_EQ(rs.RecordCount(), 1);
    const QString e = failure([&] { rs.Fields("tLastname").SetValue(QStringLiteral("x")); });
    EXPECT_TRUE(e.contains(QLatin1String("read-only"))) << e.toStdString();
    EXPECT_TRUE(failure([&] { rs.Delete(); }).contains(QLatin1String("read-only")));
    EXPECT_TRUE(failure([&] { rs.AddNew(); }).contains(QLatin1String("read-only")));

    rs.Open(QStringLiteral("SELECT DISTINCT bL1 FROM tblUsers ORDER BY bL1"), cn);
    EXPECT_EQ(rs.RecordCount(), 2);
    EXPECT_FALSE(rs.IsUpdatable());
    rs.Open(QStringLiteral("SELECT count(*) AS n FROM tblUsers"), cn);
    EXPECT_EQ(rs.Fields("n").Value().toInt(), 2);
    rs.Open(QStringLiteral("SELECT u.tFirstname, p.tPhrase FROM tblUsers u LEFT JOIN tblPhrases "
                           "p ON p.pkPhraseNo = u.pkStudentID"),
            cn);
    EXPECT_EQ(rs.RecordCount(), 2);
    EXPECT_TRUE(rs.Fields("tPhrase").IsNull());

    // A plain table opened only for reading gives the same rows, unchangeable.
    rs.Open(QStringLiteral("SELECT * FROM tblUsers WHERE tFirstname = ?"), cn,
            {QStringLiteral("Bo")}, ado::adOpenKeyset, ado::adLockReadOnly);
    EXPECT_FALSE(rs.IsUpdatable());
    ASSERT_EQ(rs.RecordCount(), 1);
    EXPECT_EQ(rs.Fields("tFirstname").Text(), QStringLiteral("Bo"));
    EXPECT_TRUE(failure([&] { rs.Delete(); }).contains(QLatin1String("read-only")));
}

TEST_F(AdoTest, ReadOnlyFileOpensForReadingAndRefusesWrites) {
    const QString file = makeDatabase();
    QFile original(file);
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    const QByteArray before = original.readAll();
    original.close();
    QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::ReadUser);
    Connection cn;
    cn.Open(ado::ConnectionString(file, "pw"));
    EXPECT_TRUE(cn.IsReadOnly());
    Recordset rs;
    rs.Open(QStringLiteral("SELECT * FROM tblUsers"), cn);
    EXPECT_EQ(rs.RecordCount(), 2);
    rs.Fields("tFirstname").SetValue(QStringLiteral("Zed"));
    const QString e = failure([&] { rs.Update(); });
    EXPECT_TRUE(e.contains(QLatin1String("read-only"))) << e.toStdString();
    rs.CancelUpdate();
    EXPECT_EQ(rs.Fields("tFirstname").Text(), QStringLiteral("Ana"));
    rs.Close();
    cn.Close();
    QFile after(file);
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), before);
    QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

TEST_F(AdoTest, LockedDatabaseFailsWithALockedDescription) {
    const QString file = makeDatabase();
    Connection holder;
    holder.Open(ado::ConnectionString(file, "pw"));
    Connection cn;
    cn.Open(ado::ConnectionString(file, "pw"));
    cn.SetBusyTimeout(50);
    holder.Execute(QStringLiteral("BEGIN EXCLUSIVE"));
    Recordset rs;
    const QString e = failure([&] { rs.Open(QStringLiteral("SELECT * FROM tblUsers"), cn); });
    EXPECT_TRUE(e.contains(QLatin1String("locked"))) << e.toStdString();
    holder.Execute(QStringLiteral("ROLLBACK"));
    rs.Open(QStringLiteral("SELECT * FROM tblUsers"), cn);
    EXPECT_EQ(rs.RecordCount(), 2);
}

TEST_F(AdoTest, WritersWaitForAShortLockOfAnotherConnection) {
    const QString file = makeDatabase();
    Connection holder;
    holder.Open(ado::ConnectionString(file, "pw"));
    Connection cn;
    cn.Open(ado::ConnectionString(file, "pw"));
    // An activity writing its scores holds the lock for a moment; the
    // program's own write must wait for it instead of failing.
    holder.Execute(QStringLiteral("BEGIN IMMEDIATE"));
    std::thread release([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        holder.Execute(QStringLiteral("COMMIT"));
    });
    Recordset rs;
    rs.Open(QStringLiteral("SELECT * FROM tblUsers"), cn);
    rs.AddNew();
    rs.Fields("tFirstname").SetValue(QStringLiteral("Cy"));
    const QString e = failure([&] { rs.Update(); });
    release.join();
    EXPECT_EQ(e, QString());
    EXPECT_EQ(rs.RecordCount(), 3);
}

TEST_F(AdoTest, ExecuteRunsSeveralStatementsAndBindsInOrder) {
    const QString file = makeDatabase();
    Connection cn;
    cn.Open(ado::ConnectionString(file, "pw"));
    cn.Execute(QStringLiteral("DELETE FROM tblUsers WHERE tFirstname = ?; "
                              "INSERT INTO tblUsers(tFirstname, nIcon) VALUES (?, ?);"),
               {QStringLiteral("Ana"), QStringLiteral("It's"), 9});
    Recordset rs;
    rs.Open(QStringLiteral("SELECT * FROM tblUsers ORDER BY pkStudentID"), cn);
    ASSERT_EQ(rs.RecordCount(), 2);
    rs.MoveLast();
    EXPECT_EQ(rs.Fields("tFirstname").Text(), QStringLiteral("It's"));
    EXPECT_EQ(rs.Fields("nIcon").Value().toInt(), 9);
    EXPECT_FALSE(failure([&] { cn.Execute(QStringLiteral("SELECT ?"), {}); }).isEmpty());
    EXPECT_FALSE(failure([&] { cn.Execute(QStringLiteral("SELECT 1"), {1}); }).isEmpty());
    EXPECT_TRUE(failure([&] {
                    cn.Execute(QStringLiteral("DROP TABLE tblGone"));
                }).contains(QLatin1String("tblGone")));
}

TEST_F(AdoTest, ClosedConnectionIsReported) {
    const QString file = makeDatabase();
    Connection cn;
    cn.Open(ado::ConnectionString(file, "pw"));
    Recordset rs;
    rs.Open(QStringLiteral("SELECT * FROM tblUsers"), cn);
    cn.Close();
    EXPECT_FALSE(failure([&] { rs.MoveNext(); }).isEmpty());
    EXPECT_FALSE(failure([&] { cn.Execute(QStringLiteral("SELECT 1")); }).isEmpty());
}

// A file from outside may be made to harm: its views and triggers never run,
// what it holds beyond plain tables is refused, and a statement or a result
// without end stops with the "damaged" description. The program's own files
// keep their saved queries.
TEST_F(AdoTest, FilesFromOutsideRunNoViewsOrTriggersAndStopRunawayStatements) {
    const QString file = makeDatabase();
    {
        Connection cn;
        cn.Open(ado::ConnectionString(file, "pw"));
        cn.Execute(
            QStringLiteral("CREATE TABLE tblLog(tText TEXT);"
                           "CREATE TRIGGER trgLog AFTER INSERT ON tblUsers BEGIN "
                           "INSERT INTO tblLog VALUES ('ran'); END;"
                           "CREATE VIEW qryEndless AS WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL "
                           "SELECT i + 1 FROM n) SELECT i FROM n;"));
    }
    const QString damaged = QStringLiteral("The database '%1' is damaged.").arg(file);
    Connection outside;
    outside.Open(ado::ConnectionString(file, "pw"));
    EXPECT_EQ(outside.Origin(), ado::FileOrigin::Outside);
    Recordset rs;
    EXPECT_EQ(failure([&] { rs.Open(QStringLiteral("qryNames"), outside); }), damaged);
    EXPECT_EQ(failure([&] { rs.Open(QStringLiteral("SELECT * FROM qryEndless"), outside); }),
              damaged);
    outside.Execute(QStringLiteral("INSERT INTO tblUsers(tFirstname) VALUES ('Cy')"));
    rs.Open(QStringLiteral("SELECT * FROM tblLog"), outside);
    EXPECT_EQ(rs.RecordCount(), 0) << "the trigger ran";

    // Statements of the program's own that would never end on such a file
    // stop too: one that steps for ever, and one whose rows never end.
    const QString endless = QStringLiteral(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n) SELECT %1 FROM n");
    EXPECT_EQ(failure([&] { outside.Execute(endless.arg(QStringLiteral("count(*)"))); }), damaged);
    EXPECT_EQ(failure([&] { rs.Open(endless.arg(QStringLiteral("i")), outside); }), damaged);
    EXPECT_EQ(failure([&] {
                  rs.Open(endless.arg(QStringLiteral("zeroblob(1000000)")) +
                              QStringLiteral(" LIMIT 1000"),
                          outside);
              }),
              damaged)
        << "a result of more bytes than a subject could hold";
    EXPECT_EQ(failure([&] { rs.Open(QStringLiteral("SELECT zeroblob(200000000)"), outside); }),
              damaged)
        << "a value longer than a subject's";
    // The connection stays usable.
    rs.Open(QStringLiteral("SELECT * FROM tblUsers"), outside);
    EXPECT_EQ(rs.RecordCount(), 3);

    Connection own;
    own.Open(ado::ConnectionString(file, "pw", ado::FileOrigin::Own));
    EXPECT_EQ(own.Origin(), ado::FileOrigin::Own);
    rs.Open(QStringLiteral("qryNames"), own);
    EXPECT_EQ(rs.RecordCount(), 3);
    own.Execute(QStringLiteral("INSERT INTO tblUsers(tFirstname) VALUES ('Di')"));
    rs.Open(QStringLiteral("SELECT * FROM tblLog"), own);
    EXPECT_EQ(rs.RecordCount(), 1);
    rs.Close();

    // A virtual table or a computed column makes a file from outside damaged.
    for (const char *table : {"CREATE VIRTUAL TABLE tblText USING fts4(tText)",
                              "CREATE TABLE tblBig(n INTEGER, tBig TEXT GENERATED ALWAYS AS "
                              "(printf('%.*c', 100000000, 'x')) VIRTUAL)",
                              "CREATE TABLE tblShort(n INTEGER, tTwice as/* short */(n * 2))"}) {
        const QString odd = makeFile(QString::fromLatin1(table).section(' ', 2, 3).remove(' '),
                                     QString::fromLatin1(table));
        Connection cn;
        EXPECT_EQ(failure([&] { cn.Open(ado::ConnectionString(odd, QString())); }),
                  QStringLiteral("The database '%1' is damaged.").arg(odd))
            << table;
    }
}

// What was learnt of a file from outside serves the next opening of it only
// while the file stays as it was: one changed since, or replaced by another,
// is looked at again.
TEST_F(AdoTest, AFileFromOutsideChangedSinceItWasLastOpenedIsLookedAtAgain) {
    const QString file = makeFile(QStringLiteral("Rested.ito"),
                                  QStringLiteral("CREATE TABLE tblPhrases(tPhrase TEXT); "
                                                 "INSERT INTO tblPhrases VALUES ('uno')"));
    // Times move in coarse steps: only a file at rest for a few seconds is
    // remembered.
    std::this_thread::sleep_for(std::chrono::milliseconds(3200));
    const auto phrases = [&] {
        Connection cn;
        cn.Open(ado::ConnectionString(file, QString()));
        Recordset rs;
        rs.Open(QStringLiteral("SELECT * FROM tblPhrases"), cn);
        QStringList texts;
        for (; !rs.EOF_(); rs.MoveNext())
            texts << rs.Fields("tPhrase").Text();
        return texts;
    };
    EXPECT_EQ(phrases(), QStringList{QStringLiteral("uno")});
    EXPECT_EQ(phrases(), QStringList{QStringLiteral("uno")}) << "opened as it was remembered";

    // Changed behind the program's back: a virtual table now.
    {
        sqlite3 *db = nullptr;
        ASSERT_EQ(sqlite3_open(QFile::encodeName(file).constData(), &db), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(db, "CREATE VIRTUAL TABLE tblText USING fts4(tText)", nullptr,
                               nullptr, nullptr),
                  SQLITE_OK);
        sqlite3_close(db);
    }
    const QString damaged = QStringLiteral("The database '%1' is damaged.").arg(file);
    EXPECT_EQ(failure([&] { phrases(); }), damaged);

    // Replaced by another file of the same name with another table.
    const QString other =
        makeFile(QStringLiteral("Other.ito"),
                 QStringLiteral("CREATE TABLE tblPhrases(tPhrase TEXT, tMore TEXT); "
                                "INSERT INTO tblPhrases VALUES ('dos', 'más')"));
    ASSERT_TRUE(QFile::remove(file));
    ASSERT_TRUE(QFile::rename(other, file));
    Connection cn;
    cn.Open(ado::ConnectionString(file, QString()));
    Recordset rs;
    rs.Open(QStringLiteral("SELECT * FROM tblPhrases"), cn);
    EXPECT_EQ(rs.Fields("tMore").Text(), QStringLiteral("más"));
}

// The description is a sentence for the user; the statement and SQLite's own
// English text are details, kept apart.
TEST_F(AdoTest, ErrorsKeepTheStatementAndSqlitesTextInTheDetails) {
    const QString file = makeDatabase();
    Connection cn;
    cn.Open(ado::ConnectionString(file, "pw"));
    cn.Execute(QStringLiteral("CREATE TABLE tblChecked(n INTEGER CHECK (n > 0))"));
    Recordset rs;
    rs.Open(QStringLiteral("SELECT * FROM tblChecked"), cn);
    rs.AddNew();
    rs.Fields("n").SetValue(-1);
    try {
        rs.Update();
        ADD_FAILURE() << "the check let -1 in";
    } catch (const Error &e) {
        EXPECT_EQ(e.description(),
                  QStringLiteral("The database '%1' could not do what was asked of it.").arg(file));
        EXPECT_EQ(QString::fromUtf8(e.what()), e.description());
        EXPECT_TRUE(e.details().contains(QLatin1String("CHECK constraint failed")))
            << e.details().toStdString();
        EXPECT_TRUE(e.details().contains(QLatin1String("INSERT INTO `tblChecked`")))
            << e.details().toStdString();
        EXPECT_EQ(ado::DetailsOf(e), e.details());
    }
    rs.CancelUpdate();
    const QString e = failure([&] { cn.Execute(QStringLiteral("SELEKT 1")); });
    EXPECT_FALSE(e.contains(QLatin1String("SELEKT"))) << e.toStdString();
    EXPECT_FALSE(e.contains(QLatin1String("syntax error"))) << e.toStdString();
}

} // namespace

TEST_F(AdoTest, AReaderGoesThroughTheRowsOnceGivingWhatARecordsetGives) {
    const QString file = makeDatabase();
    Connection cn;
    cn.Open(ado::ConnectionString(file, QStringLiteral("pw")));
    const QString sql =
        QStringLiteral("SELECT tFirstname, tLastname, nIcon, nScore FROM tblUsers WHERE nIcon > ? "
                       "ORDER BY pkStudentID");
    Recordset rs;
    rs.Open(sql, cn, {0});
    ado::Reader rows(cn, sql, {0});
    ASSERT_EQ(rows.FieldCount(), 4);
    int count = 0;
    for (; rows.Next(); rs.MoveNext(), ++count) {
        ASSERT_FALSE(ado::AtEnd(rs));
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(rows.Value(i), rs.Fields(i).Value()) << count << ' ' << i;
            EXPECT_EQ(rows.Text(i), rs.Fields(i).Text()) << count << ' ' << i;
            EXPECT_EQ(rows.IsNull(i), rs.Fields(i).IsNull()) << count << ' ' << i;
        }
    }
    EXPECT_EQ(count, 2);
    EXPECT_TRUE(ado::AtEnd(rs));
    EXPECT_FALSE(rows.Next()) << "ended, it stays ended";
    rs.Close();

    // A reader that has ended holds no lock: another connection writes.
    Connection other;
    other.Open(ado::ConnectionString(file, QStringLiteral("pw")));
    other.SetBusyTimeout(0);
    EXPECT_EQ(failure([&] { other.Execute(QStringLiteral("DELETE FROM tblUsers")); }), QString());

    EXPECT_FALSE(failure([&] { ado::Reader(cn, QStringLiteral("SELECT * FROM tblNothing")); })
                     .isEmpty());
    EXPECT_FALSE(failure([&] { ado::Reader(cn, sql); }).isEmpty()) << "a parameter missing";
}
