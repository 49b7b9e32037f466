#include "frame/program.h"

Program::Program(Host &host, ProgramSettings settings)
    : m_host(host), m_settings(std::move(settings)) {}

void Program::End(int code) {
    if (ended)
        return;
    ended = true;
    exitCode = code;
    if (onEnd)
        onEnd(code);
}
