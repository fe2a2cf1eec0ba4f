// The wallpaper's run through a day, on a real clock that the test moves:
// when pictures come, what they show, and what a failure or a clock set
// does. The desktop here only records what it is given; the real desktops'
// settings are the command's test.

#include "aerolune/WallpaperRun.h"

#include "astronomy/Solar.h"
#include "palette/ColorHelper.h"
#include "support/Pixels.h"
#include "support/PowerSupplies.h"
#include "support/SaverHarness.h"

#include <algorithm>
#include <set>

using namespace aerolune;
using namespace aerolune::test;
namespace fs = std::filesystem;

namespace {

const CLLocationCoordinate2D paris{48.85, 2.35};

// A desktop that keeps each picture it is given, the one before the first
// being "old.png".
struct RecordingDesktop : DesktopBackground {
    std::string name() const override { return "Test"; }
    std::string id() const override { return "test"; }
    Result<void> set(const fs::path& picture) override {
        return shown = picture.string(), Result<void>{};
    }
    Result<Setting> current() override { return Setting{{"picture", shown}}; }
    Result<void> restore(const Setting& setting) override {
        return shown = setting.at("picture"), Result<void>{};
    }
    std::string shown = "old.png";
};

struct Picture {
    TimePoint at;
    std::optional<SkyMode> mode;
    Rgb middle; // of the sky window
};

// A run of the wallpaper in a 160x90 picture, its real clock moved by the
// test (`onNextWait` sets it, once); it records each picture as it is set,
// with what the desktop holds and what the folder keeps.
struct Wallpaper {
    Wallpaper(const char* start, Options options = {})
        : harness_("Europe/Paris", start, paris), real_(harness_.now()), options_(options) {
        options_.command = Options::Command::wallpaper;
        options_.at = harness_.now();
        auto desktop = std::make_unique<RecordingDesktop>();
        desktop_ = desktop.get();
        run_ = std::make_unique<WallpaperRun>(
            options_, Size{160, 90}, 1, std::move(desktop),
            BackgroundPictures::open(cache_.path() / "aerolune").value(),
            WallpaperRun::RealTime{real_, [this](double seconds) { wait(seconds); },
                                   [] { return false; }});
    }

    // Runs until `seconds` have passed on the saver's clock since its start,
    // or `count` pictures have been set.
    std::vector<Picture> runFor(double seconds, std::size_t count = SIZE_MAX) {
        const TimePoint end = harness_.now() + seconds;
        run_->setObserver([this, end, count](const fs::path& file) {
            EXPECT_EQ(desktop_->shown, file.string());
            std::set<std::string> kept;
            for (const auto& entry : fs::directory_iterator(cache_.path() / "aerolune"))
                kept.insert(entry.path().filename().string());
            EXPECT_EQ(kept, (std::set<std::string>{"previous-background.conf",
                                                   file.filename().string()}));
            pictures.push_back(
                {run_->clock().now(), run_->sky().skyMode(), Pixels::fromPng(file).at(80, 45)});
            return run_->clock().now() < end && pictures.size() < count;
        });
        std::ostringstream out, err;
        EXPECT_EQ(run_->run(out, err), 0) << err.str();
        return pictures;
    }

    void wait(double seconds) {
        ASSERT_GE(seconds, 0);
        ASSERT_LE(seconds, 86400) << "a run that never wakes";
        real_.advance(seconds);
        if (onNextWait)
            std::exchange(onNextWait, nullptr)();
    }

    SaverHarness harness_;
    ManualClock real_;
    Options options_; // the run keeps a reference
    std::function<void()> onNextWait;
    std::vector<Picture> pictures;
    RecordingDesktop* desktop_ = nullptr;
    TemporaryFolder cache_{"aerolune-cache"};
    std::unique_ptr<WallpaperRun> run_;
};

} // namespace

// From the morning to the next morning: the first picture at once, one every
// fifteen minutes, one as each change of sky has settled, and one at each
// step of the sunset and the sunrise; each shows its moment's sky, and the
// folder keeps only the one showing.
TEST(WallpaperRunTest, ADayOfPicturesAtTheirMomentsShowingTheirSkies) {
    Wallpaper wallpaper("2024-06-21T10:00:00+02:00");
    const TimePoint start = test::at("2024-06-21T10:00:00+02:00");
    const auto pictures = wallpaper.runFor(24 * 3600);
    ASSERT_GT(pictures.size(), 24u * 4);
    EXPECT_NEAR(pictures.front().at, start, 0.1) << "the first at once";
    const TimePoint sunset = *Solar(start, paris).sunset();
    const TimePoint sunrise = *Solar(start + 86400, paris).sunrise();
    const auto takenNear = [&](TimePoint moment) {
        return std::any_of(pictures.begin(), pictures.end(),
                           [moment](const Picture& p) { return std::abs(p.at - moment) < 0.2; });
    };
    for (const auto& [moment, steps] : {std::pair{sunset, 7}, {sunrise, 5}})
        for (int step = 1; step < steps; ++step)
            EXPECT_TRUE(takenNear(moment + step * 240.0)) << formatUtc(moment) << " step " << step;
    EXPECT_TRUE(takenNear(sunset + WallpaperRun::settleSeconds)) << "the sunset, settled";
    for (std::size_t i = 1; i < pictures.size(); ++i) {
        const Picture &before = pictures[i - 1], &picture = pictures[i];
        EXPECT_LE(picture.at - before.at, 15 * 60 + 0.1) << formatUtc(picture.at);
        SCOPED_TRACE(formatUtc(picture.at) + " " + describe(picture.middle));
        if (picture.mode == SkyMode::night) {
            EXPECT_TRUE(near(picture.middle, rgbOf(ColorHelper::nightSkyColor()), 30));
        } else if (picture.mode == SkyMode::sunset && picture.at > sunset + 300 &&
                   picture.at < sunset + 1000) {
            EXPECT_TRUE(picture.middle.r > 200 && picture.middle.r > picture.middle.b + 60)
                << "the sunset's yellows and oranges";
        } else if (picture.mode == SkyMode::day) {
            EXPECT_TRUE(picture.middle.b > picture.middle.r) << "day blue or a cloud over it";
        }
    }
}

// A clock set between two pictures, forward or back, shows the sky of the new
// moment at once (once it has settled), not a quarter of an hour later.
TEST(WallpaperRunTest, AClockSetBetweenPicturesShowsTheNewMomentsSkyAtOnce) {
    for (const double jump : {12 * 3600.0, -12 * 3600.0}) {
        SCOPED_TRACE(jump);
        Wallpaper wallpaper("2024-06-21T12:00:00+02:00");
        wallpaper.onNextWait = [&wallpaper, jump] {
            wallpaper.real_.setNow(wallpaper.real_.now() + jump);
        };
        const auto pictures = wallpaper.runFor(86400, 2);
        ASSERT_GE(pictures.size(), 2u);
        EXPECT_EQ(pictures[0].mode, SkyMode::day);
        EXPECT_EQ(pictures[1].mode, SkyMode::night) << "midnight in Paris";
        // The clock is set at the end of the first wait, the next step of the
        // backdrop's colours, up to four minutes away.
        EXPECT_LT(std::abs(pictures[1].at - pictures[0].at - jump),
                  240 + WallpaperRun::settleSeconds + 1)
            << formatUtc(pictures[1].at);
    }
}

// On battery, still: a picture at each change of sky and no other.
TEST(WallpaperRunTest, OnBatteryStillOnlyChangesOfSkyArePictured) {
    PowerSupplies supplies;
    supplies.add("BAT0", {{"type", "Battery"}, {"status", "Discharging"}});
    Options options;
    options.onBattery = Options::OnBattery::still;
    std::vector<std::optional<SkyMode>> modes;
    for (const auto& picture : Wallpaper("2024-06-21T20:00:00+02:00", options).runFor(4 * 3600))
        modes.push_back(picture.mode);
    // The last, the morning's sunrise, ends the run.
    EXPECT_EQ(modes, (std::vector<std::optional<SkyMode>>{SkyMode::day, SkyMode::sunset,
                                                          SkyMode::night, SkyMode::sunrise}));
}
