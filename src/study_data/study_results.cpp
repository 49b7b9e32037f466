#include "study_data/study_results.h"

#include "frame/mod_main.h"
#include "platform/ado.h"

#include <QHash>
#include <QRegularExpression>
#include <QUuid>

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>
#include <tuple>

namespace studyResults {

namespace {

// The tables and the indexes that keep one student's history to that
// student's rows: launches by student, entries by launch (their key),
// results by launch id, and results without one by study file.
const char *const kSchema =
    "CREATE TABLE IF NOT EXISTS tblLaunches (pkLaunchID INTEGER PRIMARY KEY AUTOINCREMENT, "
    "tLaunch TEXT NOT NULL UNIQUE, tStudyFile TEXT, tName TEXT, tSubject TEXT, "
    "nDate INTEGER, nTime INTEGER);"
    "CREATE INDEX IF NOT EXISTS idxLaunchesName ON tblLaunches (tName);"
    "CREATE INDEX IF NOT EXISTS idxLaunchesStudyFile ON tblLaunches (tStudyFile, nDate, nTime);"
    "CREATE TABLE IF NOT EXISTS tblLaunchEntries (fkLaunch INTEGER NOT NULL REFERENCES "
    "tblLaunches (pkLaunchID), nEntry INTEGER NOT NULL, tSourceFile TEXT, nPhraseNo INTEGER, "
    "tPhrase TEXT, tTranslation TEXT, tTranslation2 TEXT, PRIMARY KEY (fkLaunch, nEntry));"
    "CREATE TABLE IF NOT EXISTS tblResults (pkResultID INTEGER PRIMARY KEY AUTOINCREMENT, "
    "tStudyFile TEXT, tLaunch TEXT, nEntry INTEGER, nGrade INTEGER, nDate INTEGER, "
    "nTime INTEGER, nSeconds REAL);"
    "CREATE INDEX IF NOT EXISTS idxResultsLaunch ON tblResults (tLaunch);"
    "CREATE INDEX IF NOT EXISTS idxResultsStudyFile ON tblResults (tStudyFile, tLaunch);";

qint64 dateNumber(const QDate &date) {
    return qint64(date.year()) * 10000 + date.month() * 100 + date.day();
}

qint64 timeNumber(const QTime &time) {
    return time.msecsSinceStartOfDay() / 1000;
}

// A whole number stored as an integer, a real or a text; nothing otherwise.
std::optional<qint64> wholeNumber(const QVariant &value) {
    if (value.isNull() || !value.isValid())
        return std::nullopt;
    bool ok = false;
    const double number = value.toDouble(&ok);
    if (!ok || !std::isfinite(number) || number != std::floor(number) || std::fabs(number) > 1e12)
        return std::nullopt;
    return qint64(number);
}

// nDate (yyyymmdd) and nTime (seconds since midnight) as the wall-clock
// time they hold; invalid when either is missing or out of range. The
// database keeps no time zone, and only the day and the order count: the
// time is held without one (UTC) rather than as local time, which a change of
// clocks would move and which costs a look-up of the zone's rules per row.
QDateTime wallClock(const QVariant &date, const QVariant &time) {
    const std::optional<qint64> d = wholeNumber(date);
    const std::optional<qint64> t = wholeNumber(time);
    if (!d || !t || *t < 0 || *t >= 86400)
        return {};
    const QDate day(int(*d / 10000), int(*d / 100 % 100), int(*d % 100));
    if (!day.isValid())
        return {};
    return QDateTime(day, QTime::fromMSecsSinceStartOfDay(int(*t) * 1000), Qt::UTC);
}

// As the study file writes a text: on one line, without NUL.
QString oneLine(QString text) {
    text.remove(QChar(u'\0'));
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

QString textOf(const QString &text) {
    return text.isNull() ? QString(QLatin1String("")) : text;
}

bool hasTables(ado::Connection &db) {
    ado::Recordset rs;
    rs.Open(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name IN "
                           "('tblLaunches', 'tblLaunchEntries', 'tblResults')"),
            db);
    const bool all = !ado::AtEnd(rs) && rs.Fields(0).Value().toInt() == 3;
    rs.Close();
    return all;
}

// Whether the database holds every table and index the schema makes.
bool hasSchema(ado::Connection &db) {
    static const QStringList names = [] {
        QStringList found;
        const QRegularExpression made(QStringLiteral("IF NOT EXISTS (\\w+)"));
        for (const QRegularExpressionMatch &m : made.globalMatch(QLatin1String(kSchema)))
            found << m.captured(1);
        return found;
    }();
    QStringList marks;
    QVariantList values;
    for (const QString &name : names) {
        marks << QStringLiteral("?");
        values << name;
    }
    ado::Recordset rs;
    rs.Open(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name IN (%1)")
                .arg(marks.join(QStringLiteral(", "))),
            db, values, ado::adOpenKeyset, ado::adLockReadOnly);
    return !ado::AtEnd(rs) && rs.Fields(0).Value().toInt() == names.size();
}

// Runs work inside one write transaction, rolled back when it throws.
template <typename Work> auto inWriteTransaction(ado::Connection &db, Work work) {
    // Taking the write lock first: nothing read inside can change under us.
    db.Execute(QStringLiteral("BEGIN IMMEDIATE"));
    try {
        auto result = work();
        db.Execute(QStringLiteral("COMMIT"));
        return result;
    } catch (...) {
        try {
            db.Execute(QStringLiteral("ROLLBACK"));
        } catch (const ado::Error &) {
            // Closing the connection rolls back as well.
        }
        throw;
    }
}

// One student's history: the launches sharing a study file with theirs,
// the entries and results of their launches, and the results without a
// launch id of their study files.
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

struct LaunchRow {
    qint64 key = 0;
    QString id;
    QString studyFile;
    QString student;
    QDateTime when;
};

// A study set's entries are numbered 1 to this.
constexpr qint64 kStudySetSize = 10;

// The entries of a launch are found by its key and their number.
qint64 entryKey(qint64 launchKey, qint64 entry) {
    return launchKey * 16 + entry;
}

// An answer on its way into a history, with the row's key: answers given in
// the same second keep the order they were written in.
struct Answer {
    QDateTime when;
    qint64 key = 0;
    int grade = 0;
};

} // namespace

void Create_Tables(ado::Connection &connection) {
    connection.Execute(QStringLiteral("BEGIN;") + QLatin1String(kSchema) +
                       QStringLiteral("COMMIT;"));
}

bool Ensure_Tables(const QString &usersPath, int busyTimeoutMs) {
    try {
        ado::Connection db;
        db.Open(modMain::Get_Template_Connection_String(usersPath));
        if (hasTables(db))
            return true;
        if (db.IsReadOnly())
            return false;
        db.SetBusyTimeout(busyTimeoutMs);
        Create_Tables(db);
        db.Close();
        return true;
    } catch (const std::exception &) {
        return false;
    }
}

QString New_Launch_Id() {
    return QUuid::createUuid().toString(QUuid::WithoutBraces);
}

void Record_Launch(const QString &usersPath, const Launch &launch, int busyTimeoutMs) {
    ado::Connection db;
    db.Open(modMain::Get_Template_Connection_String(usersPath));
    db.SetBusyTimeout(busyTimeoutMs);
    inWriteTransaction(db, [&] {
        // An older database gets what it lacks; one that has it all is not
        // asked to make each table and index again at every launch.
        if (!hasSchema(db))
            db.Execute(QLatin1String(kSchema));
        db.Execute(QStringLiteral("INSERT INTO tblLaunches (tLaunch, tStudyFile, tName, tSubject, "
                                  "nDate, nTime) VALUES (?, ?, ?, ?, ?, ?)"),
                   {launch.id, textOf(launch.studyFile), textOf(launch.student),
                    textOf(launch.subject), dateNumber(launch.when.date()),
                    timeNumber(launch.when.time())});
        // The entries go in together, a statement for up to a hundred.
        constexpr int kEntriesAtOnce = 100;
        for (qsizetype first = 0; first < launch.entries.size(); first += kEntriesAtOnce) {
            const qsizetype count =
                std::min<qsizetype>(kEntriesAtOnce, launch.entries.size() - first);
            QStringList rows;
            QVariantList values;
            for (qsizetype i = first; i < first + count; ++i) {
                const LaunchEntry &e = launch.entries[i];
                rows << QStringLiteral("((SELECT pkLaunchID FROM tblLaunches WHERE tLaunch = ?), "
                                       "?, ?, ?, ?, ?, ?)");
                values << launch.id << e.entry << textOf(e.sourceFile) << e.phraseNo
                       << textOf(e.phrase) << textOf(e.translation) << textOf(e.translation2);
            }
            db.Execute(QStringLiteral("INSERT INTO tblLaunchEntries (fkLaunch, nEntry, "
                                      "tSourceFile, nPhraseNo, tPhrase, tTranslation, "
                                      "tTranslation2) VALUES ") +
                           rows.join(QStringLiteral(", ")),
                       values);
        }
        return true;
    });
    db.Close();
}

ResultsWritten Write_Results(const QString &usersPath, const QString &studyFileName,
                             const QDateTime &gameStarted, const QVector<EntryTexts> &entries,
                             const QVector<PhraseResult> &results, int busyTimeoutMs) {
    ado::Connection db;
    db.Open(modMain::Get_Template_Connection_String(usersPath));
    db.SetBusyTimeout(busyTimeoutMs);
    const ResultsWritten written = inWriteTransaction(db, [&] {
        if (!hasTables(db))
            return ResultsWritten::NoTable;
        const qint64 day = dateNumber(gameStarted.date());
        const qint64 second = timeNumber(gameStarted.time());
        ado::Recordset launch;
        launch.Open(QStringLiteral("SELECT pkLaunchID, tLaunch FROM tblLaunches WHERE tStudyFile "
                                   "= ? AND (nDate < ? OR (nDate = ? AND nTime <= ?)) ORDER BY "
                                   "nDate DESC, nTime DESC, pkLaunchID DESC LIMIT 1"),
                    db, {studyFileName, day, day, second});
        if (ado::AtEnd(launch))
            return ResultsWritten::NoLaunch;
        const qint64 key = launch.Fields(0).Value().toLongLong();
        const QString id = launch.Fields(1).Text();
        launch.Close();

        // The set must be the one this game read: the same entries with the
        // same texts. Anything else would grade another phrase.
        ado::Recordset set;
        set.Open(QStringLiteral("SELECT nEntry, tPhrase, tTranslation, tTranslation2 FROM "
                                "tblLaunchEntries WHERE fkLaunch = ? ORDER BY nEntry"),
                 db, {key});
        int count = 0;
        for (; !ado::AtEnd(set); set.MoveNext(), ++count) {
            const int entry = set.Fields(0).Value().toInt();
            if (entry != count + 1 || count >= entries.size())
                return ResultsWritten::NoLaunch;
            const EntryTexts &mine = entries[count];
            if (oneLine(set.Fields(1).Text()) != mine.phrase ||
                oneLine(set.Fields(2).Text()) != mine.translation ||
                oneLine(set.Fields(3).Text()) != mine.translation2)
                return ResultsWritten::NoLaunch;
        }
        set.Close();
        if (count != entries.size())
            return ResultsWritten::NoLaunch;

        // A game answers each entry once: a result of this launch and entry
        // already there is this one, written before (kept results written
        // again after a program ended half-way), and is not added twice.
        for (const PhraseResult &r : results) {
            const QVariantList same{id, r.entry, r.grade, dateNumber(r.when.date()),
                                    timeNumber(r.when.time())};
            ado::Recordset there;
            there.Open(QStringLiteral("SELECT 1 FROM tblResults WHERE tLaunch = ? AND nEntry = ? "
                                      "AND nGrade = ? AND nDate = ? AND nTime = ? LIMIT 1"),
                       db, same);
            const bool written = !ado::AtEnd(there);
            there.Close();
            if (written)
                continue;
            db.Execute(
                QStringLiteral("INSERT INTO tblResults (tStudyFile, tLaunch, nEntry, "
                               "nGrade, nDate, nTime, nSeconds) VALUES (?, ?, ?, ?, ?, ?, "
                               "?)"),
                {studyFileName, id, r.entry, r.grade, same[3], same[4],
                 r.seconds < 0 ? QVariant(QMetaType::fromType<double>()) : QVariant(r.seconds)});
        }
        return ResultsWritten::Written;
    });
    db.Close();
    return written;
}

Histories Read_Histories(const QString &usersPath, const QString &student) {
    Histories out;
    ado::Connection db;
    db.Open(modMain::Get_Template_Connection_String(usersPath));
    if (!hasTables(db))
        return out;
    const bool everyone = student.isEmpty();
    const QVariantList byName = everyone ? QVariantList() : QVariantList{student};
    // The whole class's results are millions of rows: each is read once,
    // straight into the history it belongs to, none held on the way.

    // The launches that share a study file with this student's: a result
    // without a launch id is matched among all of them by its time.
    QHash<QString, LaunchRow> launchesById;
    QHash<QString, QVector<const LaunchRow *>> launchesByFile;
    {
        ado::Reader rows(db,
                         everyone ? QStringLiteral("SELECT pkLaunchID, tLaunch, tStudyFile, tName, "
                                                   "nDate, nTime FROM tblLaunches")
                                  : QString::fromLatin1(kStudentLaunches),
                         byName);
        while (rows.Next()) {
            LaunchRow l{rows.Value(0).toLongLong(), rows.Text(1), rows.Text(2), rows.Text(3),
                        wallClock(rows.Value(4), rows.Value(5))};
            const QString id = l.id;
            launchesById.insert(id, std::move(l));
        }
    }
    for (const LaunchRow &l : std::as_const(launchesById))
        launchesByFile[l.studyFile] << &l;
    const auto earlier = [](const LaunchRow *a, const LaunchRow *b) {
        return a->when != b->when ? a->when < b->when : a->key < b->key;
    };
    for (QVector<const LaunchRow *> &list : launchesByFile) {
        // A launch without a valid time matches no result by time.
        list.removeIf([](const LaunchRow *l) { return !l->when.isValid(); });
        std::sort(list.begin(), list.end(), earlier);
    }

    // The entries of the student's launches, by launch key and entry.
    QHash<qint64, LaunchEntry> entries;
    {
        ado::Reader rows(db,
                         everyone ? QStringLiteral("SELECT fkLaunch, nEntry, tSourceFile, "
                                                   "nPhraseNo, tPhrase, tTranslation, "
                                                   "tTranslation2 FROM tblLaunchEntries")
                                  : QString::fromLatin1(kStudentEntries),
                         byName);
        while (rows.Next()) {
            LaunchEntry e;
            e.entry = rows.Value(1).toInt();
            if (e.entry < 1 || e.entry > kStudySetSize)
                continue; // no result can name it
            e.sourceFile = rows.Text(2);
            e.phraseNo = rows.Value(3).toInt();
            e.phrase = rows.Text(4);
            e.translation = rows.Text(5);
            e.translation2 = rows.Text(6);
            entries.insert(entryKey(rows.Value(0).toLongLong(), e.entry), std::move(e));
        }
    }

    struct Key {
        QString student;
        QString file;
        int phraseNo;
        bool operator<(const Key &o) const {
            return std::tie(student, file, phraseNo) < std::tie(o.student, o.file, o.phraseNo);
        }
    };
    struct Collected {
        PhraseHistory history;
        const LaunchRow *textsFrom = nullptr;
        QVector<Answer> answers;
    };
    std::map<Key, Collected> phrases;
    const auto readResults = [&](const QString &sql) {
        ado::Reader rows(db, sql, byName);
        while (rows.Next()) {
            const QDateTime when = wallClock(rows.Value(4), rows.Value(5));
            const LaunchRow *launch = nullptr;
            if (!rows.IsNull(0)) {
                const auto found = launchesById.constFind(rows.Text(0));
                launch = found == launchesById.constEnd() ? nullptr : &*found;
            } else if (when.isValid()) {
                // The latest launch of the study file at or before the result.
                const auto list = launchesByFile.constFind(rows.Text(1));
                if (list != launchesByFile.constEnd()) {
                    const auto after =
                        std::upper_bound(list->begin(), list->end(), when,
                                         [](const QDateTime &t, const LaunchRow *l) {
                                             return t < l->when;
                                         });
                    if (after != list->begin())
                        launch = *(after - 1);
                }
            }
            if (launch && !everyone && launch->student != student)
                continue; // another student's, read only to find the launch
            const std::optional<qint64> grade = wholeNumber(rows.Value(3));
            const std::optional<qint64> number = wholeNumber(rows.Value(2));
            const LaunchEntry *entry = nullptr;
            if (launch && number && *number >= 1 && *number <= kStudySetSize) {
                const auto e = entries.constFind(entryKey(launch->key, *number));
                entry = e == entries.constEnd() ? nullptr : &*e;
            }
            if (!entry || !grade || !fsrs::Is_Grade(int(*grade)) || !when.isValid()) {
                ++out.unmatched;
                continue;
            }
            Collected &c = phrases[Key{launch->student, entry->sourceFile, entry->phraseNo}];
            // The texts of the latest launch that held the phrase.
            if (!c.textsFrom || !earlier(launch, c.textsFrom)) {
                c.history.student = launch->student;
                c.history.source = SourcePhrase{entry->sourceFile, entry->phraseNo};
                c.history.phrase = entry->phrase;
                c.history.translation = entry->translation;
                c.history.translation2 = entry->translation2;
                c.textsFrom = launch;
            }
            c.answers << Answer{when, rows.Value(6).toLongLong(), int(*grade)};
        }
    };
    if (everyone) {
        readResults(QStringLiteral("SELECT tLaunch, tStudyFile, nEntry, nGrade, nDate, nTime, "
                                   "pkResultID FROM tblResults"));
    } else {
        readResults(QString::fromLatin1(kStudentResults));
        readResults(QString::fromLatin1(kStudentResultsWithoutLaunch));
    }

    out.phrases.reserve(qsizetype(phrases.size()));
    for (auto &[key, c] : phrases) {
        std::sort(c.answers.begin(), c.answers.end(), [](const Answer &a, const Answer &b) {
            return a.when != b.when ? a.when < b.when : a.key < b.key;
        });
        c.history.reviews.reserve(c.answers.size());
        for (const Answer &a : std::as_const(c.answers))
            c.history.reviews << fsrs::Review{a.when, a.grade};
        out.phrases << std::move(c.history);
    }
    return out;
}

QStringList Student_History_Plan(const QString &usersPath) {
    ado::Connection db;
    db.Open(modMain::Get_Template_Connection_String(usersPath));
    QStringList steps;
    for (const char *sql :
         {kStudentLaunches, kStudentEntries, kStudentResults, kStudentResultsWithoutLaunch}) {
        ado::Recordset rs;
        rs.Open(QStringLiteral("EXPLAIN QUERY PLAN ") + QLatin1String(sql), db,
                {QStringLiteral("someone")});
        for (; !ado::AtEnd(rs); rs.MoveNext())
            steps << rs.Fields(QStringLiteral("detail")).Text();
    }
    return steps;
}

QVector<PhraseSchedule> Schedule(const QVector<PhraseHistory> &histories, const QDate &at,
                                 const fsrs::Parameters &parameters) {
    QVector<PhraseSchedule> out;
    out.reserve(histories.size());
    for (const PhraseHistory &h : histories) {
        PhraseSchedule s;
        s.history = h;
        s.state = fsrs::Replay(h.reviews, parameters);
        s.retrievability = fsrs::Retrievability(s.state, at, parameters);
        s.due = fsrs::Due_Date(s.state, parameters);
        out << s;
    }
    return out;
}

QVector<PhraseSchedule> Due_Phrases(const QVector<PhraseSchedule> &schedule, const QDate &at,
                                    int most) {
    QVector<PhraseSchedule> due;
    for (const PhraseSchedule &s : schedule)
        if (s.due.isValid() && s.due <= at)
            due << s;
    std::stable_sort(due.begin(), due.end(), [](const PhraseSchedule &a, const PhraseSchedule &b) {
        return a.due != b.due ? a.due < b.due : a.retrievability < b.retrievability;
    });
    if (due.size() > most)
        due.resize(std::max(0, most));
    return due;
}

} // namespace studyResults
