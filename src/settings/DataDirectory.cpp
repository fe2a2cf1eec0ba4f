#include "settings/DataDirectory.h"

#include <cstdlib>
#include <system_error>

namespace aerolune {

std::vector<std::filesystem::path> DataDirectory::searchPath() {
    std::vector<std::filesystem::path> folders;
    if (const char* override = std::getenv("AEROLUNE_DATA_DIR"); override && *override)
        folders.emplace_back(override);
    folders.emplace_back(AEROLUNE_INSTALL_DATA_DIR);
    folders.emplace_back(AEROLUNE_SOURCE_DATA_DIR);
    return folders;
}

std::optional<std::filesystem::path> DataDirectory::find(std::string_view fileName) {
    for (const auto& folder : searchPath()) {
        std::error_code error;
        const auto candidate = folder / fileName;
        if (std::filesystem::is_regular_file(candidate, error))
            return candidate;
    }
    return std::nullopt;
}

} // namespace aerolune
