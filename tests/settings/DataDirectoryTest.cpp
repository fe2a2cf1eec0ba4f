#include "settings/DataDirectory.h"

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>

using namespace aerolune;

namespace {

class ScopedDataDirectory {
public:
    explicit ScopedDataDirectory(const std::filesystem::path& folder) {
        ::setenv("AEROLUNE_DATA_DIR", folder.c_str(), 1);
    }
    ~ScopedDataDirectory() { ::unsetenv("AEROLUNE_DATA_DIR"); }
};

} // namespace

TEST(DataDirectoryTest, TheOverrideComesFirstAndTheSourceTreeLast) {
    const auto folder = std::filesystem::path(testing::TempDir()) / "aerolune-data-override";
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "gazetteer.bin.gz") << "stand-in";
    {
        ScopedDataDirectory scope(folder);
        const auto path = DataDirectory::searchPath();
        ASSERT_EQ(path.size(), 3u);
        EXPECT_EQ(path.front(), folder);
        EXPECT_EQ(path.back(), std::filesystem::path(AEROLUNE_TEST_SOURCE_DATA_DIR));
        EXPECT_EQ(DataDirectory::find("gazetteer.bin.gz"), folder / "gazetteer.bin.gz");
        SCOPED_TRACE("a file the override lacks is looked for further on");
        const auto further = DataDirectory::find("shorelines.bin.gz");
        ASSERT_TRUE(further);
        EXPECT_NE(further->parent_path(), folder);
    }
    EXPECT_EQ(DataDirectory::searchPath().size(), 2u);
    EXPECT_FALSE(DataDirectory::find("no-such-file.bin"));
    std::filesystem::remove_all(folder);
}
