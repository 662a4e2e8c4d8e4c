#include "Commands.h"

// Every command of the tool in one place: its name, how many file names it
// takes, its options, its handler and its block of the usage text.
const std::vector<CliCommand>& CliCommands()
{
    static const std::vector<CliCommand> commands = {
        {"group", 1, {"--discharge", "--duration"}, {"--explain"}, RunGroup,
         R"(  group [--discharge CODE] [--duration N] [--explain] FILE.drg
      Groups the case file as the Process button does and prints the
      result box's lines, highest weight first.
        --discharge CODE  E, R, L or empty (default: empty, not discharged)
        --duration N      length of stay in days, read like the form's edit:
                          the leading digits, 0 without any (default 0)
        --explain         before the report, for each pass: the primary
                          diagnosis, DGCAT, MDC, PDGPRO and DGPROP values,
                          the complication found and the deciding rule row
      The form's "date accepted" flags come from the file: the birth date
      counts as accepted when the file's birth-date flag is 1, the admission
      date when the file's admission date is valid (the file keeps no flag
      for it; after opening such a file the window shows and accepts it).
)"},
        {"batch", 1, {"-o"}, {}, RunBatch,
         R"(  batch IN.csv [-o OUT.csv]
      Groups every case of a CSV file (RFC 4180) on one connection. Header:
        id,birthdate,admission,sex,discharge,duration,diagnoses,bidiagnoses
      dates YYYY-MM-DD, sex M or F, discharge E, R, L or empty, duration as
      for group, diagnoses and bidiagnoses as catalogue codes (A01.2)
      separated by '|'. Writes (standard output unless -o) the header
        id,rank,diagnosis,drg,name,weight,error
      and a row per report line (rank 1, 2, ...; a case without diagnoses
      has none), or one row with rank 0 and the message in error for a
      failed case (a malformed line: its line number and the problem). A
      failed case does not stop the batch. Output lines end in LF; input
      lines may end in CRLF or LF.
)"},
        {"show", 1, {}, {}, RunShow,
         R"(  show FILE.drg
      Prints the case file as one JSON object: reserved, sex, chosen, bi,
      birth and admission (status, days), birthSet. Day numbers that are
      not finite are written as the strings "NaN", "Infinity", "-Infinity".
)"},
        {"resave", 2, {}, {}, RunResave,
         R"(  resave IN.drg OUT.drg
      Reads the case file and writes it again as the window's Save does.
)"},
        {"catalogue", 0, {}, {}, RunCatalogue,
         R"(  catalogue
      Loads the diagnosis catalogue as the window's start-up does and prints
      its entries in catalogue order, one per line.
)"},
    };
    return commands;
}

const CliCommand* FindCliCommand(const std::string& name)
{
    for (const CliCommand& command : CliCommands())
        if (name == command.name)
            return &command;
    return nullptr;
}

const std::string& UsageText()
{
    static const std::string text = [] {
        std::string usage = R"(Usage: vesmar-cli COMMAND [OPTIONS] FILE...

Groups, batch-groups and inspects Vesmar cases without the window, on the
reference database the window program uses: the connection settings Host,
User and Password of Orbel/Vesmar.conf (under the first folder of
XDG_CONFIG_DIRS, default /etc/xdg), the same ODBC driver, read-only.

Commands:
)";
        for (std::size_t i = 0; i < CliCommands().size(); ++i)
            usage += (i ? "\n" : "") + CliCommands()[i].usage;
        return usage + R"(
Output is UTF-8. Messages the window shows in boxes go to standard error,
one per line. batch and catalogue draw a progress bar there, only when it is
a terminal.

Exit status: 0 success; 1 the work failed (connection, database error,
unreadable file, date check, any failed case of a batch); 2 usage error.
)";
    }();
    return text;
}
