// The class server: one database server that the computers of a language lab
// share, so that a student created at one computer logs in at the others and
// the teacher sees the whole class's progress at any of them.
//
// The program knows the server only through the small interface below. Its
// implementation (libpq and libsodium) is a library of its own, loaded the
// first time a server is named and never otherwise, so that a program without
// a server starts and runs as it did without one.
#pragma once

#include <QString>
#include <QVariant>
#include <QVector>

#include <memory>
#include <stdexcept>

class Program;

namespace classData {

// Where the server is and who the program is there. Kept with the build's
// other settings; the password never goes into a message, a log or a file
// an activity reads.
struct ServerSettings {
    QString host;
    int port = 5432;
    QString database;
    QString user;
    QString password;

    // A server is named when its host and its database are.
    bool Named() const { return !host.trimmed().isEmpty() && !database.trimmed().isEmpty(); }
    friend bool operator==(const ServerSettings &, const ServerSettings &) = default;
};

ServerSettings Server_Settings(Program &program);
void Save_Server_Settings(Program &program, const ServerSettings &settings);

// What went wrong with the server, in words for the administrator, without
// the password.
class ServerError : public std::runtime_error {
public:
    enum Kind {
        Unreachable, // no server at that address, or it went away
        Refused,     // the user name or the password was not accepted
        Schema,      // its tables are missing, older or damaged
        NoLibrary,   // the program's server library could not be loaded
        Failed,      // any other failure of a statement
    };
    ServerError(Kind kind, const QString &description)
        : std::runtime_error(description.toStdString()), m_kind(kind) {}
    Kind kind() const { return m_kind; }
    QString description() const { return QString::fromUtf8(what()); }

private:
    Kind m_kind;
};

// One row of a query's answer: each value as text, or a null QVariant.
using ServerRow = QVector<QVariant>;

// One connection to the server. Values always travel as bound parameters
// (text or null), never inside the statement's text. Every call throws
// ServerError.
class ClassServer {
public:
    virtual ~ClassServer() = default;

    virtual void Connect(const ServerSettings &settings) = 0;
    virtual bool Connected() const = 0;
    // Runs one statement; returns the rows it gives (none for most).
    virtual QVector<ServerRow> Query(const QString &sql, const QVariantList &params = {}) = 0;
    // Runs one statement; returns the number of rows it touched.
    virtual qint64 Execute(const QString &sql, const QVariantList &params = {}) = 0;

    // A password as the server keeps it: a salted, slow hash (libsodium's
    // crypto_pwhash string), never the text.
    virtual QString Hash_Password(const QString &password) = 0;
    virtual bool Verify_Password(const QString &hash, const QString &password) = 0;
};

// What the server library exports: one function that makes a connection.
using CreateClassServer = ClassServer *(*)();
inline constexpr char kFactoryName[] = "tvx_create_class_server";

// Loads the server library (once per process) and makes a connection that is
// not connected yet. Throws ServerError (NoLibrary) when it cannot.
std::unique_ptr<ClassServer> New_Class_Server();
// Checks a typed password against a stored hash (a student pulled from the
// server); false when it does not match or the library cannot be loaded.
bool Verify_Stored_Password(const QString &hash, const QString &typed);
// True once the server library has been loaded in this process.
bool Server_Library_Loaded();
// Where the library is looked for: beside the executable, or where
// TVX_CLASS_SERVER_LIBRARY points (tests).
QString Server_Library_Path();

} // namespace classData
