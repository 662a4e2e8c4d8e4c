#pragma once

#include <ostream>
#include <set>
#include <string>
#include <vector>

class CCommandLine;

// Exit statuses of the tool.
enum ExitStatus : int { kExitOk = 0, kExitFailed = 1, kExitUsage = 2 };

// The whole tool: parses args (without the program name), runs the command
// and returns the exit status. Output goes to out, messages and the usage
// after a usage error to err.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

const std::string& UsageText();

// One command of the tool.
struct CliCommand {
    const char* name;
    std::size_t operands;                 // file names it takes
    std::set<std::string> valueOptions;   // options that take a value
    std::set<std::string> flagOptions;    // options that take none
    int (*run)(const CCommandLine& line, std::ostream& out, std::ostream& err);
    std::string usage;                    // its block of the usage text
};

const std::vector<CliCommand>& CliCommands();
// The command of that name, or null.
const CliCommand* FindCliCommand(const std::string& name);

// The commands; each returns the exit status and throws CUsageError for an
// option value it cannot take.
int RunGroup(const CCommandLine& line, std::ostream& out, std::ostream& err);
int RunBatch(const CCommandLine& line, std::ostream& out, std::ostream& err);
int RunShow(const CCommandLine& line, std::ostream& out, std::ostream& err);
int RunResave(const CCommandLine& line, std::ostream& out, std::ostream& err);
int RunCatalogue(const CCommandLine& line, std::ostream& out, std::ostream& err);
