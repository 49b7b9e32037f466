// Recording a word list of 100 phrases with espeak-ng: one process at a time
// against one per core, without the cache. Importing is bound by espeak-ng, so
// the parallel run should take about 1/cores of the serial one.
#include "subjects/phrase_recorder.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStringList>
#include <QTextStream>
#include <QThread>

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    QStringList texts;
    for (int i = 1; i <= 100; ++i)
        texts << QStringLiteral("la frase número %1 de la lista").arg(i);
    QTextStream out(stdout);
    double serial = 0;
    for (const int parallel : {1, QThread::idealThreadCount()}) {
        subjects::PhraseRecorder recorder(QStringLiteral("es"), {});
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
