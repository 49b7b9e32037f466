#include "frame/program.h"

Program::Program(Host &host, ProgramSettings settings) : m_host(host), m_settings(std::move(settings))
{
}
