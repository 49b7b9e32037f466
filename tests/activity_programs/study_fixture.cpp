#include "study_fixture.h"

#include "frame/mod_main.h"
#include "platform/ado.h"
#include "study_data/study_results.h"

#include <QFile>
#include <QSignalSpy>
#include <QtEndian>

#include <stdexcept>

namespace fixture {

QByteArray tinyWave() {
    const quint32 rate = 8000;
    const quint16 channels = 1;
    const quint16 bits = 16;
    const QByteArray samples(800 * channels * bits / 8, '\0'); // 0.1 s of silence
    QByteArray wave;
    auto u32 = [&wave](quint32 v) {
        v = qToLittleEndian(v);
        wave.append(reinterpret_cast<const char *>(&v), 4);
    };
    auto u16 = [&wave](quint16 v) {
        v = qToLittleEndian(v);
        wave.append(reinterpret_cast<const char *>(&v), 2);
    };
    wave.append("RIFF");
    u32(36 + quint32(samples.size()));
    wave.append("WAVEfmt ");
    u32(16);
    u16(1); // PCM
    u16(channels);
    u32(rate);
    u32(rate * channels * bits / 8);
    u16(channels * bits / 8);
    u16(bits);
    wave.append("data");
    u32(quint32(samples.size()));
    wave.append(samples);
    return wave;
}

StudyFolder::StudyFolder() {
    env.installTemplate();
    if (!QFile::copy(env.programFolder() + QStringLiteral("Tolvanex.tpl"), databasePath()))
        throw std::runtime_error("cannot make Users.dat");
    QFile(databasePath()).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

QStringList StudyFolder::lines(const QVector<Phrase> &phrases, const QString &learner) {
    QStringList l{QStringLiteral("4242"),
                  QStringLiteral("tvxito"),
                  QStringLiteral("Tolvanex Italiano"),
                  learner,
                  QStringLiteral("Italian"),
                  QStringLiteral("Ana Pérez"),
                  QStringLiteral("La comida"),
                  QString::number(phrases.size()),
                  databasePath()};
    for (int i = 0; i < 5; ++i)
        l << QStringLiteral("EMPTY");
    l << QStringLiteral(" 1 ");
    const auto quoted = [](const QString &v) { return QLatin1Char('"') + v + QLatin1Char('"'); };
    for (int k = 0; k < phrases.size(); ++k) {
        const QString sound = folder() + QStringLiteral("~tvx4242%1.wav").arg(k + 1);
        writeFile(sound, tinyWave());
        l << quoted(phrases[k].phrase) << quoted(phrases[k].translation)
          << quoted(phrases[k].translation2) << quoted(sound);
    }
    return l;
}

QString StudyFolder::write(const QStringList &lines, const QByteArray &lineEnd) {
    QByteArray bytes;
    for (const QString &line : lines)
        bytes += line.toUtf8() + lineEnd;
    writeFile(folder() + QStringLiteral("~tvx4242.txt"), bytes);
    return QStringLiteral("~tvx4242.txt");
}

activity::StudyFile StudyFolder::load(const QString &name) {
    const activity::StudyLoad load = activity::LoadStudyFile(name, folder());
    if (!load.ok())
        throw std::runtime_error(load.error.toStdString());
    return load.file;
}

QVector<QVariantList> StudyFolder::scores() const {
    ado::Connection db;
    db.Open(modMain::Get_Template_Connection_String(databasePath()));
    ado::Recordset rs;
    rs.Open(QStringLiteral("SELECT tName, tActivity, tSubject, textScore, numberScore, nDate, "
                           "nTime FROM tblscores"),
            db);
    QVector<QVariantList> rows;
    for (; !ado::AtEnd(rs); rs.MoveNext()) {
        QVariantList row;
        for (int i = 0; i < rs.FieldCount(); ++i)
            row << rs.Fields(i).Value();
        rows << row;
    }
    return rows;
}

void StudyFolder::recordLaunch(const QString &name, const QVector<Phrase> &phrases) {
    studyResults::Launch launch;
    launch.id = studyResults::New_Launch_Id();
    launch.studyFile = name;
    launch.student = QStringLiteral("Ana Pérez");
    launch.subject = QStringLiteral("La comida");
    launch.when = QDateTime::currentDateTime().addSecs(-1);
    for (int k = 0; k < phrases.size(); ++k)
        launch.entries << studyResults::LaunchEntry{k + 1,
                                                    QStringLiteral("Food.ito"),
                                                    k + 1,
                                                    phrases[k].phrase,
                                                    phrases[k].translation,
                                                    phrases[k].translation2};
    studyResults::Record_Launch(databasePath(), launch, 1000);
}

QVector<QVariantList> StudyFolder::results() const {
    ado::Connection db;
    db.Open(modMain::Get_Template_Connection_String(databasePath()));
    ado::Recordset rs;
    rs.Open(QStringLiteral("SELECT nEntry, nGrade FROM tblResults ORDER BY pkResultID"), db);
    QVector<QVariantList> rows;
    for (; !ado::AtEnd(rs); rs.MoveNext())
        rows << QVariantList{rs.Fields(0).Value(), rs.Fields(1).Value()};
    return rows;
}

QVector<Phrase> numbered(int count) {
    QVector<Phrase> phrases;
    for (int i = 1; i <= count; ++i)
        phrases << Phrase{QStringLiteral("frase %1").arg(i), QStringLiteral("phrase %1").arg(i),
                          QStringLiteral("second %1").arg(i)};
    return phrases;
}

activity::ScoreSaver::State settle(activity::ScoreSaver &saver,
                                   std::initializer_list<activity::ScoreSaver::State> until) {
    QSignalSpy changes(&saver, &activity::ScoreSaver::stateChanged);
    const auto reached = [&] {
        for (const activity::ScoreSaver::State state : until)
            if (saver.state() == state)
                return true;
        return false;
    };
    // Each change is waited for, not slept on: a try that never ends fails
    // the test instead of hanging it.
    while (!reached() && changes.wait(30000)) {
    }
    return saver.state();
}

} // namespace fixture
