#include "OwnServer.h"

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace testdb {
namespace {

std::string required(const char* name)
{
    const char* value = std::getenv(name);
    if (!value || !*value)
        throw std::runtime_error(std::string(name) + " is not set: source the env file of scripts/refdb start");
    return value;
}

} // namespace

COwnServer::COwnServer()
    : m_state(required("VESMAR_REFDB_DIR") + "-own")
    , m_port(std::to_string(std::stol(required("VESMAR_DB_PORT")) + 100))
{
}

COwnServer::~COwnServer()
{
    try {
        if (m_bPaused)
            resume();
        stop();
    } catch (const std::exception&) {
        // Nothing more to do for a server that is gone already.
    }
}

void COwnServer::refdb(const std::string& command) const
{
    // The script's messages need no locale (the test's may not be installed).
    const std::string line = "LC_ALL=C VESMAR_REFDB_DIR='" + m_state + "' VESMAR_DB_PORT=" + m_port + " bash '" +
                             VESMAR_SOURCE_DIR "/scripts/refdb' " + command + " >'" + m_state + ".log' 2>&1";
    if (std::system(line.c_str()) != 0)
        throw std::runtime_error("scripts/refdb " + command + " failed for the test's own server; see " + m_state +
                                 ".log");
}

long COwnServer::pid() const
{
    std::ifstream file(m_state + "/mariadb.pid");
    long value = 0;
    if (!(file >> value) || value <= 0)
        throw std::runtime_error("the test's own server has no pid file");
    return value;
}

void COwnServer::start()
{
    refdb("start");
}

void COwnServer::stop()
{
    refdb("stop");
}

void COwnServer::pause()
{
    if (kill(pid_t(pid()), SIGSTOP) != 0)
        throw std::runtime_error("cannot pause the test's own server");
    m_bPaused = true;
}

void COwnServer::resume()
{
    if (kill(pid_t(pid()), SIGCONT) != 0)
        throw std::runtime_error("cannot resume the test's own server");
    m_bPaused = false;
}

std::string COwnServer::connectString() const
{
    return "DRIVER={MySQL ODBC 3.51 Driver};DATABASE=Vesmar;SERVER=127.0.0.1;PORT=" + m_port +
           ";UID=vesmar;PASSWORD=vesmar";
}

std::map<std::string, std::string> COwnServer::cliEnvironment() const
{
    return {{"ODBCSYSINI", m_state}, {"XDG_CONFIG_DIRS", m_state + "/xdg"}, {"MYSQL_TCP_PORT", m_port}};
}

} // namespace testdb
