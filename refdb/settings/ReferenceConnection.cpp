#include "ReferenceConnection.h"

#include "CDBException.h"
#include "CDatabase.h"
#include "CRegistry.h"
#include "MessageSink.h"
#include "StringTable.h"

namespace {

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
        connect += "SERVER=" + host + ";UID=" + user + ";PASSWORD=" + password;
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
