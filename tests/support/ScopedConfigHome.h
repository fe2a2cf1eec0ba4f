#pragma once

// Points XDG_CONFIG_HOME at a fresh temporary folder for the length of a scope
// and makes the stored location find it (the preference suite is forgotten on
// the way in and out). The folder is removed afterwards.

#include "store/Prefs.h"
#include "support/ScopedEnvironment.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

namespace aerolune::test {

inline std::string fileText(const std::filesystem::path& path) {
    std::ostringstream text;
    text << std::ifstream(path).rdbuf();
    return text.str();
}

class ScopedConfigHome {
public:
    ScopedConfigHome() : variable_("XDG_CONFIG_HOME", root_.c_str()) { Prefs::resetForTesting(); }
    ~ScopedConfigHome() {
        Prefs::resetForTesting();
        std::filesystem::remove_all(root_);
    }
    ScopedConfigHome(const ScopedConfigHome&) = delete;
    ScopedConfigHome& operator=(const ScopedConfigHome&) = delete;

    const std::filesystem::path& root() const { return root_; }
    std::filesystem::path folder() const { return root_ / "aerolune"; }
    std::filesystem::path storeFile() const { return folder() / "AeroluneSaverPrefs.conf"; }

private:
    std::filesystem::path root_ = [] {
        std::string pattern = std::filesystem::temp_directory_path() / "aerolune-test-XXXXXX";
        return std::filesystem::path(::mkdtemp(pattern.data()));
    }();
    ScopedEnvironmentVariable variable_;
};

} // namespace aerolune::test
