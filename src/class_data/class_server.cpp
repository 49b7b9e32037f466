#include "class_data/class_server.h"

#include "class_data/class_sync.h"
#include "frame/program.h"
#include "platform/registry.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>
#include <QMutex>

namespace classData {

namespace {

const QString kHost = QStringLiteral("ClassServerHost");
const QString kPort = QStringLiteral("ClassServerPort");
const QString kDatabase = QStringLiteral("ClassServerDatabase");
const QString kUser = QStringLiteral("ClassServerUser");
const QString kPassword = QStringLiteral("ClassServerPassword");

QMutex &libraryLock() {
    static QMutex lock;
    return lock;
}

// Loaded once and kept for the rest of the run: connections made from it may
// live on other threads until the program ends.
CreateClassServer &factory() {
    static CreateClassServer create = nullptr;
    return create;
}

} // namespace

ServerSettings Server_Settings(Program &program) {
    ServerSettings s;
    s.host = program.Setting(kHost).trimmed();
    bool ok = false;
    const int port = program.Setting(kPort).trimmed().toInt(&ok);
    s.port = ok && port > 0 && port < 65536 ? port : 5432;
    s.database = program.Setting(kDatabase).trimmed();
    s.user = program.Setting(kUser).trimmed();
    s.password = program.Setting(kPassword);
    return s;
}

void Save_Server_Settings(Program &program, const ServerSettings &settings) {
    program.Save_Setting(kHost, settings.host.trimmed());
    program.Save_Setting(kPort, QString::number(settings.port));
    program.Save_Setting(kDatabase, settings.database.trimmed());
    program.Save_Setting(kUser, settings.user.trimmed());
    program.Save_Setting(kPassword, settings.password);
    modRegistry::Keep_Private();
}

QString Server_Library_Path() {
    const QString chosen = qEnvironmentVariable("TVX_CLASS_SERVER_LIBRARY");
    if (!chosen.isEmpty())
        return chosen;
    return QCoreApplication::applicationDirPath() + QStringLiteral("/tvx_class_server");
}

bool Server_Library_Loaded() {
    QMutexLocker locked(&libraryLock());
    return factory() != nullptr;
}

std::unique_ptr<ClassServer> New_Class_Server() {
    QMutexLocker locked(&libraryLock());
    if (!factory()) {
        // Never unloaded: see factory().
        auto *library = new QLibrary(Server_Library_Path());
        if (!library->load()) {
            const QString why = library->errorString();
            delete library;
            throw ServerError(ServerError::NoLibrary,
                              QCoreApplication::translate(
                                  "classData", "The program's class server library cannot be "
                                               "loaded (%1).")
                                  .arg(why));
        }
        factory() = reinterpret_cast<CreateClassServer>(library->resolve(kFactoryName));
        if (!factory())
            throw ServerError(ServerError::NoLibrary,
                              QCoreApplication::translate(
                                  "classData", "The program's class server library %1 is not "
                                               "the one this program needs.")
                                  .arg(QDir::toNativeSeparators(library->fileName())));
    }
    return std::unique_ptr<ClassServer>(factory()());
}

bool Verify_Stored_Password(const QString &hash, const QString &typed) {
    try {
        return New_Class_Server()->Verify_Password(hash, Password_Text(typed));
    } catch (const std::exception &) {
        return false;
    }
}

} // namespace classData
