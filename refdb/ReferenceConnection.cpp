#include "ReferenceConnection.h"

#include "CDBException.h"
#include "CDatabase.h"
#include "CRegistry.h"
#include "MessageSink.h"
#include "StringTable.h"

namespace {

// Runs open (an OpenEx or a Reopen of db); a database error shows string
// 32775 and then the error's own text. noErrorMessage: whether an open that
// made no connection without any error shows 32775 as well.
template <typename Open>
bool openTelling(CDatabase& db, IMessageSink& sink, bool noErrorMessage, Open open)
{
    try {
        if (open())
            return true;
        if (noErrorMessage)
            sink.showMessage(LoadString(IDS_CONNECTION_FAILED));
    } catch (const CDBException& e) {
        sink.showMessage(LoadString(IDS_CONNECTION_FAILED));
        sink.showMessage(e.m_strError);
    }
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

bool ConnectDatabase(CDatabase& db, IMessageSink& sink)
{
    std::string host, user, password;
    bool read = CRegistry().ReadSettings(host, user, password);
    const std::string connect = BuildConnectString(read, host, user, password);
    return openTelling(db, sink, false, [&] { return db.OpenEx(connect, CDatabase::openReadOnly); });
}

bool EnsureConnected(CDatabase& db, IMessageSink& sink)
{
    if (db.IsOpen())
        return true;
    return openTelling(db, sink, true, [&] { return db.Reopen(); });
}
