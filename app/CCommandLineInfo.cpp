#include "CCommandLineInfo.h"

#include <algorithm>
#include <cctype>

namespace {

bool equalsIgnoringCase(const std::string& a, const char* b)
{
    const std::string other(b);
    return a.size() == other.size()
        && std::equal(a.begin(), a.end(), other.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

} // namespace

void CCommandLineInfo::ParseCommandLine(const std::vector<std::string>& args)
{
    for (const std::string& arg : args) {
        if (!arg.empty() && arg[0] == '-') {
            ParseOption(arg.substr(1));
        } else if (!arg.empty() && arg[0] == '/') {
            if (!ParseOption(arg.substr(1)))
                ParseFileArgument(arg);
        } else {
            ParseFileArgument(arg);
        }
    }
    if (m_nShellCommand == FileNew && !m_strFileName.empty())
        m_nShellCommand = FileOpen;
}

bool CCommandLineInfo::ParseOption(const std::string& param)
{
    // "p" and "pt" are compared with their letter case, the others without.
    if (param == "pt") {
        m_nShellCommand = FilePrintTo;
    } else if (param == "p") {
        m_nShellCommand = FilePrint;
    } else if (equalsIgnoringCase(param, "Unregister") || equalsIgnoringCase(param, "Unregserver")) {
        m_nShellCommand = AppUnregister;
    } else if (equalsIgnoringCase(param, "dde")) {
        // Accepted for the shell's sake; this program offers no DDE service.
    } else if (equalsIgnoringCase(param, "Embedding")) {
        m_bRunEmbedded = true;
    } else if (equalsIgnoringCase(param, "Automation")) {
        m_bRunAutomated = true;
    } else {
        return false;
    }
    return true;
}

void CCommandLineInfo::ParseFileArgument(const std::string& param)
{
    if (m_strFileName.empty())
        m_strFileName = param;
    else if (m_nShellCommand == FilePrintTo && m_strPrinterName.empty())
        m_strPrinterName = param;
    else if (m_nShellCommand == FilePrintTo && m_strDriverName.empty())
        m_strDriverName = param;
    else if (m_nShellCommand == FilePrintTo && m_strPortName.empty())
        m_strPortName = param;
}
