#include "voice_tool.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    return tvxvoice::Run(QCoreApplication::arguments().mid(1), out, err);
}
