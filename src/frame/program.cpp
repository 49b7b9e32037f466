#include "frame/program.h"

Program::Program(Host &host, ProgramSettings settings)
    : m_host(host), m_settings(std::move(settings)) {}

void Program::End() {
    if (ended)
        return;
    ended = true;
    if (onEnd)
        onEnd();
}
