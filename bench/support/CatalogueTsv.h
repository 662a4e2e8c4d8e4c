#pragma once

#include <string>
#include <vector>

// One line of the full ICD-10-CM catalogue file: the code as displayed (with
// its dot) and the text (UTF-8).
struct CatalogueTsvRow {
    std::string code;
    std::string text;
};

// The rows of a gzip-compressed code<TAB>text file, in file order. Throws
// std::runtime_error when the file cannot be read or holds no row.
std::vector<CatalogueTsvRow> ReadCatalogueTsv(const std::string& path);

// Where the benchmarks find that file: beside the project, never inside it,
// or where VESMAR_ICD10CM names it.
std::string DefaultCatalogueTsvPath();
