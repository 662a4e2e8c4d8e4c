#include "CCommandLine.h"

#include "CUsageError.h"

namespace {

struct CommandSyntax {
    const char* name;
    std::size_t operands;
    std::set<std::string> valueOptions;
    std::set<std::string> flagOptions;
};

const std::vector<CommandSyntax>& syntax()
{
    static const std::vector<CommandSyntax> commands = {
        {"group", 1, {"--discharge", "--duration"}, {"--explain"}},
        {"batch", 1, {"-o"}, {}},
        {"show", 1, {}, {}},
        {"resave", 2, {}, {}},
        {"catalogue", 0, {}, {}},
    };
    return commands;
}

} // namespace

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
    const CommandSyntax* command = nullptr;
    for (const CommandSyntax& candidate : syntax())
        if (line.m_strCommand == candidate.name)
            command = &candidate;
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
    // Opened as it is, an empty name gives a message about a file without a name.
    for (const std::string& operand : line.m_operands)
        if (operand.empty())
            throw CUsageError("a file name is empty");
    for (const auto& [name, value] : line.m_values)
        if (name == "-o" && value.empty())
            throw CUsageError("the file name of -o is empty");
    return line;
}

std::string CCommandLine::value(const std::string& name, const std::string& fallback) const
{
    auto it = m_values.find(name);
    return it == m_values.end() ? fallback : it->second;
}
