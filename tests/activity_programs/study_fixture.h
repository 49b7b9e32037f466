// A study file written the way the shell writes it (CR LF lines, quoted
// phrase values), real WAVE sounds beside it and a student database copied
// from the built template, all in one test's own folders.
#pragma once

#include "common/score_saver.h"
#include "common/study_file.h"
#include "support/test_env.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <QVector>

#include <initializer_list>

namespace fixture {

struct Phrase {
    QString phrase;
    QString translation;
    QString translation2;
};

// A short silent mono 16-bit PCM WAVE file.
QByteArray tinyWave();

class StudyFolder {
public:
    StudyFolder();

    // The temporary folder holding the study file and sounds (ending in "/").
    QString folder() const { return env.tempFolder(); }
    QString databasePath() const { return env.programFolder() + QStringLiteral("Users.dat"); }

    // The study file's lines for these phrases; sounds are written as
    // ~tvx4242<k>.wav.
    QStringList lines(const QVector<Phrase> &phrases, const QString &learner = "Spanish");
    // Writes lines joined with CR LF (UTF-8) as ~tvx4242.txt; returns its name.
    QString write(const QStringList &lines, const QByteArray &lineEnd = "\r\n");
    QString write(const QVector<Phrase> &phrases, const QString &learner = "Spanish") {
        return write(lines(phrases, learner));
    }
    activity::StudyFile load(const QString &name);

    // Every row of tblscores, each as tName, tActivity, tSubject, textScore,
    // numberScore, nDate, nTime.
    QVector<QVariantList> scores() const;

    // The shell's record of handing out these phrases as the study file
    // name, a second ago, so that the game's result rows find their launch.
    void recordLaunch(const QString &name, const QVector<Phrase> &phrases);
    // Every row of tblResults as nEntry, nGrade, in the order written.
    QVector<QVariantList> results() const;

    TestEnv env;
};

QVector<Phrase> numbered(int count);

// Lets the event loop run until the saver's state is one of until, and
// returns the state it reached (the last one should a try never end).
activity::ScoreSaver::State settle(activity::ScoreSaver &saver,
                                   std::initializer_list<activity::ScoreSaver::State> until = {
                                       activity::ScoreSaver::State::Saved,
                                       activity::ScoreSaver::State::Kept,
                                       activity::ScoreSaver::State::NotSaved});

} // namespace fixture
