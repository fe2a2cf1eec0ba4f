#include "settings/PreferenceSuite.h"

#include "support/ScopedConfigHome.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>

using namespace aerolune;
using aerolune::test::ScopedConfigHome;
using aerolune::test::ScopedEnvironmentVariable;
namespace fs = std::filesystem;

namespace {

std::string contents(const fs::path& path) {
    std::ostringstream text;
    text << std::ifstream(path).rdbuf();
    return text.str();
}

} // namespace

TEST(PreferenceSuiteTest, MakesAPrivateFolderUnderTheConfigurationHome) {
    ScopedConfigHome home;
    ScopedEnvironmentVariable deeper("XDG_CONFIG_HOME", (home.root() / "a" / "b").c_str());
    const auto opened = PreferenceSuite::open("Suite");
    ASSERT_TRUE(opened.suite) << opened.problem;
    EXPECT_EQ(opened.suite->file(), home.root() / "a" / "b" / "aerolune" / "Suite.conf");
    struct stat info {};
    ASSERT_EQ(::stat((home.root() / "a" / "b" / "aerolune").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_FALSE(opened.suite->read().problem);
    EXPECT_TRUE(opened.suite->read().entries.empty());
}

TEST(PreferenceSuiteTest, FindsTheFolderOnlyWhereTheEnvironmentNamesOne) {
    ScopedConfigHome home;
    {
        SCOPED_TRACE("relative XDG_CONFIG_HOME falls back to HOME/.config");
        ScopedEnvironmentVariable xdg("XDG_CONFIG_HOME", "relative/path");
        ScopedEnvironmentVariable user("HOME", home.root().c_str());
        const auto opened = PreferenceSuite::open("Suite");
        ASSERT_TRUE(opened.suite);
        EXPECT_EQ(opened.suite->file(), home.root() / ".config" / "aerolune" / "Suite.conf");
    }
    {
        SCOPED_TRACE("no usable variable");
        ScopedEnvironmentVariable xdg("XDG_CONFIG_HOME", nullptr);
        ScopedEnvironmentVariable user("HOME", nullptr);
        const auto opened = PreferenceSuite::open("Suite");
        EXPECT_FALSE(opened.suite);
        EXPECT_NE(opened.problem.find("HOME"), std::string::npos);
    }
    {
        SCOPED_TRACE("a file stands where the folder should be");
        std::ofstream(home.root() / "file") << "x";
        ScopedEnvironmentVariable xdg("XDG_CONFIG_HOME", (home.root() / "file").c_str());
        const auto opened = PreferenceSuite::open("Suite");
        EXPECT_FALSE(opened.suite);
        EXPECT_FALSE(opened.problem.empty());
    }
}

TEST(PreferenceSuiteTest, WritesReplaceTheFileWholeAndKeepOtherKeys) {
    ScopedConfigHome home;
    const auto suite = *PreferenceSuite::open("Suite").suite;
    std::ofstream(suite.file()) << "# mine\n[Suite]\nkeep=yes\nx=1\n";
    EXPECT_FALSE(suite.write({{"x", "2"}, {"y", "3"}}));
    EXPECT_EQ(contents(suite.file()), "[Suite]\nkeep=yes\nx=2\ny=3\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(home.folder()), fs::directory_iterator()), 1)
        << "no temporary file is left behind";
    struct stat info {};
    ASSERT_EQ(::stat(suite.file().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    // A file that cannot be parsed is replaced as a whole by a write.
    std::ofstream(suite.file()) << "garbage\n[Suite]\nkeep=yes\n";
    EXPECT_TRUE(suite.read().problem);
    EXPECT_FALSE(suite.write({{"x", "4"}}));
    EXPECT_EQ(contents(suite.file()), "[Suite]\nx=4\n");
}

TEST(PreferenceSuiteTest, ReportsFilesThatCannotBeUsed) {
    ScopedConfigHome home;
    const auto suite = *PreferenceSuite::open("Suite").suite;
    {
        SCOPED_TRACE("too large");
        std::ofstream(suite.file()) << "[Suite]\n" << std::string(64 * 1024, '#') << "\n";
        ASSERT_TRUE(suite.read().problem);
        EXPECT_NE(suite.read().problem->find("larger than 64 KiB"), std::string::npos);
        fs::resize_file(suite.file(), 64 * 1024);
        EXPECT_FALSE(suite.read().problem) << "exactly 64 KiB is still read";
    }
    {
        SCOPED_TRACE("a folder in place of the file");
        fs::remove(suite.file());
        fs::create_directory(suite.file());
        ASSERT_TRUE(suite.read().problem);
        EXPECT_NE(suite.read().problem->find("not a regular file"), std::string::npos);
        const auto failure = suite.write({{"x", "1"}});
        ASSERT_TRUE(failure);
        EXPECT_NE(failure->find(suite.file().string()), std::string::npos) << *failure;
    }
    {
        SCOPED_TRACE("the folder has gone");
        fs::remove_all(home.folder());
        std::ofstream(home.folder()) << "not a folder";
        const auto failure = suite.write({{"x", "1"}});
        ASSERT_TRUE(failure);
        EXPECT_NE(failure->find("Not a directory"), std::string::npos) << *failure;
    }
}
