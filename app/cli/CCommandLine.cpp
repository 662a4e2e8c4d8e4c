#include "CCommandLine.h"

#include "CUsageError.h"
#include "Commands.h"

CCommandLine CCommandLine::Parse(const std::vector<std::string>& args)
{
    CCommandLine line;
    for (const std::string& arg : args) {
        if (arg == "--")
            break;
        if (arg == "--help" || arg == "-h") {
            line.m_bHelp = true;
            return line;
        }
    }
    if (args.empty())
        throw CUsageError("no command given");

    line.m_strCommand = args[0];
    const CliCommand* command = FindCliCommand(line.m_strCommand);
    if (!command)
        throw CUsageError("unknown command '" + line.m_strCommand + "'");

    bool optionsEnded = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            line.m_operands.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        const std::size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        if (command->flagOptions.count(name)) {
            if (equals != std::string::npos)
                throw CUsageError("option " + name + " takes no value");
            line.m_flags.insert(name);
        } else if (command->valueOptions.count(name)) {
            if (equals != std::string::npos)
                line.m_values[name] = arg.substr(equals + 1);
            else if (i + 1 < args.size())
                line.m_values[name] = args[++i];
            else
                throw CUsageError("option " + name + " needs a value");
        } else {
            throw CUsageError("unknown option '" + arg + "' for " + line.m_strCommand);
        }
    }
    if (line.m_operands.size() != command->operands)
        throw CUsageError(line.m_strCommand + " takes " + std::to_string(command->operands) + " file name" +
                          (command->operands == 1 ? "" : "s") + ", " + std::to_string(line.m_operands.size()) +
                          " given");
    return line;
}

std::string CCommandLine::value(const std::string& name, const std::string& fallback) const
{
    auto it = m_values.find(name);
    return it == m_values.end() ? fallback : it->second;
}
