#include "ReferenceConnection.h"

#include <string_view>

#include "CDBException.h"
#include "CDatabase.h"
#include "CRegistry.h"
#include "MessageSink.h"
#include "StringTable.h"

namespace {

// A value as the driver reads it back unchanged: as stored, or, when it holds
// a character that would end or open a value, in braces with "}" doubled.
std::string connectValue(std::string_view value)
{
    if (value.find_first_of(";{}") == std::string_view::npos)
        return std::string(value);
    std::string braced = "{";
    for (char c : value) {
        if (c == '}')
            braced += '}';
        braced += c;
    }
    braced += '}';
    return braced;
}

// "dbserver:3307" is the host dbserver on port 3307. Only a port of digits
// after the one colon counts, so an IPv6 address stays a host.
std::string serverPart(std::string_view host)
{
    const std::size_t colon = host.find(':');
    if (colon != std::string_view::npos && colon > 0 && host.find(':', colon + 1) == std::string_view::npos) {
        const std::string_view port = host.substr(colon + 1);
        if (!port.empty() && port.size() <= 5 && port.find_first_not_of("0123456789") == std::string_view::npos)
            return "SERVER=" + connectValue(host.substr(0, colon)) + ";PORT=" + std::string(port);
    }
    return "SERVER=" + connectValue(host);
}

// Runs open (an OpenEx or a Reopen of db). A database error shows string
// 32775 and then the error's own text; an open refused without an error
// shows string 32775 alone.
template <typename Open>
bool openTelling(CDatabase& db, IMessageSink& sink, Open open)
{
    try {
        open();
    } catch (const CDBException& e) {
        sink.showMessage(LoadString(IDS_CONNECTION_FAILED));
        sink.showMessage(e.m_strError);
        return false;
    }
    if (!db.IsOpen())
        sink.showMessage(LoadString(IDS_CONNECTION_FAILED));
    return db.IsOpen();
}

} // namespace

std::string BuildConnectString(bool settingsRead, const std::string& host, const std::string& user,
                               const std::string& password)
{
    std::string connect = "DRIVER={MySQL ODBC 3.51 Driver};DATABASE=Vesmar;";
    if (settingsRead)
        connect += serverPart(host) + ";UID=" + connectValue(user) + ";PASSWORD=" + connectValue(password);
    else
        connect += ";;";
    return connect;
}

bool OpenReferenceDatabase(CDatabase& db, IMessageSink& sink)
{
    std::string host, user, password;
    bool read = CRegistry().ReadSettings(host, user, password);
    const std::string connect = BuildConnectString(read, host, user, password);
    return openTelling(db, sink, [&] { return db.OpenEx(connect, CDatabase::openReadOnly); });
}

bool EnsureConnected(CDatabase& db, IMessageSink& sink)
{
    if (db.IsOpen())
        return true;
    return openTelling(db, sink, [&] { return db.Reopen(); });
}
