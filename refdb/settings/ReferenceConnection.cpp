#include "ReferenceConnection.h"

#include "CDBException.h"
#include "CDatabase.h"
#include "CRegistry.h"
#include "MessageSink.h"
#include "StringTable.h"

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
    try {
        db.OpenEx(BuildConnectString(read, host, user, password), CDatabase::openReadOnly | CDatabase::noOdbcDialog);
    } catch (const CDBException& e) {
        sink.showMessage(LoadString(IDS_CONNECTION_FAILED));
        sink.showMessage(e.m_strError);
        return false;
    }
    if (!db.IsOpen())
        sink.showMessage(LoadString(IDS_CONNECTION_FAILED));
    return db.IsOpen();
}
