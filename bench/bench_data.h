// The data set the benchmarks read, made once under the temporary folder and
// reused while it is complete: two program folders of this build and a
// student database. Everything in it follows from fixed seeds and texts, so
// every machine measures the same files.
#pragma once

#include <QString>

namespace bench {

inline constexpr int kInstalledSubjects = 1000;
inline constexpr int kPhrasesPerSubject = 5;
inline constexpr int kVirtualFolders = 20;
inline constexpr int kVirtualSubjectsPerFolder = 10;
inline constexpr int kPhrasesPerVirtualSubject = 3;
inline constexpr int kLargeSubjectPhrases = 2000;
inline constexpr int kLargeSoundBytes = 50 * 1024;
inline constexpr int kStudents = 100;
inline constexpr int kActivities = 30;
inline constexpr int kScoredSubjects = 50;
inline constexpr int kScoreRows = 500000;
inline constexpr int kLaunchPhrases = 10;
inline constexpr int kLaunchSoundBytes = 200 * 1024;

struct DataSet {
    QString root; // ends in "/"
    // The program folder of the start-up and random-phrase workloads: the
    // template, 1,000 installed subjects, 20 virtual folders and Users.dat.
    QString programFolder;
    // A program folder whose only installed subject has 2,000 phrases.
    QString largeProgramFolder;
    QString largeSubjectFile; // its file name
    // A program folder with one subject of 10 phrases with 200 KB sounds and
    // an activity program that ends at once.
    QString launchProgramFolder;
    QString launchSubjectFile;
    QString launchActivity; // its file name in Activities/
    bool reused = false;
};

// The per-phrase memory: 100 students who each studied 2,000 phrases (200
// study sets of 10) in 20 sessions, one result per phrase and session.
inline constexpr int kMemoryPhrases = 2000;
inline constexpr int kMemorySessions = 20;
inline constexpr int kMemoryPhrasesPerSubject = 100;

struct MemoryDataSet {
    QString programFolder; // its Users.dat holds the launches and results
    QString student;       // the one whose review W6 works out
    bool reused = false;
};

// What the data set depends on in this build: its language codes and the
// subject folder names, which are captions of its template.
struct BuildFacts {
    QString languageCode; // "tvxito"
    QString shortCode;    // "ito"
    QString installedFolderName;
    QString virtualFolderName;
};

// Makes the data set (or finds a complete one) under `parent` for this build,
// copying its template templatePath; rebuild makes it again in any case.
// Progress goes to stderr. Throws std::runtime_error when it cannot.
DataSet PrepareDataSet(const QString &parent, const QString &templatePath, const BuildFacts &build,
                       bool rebuild);

// Makes the per-phrase memory's student database (or finds a complete one)
// under `parent`, beside the data set of PrepareDataSet: 400,000 launches,
// 4 million entries and 4 million results. Throws std::runtime_error when it
// cannot.
MemoryDataSet PrepareMemoryDataSet(const QString &parent, const QString &templatePath,
                                   const BuildFacts &build, bool rebuild);

} // namespace bench
