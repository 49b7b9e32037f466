// tvx-voice: a learner's recording held against a model from the command
// line, with the same measure as the comparison window.
//
//   tvx-voice compare MODEL.wav TAKE.wav
//
// prints one line: the figure and its band ("87 very close"), or why there
// is none ("nothing was heard", "too noisy, try again closer to the
// microphone"). Exit status: 0 with a figure, 3 without one, 1 when a file
// cannot be read as a wave sound, 2 for a wrong command line.
#pragma once

#include <QStringList>
#include <QTextStream>

namespace tvxvoice {

int Run(const QStringList &arguments, QTextStream &out, QTextStream &err);

} // namespace tvxvoice
