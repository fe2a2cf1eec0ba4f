#pragma once

// Points the stored location at a fresh temporary folder for the length of a
// scope: XDG_CONFIG_HOME is set to it and the preference suite is forgotten on
// the way in and out. The folder is removed afterwards.

#include "settings/Prefs.h"

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

namespace aerolune::test {

// Sets (or, with nullptr, unsets) an environment variable and restores it.
class ScopedEnvironmentVariable {
public:
    ScopedEnvironmentVariable(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old;
        value ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~ScopedEnvironmentVariable() { old_ ? ::setenv(name_, old_->c_str(), 1) : ::unsetenv(name_); }
    ScopedEnvironmentVariable(const ScopedEnvironmentVariable&) = delete;
    ScopedEnvironmentVariable& operator=(const ScopedEnvironmentVariable&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

class ScopedConfigHome {
public:
    ScopedConfigHome() : root_(makeTemporaryFolder()), variable_("XDG_CONFIG_HOME", root_.c_str()) {
        Prefs::resetForTesting();
    }
    ~ScopedConfigHome() {
        Prefs::resetForTesting();
        std::error_code ignored;
        std::filesystem::permissions(root_, std::filesystem::perms::owner_all, ignored);
        std::filesystem::remove_all(root_, ignored);
    }
    ScopedConfigHome(const ScopedConfigHome&) = delete;
    ScopedConfigHome& operator=(const ScopedConfigHome&) = delete;

    const std::filesystem::path& root() const { return root_; }
    std::filesystem::path folder() const { return root_ / "aerolune"; }
    std::filesystem::path storeFile() const { return folder() / "AeroluneSaverPrefs.conf"; }

private:
    static std::filesystem::path makeTemporaryFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "aerolune-test-XXXXXX");
        return ::mkdtemp(pattern.data());
    }

    std::filesystem::path root_;
    ScopedEnvironmentVariable variable_;
};

} // namespace aerolune::test
