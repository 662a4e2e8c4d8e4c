#include "CliSupport.h"

#include <chrono>

#include "CCountingSink.h"
#include "CDBException.h"
#include "CDatabase.h"
#include "CFileException.h"
#include "CStderrSink.h"
#include "CVesmarDoc.h"
#include "ReferenceConnection.h"
#include "StringTable.h"

std::string DatabaseErrorText(const CDBException& error)
{
    if (CStderrSink::OneLine(error.m_strError).empty())
        return "Database error " + std::to_string(error.m_nRetCode) + ".";
    return error.m_strError;
}

bool OpenReferenceDatabase(CDatabase& db, IMessageSink& sink)
{
    CCountingSink counting(sink);
    if (ConnectDatabase(db, counting))
        return true;
    if (counting.count() == 0)
        sink.showMessage(LoadString(IDS_CONNECTION_FAILED));
    return false;
}

bool OpenCaseFile(CVesmarDoc& doc, const std::string& path, IMessageSink& sink)
{
    doc.OnNewDocument();
    return doc.OnOpenDocument(path, sink) == CVesmarDoc::OpenResult::Opened;
}

bool ParseIsoDate(const std::string& text, double& days)
{
    using namespace std::chrono;
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return false;
    for (std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (text[i] < '0' || text[i] > '9')
            return false;
    const int y = std::stoi(text.substr(0, 4));
    // The years an OLE Automation date can hold.
    if (y < 100)
        return false;
    const year_month_day date{year{y}, month{static_cast<unsigned>(std::stoi(text.substr(5, 2)))},
                              day{static_cast<unsigned>(std::stoi(text.substr(8, 2)))}};
    if (!date.ok())
        return false;
    constexpr sys_days oleEpoch = year{1899} / December / 30;
    days = static_cast<double>((sys_days{date} - oleEpoch).count());
    return true;
}

std::string FileErrorText(int err, const std::string& path)
{
    return CFileException::FromErrno(err, path).UserMessage();
}
