#include "settings/PreferenceSuite.h"

#include "support/ScopedConfigHome.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace aerolune;
using namespace aerolune::test;
namespace fs = std::filesystem;

namespace {
unsigned mode(const fs::path& path) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info.st_mode & 0777;
}
} // namespace

TEST(PreferenceSuiteTest, FindsOrMakesAPrivateFolderWhereTheEnvironmentSays) {
    ScopedConfigHome home;
    {
        ScopedEnvironmentVariable deeper("XDG_CONFIG_HOME", (home.root() / "a/b").c_str());
        EXPECT_EQ(PreferenceSuite::open("Suite").suite->file(),
                  home.root() / "a/b/aerolune/Suite.conf");
        EXPECT_EQ(mode(home.root() / "a/b/aerolune"), 0700u);
    }
    ScopedEnvironmentVariable xdg("XDG_CONFIG_HOME", "relative/is/ignored");
    {
        ScopedEnvironmentVariable user("HOME", home.root().c_str());
        EXPECT_EQ(PreferenceSuite::open("Suite").suite->file(),
                  home.root() / ".config/aerolune/Suite.conf");
    }
    {
        ScopedEnvironmentVariable user("HOME", nullptr);
        EXPECT_FALSE(PreferenceSuite::open("Suite").suite);
    }
    std::ofstream(home.root() / "file") << "x";
    ScopedEnvironmentVariable user("HOME", (home.root() / "file").c_str());
    EXPECT_NE(PreferenceSuite::open("Suite").problem, "");
}

TEST(PreferenceSuiteTest, WritesReplaceTheFileWholeAndKeepOtherKeys) {
    ScopedConfigHome home;
    const auto suite = *PreferenceSuite::open("Suite").suite;
    std::ofstream(suite.file()) << "# mine\n[Suite]\nkeep=yes\nx=1\n";
    EXPECT_FALSE(suite.write({{"x", "2"}, {"y", "3"}}));
    EXPECT_EQ(fileText(suite.file()), "[Suite]\nkeep=yes\nx=2\ny=3\n");
    EXPECT_EQ(mode(suite.file()), 0600u);
    EXPECT_EQ(std::distance(fs::directory_iterator(home.folder()), fs::directory_iterator()), 1)
        << "no temporary file is left behind";
    std::ofstream(suite.file()) << "garbage\n[Suite]\nkeep=yes\n"; // replaced as a whole
    EXPECT_FALSE(suite.write({{"x", "4"}}));
    EXPECT_EQ(fileText(suite.file()), "[Suite]\nx=4\n");
}

TEST(PreferenceSuiteTest, ReportsFilesThatCannotBeUsed) {
    ScopedConfigHome home;
    const auto suite = *PreferenceSuite::open("Suite").suite;
    std::ofstream(suite.file()) << "[Suite]\n" << std::string(64 * 1024, '#');
    EXPECT_NE(suite.read().problem.value_or("").find("larger than 64 KiB"), std::string::npos);
    fs::resize_file(suite.file(), 64 * 1024);
    EXPECT_FALSE(suite.read().problem) << "exactly 64 KiB is still read";
    fs::remove(suite.file());
    fs::create_directory(suite.file());
    EXPECT_NE(suite.read().problem.value_or("").find("not a regular file"), std::string::npos);
    EXPECT_NE(suite.write({{"x", "1"}}).value_or("").find(suite.file().string()),
              std::string::npos);
    fs::remove_all(home.folder());
    std::ofstream(home.folder()) << "not a folder";
    EXPECT_NE(suite.write({{"x", "1"}}).value_or("").find("Not a directory"), std::string::npos);
}
