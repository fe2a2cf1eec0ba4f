#include "datafiles/DataDirectory.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>

using namespace aerolune;

namespace {

namespace fs = std::filesystem;

class ScopedDataDirectory {
public:
    explicit ScopedDataDirectory(const fs::path& folder) {
        ::setenv("AEROLUNE_DATA_DIR", folder.c_str(), 1);
    }
    ~ScopedDataDirectory() { ::unsetenv("AEROLUNE_DATA_DIR"); }
};

// A folder of its own under the test's temporary folder, removed at the end.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& name) : path_(fs::path(testing::TempDir()) / name) {
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~ScratchFolder() { fs::remove_all(path_); }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

void writeFile(const fs::path& path) {
    fs::create_directories(path.parent_path());
    std::ofstream(path) << "stand-in";
}

bool contains(const std::vector<fs::path>& folders, const fs::path& folder) {
    return std::find(folders.begin(), folders.end(), folder) != folders.end();
}

const fs::path kSourceData = AEROLUNE_TEST_SOURCE_DATA_DIR;
const fs::path kInstallData = AEROLUNE_TEST_INSTALL_DATA_DIR;
const fs::path kBuildTree = AEROLUNE_TEST_BUILD_DIR;

} // namespace

TEST(DataDirectoryTest, TheOverrideComesFirstAndTheSourceTreeLastForABuild) {
    ScratchFolder scratch("aerolune-data-override");
    writeFile(scratch.path() / "gazetteer.bin.gz");
    {
        ScopedDataDirectory scope(scratch.path());
        const auto path = DataDirectory::searchPath();
        ASSERT_GE(path.size(), 3u);
        EXPECT_EQ(path.front(), scratch.path());
        EXPECT_EQ(path.back(), kSourceData) << "this test runs from the build tree";
        EXPECT_EQ(DataDirectory::find("gazetteer.bin.gz"), scratch.path() / "gazetteer.bin.gz");
        SCOPED_TRACE("a file the override lacks is looked for further on");
        const auto further = DataDirectory::find("shorelines.bin.gz");
        ASSERT_TRUE(further);
        EXPECT_NE(further->parent_path(), scratch.path());
    }
    const auto without = DataDirectory::searchPath();
    EXPECT_FALSE(contains(without, scratch.path()));
    {
        SCOPED_TRACE("an empty override is no override");
        ScopedDataDirectory empty("");
        EXPECT_EQ(DataDirectory::searchPath(), without);
    }
    EXPECT_FALSE(DataDirectory::find("no-such-file.bin"));
}

// Whether `first` comes before `second` in the search path, both present.
::testing::AssertionResult comesBefore(const std::vector<fs::path>& path, const fs::path& first,
                                       const fs::path& second) {
    const auto a = std::find(path.begin(), path.end(), first);
    const auto b = std::find(path.begin(), path.end(), second);
    if (a == path.end() || b == path.end())
        return ::testing::AssertionFailure() << first << " or " << second << " is missing";
    if (a >= b)
        return ::testing::AssertionFailure() << first << " comes after " << second;
    return ::testing::AssertionSuccess();
}

TEST(DataDirectoryTest, AnInstalledProgramLooksBesideItselfBeforeTheCompiledInFolder) {
    const fs::path root = "/opt/unpacked/usr";
    const auto beside = root / "share/aerolune";
    {
        SCOPED_TRACE("the saver, among XScreenSaver's hacks");
        const auto path = DataDirectory::searchPath(root / "libexec/xscreensaver/aerolune");
        EXPECT_TRUE(comesBefore(path, beside, kInstallData));
        EXPECT_FALSE(contains(path, kSourceData)) << "an installed program never reads its sources";
    }
    {
        SCOPED_TRACE("the settings program, on the PATH");
        const auto path = DataDirectory::searchPath(root / "bin/aerolune-settings");
        EXPECT_EQ(path.front(), beside);
        EXPECT_TRUE(comesBefore(path, beside, kInstallData));
        EXPECT_FALSE(contains(path, kSourceData));
    }
    {
        SCOPED_TRACE("the override still comes first");
        ScopedDataDirectory scope("/elsewhere/data");
        const auto path = DataDirectory::searchPath(root / "libexec/xscreensaver/aerolune");
        EXPECT_EQ(path.front(), fs::path("/elsewhere/data"));
        EXPECT_TRUE(comesBefore(path, "/elsewhere/data", beside));
    }
    {
        SCOPED_TRACE("installed where it was built for, each folder once");
        const auto installedBin = fs::path(kInstallData).parent_path().parent_path() / "bin";
        const auto path = DataDirectory::searchPath(installedBin / "aerolune-settings");
        EXPECT_EQ(std::count(path.begin(), path.end(), kInstallData), 1);
    }
}

TEST(DataDirectoryTest, OnlyAProgramInsideTheBuildTreeReadsTheSourceTree) {
    {
        SCOPED_TRACE("inside the build tree");
        const auto path = DataDirectory::searchPath(kBuildTree / "apps/aerolune/aerolune");
        EXPECT_EQ(path.back(), kSourceData);
    }
    {
        SCOPED_TRACE("a sibling folder whose name starts like the build tree's");
        const auto sibling = kBuildTree.string() + "-other";
        EXPECT_FALSE(contains(
            DataDirectory::searchPath(fs::path(sibling) / "apps/aerolune/aerolune"), kSourceData));
    }
    {
        SCOPED_TRACE("the build tree's parent");
        EXPECT_FALSE(contains(DataDirectory::searchPath(kBuildTree.parent_path() / "aerolune"),
                              kSourceData));
    }
    {
        SCOPED_TRACE("a program that cannot tell where it is keeps every fallback");
        const auto path = DataDirectory::searchPath(fs::path());
        EXPECT_EQ(path.back(), kSourceData);
        EXPECT_TRUE(contains(path, kInstallData));
    }
}

TEST(DataDirectoryTest, AnUnpackedTreeFindsItsOwnData) {
    ScratchFolder scratch("aerolune-unpacked");
    const auto usr = scratch.path() / "usr";
    writeFile(usr / "share/aerolune/gazetteer.bin.gz");
    const auto saver = usr / "libexec/xscreensaver/aerolune";
    writeFile(saver);
    EXPECT_EQ(DataDirectory::find("gazetteer.bin.gz", DataDirectory::searchPath(saver)),
              usr / "share/aerolune/gazetteer.bin.gz");
    EXPECT_EQ(DataDirectory::find("gazetteer.bin.gz",
                                  DataDirectory::searchPath(usr / "bin/aerolune-settings")),
              usr / "share/aerolune/gazetteer.bin.gz");
    SCOPED_TRACE("a folder of that name is not a file");
    fs::create_directories(usr / "share/aerolune/shorelines.bin.gz");
    const auto shorelines =
        DataDirectory::find("shorelines.bin.gz", DataDirectory::searchPath(saver));
    EXPECT_NE(shorelines, usr / "share/aerolune/shorelines.bin.gz");
}
