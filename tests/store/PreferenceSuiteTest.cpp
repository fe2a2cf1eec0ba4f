#include "store/PreferenceSuite.h"

#include "support/ScopedConfigHome.h"

#include <chrono>
#include <fcntl.h>
#include <future>
#include <gtest/gtest.h>
#include <iterator>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

using namespace aerolune;
using namespace aerolune::test;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

static unsigned mode(const fs::path& path) {
    return unsigned(fs::status(path).permissions() & fs::perms::all);
}

static long filesIn(const fs::path& folder) {
    return std::distance(fs::directory_iterator(folder), fs::directory_iterator());
}

static std::string problemOf(const Result<KeyFile::Entries>& read) {
    return read ? "" : read.error().message;
}

TEST(PreferenceSuiteTest,
     WritesReplaceTheFileOrALinksTargetWholeKeepOtherKeysAndRefuseWhatIsNotOurs) {
    ScopedConfigHome home;
    const auto suite = PreferenceSuite::open("Suite").value();
    std::ofstream(suite.file())
        << "# by hand\r\n\n[Other]\nz=1\n[ Suite ]\r\n keep = yes \n; x\nx=0";
    ASSERT_TRUE(suite.write({{"x", "2"}, {"y", "3"}}));
    EXPECT_EQ(fileText(suite.file()), "[Suite]\nkeep=yes\nx=2\ny=3\n");
    EXPECT_EQ(mode(suite.file()), 0600u);
    EXPECT_EQ(filesIn(home.folder()), 1) << "a temporary file was left behind";
    std::ofstream(suite.file()) << "key=value\n[Suite]\nkeep=yes\n";
    EXPECT_NE(problemOf(suite.read()).find(": line 1 is not a [group]"), std::string::npos);
    ASSERT_TRUE(suite.write({{"x", "4"}}));
    EXPECT_EQ(fileText(suite.file()), "[Suite]\nx=4\n") << "a damaged file is replaced whole";
    std::ofstream(suite.file()) << "[Suite]\n" << std::string(64 * 1024, '#');
    EXPECT_NE(problemOf(suite.read()).find("larger than 64 KiB"), std::string::npos);
    fs::resize_file(suite.file(), 64 * 1024);
    EXPECT_EQ(problemOf(suite.read()), "") << "exactly 64 KiB is still read";

    // A write through a link replaces the target and keeps the link.
    const auto dotfiles = home.root() / "dotfiles";
    fs::create_directories(dotfiles / "deeper");
    std::ofstream(dotfiles / "Suite.conf") << "[Suite]\nkeep=yes\nx=1\n";
    std::ofstream(dotfiles / "deeper/real.conf") << "[Suite]\nkeep=yes\n";
    fs::create_symlink("deeper/real.conf", dotfiles / "hop.conf");
    for (const auto& [link, target] :
         {std::pair{dotfiles / "Suite.conf", dotfiles / "Suite.conf"},
          {fs::path("../dotfiles/hop.conf"), dotfiles / "deeper/real.conf"},
          {dotfiles / "deeper/new.conf", dotfiles / "deeper/new.conf"}}) {
        SCOPED_TRACE(link);
        fs::remove(suite.file());
        fs::create_symlink(link, suite.file());
        const auto before = filesIn(target.parent_path()) + !fs::exists(target);
        ASSERT_TRUE(suite.write({{"keep", "yes"}, {"x", "2"}}));
        EXPECT_TRUE(fs::is_symlink(suite.file())) << "the link became a file";
        EXPECT_EQ(fileText(target), "[Suite]\nkeep=yes\nx=2\n");
        EXPECT_EQ(mode(target), 0600u);
        EXPECT_EQ(filesIn(home.folder()), 1) << "a temporary file was left beside the link";
        EXPECT_EQ(filesIn(target.parent_path()), before) << "or beside the target";
    }
    EXPECT_TRUE(fs::is_symlink(dotfiles / "hop.conf"));
    fs::remove(suite.file());
    fs::create_symlink(suite.file().filename(), suite.file());
    EXPECT_FALSE(suite.write({{"x", "2"}})) << "a link to itself";

    // A FIFO where the file belongs would hold a plain open() until a writer
    // came along: the read must answer at once. Should it hang, opening the
    // FIFO here lets it go, and the test fails instead of waiting for ctest's
    // limit. A folder there, which a save must refuse, is ConfigViewTest's.
    fs::remove(suite.file());
    ASSERT_EQ(::mkfifo(suite.file().c_str(), 0600), 0);
    auto read = std::async(std::launch::async, [&] { return problemOf(suite.read()); });
    if (read.wait_for(10s) != std::future_status::ready) {
        ADD_FAILURE() << "the read waits on the FIFO";
        ::close(::open(suite.file().c_str(), O_RDWR));
    }
    EXPECT_EQ(read.get(), suite.file().string() + " is not a regular file");
    ASSERT_TRUE(suite.write({{"x", "1"}}));
    EXPECT_TRUE(fs::is_regular_file(suite.file()));
    EXPECT_EQ(fileText(suite.file()), "[Suite]\nx=1\n");
}
