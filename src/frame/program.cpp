#include "frame/program.h"

#include <QCoreApplication>

Program::Program(Host &host, ProgramSettings settings)
    : handleTag(QString::number(QCoreApplication::applicationPid())), m_host(host),
      m_settings(std::move(settings)) {}

void Program::End(int code) {
    if (ended)
        return;
    ended = true;
    exitCode = code;
    if (atEnd)
        atEnd();
    if (onEnd)
        onEnd(code);
}
