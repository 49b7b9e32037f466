// One computer of a simulated lab: pushes its student database to the class
// server once and says what went. Started by the class server's tests, many
// at once, and killed in the middle of a push by some of them.
//
//   tvx-class-push USERS.DAT HOST PORT DATABASE USER [BATCH ROWS]
// The password comes in TVX_CLASS_PASSWORD (never on a command line).
#include "class_data/class_server.h"
#include "class_data/class_sync.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    QTextStream out(stdout);
    QTextStream err(stderr);
    if (args.size() < 6) {
        err << "usage: tvx-class-push USERS.DAT HOST PORT DATABASE USER [BATCH ROWS]\n";
        return 1;
    }
    classData::ServerSettings settings;
    settings.host = args[2];
    settings.port = args[3].toInt();
    settings.database = args[4];
    settings.user = args[5];
    settings.password = qEnvironmentVariable("TVX_CLASS_PASSWORD");
    const int batch = args.size() > 6 ? args[6].toInt() : 5000;
    try {
        auto server = classData::New_Class_Server();
        server->Connect(settings);
        classData::Ensure_Schema(*server);
        const classData::PushCount count = classData::Push(*server, args[1], batch);
        out << "pushed " << count.scores << ' ' << count.launches << ' ' << count.entries << ' '
            << count.results << '\n';
        return 0;
    } catch (const std::exception &e) {
        err << e.what() << '\n';
        return 2;
    }
}
