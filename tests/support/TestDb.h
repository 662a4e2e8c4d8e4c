#pragma once

#include <string>
#include <vector>

#include "MessageSink.h"

// Access to the project's private MariaDB server for tests. scripts/refdb
// start exports VESMAR_DB_PORT, VESMAR_DB_SOCKET and ODBCSYSINI; a test that
// needs the server fails (never skips) when they are missing.
namespace testdb {

// Runs SQL through the mariadb client as the server's root user, in database
// (none when empty). Throws std::runtime_error with the client's output.
void exec(const std::string& sql, const std::string& database = "");

// Runs a query through the client and returns its rows, columns split by tab
// (--batch --raw --skip-column-names).
std::vector<std::vector<std::string>> query(const std::string& sql, const std::string& database = "");

// Drops and creates database name with the reference schema (refdb/schema.sql).
void createReferenceDatabase(const std::string& name);

// Connect string through the registered driver name to database on the test
// server, as the root user (tests create their own fixture tables).
std::string connectString(const std::string& database);

// The server's port and socket, from the environment.
std::string port();
std::string socket();

} // namespace testdb

// Records every message instead of showing it.
class CRecordingSink : public IMessageSink {
public:
    struct Message {
        std::string text;
        MessageIcon icon;
        std::string caption;
    };
    void showMessage(const std::string& text, MessageIcon icon, const std::string& caption) override
    {
        messages.push_back({text, icon, caption});
    }
    std::vector<Message> messages;
};
