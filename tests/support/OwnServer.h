#pragma once

#include <map>
#include <string>

// A MariaDB server of a test's own, beside the shared test server: its own
// state folder (under the shared one's, "-own" appended) and port (the
// shared port + 100), set up by scripts/refdb with the sample data. The test
// may stop and start it, and pause it (SIGSTOP: it keeps its connections and
// answers nothing) and resume it. When the object goes, the server is
// resumed if need be and stopped.
namespace testdb {

class COwnServer {
public:
    COwnServer();
    ~COwnServer();
    COwnServer(const COwnServer&) = delete;
    COwnServer& operator=(const COwnServer&) = delete;

    // Each throws std::runtime_error when scripts/refdb fails.
    void start();
    void stop();
    void pause();
    void resume();

    bool isPaused() const { return m_bPaused; }
    const std::string& port() const { return m_port; }
    // A connect string of the program's kind for the program's account on
    // it, with the port named.
    std::string connectString() const;
    // The environment that points vesmar-cli at this server: its driver
    // registration, its settings file and its port.
    std::map<std::string, std::string> cliEnvironment() const;

private:
    void refdb(const std::string& command) const;
    long pid() const;

    std::string m_state;
    std::string m_port;
    bool m_bPaused = false;
};

} // namespace testdb
