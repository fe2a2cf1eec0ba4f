#pragma once

// Points XDG_CONFIG_HOME at a fresh temporary folder for the length of a scope
// and makes the stored location find it (the preference suite is forgotten on
// the way in and out). The folder is removed afterwards.

#include "store/Prefs.h"
#include "support/ScopedEnvironment.h"
#include "support/TemporaryFolder.h"

#include <filesystem>
#include <fstream>
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
    ScopedConfigHome() { Prefs::resetForTesting(); }
    ~ScopedConfigHome() { Prefs::resetForTesting(); }

    const std::filesystem::path& root() const { return root_.path(); }
    std::filesystem::path folder() const { return root() / "aerolune"; }
    std::filesystem::path storeFile() const { return folder() / "AeroluneSaverPrefs.conf"; }

private:
    TemporaryFolder root_{"aerolune-test"};
    ScopedEnvironmentVariable variable_{"XDG_CONFIG_HOME", root_.path().c_str()};
};

} // namespace aerolune::test
