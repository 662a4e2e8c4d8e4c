#include "ReferenceSet.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <stdexcept>

#include "CatalogueTsv.h"
#include "TestDb.h"

namespace {

namespace fs = std::filesystem;

const std::string kSource = VESMAR_SOURCE_DIR;

std::string mdcOf(const std::string& code)
{
    static const std::map<char, std::string> byChapter{
        {'A', "18"}, {'B', "18"}, {'C', "17"}, {'D', "16"}, {'E', "10"}, {'F', "19"}, {'G', "01"},
        {'H', "02"}, {'I', "05"}, {'J', "04"}, {'K', "06"}, {'L', "09"}, {'M', "08"}, {'N', "11"},
        {'O', "14"}, {'P', "15"}, {'Q', "13"}, {'R', "23"}, {'S', "21"}, {'T', "22"}, {'U', "25"},
        {'V', "24"}, {'W', "24"}, {'X', "24"}, {'Y', "24"}, {'Z', "23"}};
    const auto it = byChapter.find(code.empty() ? ' ' : code[0]);
    return it == byChapter.end() ? "99" : it->second;
}

std::string two(unsigned n) { return (n < 10 ? "0" : "") + std::to_string(n); }

std::string withoutDots(std::string code)
{
    std::erase(code, '.');
    return code;
}

// Writes DG1, complexcl, complcat and drglogic as a data set folder that
// scripts/refdb loads; the catalogue itself comes from scripts/refdb load-icd10cm.
void writeReferenceSet(const Catalogue& cat, const fs::path& dir)
{
    fs::create_directories(dir);
    std::mt19937 rng(20240601);
    auto chance = [&](unsigned percent) { return rng() % 100 < percent; };

    std::ofstream dg1(dir / "DG1.tsv"), excl(dir / "complexcl.tsv"), ccat(dir / "complcat.tsv"),
        logic(dir / "drglogic.tsv"), names(dir / "drgnames.tsv"), weights(dir / "DRGWeight.tsv");
    dg1 << "code\tvartype\tvarval\n";
    excl << "code\tcompl\n";
    ccat << "compl\tinclprop\n";
    names << "drg\tenglish\n";
    weights << "DRG\tweight\n";
    logic << "icd\tmdc\tdgcat1\tpdgprop\tprocpro1\tor\tsex\tagelim\tdgprop1\tdgprop2\tdgprop3\tdgprop4\tcompl\tdisch"
             "\tdur\tdrg\n";

    std::set<std::string> mdcs;
    std::map<std::string, std::set<std::string>> categoriesOf; // MDC -> DGCATs
    std::vector<std::string> allMdcs;
    for (const std::string& code : cat.codes)
        mdcs.insert(mdcOf(code));
    allMdcs.assign(mdcs.begin(), mdcs.end());

    for (const std::string& code : cat.codes) {
        const std::string key = withoutDots(code);
        const std::string mdc = mdcOf(code);
        const std::string category = code.substr(0, 3);
        const std::string dgcat = mdc + "M" + two(unsigned(std::hash<std::string>{}(category) % 12 + 1));
        categoriesOf[mdc].insert(dgcat);
        dg1 << key << "\tDGCAT\t" << dgcat << "\n";
        if (chance(10))
            dg1 << key << "\tPDGPRO\t" << mdc << "P" << rng() % 3 + 1 << "\n";
        for (int k = 0; k < (chance(50) ? (chance(20) ? 2 : 1) : 0); ++k) {
            const std::string& where = chance(80) ? mdc : allMdcs[rng() % allMdcs.size()];
            dg1 << key << "\tDGPROP\t" << where << "D" << rng() % 4 + 1 << "\n";
        }
        if (chance(15)) {
            const unsigned kind = rng() % 100;
            std::string complValue;
            if (kind < 3)
                complValue = "00C00";
            else if (kind < 15)
                complValue = mdc + "I0" + std::to_string(rng() % 3 + 1);
            else
                complValue = mdc + "C0" + std::to_string(rng() % 5 + 1);
            dg1 << key << "\tCOMPL\t" << complValue << "\n";
            if (complValue[2] == 'C' && complValue != "00C00") {
                excl << key << "\t" << complValue << "\n"; // no code is its own complication
                for (int k = 0; k < 3; ++k)
                    excl << withoutDots(cat.codes[rng() % cat.codes.size()]) << "\t" << complValue << "\n";
            }
        }
    }

    unsigned drg = 0;
    std::set<std::string> reported;
    auto rule = [&](const std::string& icd, const std::string& mdc, const std::string& dgcat,
                    std::map<std::string, std::string> more) {
        auto col = [&](const char* name) {
            const auto it = more.find(name);
            return it == more.end() ? std::string("\\N") : it->second;
        };
        logic << icd << "\t" << mdc << "\t" << dgcat << "\t" << col("pdgprop") << "\t" << col("procpro1") << "\t"
              << col("or") << "\t" << col("sex") << "\t" << col("agelim") << "\t" << col("dgprop1") << "\t"
              << col("dgprop2") << "\t\\N\t\\N\t" << col("compl") << "\t" << col("disch") << "\t" << col("dur")
              << "\t" << mdc << two(++drg % 100) << "\n";
        // Every DRG a rule gives has a name and a weight, so the report finds them.
        const std::string code = mdc + two(drg % 100);
        if (reported.insert(code).second) {
            names << code << "\tGroup " << code << "\n";
            weights << code << "\t" << 0.2 + double(rng() % 5000) / 1000.0 << "\n";
        }
    };
    for (const std::string& mdc : allMdcs) {
        for (unsigned i = 1; i <= 3; ++i)
            ccat << mdc << "I0" << i << "\t" << mdc << "D" << i << "\n";
        rule("+", mdc, "\\N", {{"disch", "L"}});
        for (const std::string& g : categoriesOf[mdc]) {
            rule("-", mdc, g, {});
            rule("+", mdc, g, {{"procpro1", "OP1"}, {"or", "+"}});
            rule("+", mdc, g, {{"pdgprop", mdc + "P1"}, {"or", "-"}, {"compl", "1"}});
            rule("+", mdc, g, {{"pdgprop", mdc + "P2"}});
            rule("+", mdc, g, {{"dgprop1", mdc + "D1"}, {"dgprop2", mdc + "D2"}});
            rule("+", mdc, g, {{"agelim", "-6570"}, {"compl", "1"}});
            rule("+", mdc, g, {{"disch", "E"}, {"dur", "-3"}});
            rule("+", mdc, g, {{"sex", "F"}, {"dgprop1", mdc + "D3"}});
            rule("+", mdc, g, {{"compl", "1"}, {"agelim", "23725"}});
            rule("+", mdc, g, {{"dur", "30"}});
            rule("+", mdc, g, {{"or", "-"}, {"compl", "0"}, {"dgprop1", mdc + "D4"}});
        }
        rule("+", mdc, "\\N", {{"compl", "1"}});
        rule("+", mdc, "\\N", {});
    }
    std::printf("reference set: %zu catalogue codes, %u decision rules, %zu MDCs\n", cat.codes.size(), drg,
                allMdcs.size());
}

} // namespace

Catalogue readCatalogue()
{
    Catalogue c;
    for (CatalogueTsvRow& row : ReadCatalogueTsv(DefaultCatalogueTsvPath())) {
        c.codes.push_back(std::move(row.code));
        c.texts.push_back(std::move(row.text));
    }
    return c;
}

void loadReferenceSet(const Catalogue& cat, const std::string& database)
{
    const fs::path dir = fs::temp_directory_path() / ("vesmar-" + database);
    writeReferenceSet(cat, dir);
    const std::string script = "'" + kSource + "/scripts/refdb'";
    const std::string load = script + " load '" + dir.string() + "' " + database + " >/dev/null && " + script +
                             " load-icd10cm " + database + " >/dev/null";
    if (std::system(load.c_str()) != 0)
        throw std::runtime_error("loading the reference set failed: " + load);
    fs::remove_all(dir);
    const auto counts = testdb::query("SELECT (SELECT COUNT(*) FROM icd), (SELECT COUNT(*) FROM DG1), "
                                      "(SELECT COUNT(*) FROM complexcl), (SELECT COUNT(*) FROM drglogic)",
                                      database);
    std::printf("loaded into %s: icd %s, DG1 %s, complexcl %s, drglogic %s rows\n", database.c_str(), counts.at(0).at(0).c_str(),
                counts.at(0).at(1).c_str(), counts.at(0).at(2).c_str(), counts.at(0).at(3).c_str());
}

std::string entry(const Catalogue& cat, std::size_t i)
{
    return cat.codes[i] + std::string(cat.codes[i].size() == 3 ? 7 : 4, ' ') + cat.texts[i];
}
