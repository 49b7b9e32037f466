// Spoken recordings of phrases made with espeak-ng, for the program's import
// window and for tvx-subject alike: one way of running espeak-ng and one cache
// of what it recorded, so a phrase recorded by either is not recorded again by
// the other.
#pragma once

#include "subjects/word_list.h"

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>
#include <memory>

class QProcess;
class QTemporaryDir;

namespace subjects {

// Recordings kept between imports, one WAV file per voice and text.
class RecordingCache {
public:
    // folder empty: nothing is kept.
    explicit RecordingCache(QString folder = {});

    // The program's own cache folder, which tvx-subject uses too unless told
    // otherwise.
    static QString DefaultFolder();

    const QString &folder() const { return m_folder; }
    // The recording of text in voice; empty when there is none (or no cache).
    QByteArray read(const QString &voice, const QString &text) const;
    // Keeps a recording; it appears whole or not at all.
    void write(const QString &voice, const QString &text, const QByteArray &wave) const;

private:
    QString fileFor(const QString &voice, const QString &text) const;

    QString m_folder;
};

// Records texts in one espeak-ng voice ("es", "fr", "de", "it", "en"), as many
// processes at a time as the machine has cores, driven by the processes'
// signals: start() returns at once, and the caller's event loop goes on.
// Exactly one of finished(), failed() or cancelled() ends every start().
class PhraseRecorder : public QObject {
    Q_OBJECT
public:
    // Makes one recording without espeak-ng (tests).
    using RecordOne = std::function<QByteArray(const QString &voice, const QString &text)>;

    PhraseRecorder(QString voice, QString cacheFolder, QObject *parent = nullptr);
    ~PhraseRecorder() override;

    void setRecordOne(RecordOne recordOne) { m_recordOne = std::move(recordOne); }
    void setParallel(int processes) { m_parallel = processes; }

    // Begins recording texts; progress() reports every text that is ready.
    void start(const QStringList &texts);
    // Stops the recording: the espeak-ng processes still running are killed,
    // and cancelled() follows once every one of them has ended. Nothing is
    // left behind but the recordings already in the cache.
    void cancel();
    bool isBusy() const { return m_busy; }

    // After finished(): one WAV per text, in the order given to start().
    const QVector<QByteArray> &waves() const { return m_waves; }
    int recorded() const { return m_recorded; }
    int fromCache() const { return m_fromCache; }

    // The same, waiting for the end (for the command line, which has no window
    // to keep alive): runs an event loop until the recording ends, asking
    // cancelled between events. Throws WordListError or WordListCancelled.
    QVector<QByteArray> record(const QStringList &texts, const CancelCheck &cancelled = {});

signals:
    void progress(int done, int total);
    void finished();
    void failed(const QString &message);
    void cancelled();

private:
    struct Job;
    void launchMore();
    void recordNextWithoutEspeak();
    void jobEnded(QProcess *process);
    void store(int index, const QByteArray &wave);
    void fail(const QString &message);
    void stopAll();
    void endIfIdle();

    QString m_voice;
    RecordingCache m_cache;
    RecordOne m_recordOne;
    int m_parallel = 0;

    QStringList m_texts;
    QVector<QByteArray> m_waves;
    QHash<QString, int> m_firstOf; // text -> index of its first row
    QHash<QString, int> m_rowsOf;  // text -> rows holding it
    QVector<int> m_todo;           // first rows still to record, in order
    qsizetype m_next = 0;
    std::vector<std::unique_ptr<Job>> m_running;
    std::unique_ptr<QTemporaryDir> m_workFolder;
    int m_done = 0;
    int m_recorded = 0;
    int m_fromCache = 0;
    bool m_busy = false;
    enum class Stop { None, Cancelled, Failed } m_stop = Stop::None;
    QString m_failure;
};

} // namespace subjects
