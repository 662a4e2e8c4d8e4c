#pragma once

#include <string>

class CDatabase;
class IMessageSink;

// The connect string of the reference database: driver, database, then the
// host, user and password parts. When the settings were read each part is
// its prefix and the stored value (an empty value leaves the prefix alone);
// when they were not, the three parts are empty. A value holding ";", "{" or
// "}" is written in braces, so no stored value can end its part or add
// another; every other value stands exactly as stored. A host "name:port"
// with a port of digits gives "SERVER=name;PORT=port".
std::string BuildConnectString(bool settingsRead, const std::string& host, const std::string& user,
                               const std::string& password);

// Reads the stored settings and opens db read-only without prompting. On a
// database error the user is shown string 32775 and then the error's own
// text; an open refused without an error shows string 32775 alone. True
// when the connection is open.
bool OpenReferenceDatabase(CDatabase& db, IMessageSink& sink);

// The first step of every command that needs the reference database (the
// window's Process, each case of vesmar-cli batch): a connection that is
// not open, because its first open failed or because a statement found it
// lost since, is opened again with the connect string and options of that
// first open (the settings are not read again), with the messages of
// OpenReferenceDatabase when that fails; the command then ends there. A
// command never calls it again part-way: a report comes from one
// connection's answers or not at all. True when the connection is open.
bool EnsureConnected(CDatabase& db, IMessageSink& sink);
