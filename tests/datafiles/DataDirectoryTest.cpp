#include "datafiles/DataDirectory.h"

#include "support/ScopedConfigHome.h"

#include <algorithm>
#include <gtest/gtest.h>

using namespace aerolune;
using aerolune::test::ScopedEnvironmentVariable;
namespace fs = std::filesystem;

namespace {

const fs::path kSourceData = AEROLUNE_TEST_SOURCE_DATA_DIR;
const fs::path kInstallData = AEROLUNE_TEST_INSTALL_DATA_DIR;
const fs::path kBuildTree = AEROLUNE_TEST_BUILD_DIR;

} // namespace

TEST(DataDirectoryTest, AProgramLooksBesideItselfAndOnlyABuildReadsTheSourceTree) {
    const fs::path usr = "/opt/unpacked/usr", beside = usr / "share/aerolune";
    const fs::path installed = kInstallData.parent_path().parent_path();
    const struct {
        const char* what;
        fs::path executable, first;
        bool readsSources;
    } cases[] = {
        {"the saver among XScreenSaver's hacks", usr / "libexec/xscreensaver/aerolune", beside, 0},
        {"the settings program on the PATH", usr / "bin/aerolune-settings", beside, 0},
        {"installed where it was built for", installed / "bin/aerolune-settings", kInstallData, 0},
        {"in the build tree", kBuildTree / "apps/aerolune/aerolune", {}, 1},
        {"beside the build tree, named alike", kBuildTree.string() + "-asan/aerolune", {}, 0},
        {"the build tree's parent", kBuildTree.parent_path() / "aerolune", {}, 0},
        {"a program that cannot tell where it is", {}, kInstallData, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto path = DataDirectory::searchPath(c.executable);
        const auto first = std::find(path.begin(), path.end(), c.first);
        EXPECT_TRUE(
            c.first.empty() ||
            (first != path.end() && first <= std::find(path.begin(), path.end(), kInstallData)));
        EXPECT_EQ(std::count(path.begin(), path.end(), kInstallData), 1);
        EXPECT_EQ(std::count(path.begin(), path.end(), kSourceData), c.readsSources);
        EXPECT_EQ(path.back() == kSourceData, c.readsSources);
        ScopedEnvironmentVariable data("AEROLUNE_DATA_DIR", "/elsewhere/data");
        EXPECT_EQ(DataDirectory::searchPath(c.executable).front(), "/elsewhere/data");
    }
}

TEST(DataDirectoryTest, TheFirstFolderHoldingTheFileWins) {
    std::string scratch = fs::temp_directory_path() / "aerolune-data-XXXXXX";
    const auto usr = fs::path(::mkdtemp(scratch.data())) / "usr";
    fs::create_directories(usr / "share/aerolune/shorelines.bin.gz");
    std::ofstream(usr / "share/aerolune/gazetteer.bin.gz") << "stand-in";
    const auto path = DataDirectory::searchPath(usr / "libexec/xscreensaver/aerolune");
    EXPECT_EQ(DataDirectory::find("gazetteer.bin.gz", path),
              usr / "share/aerolune/gazetteer.bin.gz");
    EXPECT_NE(DataDirectory::find("shorelines.bin.gz", path).value_or(usr).parent_path(),
              usr / "share/aerolune")
        << "a folder of that name is not the file";
    EXPECT_FALSE(DataDirectory::find("no-such-file.bin"));
    const auto without = DataDirectory::searchPath();
    ScopedEnvironmentVariable empty("AEROLUNE_DATA_DIR", "");
    EXPECT_EQ(DataDirectory::searchPath(), without) << "an empty override is no override";
    ScopedEnvironmentVariable data("AEROLUNE_DATA_DIR", (usr / "share/aerolune").c_str());
    EXPECT_EQ(DataDirectory::find("gazetteer.bin.gz"), usr / "share/aerolune/gazetteer.bin.gz");
    EXPECT_EQ(DataDirectory::searchPath().back(), kSourceData) << "this test runs in the build";
    fs::remove_all(scratch);
}
