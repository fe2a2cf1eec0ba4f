#include "aerolune/SaverHostView.h"
#include "platform/core/MainQueue.h"
#include "platform/core/Random.h"
#include "platform/output/RunLoop.h"
#include "platform/render/Compositor.h"
#include "support/Pixels.h"
#include "support/Program.h"
#include "support/ScopedConfigHome.h"
#include "support/ScopedEnvironment.h"

#include <gtest/gtest.h>
#include <istream>
#include <iterator>
#include <tuple>

using namespace aerolune;
using namespace aerolune::test;
namespace fs = std::filesystem;

// How many pixels of two pictures of one size differ by more than `tolerance`.
static int differing(const Pixels& a, const Pixels& b, int tolerance) {
    int count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            count += near(a.at(x, y), b.at(x, y), tolerance) ? 0 : 1;
    return count;
}

// A snapshot in Paris with seed 3. The shell lets the program write at most
// `blocks` of 512 bytes, with SIGXFSZ ignored, so that a write past them fails
// as on a full disc.
static ProgramRun snapshot(const fs::path& file, std::vector<std::string> arguments,
                           const char* blocks = "unlimited") {
    arguments.insert(arguments.begin(),
                     {"-c", "trap '' XFSZ; ulimit -f $0; exec \"$@\"", blocks, AEROLUNE_PROGRAM,
                      "--snapshot", file, "--seed", "3", "--lat", "48.85", "--lon", "2.35"});
    return runProgram("sh", arguments, std::chrono::minutes(3));
}

// A run skipped far ahead still meets its sunset: 400 days at most, ending
// 13 minutes after the sunset of 26 July 2025 (half a minute in a sanitizer
// build). A shorter one, from 110 minutes before sunset to ten minutes into
// it, past the end of the backdrop's first walk (the next one's colours are
// drawn at random), shows what every frame drawn shows. At scale 2 the same
// picture has twice the pixels.
TEST(SnapshotCommandTest, RunsSkippedAheadMeetTheirSunsetAndShowWhatEveryFrameDrawnShows) {
    ScopedConfigHome home;
    ScopedTimeZone zone("Europe/Paris");
    ASSERT_TRUE(Prefs::setCoordinates({48.85, 2.35}));
    const auto file = home.root() / "dusk.png";
    const auto fromDusk = [&](const char* size, const char* after) {
        return snapshot(file, {"--size", size, "--at", "2024-06-21T19:50:00Z", "--after", after});
    };
    const auto run = fromDusk("960x540", "400d");
    ASSERT_EQ(run.status, 0) << run.err;
    const auto dusk = Pixels::fromPng(file);
    ASSERT_TRUE(dusk.valid() && dusk.width() == 960);
    for (const Rgb& c : {dusk.at(480, 145), dusk.at(480, 394)})
        EXPECT_TRUE(c.r > 200 && c.r > c.b + 80) << describe(c) << " is not a warm colour";
    EXPECT_EQ(fromDusk("16x16", "34560001").status, 2) << "a second more";

    const char* start = "2024-06-21T18:06:00Z";
    ASSERT_EQ(snapshot(file, {"--size", "160x90", "--at", start, "--after", "7300"}).status, 0);
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
    EXPECT_EQ(differing(Pixels(compositor.image()), Pixels::fromPng(file), 1), 0)
        << "pixels of 14400";
    MainQueue::main().reset();

    const auto take = [&](const std::string& size, const char* scale) {
        const auto file = home.root() / (size + ".png");
        const auto run = snapshot(
            file, {"--size", size, "--scale", scale, "--at", "2024-06-21T10:00Z", "--after", "2"});
        EXPECT_EQ(run.status, 0) << run.err;
        return Pixels::fromPng(file);
    };
    const auto one = take("640x360", "1"), two = take("1280x720", "2");
    ASSERT_TRUE(one.valid() && two.valid() && two.width() == 1280 && two.height() == 720);
    // The larger picture reduced two by two to the smaller one's pixels.
    const auto square = [&](int x, int y) {
        return two.at(x, y).sum() + two.at(x + 1, y).sum() + two.at(x, y + 1).sum() +
               two.at(x + 1, y + 1).sum();
    };
    double difference = 0;
    for (int y = 0; y < 360; ++y)
        for (int x = 0; x < 640; ++x)
            difference += std::abs(square(2 * x, 2 * y) / 4.0 - one.at(x, y).sum());
    EXPECT_LT(difference / (640 * 360 * 3), 1.0) << "clouds of the same sizes in the same places";
}

TEST(SnapshotCommandTest, AFailedWriteSaysSoAndLeavesTheOldPictureAndNoTemporaryFile) {
    ScopedConfigHome home;
    const auto folder = home.root() / "pictures", picture = folder / "sky.png";
    fs::create_directories(folder / "album");
    ASSERT_EQ(snapshot(picture, {"--size", "16x16"}).status, 0);
    const std::string good = fileText(picture);
    for (const auto& [target, reason, blocks] :
         {std::tuple{picture, "File too large", "4"},
          {folder / "album", "Is a directory", "unlimited"},
          {folder / "no/such/folder/x.png", "No such file or directory", "unlimited"}}) {
        const auto run = snapshot(target, {"--size", "960x540"}, blocks);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, "aerolune: cannot write " + target.string() + ": " + reason + "\n");
        EXPECT_TRUE(fileText(picture) == good) << "the old picture was changed";
        EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 2)
            << "a temporary file was left";
    }
}

// The README shows pictures with the commands that made them: each command,
// as the README prints it, must still make its picture. The clouds' and the
// backdrop's random streams would change every pixel were they drawn anew.
TEST(SnapshotCommandTest, EachPictureTheReadmeShowsIsWhatItsPrintedCommandMakes) {
    ScopedConfigHome home;
    ScopedTimeZone zone("UTC");
    // Each command on a line of its own, its continuations joined.
    std::string readme = fileText(fs::path(AEROLUNE_SOURCE_DIR) / "README.md");
    for (std::size_t at; (at = readme.find("\\\n")) != std::string::npos;)
        readme.erase(at, 2);
    std::istringstream lines(readme);
    std::vector<std::vector<std::string>> commands;
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        if (line.starts_with("build/apps/aerolune/aerolune --snapshot docs/"))
            commands.emplace_back(std::istream_iterator<std::string>(words),
                                  std::istream_iterator<std::string>());
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
        EXPECT_LE(differing(made, shown, 3), made.width() * made.height() / 1000)
            << "pixels differ by more than 3 from the README's";
    }
}
