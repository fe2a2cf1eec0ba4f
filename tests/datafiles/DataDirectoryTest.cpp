#include "datafiles/DataDirectory.h"

#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>
#include <tuple>
#include <unistd.h>

using namespace aerolune;
namespace fs = std::filesystem;

// The search itself is the install tests': an unpacked package runs on its own data.
TEST(DataDirectoryTest, AProgramLooksBesideItselfAndOnlyABuildReadsTheSourceTree) {
    const fs::path sources = AEROLUNE_TEST_SOURCE_DATA_DIR,
                   installed = AEROLUNE_TEST_INSTALL_DATA_DIR;
    const fs::path build = AEROLUNE_TEST_BUILD_DIR, usr = "/opt/unpacked/usr";
    // clang-format off
    for (const auto& [what, executable, beside, readsSources] : {
             std::tuple{"the saver among XScreenSaver's hacks", usr / "libexec/xscreensaver/aerolune", usr / "share/aerolune", false},
             {"the settings program on the PATH", usr / "bin/aerolune-settings", usr / "share/aerolune", false},
             {"in the build tree", build / "apps/aerolune/aerolune", installed, true},
             {"beside the build tree, named alike", fs::path(build.string() + "-asan/aerolune"), installed, false},
             {"a program that cannot tell where it is", fs::path(), installed, true}}) { // clang-format on
        const auto path = DataDirectory::searchPath(executable);
        const auto at = [&](const fs::path& folder) {
            return std::find(path.begin(), path.end(), folder);
        };
        EXPECT_TRUE(at(beside) <= at(installed) && at(installed) != path.end()) << what;
        EXPECT_EQ(path.back() == sources, readsSources) << what;
        EXPECT_EQ(std::count(path.begin(), path.end(), sources), readsSources) << what;
    }
    EXPECT_EQ(DataDirectory::searchPath().back(), sources) << "this test runs in the build tree";
    ::setenv("AEROLUNE_DATA_DIR", "/elsewhere", 1);
    EXPECT_EQ(DataDirectory::searchPath(usr / "bin/aerolune-settings").front(), "/elsewhere");
    ::unsetenv("AEROLUNE_DATA_DIR");

    // Message catalogues beside the program, only where ours are; unpacked
    // programs reading them are the install tests'.
    const auto pkg =
        fs::path(testing::TempDir()) / ("unpacked-" + std::to_string(::getpid())) / "usr";
    const auto messages = pkg / "share/locale/de/LC_MESSAGES";
    fs::create_directories(messages);
    std::ofstream(messages / "other.mo") << "x"; // another program's
    EXPECT_NE(DataDirectory::localeFolder(pkg / "bin/aerolune-settings"), pkg / "share/locale");
    std::ofstream(messages / "aerolune.mo") << "x";
    EXPECT_EQ(DataDirectory::localeFolder(pkg / "libexec/xscreensaver/aerolune").lexically_normal(),
              pkg / "share/locale");
    EXPECT_EQ(DataDirectory::localeFolder(), AEROLUNE_TEST_BUILD_DIR "/locale")
        << "a program run from the build reads the build's catalogues";
    fs::remove_all(pkg.parent_path());
}
