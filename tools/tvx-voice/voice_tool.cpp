#include "voice_tool.h"

#include "subjects/voice_compare.h"

#include <QFile>

namespace tvxvoice {

namespace {

constexpr int kFigure = 0;
constexpr int kUnreadable = 1;
constexpr int kUsage = 2;
constexpr int kNoFigure = 3;

QString bandName(voice::Band band) {
    switch (band) {
    case voice::Band::VeryClose:
        return QStringLiteral("very close");
    case voice::Band::Close:
        return QStringLiteral("close");
    case voice::Band::KeepPractising:
        break;
    }
    return QStringLiteral("keep practising");
}

// The sound of a wave file; an empty wave (after the message) when the file
// cannot be read or is no sound the program could play.
voice::Wave readWave(const QString &path, QTextStream &err) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        err << "tvx-voice: cannot read " << path << ": " << file.errorString() << "\n";
        return {};
    }
    voice::Wave wave = voice::Read_Wave(file.readAll());
    if (wave.empty())
        err << "tvx-voice: " << path << " is not a wave sound this program can play\n";
    return wave;
}

} // namespace

int Run(const QStringList &arguments, QTextStream &out, QTextStream &err) {
    if (arguments.size() != 3 || arguments[0] != QLatin1String("compare")) {
        err << "usage: tvx-voice compare MODEL.wav TAKE.wav\n";
        return kUsage;
    }
    const voice::Wave model = readWave(arguments[1], err);
    const voice::Wave take = readWave(arguments[2], err);
    if (model.empty() || take.empty())
        return kUnreadable;
    const voice::Comparison c = voice::Compare(model, take);
    switch (c.verdict) {
    case voice::Verdict::NothingHeard:
        out << "nothing was heard\n";
        return kNoFigure;
    case voice::Verdict::TooNoisy:
        out << "too noisy, try again closer to the microphone\n";
        return kNoFigure;
    case voice::Verdict::Figure:
        break;
    }
    out << c.closeness << ' ' << bandName(voice::BandOf(c.closeness)) << "\n";
    return kFigure;
}

} // namespace tvxvoice
