#pragma once

// The user's base folders as the XDG base directory rules name them: the
// variable when it holds an absolute path (a relative one is ignored, as the
// rules require), else the usual folder under $HOME; nothing when neither
// names an absolute folder.

#include <filesystem>
#include <optional>

namespace aerolune {

class XdgFolder {
public:
    XdgFolder() = delete;

    // $XDG_CONFIG_HOME, else ~/.config.
    static std::optional<std::filesystem::path> configHome();
    // $XDG_CACHE_HOME, else ~/.cache.
    static std::optional<std::filesystem::path> cacheHome();
};

} // namespace aerolune
