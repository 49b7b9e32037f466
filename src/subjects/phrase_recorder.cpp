#include "subjects/phrase_recorder.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <algorithm>

namespace subjects {

namespace {

bool isWave(const QByteArray &bytes) {
    return bytes.size() >= 12 && bytes.startsWith("RIFF") && bytes.mid(8, 4) == "WAVE";
}

QByteArray readFile(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// espeak-ng needs well under a second per phrase; one that runs this long hangs.
constexpr int kRecordingLimitMs = 120000;

} // namespace

RecordingCache::RecordingCache(QString folder) : m_folder(std::move(folder)) {}

QString RecordingCache::DefaultFolder() {
    // Where the program's CacheLocation lies under the organisation and
    // application names main() gives it, worked out here so that tvx-subject,
    // which runs under a name of its own, finds the same folder.
    const QString program = QStringLiteral("/Tolvanex/Tolvanex");
#ifdef Q_OS_WIN
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                           program + QStringLiteral("/cache");
#else
    const QString folder =
        QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + program;
#endif
    return folder + QStringLiteral("/recordings");
}

QString RecordingCache::fileFor(const QString &voice, const QString &text) const {
    if (m_folder.isEmpty())
        return {};
    const QByteArray hash = QCryptographicHash::hash((voice + QLatin1Char('\n') + text).toUtf8(),
                                                     QCryptographicHash::Sha1)
                                .toHex()
                                .left(20);
    return QDir(QDir(m_folder).filePath(voice))
        .filePath(QString::fromLatin1(hash) + QStringLiteral(".wav"));
}

QByteArray RecordingCache::read(const QString &voice, const QString &text) const {
    const QString file = fileFor(voice, text);
    if (file.isEmpty() || !QFileInfo::exists(file))
        return {};
    const QByteArray bytes = readFile(file);
    return isWave(bytes) ? bytes : QByteArray();
}

void RecordingCache::write(const QString &voice, const QString &text,
                           const QByteArray &wave) const {
    const QString file = fileFor(voice, text);
    if (file.isEmpty() || !QDir().mkpath(QFileInfo(file).path()))
        return;
    // A cache that cannot be written only costs a recording next time.
    QFile part(file + QStringLiteral(".part"));
    if (part.open(QIODevice::WriteOnly) && part.write(wave) == wave.size()) {
        part.close();
        QFile::remove(file);
        QFile::rename(part.fileName(), file);
    } else {
        part.remove();
    }
}

// ---------------------------------------------------------------------------

struct PhraseRecorder::Job {
    int index = 0;
    QString wav;
    std::unique_ptr<QProcess> process;
    QTimer limit;
};

PhraseRecorder::PhraseRecorder(QString voice, QString cacheFolder, QObject *parent)
    : QObject(parent), m_voice(std::move(voice)), m_cache(std::move(cacheFolder)) {}

PhraseRecorder::~PhraseRecorder() {
    // Closing the program mid-import leaves no espeak-ng behind.
    for (const auto &job : m_running) {
        job->process->disconnect(this);
        job->process->kill();
        job->process->waitForFinished(1000);
    }
}

void PhraseRecorder::start(const QStringList &texts) {
    Q_ASSERT(!m_busy);
    m_busy = true;
    m_stop = Stop::None;
    m_failure.clear();
    m_texts = texts;
    m_waves = QVector<QByteArray>(texts.size());
    m_firstOf.clear();
    m_rowsOf.clear();
    m_todo.clear();
    m_next = 0;
    m_done = 0;

    // Equal texts are recorded once; cached ones not at all.
    for (const QString &text : texts)
        ++m_rowsOf[text];
    for (int i = 0; i < texts.size(); ++i) {
        if (m_firstOf.contains(texts[i]))
            continue;
        m_firstOf.insert(texts[i], i);
        const QByteArray cached = m_cache.read(m_voice, texts[i]);
        if (!cached.isEmpty()) {
            m_waves[i] = cached;
            ++m_fromCache;
            m_done += m_rowsOf.value(texts[i]);
        } else {
            m_todo << i;
        }
    }
    // The first reports come from the caller's event loop, like every other.
    QTimer::singleShot(0, this, [this] {
        emit progress(m_done, int(m_texts.size()));
        if (m_recordOne)
            recordNextWithoutEspeak();
        else
            launchMore();
    });
}

void PhraseRecorder::cancel() {
    if (!m_busy || m_stop != Stop::None)
        return;
    m_stop = Stop::Cancelled;
    stopAll();
}

void PhraseRecorder::recordNextWithoutEspeak() {
    if (m_stop != Stop::None || m_next >= m_todo.size()) {
        endIfIdle();
        return;
    }
    const int index = m_todo[m_next++];
    store(index, m_recordOne(m_voice, m_texts[index]));
    QTimer::singleShot(0, this, [this] { recordNextWithoutEspeak(); });
}

void PhraseRecorder::launchMore() {
    if (m_stop != Stop::None)
        return;
    if (!m_workFolder && m_next < m_todo.size()) {
        m_workFolder = std::make_unique<QTemporaryDir>();
        if (!m_workFolder->isValid()) {
            fail(QCoreApplication::translate("wordList",
                                             "cannot create a temporary folder for recordings"));
            return;
        }
    }
    // espeak-ng uses one core per process: keep every core busy.
    const int parallel = m_parallel > 0 ? m_parallel : std::max(1, QThread::idealThreadCount());
    while (m_next < m_todo.size() && int(m_running.size()) < parallel) {
        auto job = std::make_unique<Job>();
        job->index = m_todo[m_next];
        job->wav = m_workFolder->filePath(QStringLiteral("%1.wav").arg(m_next));
        ++m_next;
        job->process = std::make_unique<QProcess>();
        QProcess *process = job->process.get();
        const QByteArray text = m_texts[job->index].toUtf8();
        // The text goes through stdin so that one starting with "-" is not
        // taken for an option.
        connect(process, &QProcess::started, this, [process, text] {
            process->write(text);
            process->closeWriteChannel();
        });
        connect(process, &QProcess::errorOccurred, this, [this, process](QProcess::ProcessError e) {
            if (e == QProcess::FailedToStart)
                jobEnded(process);
        });
        connect(process, &QProcess::finished, this, [this, process] { jobEnded(process); });
        job->limit.setSingleShot(true);
        connect(&job->limit, &QTimer::timeout, process, &QProcess::kill);
        job->limit.start(kRecordingLimitMs);
        m_running.push_back(std::move(job));
        process->start(QStringLiteral("espeak-ng"),
                       {QStringLiteral("-v"), m_voice, QStringLiteral("-w"), m_running.back()->wav,
                        QStringLiteral("--stdin")});
    }
    endIfIdle();
}

void PhraseRecorder::jobEnded(QProcess *process) {
    const auto it = std::find_if(m_running.begin(), m_running.end(), [process](const auto &job) {
        return job->process.get() == process;
    });
    if (it == m_running.end())
        return;
    std::unique_ptr<Job> job = std::move(*it);
    m_running.erase(it);
    job->limit.stop();
    process->disconnect(this);
    // The process object may not be deleted inside its own signal.
    job->process.release()->deleteLater();

    if (m_stop == Stop::None) {
        const QString text = m_texts[job->index];
        if (process->error() == QProcess::FailedToStart)
            fail(QCoreApplication::translate("wordList",
                                             "cannot start espeak-ng (is it installed?): %1")
                     .arg(process->errorString()));
        else if (process->exitStatus() != QProcess::NormalExit || process->exitCode() != 0)
            fail(
                QCoreApplication::translate("wordList", "espeak-ng failed on \"%1\" (voice %2): %3")
                    .arg(text, m_voice, QString::fromLocal8Bit(process->readAllStandardError())));
        else
            store(job->index, readFile(job->wav));
    }
    QFile::remove(job->wav);
    if (m_stop == Stop::None)
        launchMore();
    else
        endIfIdle();
}

void PhraseRecorder::store(int index, const QByteArray &wave) {
    if (!isWave(wave)) {
        fail(QCoreApplication::translate("wordList", "espeak-ng wrote no WAVE recording for \"%1\"")
                 .arg(m_texts[index]));
        return;
    }
    m_waves[index] = wave;
    ++m_recorded;
    m_cache.write(m_voice, m_texts[index], wave);
    // Every row of that text is ready now.
    m_done += m_rowsOf.value(m_texts[index]);
    emit progress(m_done, int(m_texts.size()));
}

void PhraseRecorder::fail(const QString &message) {
    if (m_stop != Stop::None)
        return;
    m_stop = Stop::Failed;
    m_failure = message;
    stopAll();
}

void PhraseRecorder::stopAll() {
    for (const auto &job : m_running)
        job->process->kill();
    // Each killed process reports its end; the last one ends the recording.
    QTimer::singleShot(0, this, [this] { endIfIdle(); });
}

void PhraseRecorder::endIfIdle() {
    if (!m_busy || !m_running.empty())
        return;
    if (m_stop == Stop::None && m_next < m_todo.size())
        return;
    m_busy = false;
    m_workFolder.reset();
    switch (m_stop) {
    case Stop::None:
        for (int i = 0; i < m_texts.size(); ++i)
            m_waves[i] = m_waves[m_firstOf.value(m_texts[i])];
        emit finished();
        break;
    case Stop::Cancelled:
        m_waves.clear();
        emit cancelled();
        break;
    case Stop::Failed:
        m_waves.clear();
        emit failed(m_failure);
        break;
    }
}

QVector<QByteArray> PhraseRecorder::record(const QStringList &texts,
                                           const CancelCheck &isCancelled) {
    QEventLoop loop;
    QString failure;
    bool stopped = false;
    const QMetaObject::Connection done =
        connect(this, &PhraseRecorder::finished, &loop, &QEventLoop::quit);
    const QMetaObject::Connection broken =
        connect(this, &PhraseRecorder::failed, &loop, [&](const QString &message) {
            failure = message;
            loop.quit();
        });
    const QMetaObject::Connection gaveUp = connect(this, &PhraseRecorder::cancelled, &loop, [&] {
        stopped = true;
        loop.quit();
    });
    // A signal handler can only set a flag: look at it now and then.
    QTimer watch;
    if (isCancelled) {
        connect(&watch, &QTimer::timeout, this, [this, &isCancelled] {
            if (isCancelled())
                cancel();
        });
        watch.start(50);
    }
    start(texts);
    loop.exec();
    disconnect(done);
    disconnect(broken);
    disconnect(gaveUp);
    if (stopped)
        throw WordListCancelled();
    if (!failure.isEmpty())
        throw WordListError(failure);
    return m_waves;
}

} // namespace subjects
