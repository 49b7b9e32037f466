// Small common services every part of the program calls. None of them reports
// errors itself: an error reaches the caller.
#pragma once

#include <QElapsedTimer>
#include <QString>

#include <exception>
#include <functional>

class Host;
class Program;

namespace modMain {

// Sound flags with the values callers pass.
enum SoundFlags : int {
    SND_ASYNC = 1,
    SND_NODEFAULT = 2,
    SND_MEMORY = 4,
};

// Plays a wave file; synchronous unless flags contain SND_ASYNC. A file that
// cannot be played is silent.
void Play_Sound(Host &host, const QString &path, int flags = SND_NODEFAULT);

// Plays one of the program's wave resources from memory (name matched without
// regard to case); throws std::runtime_error when there is no such resource.
void Play_Click(Program &program, const QString &name, int flags = SND_NODEFAULT | SND_MEMORY);
// What a window's main buttons do on mouse down and up: the "click" sound,
// asynchronously (see AddClickSound).
std::function<void()> Button_Click(Program &program);

// The temporary folder, ending in exactly one "/"; empty text when the
// folder the system names for it does not exist.
QString Get_Temp_Path();
// The temporary folder as the system names it, whether it exists or not:
// for telling the learner which folder cannot be used.
QString Get_System_Temp_Name();

// Waits n seconds (rounded to whole seconds of the clock) while window events
// keep running, without keeping a processor busy; ends correctly when the
// clock passes midnight.
void Wait_Seconds(Host &host, int seconds);

// Lets window events run during a long loop often enough for its progress
// to look live, without paying for an event pass per item: the first Pump
// runs them, later ones only when kInterval has passed since the last run.
class EventPump {
public:
    static constexpr int kIntervalMs = 16;
    explicit EventPump(Host &host) : m_host(host) {}
    void Pump();

private:
    Host &m_host;
    QElapsedTimer m_sinceLastRun;
};

// Which files the program trusts is decided here, and only here: the
// template and the student database are the program's own (their saved
// queries run); every other file may come from anyone and is opened
// defensively (see ado::FileOrigin).
// Connection string of a subject file or virtual folder file (from outside).
QString Get_Connection_String(const QString &path);
// Connection string of the template and the student database (our own).
QString Get_Template_Connection_String(const QString &path);
// Connection string of an activity's descriptor: the template's password,
// but a file from outside.
QString Get_Descriptor_Connection_String(const QString &path);

bool Is_Connected(Host &host);

// Opens a page of the maker's web site (caption 94 + page), or the local
// offline page (program folder + caption 95) when not connected, with a
// notice window up meanwhile.
void Open_Web_Page(Program &program, const QString &page);
// Opens an address (or local file) in its program; when none takes it, the
// user is told where it was, so that it can be opened by hand.
void Open_Address(Program &program, const QString &target);

// Downloads url to path; true when it succeeded. Never throws. A file
// larger than maxBytes (when >= 0) counts as a failure.
bool Download_File(Host &host, const QString &url, const QString &path, qint64 maxBytes = -1);

// True for an existing plain file that is not hidden; folders count as absent.
bool File_Exists(const QString &path);

// The program's one kind of error report: a critical box titled "ERROR" with
// caption 149, an empty line, then "<procedure>: <description>". Details (a
// failed statement, a library's English text) go into the box's details
// part, never into the description.
void Show_Error(Program &program, const QString &procedure, const QString &description,
                const QString &details = QString());
// The same for a caught exception: its description, and the details of a
// database error.
void Show_Error(Program &program, const QString &procedure, const std::exception &error);

// Caption n, or empty text when the captions are not (fully) loaded; for
// error paths that must never fail themselves.
QString Safe_Caption(const Program &program, int number);

} // namespace modMain
