#pragma once

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace testfiles {

// The names in a folder, sorted: what a failed save may have left behind.
inline std::vector<std::string> FolderEntries(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace testfiles
