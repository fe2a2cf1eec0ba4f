#include "store/PreferenceSuite.h"

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

TEST(PreferenceSuiteTest, AWriteThroughALinkReplacesTheTargetAndKeepsTheLink) {
    ScopedConfigHome home;
    const auto suite = *PreferenceSuite::open("Suite").suite;
    const auto dotfiles = home.root() / "dotfiles";
    fs::create_directories(dotfiles / "deeper");
    const auto filesIn = [](const fs::path& folder) {
        return std::distance(fs::directory_iterator(folder), fs::directory_iterator());
    };
    const auto writeThrough = [&](const fs::path& link, const fs::path& target) {
        fs::remove(suite.file());
        fs::create_symlink(link, suite.file());
        const auto before = filesIn(target.parent_path());
        EXPECT_FALSE(suite.write({{"x", "2"}}));
        EXPECT_TRUE(fs::is_symlink(suite.file())) << "the link became a file";
        std::error_code error;
        EXPECT_EQ(fs::read_symlink(suite.file(), error), link);
        EXPECT_EQ(fileText(target), "[Suite]\nkeep=yes\nx=2\n");
        EXPECT_EQ(filesIn(home.folder()), 1) << "no temporary file is left beside the link";
        EXPECT_EQ(filesIn(target.parent_path()), before) << "nor beside the target";
    };
    {
        SCOPED_TRACE("an absolute link to a file");
        std::ofstream(dotfiles / "Suite.conf") << "[Suite]\nkeep=yes\nx=1\n";
        writeThrough(dotfiles / "Suite.conf", dotfiles / "Suite.conf");
    }
    {
        SCOPED_TRACE("a chain of relative links");
        std::ofstream(dotfiles / "deeper/real.conf") << "[Suite]\nkeep=yes\n";
        fs::create_symlink("deeper/real.conf", dotfiles / "hop.conf");
        writeThrough("../dotfiles/hop.conf", dotfiles / "deeper/real.conf");
        EXPECT_TRUE(fs::is_symlink(dotfiles / "hop.conf"));
    }
    {
        SCOPED_TRACE("a link to a file not made yet");
        fs::remove(suite.file());
        fs::create_symlink(dotfiles / "deeper/new.conf", suite.file());
        EXPECT_FALSE(suite.write({{"keep", "yes"}, {"x", "2"}}));
        EXPECT_TRUE(fs::is_symlink(suite.file()));
        EXPECT_EQ(fileText(dotfiles / "deeper/new.conf"), "[Suite]\nkeep=yes\nx=2\n");
        EXPECT_EQ(mode(dotfiles / "deeper/new.conf"), 0600u);
    }
    {
        SCOPED_TRACE("a link to itself");
        fs::remove(suite.file());
        fs::create_symlink(suite.file().filename(), suite.file());
        EXPECT_TRUE(suite.write({{"x", "2"}}));
        EXPECT_TRUE(fs::is_symlink(suite.file()));
    }
}
