#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

// The tool's command line: a command, its options and its operands.
// Options take their value as the next argument or after '=' (--duration=3);
// a few flags may carry a value after '=' (--explain=json), which value()
// then gives. "--" ends the options. --help or -h anywhere asks for the usage.
class CCommandLine {
public:
    // Throws CUsageError for an unknown command or option, a missing option
    // value or a wrong number of operands.
    static CCommandLine Parse(const std::vector<std::string>& args);

    bool helpWanted() const { return m_bHelp; }
    const std::string& command() const { return m_strCommand; }
    const std::vector<std::string>& operands() const { return m_operands; }
    bool hasFlag(const std::string& name) const { return m_flags.count(name) != 0; }
    // The option's value, or fallback when it was not given.
    std::string value(const std::string& name, const std::string& fallback = std::string()) const;
    bool hasValue(const std::string& name) const { return m_values.count(name) != 0; }

private:
    bool m_bHelp = false;
    std::string m_strCommand;
    std::vector<std::string> m_operands;
    std::map<std::string, std::string> m_values;
    std::set<std::string> m_flags;
};
