// tvx-review: what each student remembers of each phrase, for teachers and
// for checking the scheduler.
//   tvx-review Users.dat [--student NAME] [--at YYYY-MM-DD] [--retention 0.9] [--csv]
#include "review_tool.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    return reviewTool::Run(QCoreApplication::arguments().mid(1), out, err);
}
