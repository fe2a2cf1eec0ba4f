#pragma once

// Where the files that ship with the program (gazetteer, shorelines) are
// found at run time, in this order: the folder named by AEROLUNE_DATA_DIR,
// the install folder (share/aerolune), and the source tree's data/ folder, so
// that a build runs without being installed.

#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

namespace aerolune {

struct DataDirectory {
    static std::vector<std::filesystem::path> searchPath();

    // The first folder of the search path that holds fileName.
    static std::optional<std::filesystem::path> find(std::string_view fileName);
};

} // namespace aerolune
