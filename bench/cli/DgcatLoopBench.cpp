// The bare statement rate of the cursor layer: the engine's DGCAT look-up
// (open a snapshot, read varval, close) in a loop on one connection opened
// as the tool opens it, for comparison with the batch's statement rate.
//
//   vesmar_cli_bench_dgcat DATASET_DIR [STATEMENTS]
//
// The codes come from DATASET_DIR/DG1.tsv, taken in a stride over the file
// so that consecutive statements ask for different codes.
#include <chrono>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "CDatabase.h"
#include "CRecordset.h"
#include "MessageSink.h"
#include "ReferenceConnection.h"

namespace {

class CStderrMessages : public IMessageSink {
public:
    void showMessage(const std::string& text, MessageIcon, const std::string&) override { std::cerr << text << '\n'; }
};

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        std::cerr << "usage: vesmar_cli_bench_dgcat DATASET_DIR [STATEMENTS]\n";
        return 2;
    }
    const long statements = argc == 3 ? std::stol(argv[2]) : 20000;
    std::vector<std::string> codes;
    std::ifstream dg1(std::string(argv[1]) + "/DG1.tsv");
    std::string line;
    std::getline(dg1, line);
    while (std::getline(dg1, line))
        if (line.find("\tDGCAT\t") != std::string::npos)
            codes.push_back(line.substr(0, line.find('\t')));
    if (codes.empty()) {
        std::cerr << "no DGCAT rows in " << argv[1] << "/DG1.tsv\n";
        return 1;
    }

    CStderrMessages messages;
    CDatabase db;
    if (!OpenReferenceDatabase(db, messages))
        return 1;
    CRecordset set(&db);
    std::size_t found = 0;
    const auto start = std::chrono::steady_clock::now();
    for (long i = 0; i < statements; ++i) {
        const std::string& code = codes[(static_cast<std::size_t>(i) * 7919) % codes.size()];
        set.Open("SELECT varval FROM DG1 WHERE vartype = 'DGCAT' AND code = '" + code + "';");
        if (!set.IsBOF()) {
            std::string value;
            set.GetFieldValue("varval", value);
            found += !value.empty();
        }
        set.Close();
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::cout << "DGCAT loop: " << statements << " statements in " << seconds << " s = "
              << static_cast<long>(statements / seconds) << " statements/s (" << found << " found)\n";
    return found == static_cast<std::size_t>(statements) ? 0 : 1;
}
