#include "TestDb.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace testdb {
namespace {

std::string env(const char* name)
{
    const char* v = std::getenv(name);
    if (!v || !*v)
        throw std::runtime_error(std::string(name) +
                                 " is not set: start the test server with scripts/refdb start and source its env");
    return v;
}

// Runs the client with sql on standard input; returns its standard output.
std::string runClient(const std::string& sql, const std::string& database, bool batch)
{
    char inPath[] = "/tmp/vesmar-sql-XXXXXX";
    int fd = mkstemp(inPath);
    if (fd < 0)
        throw std::runtime_error("cannot create a temporary file");
    {
        std::ofstream in(inPath, std::ios::binary);
        in << sql;
    }
    close(fd);
    std::string cmd = "mariadb --no-defaults --default-character-set=utf8mb4 -u root --socket='" + socket() + "'";
    if (batch)
        cmd += " --batch --raw --skip-column-names";
    if (!database.empty())
        cmd += " '" + database + "'";
    cmd += std::string(" < '") + inPath + "' 2>&1";
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) {
        unlink(inPath);
        throw std::runtime_error("cannot run the mariadb client");
    }
    std::string out;
    std::array<char, 4096> buf{};
    size_t n;
    while ((n = fread(buf.data(), 1, buf.size(), p)) > 0)
        out.append(buf.data(), n);
    int status = pclose(p);
    unlink(inPath);
    if (status != 0)
        throw std::runtime_error("mariadb client failed: " + out);
    return out;
}

} // namespace

std::string port() { return env("VESMAR_DB_PORT"); }
std::string socket() { return env("VESMAR_DB_SOCKET"); }

void exec(const std::string& sql, const std::string& database)
{
    runClient(sql, database, false);
}

std::vector<std::vector<std::string>> query(const std::string& sql, const std::string& database)
{
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(runClient(sql, database, true));
    std::string line;
    while (std::getline(lines, line)) {
        std::vector<std::string> cols;
        std::size_t start = 0;
        for (;;) {
            std::size_t tab = line.find('\t', start);
            cols.push_back(line.substr(start, tab - start));
            if (tab == std::string::npos)
                break;
            start = tab + 1;
        }
        rows.push_back(std::move(cols));
    }
    return rows;
}

void createReferenceDatabase(const std::string& name)
{
    std::ifstream schema(VESMAR_SOURCE_DIR "/refdb/schema.sql");
    if (!schema)
        throw std::runtime_error("refdb/schema.sql not found");
    std::stringstream text;
    text << schema.rdbuf();
    exec("DROP DATABASE IF EXISTS `" + name + "`; CREATE DATABASE `" + name + "` CHARACTER SET utf8mb4;");
    exec(text.str(), name);
}

std::string connectString(const std::string& database)
{
    return "DRIVER={MySQL ODBC 3.51 Driver};SERVER=127.0.0.1;PORT=" + port() + ";DATABASE=" + database +
           ";UID=root;PASSWORD=";
}

} // namespace testdb
