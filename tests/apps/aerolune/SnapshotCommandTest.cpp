#include "aerolune/SaverHostView.h"
#include "platform/core/MainQueue.h"
#include "platform/core/Random.h"
#include "platform/output/RunLoop.h"
#include "platform/render/Compositor.h"
#include "support/Pixels.h"
#include "support/Program.h"
#include "support/ScopedConfigHome.h"
#include "support/ScopedEnvironment.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

using namespace aerolune;
using namespace aerolune::test;
namespace fs = std::filesystem;

TEST(SnapshotCommandTest, FourHundredDaysAheadAtMostStillMeetTheirSunset) {
    ScopedConfigHome home;
    ScopedTimeZone zone("Europe/Paris");
    ASSERT_TRUE(Prefs::setCoordinates({48.85, 2.35}));
    // Ends 13 minutes after the sunset of 26 July 2025; 400 days take half a
    // minute in a sanitizer build.
    const auto file = home.root() / "dusk.png";
    const auto run = runProgram(AEROLUNE_PROGRAM,
                                {"--snapshot", file, "--size", "960x540", "--at",
                                 "2024-06-21T19:50:00Z", "--after", "400d", "--seed", "3"},
                                std::chrono::minutes(3));
    ASSERT_EQ(run.status, 0) << run.err;
    const auto dusk = Pixels::fromPng(file);
    ASSERT_TRUE(dusk.valid() && dusk.width() == 960);
    for (const Rgb& c : {dusk.at(480, 145), dusk.at(480, 394)})
        EXPECT_TRUE(c.r > 200 && c.r > c.b + 80) << describe(c) << " is not a warm colour";
    // A second more is too long.
    const auto beyond =
        runProgram(AEROLUNE_PROGRAM, {"--snapshot", "x.png", "--after", "34560001"});
    EXPECT_EQ(beyond.status, 2);
}

TEST(SnapshotCommandTest, AFailedWriteSaysSoAndLeavesTheOldPictureAndNoTemporaryFile) {
    ScopedConfigHome home;
    const auto folder = home.root() / "pictures", picture = folder / "sky.png";
    fs::create_directories(folder / "album");
    // The shell lets the program write at most `blocks` of 512 bytes, with
    // SIGXFSZ ignored, so that a write past them fails as on a full disc.
    const auto snapshot = [&](const fs::path& file, const char* size, const char* blocks) {
        return runProgram("sh", {"-c", "trap '' XFSZ; ulimit -f $0; exec \"$@\"", blocks,
                                 AEROLUNE_PROGRAM, "--snapshot", file, "--size", size, "--lat",
                                 "48.85", "--lon", "2.35"});
    };
    ASSERT_EQ(snapshot(picture, "16x16", "unlimited").status, 0);
    const std::string good = fileText(picture);
    for (const auto& [target, reason, blocks] :
         {std::tuple{picture, "File too large", "4"},
          {folder / "album", "Is a directory", "unlimited"},
          {folder / "no/such/folder/x.png", "No such file or directory", "unlimited"}}) {
        const auto run = snapshot(target, "960x540", blocks);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, "aerolune: cannot write " + target.string() + ": " + reason + "\n");
        EXPECT_TRUE(fileText(picture) == good) << "the old picture was changed";
        EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 2)
            << "a temporary file was left";
    }
}

TEST(SnapshotCommandTest, AtScaleTwoTheSamePictureHasTwiceThePixels) {
    ScopedConfigHome home;
    const auto take = [&](const std::string& size, const char* scale) {
        const auto file = home.root() / (size + ".png");
        const auto run =
            runProgram(AEROLUNE_PROGRAM, {"--snapshot", file, "--size", size, "--scale", scale,
                                          "--at", "2024-06-21T10:00Z", "--seed", "3", "--lat",
                                          "48.85", "--lon", "2.35", "--after", "2"});
        EXPECT_EQ(run.status, 0) << run.err;
        return Pixels::fromPng(file);
    };
    const auto one = take("640x360", "1"), two = take("1280x720", "2");
    ASSERT_TRUE(one.valid() && two.valid() && two.width() == 1280 && two.height() == 720);
    // The larger picture reduced two by two to the smaller one's pixels.
    double difference = 0;
    for (int y = 0; y < 360; ++y)
        for (int x = 0; x < 640; ++x) {
            const Rgb a = two.at(2 * x, 2 * y), b = two.at(2 * x + 1, 2 * y),
                      c = two.at(2 * x, 2 * y + 1), d = two.at(2 * x + 1, 2 * y + 1);
            difference +=
                std::abs((a.sum() + b.sum() + c.sum() + d.sum()) / 4.0 - one.at(x, y).sum());
        }
    EXPECT_LT(difference / (640 * 360 * 3), 1.0) << "clouds of the same sizes in the same places";
}

TEST(SnapshotCommandTest, ALongRunSkippedAheadShowsWhatEveryFrameDrawnShows) {
    ScopedConfigHome home;
    ScopedTimeZone zone("Europe/Paris");
    ASSERT_TRUE(Prefs::setCoordinates({48.85, 2.35}));
    // From 110 minutes before sunset to ten minutes into it, past the end of
    // the backdrop's first walk (the next one's colours are drawn at random).
    const char* start = "2024-06-21T18:06:00Z";
    const auto file = home.root() / "dusk.png";
    const auto run = runProgram(AEROLUNE_PROGRAM, {"--snapshot", file, "--size", "160x90", "--at",
                                                   start, "--after", "7300", "--seed", "3"});
    ASSERT_EQ(run.status, 0) << run.err;
    // The same run here, every frame animated, laid out and drawn.
    ScopedManualClock clock(parseIso8601(start).value());
    MainQueue::main().reset();
    Random::reseedShared(3);
    auto host = SaverHostView::create(Rect(0, 0, 160, 90), false, SaverHostView::FrameRate::hidden);
    host->layoutSubtreeIfNeeded();
    host->displayIfNeeded();
    host->startAnimation();
    RunLoop loop(host);
    loop.advance(*clock, 7300);
    loop.runFrame();
    Compositor compositor;
    compositor.render(*host, clock->monotonic());
    const Pixels skipped = Pixels::fromPng(file), drawn(compositor.image());
    int differing = 0;
    for (int y = 0; y < 90; ++y)
        for (int x = 0; x < 160; ++x)
            differing += near(drawn.at(x, y), skipped.at(x, y), 1) ? 0 : 1;
    EXPECT_EQ(differing, 0) << "pixels of 14400";
    MainQueue::main().reset();
}

// The README shows pictures with the commands that made them: each command,
// as the README prints it, must still make its picture. The clouds' and the
// backdrop's random streams would change every pixel were they drawn anew.
TEST(SnapshotCommandTest, EachPictureTheReadmeShowsIsWhatItsPrintedCommandMakes) {
    ScopedConfigHome home;
    ScopedTimeZone zone("UTC");
    std::ifstream readme(fs::path(AEROLUNE_SOURCE_DIR) / "README.md");
    std::vector<std::vector<std::string>> commands;
    for (std::string line, command; std::getline(readme, line);) {
        if (command.empty() && !line.starts_with("build/apps/aerolune/aerolune --snapshot docs/"))
            continue;
        const bool continued = line.ends_with('\\');
        command += line.substr(0, line.size() - (continued ? 1 : 0));
        if (continued)
            continue;
        std::istringstream words(command);
        commands.emplace_back(std::istream_iterator<std::string>(words),
                              std::istream_iterator<std::string>());
        command.clear();
    }
    ASSERT_GE(commands.size(), 2u) << "the README's picture commands were not found";
    for (auto command : commands) {
        const fs::path documented = fs::path(AEROLUNE_SOURCE_DIR) / command.at(2);
        SCOPED_TRACE(documented.filename().string());
        command.at(2) = home.root() / documented.filename();
        const auto run = runProgram(AEROLUNE_PROGRAM, {command.begin() + 1, command.end()});
        ASSERT_EQ(run.status, 0) << run.err;
        const Pixels made = Pixels::fromPng(command.at(2)), shown = Pixels::fromPng(documented);
        ASSERT_TRUE(made.valid() && shown.valid());
        ASSERT_EQ(std::pair(made.width(), made.height()), std::pair(shown.width(), shown.height()));
        int differing = 0;
        for (int y = 0; y < made.height(); ++y)
            for (int x = 0; x < made.width(); ++x)
                differing += near(made.at(x, y), shown.at(x, y), 3) ? 0 : 1;
        EXPECT_LE(differing, made.width() * made.height() / 1000)
            << "pixels differ by more than 3 from the README's";
    }
}
