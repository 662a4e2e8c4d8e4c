// Writes the data of the batch benchmark: a reference data set over the
// whole ICD-10-CM catalogue (read from standard input as code<TAB>text
// lines) and a batch input of generated cases.
//
//   vesmar_cli_bench_generate OUTDIR [CASES [zipf]]
//
// With zipf the case codes follow a Zipf distribution (exponent 1) over the
// codes in a fixed shuffled order, as real case mixes are skewed; otherwise
// every code is equally likely.
// OUTDIR/dataset/*.tsv is a data set folder for scripts/refdb; OUTDIR/cases.csv
// the batch input. Everything is derived from the codes and a fixed seed, so
// every run measures the same work.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

struct Code {
    std::string dotted;
    std::string plain; // dots removed, as DG1 keys it
    std::string text;
};

// A stable hash (FNV-1a) so the reference set does not depend on the
// standard library's std::hash.
std::uint32_t hash(const std::string& s, std::uint32_t salt = 0)
{
    std::uint32_t h = 2166136261u ^ salt;
    for (unsigned char c : s) {
        h ^= c;
        h *= 16777619u;
    }
    return h;
}

std::string two(unsigned n)
{
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02u", n);
    return buf;
}

// Backslash is the loader's escape character.
std::string tsv(const std::string& s)
{
    std::string out;
    for (char c : s) {
        if (c == '\\')
            out += '\\';
        out += c;
    }
    return out;
}

constexpr unsigned kMdcs = 25;
constexpr unsigned kCategories = 20;

std::string mdcOf(const Code& c) { return two(1 + hash(c.dotted.substr(0, 3)) % kMdcs); }
std::string categoryOf(const Code& c) { return two(1 + hash(c.dotted.substr(0, 3), 7) % kCategories); }

std::ofstream create(const std::filesystem::path& path, const char* header)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
    out << header << '\n';
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 4 || (argc == 4 && std::string(argv[3]) != "zipf")) {
        std::cerr << "usage: vesmar_cli_bench_generate OUTDIR [CASES [zipf]] < catalogue.tsv\n";
        return 2;
    }
    const bool zipf = argc == 4;
    const std::filesystem::path out = argv[1];
    const int caseCount = argc >= 3 ? std::stoi(argv[2]) : 10000;
    std::filesystem::create_directories(out / "dataset");

    std::vector<Code> codes;
    for (std::string line; std::getline(std::cin, line);) {
        auto tab = line.find('\t');
        if (tab == std::string::npos || tab == 0)
            continue;
        Code c{line.substr(0, tab), {}, line.substr(tab + 1)};
        for (char ch : c.dotted)
            if (ch != '.')
                c.plain += ch;
        codes.push_back(std::move(c));
    }
    if (codes.empty()) {
        std::cerr << "no catalogue lines on standard input\n";
        return 1;
    }

    auto icd = create(out / "dataset/icd.tsv", "Code\tText");
    auto dg1 = create(out / "dataset/DG1.tsv", "code\tvartype\tvarval");
    auto complexcl = create(out / "dataset/complexcl.tsv", "code\tcompl");
    for (const Code& c : codes) {
        icd << tsv(c.dotted) << '\t' << tsv(c.text) << '\n';
        const std::string mdc = mdcOf(c);
        const std::uint32_t h = hash(c.plain, 11);
        dg1 << c.plain << "\tDGCAT\t" << mdc << 'M' << categoryOf(c) << '\n';
        if (h % 10 == 0)
            dg1 << c.plain << "\tPDGPRO\tP" << mdc << static_cast<char>('A' + h / 10 % 2) << '\n';
        if (h % 3 == 0)
            dg1 << c.plain << "\tDGPROP\t" << mdc << 'X' << static_cast<char>('A' + h / 3 % 5) << '\n';
        if (h % 7 == 0)
            dg1 << c.plain << "\tDGPROP\t" << two(1 + h / 7 % kMdcs) << "XA\n";
        const std::uint32_t k = hash(c.plain, 23);
        if (k % 50 == 7)
            dg1 << c.plain << "\tCOMPL\t00C00\n";
        else if (k % 4 == 0)
            dg1 << c.plain << "\tCOMPL\t" << mdc << 'C' << two(k / 4 % 10) << '\n';
        else if (k % 10 == 1)
            dg1 << c.plain << "\tCOMPL\t" << mdc << 'I' << k / 10 % 3 << '\n';
        if (k % 20 == 3)
            for (unsigned v = 0; v < 2; ++v)
                complexcl << c.plain << '\t' << mdc << 'C' << two((k / 20 + v) % 10) << '\n';
    }

    auto complcat = create(out / "dataset/complcat.tsv", "compl\tinclprop");
    for (unsigned m = 1; m <= kMdcs; ++m)
        for (unsigned d = 0; d < 3; ++d)
            complcat << two(m) << 'I' << d << '\t' << two(m) << 'X' << static_cast<char>('A' + d) << '\n';

    // The decision table in priority order: per category the special cases
    // before its own fallback, then per MDC a property rule and a fallback,
    // then one rule for anything left.
    auto logic = create(out / "dataset/drglogic.tsv",
                        "icd\tmdc\tdgcat1\tpdgprop\tprocpro1\tor\tsex\tagelim\tdgprop1\tdgprop2\tdgprop3\tdgprop4\t"
                        "compl\tdisch\tdur\tdrg");
    std::vector<std::string> drgs;
    auto rule = [&](const std::string& mdc, const std::string& dgcat, const std::string& pdgprop,
                    const std::string& agelim, const std::string& dgprop1, const std::string& complFlag,
                    const std::string& disch, const std::string& dur, const std::string& drg) {
        auto v = [](const std::string& s) { return s.empty() ? std::string("\\N") : s; };
        logic << "+\t" << v(mdc) << '\t' << v(dgcat) << '\t' << v(pdgprop) << "\t\\N\t\\N\t\\N\t" << v(agelim) << '\t'
              << v(dgprop1) << "\t\\N\t\\N\t\\N\t" << v(complFlag) << '\t' << v(disch) << '\t' << v(dur) << '\t' << drg
              << '\n';
        drgs.push_back(drg);
    };
    for (unsigned m = 1; m <= kMdcs; ++m) {
        const std::string mdc = two(m);
        for (unsigned c = 1; c <= kCategories; ++c) {
            const std::string dgcat = mdc + "M" + two(c), base = mdc + two(c);
            rule(mdc, dgcat, "", "-365", "", "", "", "", base + "1");
            rule(mdc, dgcat, "", "", "", "1", "E", "", base + "2");
            rule(mdc, dgcat, "", "", mdc + "XA", "1", "", "", base + "3");
            rule(mdc, dgcat, "", "", "", "1", "", "", base + "4");
            rule(mdc, dgcat, "", "", "", "", "", "-3", base + "5");
            rule(mdc, dgcat, "", "", "", "", "", "", base + "6");
        }
        rule(mdc, "", "P" + mdc + "A", "", "", "", "", "", mdc + "P01");
        rule(mdc, "", "", "", "", "", "", "", mdc + "999");
    }
    rule("", "", "", "", "", "", "", "", "99999");

    auto weights = create(out / "dataset/DRGWeight.tsv", "DRG\tweight");
    auto names = create(out / "dataset/drgnames.tsv", "drg\tenglish");
    std::mt19937 random(20261208);
    for (const std::string& drg : drgs) {
        char w[16];
        std::snprintf(w, sizeof w, "%.4f", 0.1 + (random() % 49000) / 10000.0);
        weights << drg << '\t' << w << '\n';
        names << drg << "\tGenerated group " << drg << '\n';
    }

    std::ofstream cases(out / "cases.csv", std::ios::binary | std::ios::trunc);
    cases << "id,birthdate,admission,sex,discharge,duration,diagnoses,bidiagnoses\n";
    const char* discharges[] = {"", "", "E", "R", "L"};
    // Rank r (from 1) has weight 1/r; the ranks are the codes in a shuffled order.
    std::vector<std::size_t> byRank(codes.size());
    std::vector<double> cumulative(codes.size());
    for (std::size_t i = 0; i < codes.size(); ++i)
        byRank[i] = i;
    std::shuffle(byRank.begin(), byRank.end(), std::mt19937(7));
    double total = 0;
    for (std::size_t r = 0; r < codes.size(); ++r)
        cumulative[r] = total += 1.0 / double(r + 1);
    auto drawCode = [&]() -> const Code& {
        if (!zipf)
            return codes[random() % codes.size()];
        const double u = double(random()) / (double(random.max()) + 1.0) * total;
        const std::size_t r = std::size_t(std::upper_bound(cumulative.begin(), cumulative.end(), u) - cumulative.begin());
        return codes[byRank[std::min(r, codes.size() - 1)]];
    };
    auto codeList = [&](int count) {
        std::string list;
        for (int i = 0; i < count; ++i)
            list += (i ? "|" : "") + drawCode().dotted;
        return list;
    };
    for (int i = 0; i < caseCount; ++i) {
        char birth[16], admission[16];
        const unsigned year = 2024 - random() % 95;
        std::snprintf(birth, sizeof birth, "%04u-%02u-%02u", year == 2024 ? 2023u : year,
                      static_cast<unsigned>(1 + random() % 12), static_cast<unsigned>(1 + random() % 28));
        std::snprintf(admission, sizeof admission, "2024-%02u-%02u", static_cast<unsigned>(1 + random() % 12),
                      static_cast<unsigned>(1 + random() % 28));
        const int chosen = 1 + static_cast<int>(random() % 8), bi = static_cast<int>(random() % 9);
        cases << 'c' << i + 1 << ',' << birth << ',' << admission << ',' << (random() % 2 ? 'M' : 'F') << ','
              << discharges[random() % 5] << ',' << random() % 31 << ',' << codeList(chosen) << ','
              << codeList(bi) << '\n';
    }
    std::cerr << codes.size() << " codes, " << drgs.size() << " decision rows, " << caseCount << " cases in "
              << out.string() << '\n';
    return 0;
}
