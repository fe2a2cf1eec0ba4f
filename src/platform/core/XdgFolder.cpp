#include "platform/core/XdgFolder.h"

#include <cstdlib>

namespace aerolune {
namespace {

namespace fs = std::filesystem;

std::optional<fs::path> baseFolder(const char* variable, const char* underHome) {
    const char* set = std::getenv(variable);
    if (set && fs::path(set).is_absolute())
        return fs::path(set);
    const char* home = std::getenv("HOME");
    if (home && fs::path(home).is_absolute())
        return fs::path(home) / underHome;
    return std::nullopt;
}

} // namespace

std::optional<fs::path> XdgFolder::configHome() {
    return baseFolder("XDG_CONFIG_HOME", ".config");
}

std::optional<fs::path> XdgFolder::cacheHome() {
    return baseFolder("XDG_CACHE_HOME", ".cache");
}

} // namespace aerolune
