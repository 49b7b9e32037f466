#include "subjects/voice_module.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>
#include <QMutex>
#include <QMutexLocker>

#include <stdexcept>

namespace voiceModule {

namespace {

struct State {
    QMutex mutex;
    QString folder; // empty: the executable's
    bool tried = false;
    const Entry *entry = nullptr;
    QString problem;
};

State &state() {
    static State s;
    return s;
}

QString fileName() {
#if defined(Q_OS_WIN)
    return QStringLiteral("tvx-voice.dll");
#elif defined(Q_OS_MACOS)
    return QStringLiteral("libtvx-voice.dylib");
#else
    return QStringLiteral("libtvx-voice.so");
#endif
}

QString pathIn(const QString &folder) {
    const QString base = folder.isEmpty() ? QCoreApplication::applicationDirPath() : folder;
    return base + (base.endsWith(QLatin1Char('/')) ? QString() : QStringLiteral("/")) + fileName();
}

const Entry *loadFrom(const QString &path, QString *problem) {
    if (!QFileInfo::exists(path)) {
        *problem = QCoreApplication::translate("voice", "the file %1 is missing").arg(path);
        return nullptr;
    }
    // Kept loaded for the rest of the run: its functions may be in use on
    // another thread at any time.
    auto *library = new QLibrary(path);
    const auto function = reinterpret_cast<EntryFunction>(library->resolve(kEntryFunction));
    const Entry *entry = function ? function() : nullptr;
    if (!entry || entry->version != kVersion || !entry->compare || !entry->changeTempo) {
        *problem = function ? QCoreApplication::translate(
                                  "voice", "the file %1 belongs to another version of the program")
                                  .arg(path)
                            : library->errorString();
        library->unload();
        delete library;
        return nullptr;
    }
    return entry;
}

const Entry &require() {
    QString problem;
    const Entry *entry = Load(&problem);
    if (!entry)
        throw std::runtime_error(Unavailable_Text(problem).toStdString());
    return *entry;
}

} // namespace

QString Path() {
    State &s = state();
    QMutexLocker lock(&s.mutex);
    return pathIn(s.folder);
}

void Set_Folder(const QString &folder) {
    State &s = state();
    QMutexLocker lock(&s.mutex);
    s.folder = folder;
    // A module loaded already stays in memory (its functions may be running
    // on another thread); the next use looks for it in the new folder.
    s.tried = false;
    s.entry = nullptr;
    s.problem.clear();
}

bool Present() {
    State &s = state();
    QMutexLocker lock(&s.mutex);
    return s.entry || QFileInfo::exists(pathIn(s.folder));
}

const Entry *Load(QString *problem) {
    State &s = state();
    QMutexLocker lock(&s.mutex);
    if (!s.tried) {
        s.tried = true;
        s.entry = loadFrom(pathIn(s.folder), &s.problem);
    }
    if (!s.entry && problem)
        *problem = s.problem;
    return s.entry;
}

QString Unavailable_Text(const QString &problem) {
    return QCoreApplication::translate(
               "voice", "Recording and comparing, and hearing a phrase slowly, are not "
                        "available: %1. Everything else works as usual; installing the "
                        "program again brings them back.")
        .arg(problem);
}

voice::Comparison Compare(const voice::Wave &model, const voice::Wave &mine) {
    return require().compare(model, mine);
}

QByteArray Change_Tempo(const QByteArray &waveFile, double tempo) {
    const Entry &entry = require();
    const voice::Wave wave = voice::Read_Wave(waveFile);
    if (wave.empty())
        return QByteArray();
    return voice::Write_Wave(entry.changeTempo(wave, tempo));
}

} // namespace voiceModule
