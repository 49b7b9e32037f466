// What the class server holds and how a computer keeps it up to date.
//
// The local student database stays the working copy: activities write it as
// before, and the shell pushes what the server lacks. Every row carries its
// identity on the server, the computer's id and its local key, unique there,
// so a push cut off anywhere and repeated gives each row exactly once. The
// computer's id lives in the student database itself: a new database (after
// it was cleared) is a new computer to the server, with keys of its own.
//
// Students go both ways. A student made here gets the identity of this
// computer; one made elsewhere is added to the local tblUsers when pulled,
// with its password hash for a password, and keeps its identity. Each
// student on the server has a version; a local edit is pushed only over the
// version it was made on. When another computer changed the student first,
// the server wins: the local edit is replaced by the server's.
//
// The whole class is read from a local file of the student database's form
// (the class file): this computer's rows copied from the student database,
// every other computer's from the server, each part brought up to date by
// what is new since the last time. The progress viewer and the schedules
// read it as they read the student database.
#pragma once

#include "class_data/class_server.h"

#include <QString>

namespace classData {

inline constexpr int kSchemaVersion = 1;

// Checks the server's tables; creates or upgrades them when the program's
// role may, and otherwise says what is missing (ServerError, Schema).
void Ensure_Schema(ClassServer &server);

// The id of the computer (of its student database); made on first use.
// Throws std::exception when the database cannot be read or written.
QString Computer_Id(const QString &usersPath);

struct PushCount {
    int students = 0; // added or changed on the server
    int scores = 0;
    int launches = 0;
    int entries = 0;
    int results = 0;
    int Rows() const { return scores + launches + entries + results; }
};

// Pushes to the server whatever of the student database it lacks. Each table's
// rows go in transactions of at most batchRows rows.
PushCount Push(ClassServer &server, const QString &usersPath, int batchRows = 5000);

// Brings the class's students into the local tblUsers: new ones are added,
// changed ones updated (the server wins). Returns how many rows changed.
int Pull_Students(ClassServer &server, const QString &usersPath);

// The local rows the server does not have yet (the last count seen by
// Push, or every row when it never ran).
qint64 Waiting_Rows(const QString &usersPath);

// Brings the class file up to date: the local students and rows, and, when
// server is given, every other computer's rows. Creates the file from the
// template when missing. Throws ServerError or std::exception.
void Refresh_Class_File(ClassServer *server, const QString &usersPath, const QString &classPath,
                        const QString &templatePath);

// A password as the login window stores it for a student pulled from the
// server: the server's hash.
bool Is_Password_Hash(const QString &stored);
// Login ignores case: what is hashed and checked is the upper-cased text.
QString Password_Text(const QString &typed);

} // namespace classData
