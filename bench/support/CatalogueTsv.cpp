#include "CatalogueTsv.h"

#include <cstdlib>
#include <stdexcept>

#include <zlib.h>

std::vector<CatalogueTsvRow> ReadCatalogueTsv(const std::string& path)
{
    gzFile file = gzopen(path.c_str(), "rb");
    if (!file)
        throw std::runtime_error("cannot open " + path);
    std::vector<CatalogueTsvRow> rows;
    rows.reserve(100000);
    std::string line;
    char buffer[1024];
    while (gzgets(file, buffer, sizeof buffer)) {
        line += buffer;
        if (line.back() != '\n')
            continue;
        line.pop_back();
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::size_t tab = line.find('\t');
        if (tab != std::string::npos)
            rows.push_back({line.substr(0, tab), line.substr(tab + 1)});
        line.clear();
    }
    const bool failed = gzclose(file) != Z_OK;
    if (failed || rows.empty())
        throw std::runtime_error("cannot read " + path);
    return rows;
}

std::string DefaultCatalogueTsvPath()
{
    // As scripts/refdb finds it; a git worktree has no ../shared beside it.
    const char* path = std::getenv("VESMAR_ICD10CM");
    return path && *path ? path : VESMAR_CATALOGUE_TSV;
}
