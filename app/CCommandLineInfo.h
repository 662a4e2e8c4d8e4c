#pragma once

#include <string>
#include <vector>

// The program's command line: one case file to open or print, or one of the
// standard options. Arguments are file-system bytes.
class CCommandLineInfo {
public:
    enum ShellCommand { FileNew, FileOpen, FilePrint, FilePrintTo, AppUnregister };

    // Takes the arguments one by one (without the program's name). An
    // argument beginning with "-" is an option, compared without that
    // character; so is one beginning with "/" when the rest is one of the
    // option names: on this platform "/" also begins every absolute path.
    // Unknown options are ignored. The first argument that is no option is
    // the file name; after "pt" the next three are printer, driver and port.
    void ParseCommandLine(const std::vector<std::string>& args);

    ShellCommand m_nShellCommand = FileNew;
    std::string m_strFileName;
    std::string m_strPrinterName;
    std::string m_strDriverName;
    std::string m_strPortName;
    bool m_bRunEmbedded = false;
    bool m_bRunAutomated = false;

private:
    // False when param is not an option this program knows.
    bool ParseOption(const std::string& param);
    void ParseFileArgument(const std::string& param);
};
