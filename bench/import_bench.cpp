// Importing word lists, timed by hand (build/bench/tvx-import-bench):
// - recording 100 phrases with espeak-ng, one process at a time against one
//   per core, without the cache; importing is bound by espeak-ng, so the
//   parallel run should take about 1/cores of the serial one;
// - importing a flash-card package of 500 notes with MP3 recordings against a
//   bare reference that only unzips and decodes the same files with
//   libsndfile; the goal is at most 1.5 times the reference.
#include "subject_tool.h"
#include "subjects/phrase_recorder.h"
#include "subjects/word_list.h"
#include "support/deck_files.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>

#include <cstring>

namespace {

int recordPhrases(QTextStream &out) {
    QStringList texts;
    for (int i = 1; i <= 100; ++i)
        texts << QStringLiteral("la frase número %1 de la lista").arg(i);
    double serial = 0;
    for (const int parallel : {1, QThread::idealThreadCount()}) {
        subjects::PhraseRecorder recorder(QStringLiteral("es"), QString());
        recorder.setParallel(parallel);
        QElapsedTimer timer;
        timer.start();
        try {
            recorder.record(texts);
        } catch (const subjects::WordListError &e) {
            out << e.message() << "\n";
            return 1;
        }
        const double seconds = timer.nsecsElapsed() / 1e9;
        if (parallel == 1)
            serial = seconds;
        out << QStringLiteral("100 phrases, %1 espeak-ng process(es) at a time: %2 s (%3x)\n")
                   .arg(parallel)
                   .arg(seconds, 0, 'f', 2)
                   .arg(serial / seconds, 0, 'f', 2);
        out.flush();
    }
    return 0;
}

// The reference: every media file of the package read from the zip and
// decoded to samples, nothing more.
struct Memory {
    const QByteArray *bytes;
    sf_count_t at;
};

sf_count_t memoryLength(void *m) {
    return static_cast<Memory *>(m)->bytes->size();
}
sf_count_t memorySeek(sf_count_t offset, int whence, void *m) {
    auto *f = static_cast<Memory *>(m);
    f->at = whence == SEEK_SET   ? offset
            : whence == SEEK_CUR ? f->at + offset
                                 : f->bytes->size() + offset;
    return f->at;
}
sf_count_t memoryRead(void *out, sf_count_t n, void *m) {
    auto *f = static_cast<Memory *>(m);
    n = std::min<sf_count_t>(n, f->bytes->size() - f->at);
    std::memcpy(out, f->bytes->constData() + f->at, size_t(n));
    f->at += n;
    return n;
}
sf_count_t memoryWrite(const void *, sf_count_t, void *) {
    return 0;
}
sf_count_t memoryTell(void *m) {
    return static_cast<Memory *>(m)->at;
}

qint64 bareUnzipAndDecode(const QString &package) {
    int error = 0;
    zip_t *archive = zip_open(QFile::encodeName(package).constData(), ZIP_RDONLY, &error);
    const auto entry = [archive](const char *name) {
        zip_stat_t st;
        zip_stat(archive, name, 0, &st);
        QByteArray bytes(qsizetype(st.size), Qt::Uninitialized);
        zip_file_t *file = zip_fopen(archive, name, 0);
        zip_fread(file, bytes.data(), st.size);
        zip_fclose(file);
        return bytes;
    };
    const QJsonObject media = QJsonDocument::fromJson(entry("media")).object();
    qint64 frames = 0;
    std::vector<float> block(4096 * 2);
    for (auto it = media.begin(); it != media.end(); ++it) {
        const QByteArray bytes = entry(it.key().toUtf8().constData());
        Memory memory{&bytes, 0};
        SF_VIRTUAL_IO io{memoryLength, memorySeek, memoryRead, memoryWrite, memoryTell};
        SF_INFO info{};
        SNDFILE *sound = sf_open_virtual(&io, SFM_READ, &info, &memory);
        for (sf_count_t n; (n = sf_readf_float(sound, block.data(), 4096)) > 0;)
            frames += n;
        sf_close(sound);
    }
    zip_discard(archive);
    return frames;
}

int importPackage(QTextStream &out) {
    QTemporaryDir folder;
    const QString package = folder.filePath(QStringLiteral("Lessico.apkg"));
    fixture::Package p;
    for (int i = 1; i <= 500; ++i) {
        const QString name = QStringLiteral("parola%1.mp3").arg(i);
        p.notes.append({{QStringLiteral("la parola %1 [sound:%2]").arg(i).arg(name),
                         QStringLiteral("la palabra %1").arg(i)},
                        QStringLiteral("Lessico")});
        p.media.append({name, fixture::EncodedTone({fixture::Encoding::Mp3, 44100, 1, 1.2,
                                                    200.0 + i, 0.1 + 0.001 * i})});
    }
    fixture::WritePackage(package, p);

    QElapsedTimer timer;
    timer.start();
    const qint64 frames = bareUnzipAndDecode(package);
    const double bare = timer.nsecsElapsed() / 1e9;

    tvxsubject::ImportOptions options;
    options.list = package;
    options.code = QStringLiteral("tvxito");
    options.out = folder.filePath(QStringLiteral("Lessico.ito"));
    timer.restart();
    try {
        const tvxsubject::ImportReport report = tvxsubject::ImportWordList(options);
        if (report.ownRecordings != 500) {
            out << "only " << report.ownRecordings << " recordings of the package kept\n";
            return 1;
        }
    } catch (const tvxsubject::ToolError &e) {
        out << e.message() << "\n";
        return 1;
    }
    const double ours = timer.nsecsElapsed() / 1e9;
    out << QStringLiteral("package of 500 notes with MP3 recordings (%1 s of sound): bare unzip "
                          "and decode %2 s, import %3 s (%4x; goal at most 1.5x)\n")
               .arg(frames / 44100)
               .arg(bare, 0, 'f', 2)
               .arg(ours, 0, 'f', 2)
               .arg(ours / bare, 0, 'f', 2);
    return ours / bare <= 1.5 ? 0 : 2;
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const bool packageOnly = app.arguments().contains(QStringLiteral("--package"));
    if (!packageOnly && recordPhrases(out) != 0)
        return 1;
    return importPackage(out);
}
