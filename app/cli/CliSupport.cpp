#include "CliSupport.h"

#include <chrono>

#include "CDBException.h"
#include "CDatabase.h"
#include "CFileException.h"
#include "CStderrSink.h"
#include "CVesmarDoc.h"
#include "DateValue.h"
#include "StringTable.h"

std::string DatabaseErrorText(const CDBException& error)
{
    if (CStderrSink::OneLine(error.m_strError).empty())
        return "Database error " + std::to_string(error.m_nRetCode) + ".";
    return error.m_strError;
}

void CKeptMessages::showMessage(const std::string& text, MessageIcon icon, const std::string& caption)
{
    const std::string line = CStderrSink::OneLine(text);
    if (!line.empty())
        m_strText += (m_strText.empty() ? "" : " ") + line;
    m_target.showMessage(text, icon, caption);
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
    const CivilDate date{std::stoi(text.substr(0, 4)), static_cast<unsigned>(std::stoi(text.substr(5, 2))),
                         static_cast<unsigned>(std::stoi(text.substr(8, 2)))};
    // The years an OLE Automation date can hold.
    if (date.year < 100)
        return false;
    if (!year_month_day{year{date.year}, month{date.month}, day{date.day}}.ok())
        return false;
    days = static_cast<double>(DayNumberOf(date));
    return true;
}

std::string FileErrorText(int err, const std::string& path)
{
    return CFileException::FromErrno(err, path).UserMessage();
}
