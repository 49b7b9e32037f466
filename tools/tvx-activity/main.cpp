#include "activity_tool.h"

#include <QGuiApplication>
#include <QTextStream>

int main(int argc, char **argv) {
    // The tool only draws into images; it never needs a screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    return tvxactivity::Run(QCoreApplication::arguments().mid(1), out, err);
}
