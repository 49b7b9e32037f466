#include "bench_data.h"

#include "frame/captions.h"
#include "frame/mod_main.h"
#include "platform/ado.h"
#include "students/student_database.h"
#include "study_data/study_results.h"
#include "subject_data/subject_schema.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QUuid>
#include <QtEndian>

#include <sqlite3.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace bench {

namespace {

// Bump when the files made here change, so an old data set is made again.
constexpr char kVersion[] = "tvx-bench data v1";
constexpr char kMarkerName[] = "complete.txt";

const char *const kTopics[] = {"Food",    "Travel",  "Family", "Work",   "Home",    "Weather",
                               "Sports",  "Music",   "Health", "School", "Colours", "Numbers",
                               "Animals", "Clothes", "Time",   "City"};
// Word i of the phrase list and word i of the translation list mean the same.
const char *const kWords[] = {"casa",  "mare",  "sole", "libro", "strada", "amico",
                              "tempo", "acqua", "pane", "notte", "fiore",  "treno",
                              "cielo", "porta", "mano", "città"};
const char *const kMeanings[] = {"casa",   "mar",    "sol",  "libro", "calle", "amigo",
                                 "tiempo", "agua",   "pan",  "noche", "flor",  "tren",
                                 "cielo",  "puerta", "mano", "ciudad"};
const char *const kFirstNames[] = {"Ana",   "Luis",  "Marta", "Jorge", "Lucía",
                                   "Pablo", "Elena", "Diego", "Sara",  "Tomás"};
const char *const kLastNames[] = {"García", "López",  "Martín",  "Ruiz", "Torres",
                                  "Vidal",  "Romero", "Navarro", "Gil",  "Serrano"};

[[noreturn]] void fail(const QString &text) {
    throw std::runtime_error(text.toStdString());
}

void note(const QString &text) {
    std::fprintf(stderr, "%s\n", qPrintable(text));
    std::fflush(stderr);
}

// A fixed mix of numbers, so texts look varied and stay the same everywhere.
quint32 mix(quint32 a, quint32 b) {
    quint32 h = a * 2654435761u ^ (b + 0x9e3779b9u + (a << 6) + (a >> 2));
    h ^= h >> 15;
    h *= 2246822519u;
    h ^= h >> 13;
    return h;
}

struct PhraseTexts {
    QString phrase;
    QString translation;
    QString translation2;
};

// Phrase `number` of installed subject `subject`; virtual folders copy these.
PhraseTexts phraseTexts(int subject, int number) {
    const quint32 h = mix(quint32(subject), quint32(number));
    const int a = h % 16, b = (h >> 4) % 16, c = (h >> 8) % 16;
    PhraseTexts t;
    t.phrase = QString::fromUtf8(kWords[a]) + QLatin1Char(' ') + QString::fromUtf8(kWords[b]) +
               QLatin1Char(' ') + QString::fromUtf8(kWords[c]);
    t.translation = QString::fromUtf8(kMeanings[a]) + QLatin1Char(' ') +
                    QString::fromUtf8(kMeanings[b]) + QLatin1Char(' ') +
                    QString::fromUtf8(kMeanings[c]);
    t.translation2 = t.translation + QStringLiteral(" (%1)").arg(number);
    return t;
}

QString subjectBaseName(int subject) {
    const quint32 h = mix(quint32(subject), 77u);
    return QStringLiteral("Topic_%1_%2_And_%3")
        .arg(subject, 4, 10, QLatin1Char('0'))
        .arg(QLatin1String(kTopics[h % 16]), QLatin1String(kTopics[(h >> 4) % 16]));
}

QString subjectFileName(int subject, const QString &shortCode) {
    return subjectBaseName(subject) + QLatin1Char('.') + shortCode;
}

// A complete 8 kHz, 8-bit mono wave file of `bytes` bytes: a tone whose pitch
// depends on `tone`.
QByteArray makeWave(int bytes, quint32 tone) {
    const int data = bytes - 44;
    QByteArray w(bytes, '\0');
    char *p = w.data();
    auto put32 = [&p](quint32 v) {
        qToLittleEndian(v, p);
        p += 4;
    };
    auto put16 = [&p](quint16 v) {
        qToLittleEndian(v, p);
        p += 2;
    };
    auto tag = [&p](const char *four) {
        std::memcpy(p, four, 4);
        p += 4;
    };
    tag("RIFF");
    put32(quint32(36 + data));
    tag("WAVE");
    tag("fmt ");
    put32(16);
    put16(1);    // PCM
    put16(1);    // mono
    put32(8000); // samples per second
    put32(8000); // bytes per second
    put16(1);    // block align
    put16(8);    // bits per sample
    tag("data");
    put32(quint32(data));
    const double step = 2.0 * M_PI * (220.0 + 40.0 * tone) / 8000.0;
    for (int i = 0; i < data; ++i)
        p[i] = char(128 + int(60.0 * std::sin(step * i)));
    return w;
}

// One of sixteen tones; made once per size, as a phrase's sound only has to
// be a plausible recording of its size.
QByteArray wave(int bytes, quint32 seed) {
    static QHash<QPair<int, quint32>, QByteArray> made;
    const QPair<int, quint32> key(bytes, seed % 16);
    auto it = made.find(key);
    if (it == made.end())
        it = made.insert(key, makeWave(bytes, key.second));
    return *it;
}

void copyTemplate(const QString &templatePath, const QString &programFolder) {
    const QString target = programFolder + QStringLiteral("Tolvanex.tpl");
    QFile::remove(target);
    if (!QFile::copy(templatePath, target))
        fail(QStringLiteral("cannot copy %1 to %2").arg(templatePath, target));
    QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

void makeFolder(const QString &path) {
    if (!QDir().mkpath(path))
        fail(QStringLiteral("cannot make the folder %1").arg(path));
}

void makeSubject(const QString &path, const QString &languageCode, int subject, int phrases,
                 int soundBytes) {
    subjects::CreateSubjectFile(path, languageCode);
    ado::Connection cn;
    cn.Open(ado::ConnectionString(path, subjects::SubjectPassword()));
    cn.Execute(QStringLiteral("BEGIN"));
    for (int n = 1; n <= phrases; ++n) {
        const PhraseTexts t = phraseTexts(subject, n);
        subjects::AddPhrase(cn, n, t.phrase, t.translation, t.translation2,
                            wave(soundBytes, mix(quint32(subject), quint32(n))));
    }
    cn.Execute(QStringLiteral("COMMIT"));
}

void makeVirtualFolder(const QString &path, int folder, const QString &shortCode) {
    subjects::CreateVirtualFolderFile(path);
    ado::Connection cn;
    cn.Open(ado::ConnectionString(path, subjects::SubjectPassword()));
    cn.Execute(QStringLiteral("BEGIN"));
    for (int s = 1; s <= kVirtualSubjectsPerFolder; ++s) {
        cn.Execute(QStringLiteral("INSERT INTO tblParents(nParent, tName) VALUES (?, ?)"),
                   {s, QStringLiteral("Mis frases %1-%2")
                           .arg(folder, 2, 10, QLatin1Char('0'))
                           .arg(s, 2, 10, QLatin1Char('0'))});
        for (int p = 1; p <= kPhrasesPerVirtualSubject; ++p) {
            const quint32 h = mix(quint32(folder * 100 + s), quint32(p));
            const int subject = 1 + int(h % kInstalledSubjects);
            const int number = 1 + int((h >> 12) % kPhrasesPerSubject);
            const PhraseTexts t = phraseTexts(subject, number);
            cn.Execute(QStringLiteral("INSERT INTO tblPhrases(fkParent, tfilename, nPhraseNo, "
                                      "tPhrase, tTranslation, tTranslation2) "
                                      "VALUES (?, ?, ?, ?, ?, ?)"),
                       {s, subjectFileName(subject, shortCode), number, t.phrase, t.translation,
                        t.translation2});
        }
    }
    cn.Execute(QStringLiteral("COMMIT"));
}

// Users.dat as the login window makes it (a copy of the template), open for
// the bench data to be written straight through SQLite; any failure ends the
// bench with the database's own message.
class UsersCopy {
public:
    explicit UsersCopy(const QString &programFolder) {
        const QString path = programFolder + QStringLiteral("Users.dat");
        const Captions noTexts; // the copy is made from a template that exists
        StudentDatabase(path, noTexts)
            .Create_From_Template(programFolder + QStringLiteral("Tolvanex.tpl"));
        m_connection.Open(modMain::Get_Template_Connection_String(path));
        m_db = m_connection.handle();
    }
    void exec(const char *sql) {
        if (sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
            failed();
    }
    sqlite3_stmt *prepare(const char *sql) {
        sqlite3_stmt *st = nullptr;
        if (sqlite3_prepare_v2(m_db, sql, -1, &st, nullptr) != SQLITE_OK)
            failed();
        return st;
    }
    ado::Connection &connection() { return m_connection; }
    // Runs a prepared insert and readies it for the next row.
    void finish(sqlite3_stmt *st) {
        if (sqlite3_step(st) != SQLITE_DONE)
            failed();
        sqlite3_reset(st);
    }

private:
    [[noreturn]] void failed() {
        fail(QStringLiteral("Users.dat: %1").arg(QString::fromUtf8(sqlite3_errmsg(m_db))));
    }

    ado::Connection m_connection;
    sqlite3 *m_db = nullptr;
};

void bindText(sqlite3_stmt *st, int i, const QByteArray &text) {
    sqlite3_bind_text(st, i, text.constData(), int(text.size()), SQLITE_TRANSIENT);
}

// Users.dat filled with students and scores in one transaction.
void makeStudentDatabase(const QString &programFolder) {
    UsersCopy users(programFolder);

    QList<QByteArray> students;
    QList<QByteArray> activities;
    QList<QByteArray> scoredSubjects;
    users.exec("BEGIN");
    sqlite3_stmt *addStudent = users.prepare(
        "INSERT INTO tblUsers(tFirstname, tLastname, tPassword, nIcon) VALUES (?, ?, ?, ?)");
    for (int i = 0; i < kStudents; ++i) {
        const QByteArray first(kFirstNames[i % 10]);
        const QByteArray last(kLastNames[i / 10]);
        bindText(addStudent, 1, first);
        bindText(addStudent, 2, last);
        if (i % 4 == 0)
            bindText(addStudent, 3, QByteArray("clave") + QByteArray::number(i));
        else
            sqlite3_bind_null(addStudent, 3);
        sqlite3_bind_int(addStudent, 4, 1 + i % 40);
        users.finish(addStudent);
        students << first + ' ' + last;
    }
    sqlite3_finalize(addStudent);
    for (int i = 1; i <= kActivities; ++i)
        activities << QStringLiteral("Juego %1").arg(i, 2, 10, QLatin1Char('0')).toUtf8();
    for (int i = 1; i <= kScoredSubjects; ++i)
        scoredSubjects << subjectBaseName(i).replace(QLatin1Char('_'), QLatin1Char(' ')).toUtf8();

    sqlite3_stmt *addScore =
        users.prepare("INSERT INTO tblscores(tName, tActivity, tSubject, textScore, numberScore, nDate, "
                "nTime) VALUES (?, ?, ?, ?, ?, ?, ?)");
    for (int i = 0; i < kScoreRows; ++i) {
        const quint32 h = mix(quint32(i), 5u);
        bindText(addScore, 1, students[i % kStudents]);
        bindText(addScore, 2, activities[h % kActivities]);
        bindText(addScore, 3, scoredSubjects[(h >> 8) % kScoredSubjects]);
        bindText(addScore, 4, i % 10 == 0 ? QByteArray("Muy bien") : QByteArray());
        sqlite3_bind_double(addScore, 5, double((h >> 16) % 101));
        sqlite3_bind_double(addScore, 6, 46000.0 + i % 730);
        sqlite3_bind_double(addScore, 7, double(h % 86400) / 86400.0);
        users.finish(addScore);
    }
    sqlite3_finalize(addScore);
    users.exec("COMMIT");
}

QString markerText(const BuildFacts &build) {
    return QStringLiteral("%1\ncode=%2\ninstalled=%3\nvirtual=%4\n")
        .arg(QLatin1String(kVersion), build.languageCode, build.installedFolderName,
             build.virtualFolderName);
}

QString readAll(const QString &path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(f.readAll());
}

} // namespace

// The launch workload's folder, made when missing (it came after the rest).
void prepareLaunchFolder(const DataSet &set, const BuildFacts &build, const QString &templatePath) {
    const QString folder = set.launchProgramFolder;
    const QString subject =
        folder + build.installedFolderName + QLatin1Char('/') + set.launchSubjectFile;
    makeFolder(folder + build.installedFolderName);
    makeFolder(folder + build.virtualFolderName);
    makeFolder(folder + QStringLiteral("Activities"));
    copyTemplate(templatePath, folder);
    if (!QFileInfo::exists(subject))
        makeSubject(subject, build.languageCode, kInstalledSubjects + 2, kLaunchPhrases,
                    kLaunchSoundBytes);
    const QString activity = folder + QStringLiteral("Activities/") + set.launchActivity;
    if (!QFileInfo::exists(activity)) {
        QFile script(activity);
        if (!script.open(QIODevice::WriteOnly) || script.write("#!/bin/sh\nexit 0\n") < 0)
            fail(QStringLiteral("cannot write %1").arg(activity));
        script.close();
        script.setPermissions(script.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeUser);
    }
}

namespace {

constexpr char kMemoryVersion[] = "tvx-bench memory v1";

// The grade a student gave a phrase in a session: mostly good, some again,
// hard and easy.
int memoryGrade(int student, int phrase, int session) {
    const quint32 h = mix(mix(quint32(student), quint32(phrase)), quint32(session)) % 100;
    return h < 15 ? 1 : h < 30 ? 2 : h < 90 ? 3 : 4;
}

QString memoryStudent(int i) {
    return QString::fromUtf8(kFirstNames[i % 10]) + QLatin1Char(' ') +
           QString::fromUtf8(kLastNames[i / 10]);
}

void makeMemoryDatabase(const QString &programFolder) {
    UsersCopy users(programFolder);

    // The rows go in first and the indexes are made after them: much faster
    // than keeping them up to date row by row.
    users.exec("DROP INDEX IF EXISTS idxLaunchesName; DROP INDEX IF EXISTS idxLaunchesStudyFile; "
         "DROP INDEX IF EXISTS idxResultsLaunch; DROP INDEX IF EXISTS idxResultsStudyFile;");
    users.exec("BEGIN");
    sqlite3_stmt *addStudent =
        users.prepare("INSERT INTO tblUsers(tFirstname, tLastname, nIcon) VALUES (?, ?, ?)");
    for (int i = 0; i < kStudents; ++i) {
        bindText(addStudent, 1, QByteArray(kFirstNames[i % 10]));
        bindText(addStudent, 2, QByteArray(kLastNames[i / 10]));
        sqlite3_bind_int(addStudent, 3, 1 + i % 40);
        users.finish(addStudent);
    }
    sqlite3_finalize(addStudent);

    sqlite3_stmt *addLaunch =
        users.prepare("INSERT INTO tblLaunches (pkLaunchID, tLaunch, tStudyFile, tName, tSubject, "
                "nDate, nTime) VALUES (?, ?, ?, ?, ?, ?, ?)");
    sqlite3_stmt *addEntry =
        users.prepare("INSERT INTO tblLaunchEntries (fkLaunch, nEntry, tSourceFile, nPhraseNo, tPhrase, "
                "tTranslation, tTranslation2) VALUES (?, ?, ?, ?, ?, ?, '')");
    sqlite3_stmt *addResult =
        users.prepare("INSERT INTO tblResults (tStudyFile, tLaunch, nEntry, nGrade, nDate, nTime, "
                "nSeconds) VALUES (?, ?, ?, ?, ?, ?, ?)");
    const QUuid space = QUuid::fromString(QStringLiteral("6f1c2a4e-3b5d-4c7e-9f81-2a3b4c5d6e7f"));
    const int sets = kMemoryPhrases / kLaunchPhrases;
    qint64 key = 0;
    for (int student = 0; student < kStudents; ++student) {
        const QByteArray name = memoryStudent(student).toUtf8();
        for (int session = 0; session < kMemorySessions; ++session) {
            // Each session is a shell of its own, so a study file of its own.
            const QByteArray studyFile =
                "~tvx" + QByteArray::number(1000 + student * kMemorySessions + session) + ".txt";
            const QDate day = QDate(2025, 9, 1).addDays(session * 6 + student % 3);
            const qint64 dayNumber = day.year() * 10000 + day.month() * 100 + day.day();
            for (int set = 0; set < sets; ++set) {
                const QByteArray id =
                    QUuid::createUuidV5(space, QStringLiteral("%1/%2/%3")
                                                   .arg(student)
                                                   .arg(session)
                                                   .arg(set))
                        .toString(QUuid::WithoutBraces)
                        .toUtf8();
                const int second = 9 * 3600 + set * 20;
                sqlite3_bind_int64(addLaunch, 1, ++key);
                bindText(addLaunch, 2, id);
                bindText(addLaunch, 3, studyFile);
                bindText(addLaunch, 4, name);
                bindText(addLaunch, 5, QByteArray("Memory"));
                sqlite3_bind_int64(addLaunch, 6, dayNumber);
                sqlite3_bind_int(addLaunch, 7, second);
                users.finish(addLaunch);
                for (int entry = 1; entry <= kLaunchPhrases; ++entry) {
                    const int phrase = set * kLaunchPhrases + entry - 1;
                    const QByteArray source =
                        "Memory_" +
                        QByteArray::number(phrase / kMemoryPhrasesPerSubject + 1).rightJustified(2, '0') +
                        ".ito";
                    sqlite3_bind_int64(addEntry, 1, key);
                    sqlite3_bind_int(addEntry, 2, entry);
                    bindText(addEntry, 3, source);
                    sqlite3_bind_int(addEntry, 4, phrase % kMemoryPhrasesPerSubject + 1);
                    bindText(addEntry, 5, QByteArray(kWords[phrase % 16]) + ' ' +
                                              QByteArray::number(phrase));
                    bindText(addEntry, 6, QByteArray(kMeanings[phrase % 16]) + ' ' +
                                              QByteArray::number(phrase));
                    users.finish(addEntry);
                    bindText(addResult, 1, studyFile);
                    bindText(addResult, 2, id);
                    sqlite3_bind_int(addResult, 3, entry);
                    sqlite3_bind_int(addResult, 4, memoryGrade(student, phrase, session));
                    sqlite3_bind_int64(addResult, 5, dayNumber);
                    sqlite3_bind_int(addResult, 6, second + entry * 2);
                    sqlite3_bind_double(addResult, 7, 1.5 + (phrase % 7) * 0.5);
                    users.finish(addResult);
                }
            }
        }
        if ((student + 1) % 10 == 0)
            note(QStringLiteral("  %1 students' results").arg(student + 1));
    }
    sqlite3_finalize(addLaunch);
    sqlite3_finalize(addEntry);
    sqlite3_finalize(addResult);
    users.exec("COMMIT");
    note(QStringLiteral("  indexing the results..."));
    studyResults::Create_Tables(users.connection());
    users.exec("ANALYZE");
}

} // namespace

MemoryDataSet PrepareMemoryDataSet(const QString &parent, const QString &templatePath,
                                   const BuildFacts &build, bool rebuild) {
    MemoryDataSet set;
    const QString root = QDir(parent).filePath(QStringLiteral("tvx-bench-data-v1/") +
                                               build.languageCode) +
                         QStringLiteral("/memory/");
    set.programFolder = root;
    set.student = memoryStudent(42);
    const QString marker = root + QLatin1String(kMarkerName);
    if (!rebuild && readAll(marker) == QLatin1String(kMemoryVersion)) {
        copyTemplate(templatePath, root);
        set.reused = true;
        return set;
    }
    if (QFileInfo::exists(root) && !QDir(root).removeRecursively())
        fail(QStringLiteral("cannot remove the old data set %1").arg(root));
    QElapsedTimer clock;
    clock.start();
    note(QStringLiteral("Making the per-phrase memory in %1 (once)...").arg(root));
    makeFolder(root + build.installedFolderName);
    makeFolder(root + build.virtualFolderName);
    makeFolder(root + QStringLiteral("Activities"));
    copyTemplate(templatePath, root);
    makeMemoryDatabase(root);
    QFile f(marker);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(kMemoryVersion) < 0)
        fail(QStringLiteral("cannot write %1").arg(marker));
    f.close();
    note(QStringLiteral("Per-phrase memory made in %1 s.").arg(clock.elapsed() / 1000.0, 0, 'f', 1));
    return set;
}

DataSet PrepareDataSet(const QString &parent, const QString &templatePath, const BuildFacts &build,
                       bool rebuild) {
    const QString &languageCode = build.languageCode;
    const QString &shortCode = build.shortCode;
    if (build.installedFolderName.isEmpty() || build.virtualFolderName.isEmpty())
        fail(QStringLiteral("the template names no subject folders"));
    DataSet set;
    set.root = QDir(parent).filePath(QStringLiteral("tvx-bench-data-v1/") + languageCode) +
               QLatin1Char('/');
    set.programFolder = set.root + QStringLiteral("program/");
    set.largeProgramFolder = set.root + QStringLiteral("large/");
    set.largeSubjectFile = QStringLiteral("Large_Subject.") + shortCode;

    const QString marker = set.root + QLatin1String(kMarkerName);
    const QString expected = markerText(build);
    const bool whole = QFileInfo::exists(set.programFolder + QStringLiteral("Users.dat")) &&
                       QFileInfo::exists(set.largeProgramFolder + build.installedFolderName +
                                         QLatin1Char('/') + set.largeSubjectFile);
    set.launchProgramFolder = set.root + QStringLiteral("launch/");
    set.launchSubjectFile = QStringLiteral("Launch_Subject.") + shortCode;
    set.launchActivity = QStringLiteral("Quit");
    if (!rebuild && whole && readAll(marker) == expected) {
        // The texts follow the build: a template with new captions is copied
        // in again, the rest of the data set stays.
        for (const QString &folder : {set.programFolder, set.largeProgramFolder})
            copyTemplate(templatePath, folder);
        prepareLaunchFolder(set, build, templatePath);
        set.reused = true;
        return set;
    }

    // Whatever is there is incomplete or of another version: start afresh.
    if (QFileInfo::exists(set.root) && !QDir(set.root).removeRecursively())
        fail(QStringLiteral("cannot remove the old data set %1").arg(set.root));
    QElapsedTimer clock;
    clock.start();
    note(QStringLiteral("Making the data set in %1 (once)...").arg(set.root));

    for (const QString &folder : {set.programFolder, set.largeProgramFolder}) {
        makeFolder(folder + build.installedFolderName);
        makeFolder(folder + build.virtualFolderName);
        makeFolder(folder + QStringLiteral("Activities"));
        copyTemplate(templatePath, folder);
    }

    const QString installed = set.programFolder + build.installedFolderName + QLatin1Char('/');
    for (int s = 1; s <= kInstalledSubjects; ++s) {
        makeSubject(installed + subjectFileName(s, shortCode), languageCode, s, kPhrasesPerSubject,
                    2048);
        if (s % 250 == 0)
            note(QStringLiteral("  %1 subjects (%2 s)").arg(s).arg(clock.elapsed() / 1000.0));
    }
    const QString virtualFolder = set.programFolder + build.virtualFolderName + QLatin1Char('/');
    for (int f = 1; f <= kVirtualFolders; ++f)
        makeVirtualFolder(virtualFolder +
                              QStringLiteral("Folder_%1.v").arg(f, 2, 10, QLatin1Char('0')) +
                              shortCode,
                          f, shortCode);
    note(QStringLiteral("  %1 virtual folders (%2 s)")
             .arg(kVirtualFolders)
             .arg(clock.elapsed() / 1000.0));

    makeSubject(set.largeProgramFolder + build.installedFolderName + QLatin1Char('/') +
                    set.largeSubjectFile,
                languageCode, kInstalledSubjects + 1, kLargeSubjectPhrases, kLargeSoundBytes);
    note(QStringLiteral("  one subject of %1 phrases (%2 s)")
             .arg(kLargeSubjectPhrases)
             .arg(clock.elapsed() / 1000.0));

    makeStudentDatabase(set.programFolder);
    note(QStringLiteral("  Users.dat with %1 scores (%2 s)")
             .arg(kScoreRows)
             .arg(clock.elapsed() / 1000.0));
    prepareLaunchFolder(set, build, templatePath);

    // Written last: its presence says everything above is complete.
    QFile f(marker);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        f.write(expected.toUtf8()) != expected.toUtf8().size())
        fail(QStringLiteral("cannot write %1").arg(marker));
    f.close();
    note(QStringLiteral("Data set made in %1 s.").arg(clock.elapsed() / 1000.0, 0, 'f', 1));
    return set;
}

} // namespace bench
