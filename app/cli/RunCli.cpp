#include "CCommandLine.h"
#include "CUsageError.h"
#include "Commands.h"

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    try {
        const CCommandLine line = CCommandLine::Parse(args);
        if (line.helpWanted()) {
            out << UsageText();
            return kExitOk;
        }
        return FindCliCommand(line.command())->run(line, out, err);
    } catch (const CUsageError& e) {
        err << "vesmar-cli: " << e.what() << "\nTry 'vesmar-cli --help' for the usage.\n";
        return kExitUsage;
    }
}
