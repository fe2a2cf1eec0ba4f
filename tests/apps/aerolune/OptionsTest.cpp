#include "aerolune/Options.h"

#include "support/ScopedEnvironment.h"

#include <gtest/gtest.h>
#include <tuple>

using namespace aerolune;
using aerolune::test::at;

static Options accepted(std::vector<std::string_view> arguments) {
    const auto parsed = Options::parse(arguments);
    EXPECT_TRUE(parsed) << (parsed ? "" : parsed.error().message);
    return parsed.valueOr({});
}

// The program's own tests run most options; here are the forms and values
// they do not.
TEST(OptionsTest, OneOrTwoDashesAndValuesAfterASpaceOrEquals) {
    const auto options =
        accepted({"-forecast", "--lat", "-33.5", "-lon=+18.5", "--at=2024-06-21T08:00:00-04:00"});
    EXPECT_EQ(std::tuple(options.command, options.latitude, options.longitude, options.at),
              std::tuple(Options::Command::forecast, -33.5, 18.5, at("2024-06-21T12:00:00Z")));
    const auto run = accepted({"-root", "-window-id", "0xffffffff", "-fps", "--preview", "--scale",
                               "0.5", "--on-battery=animate"});
    EXPECT_TRUE(run.root && run.fps && run.preview && run.command == Options::Command::none);
    EXPECT_EQ(
        std::tuple(run.windowId, run.scale, run.onBattery),
        std::tuple(std::optional(0xfffffffful), std::optional(0.5), Options::OnBattery::animate));
    EXPECT_EQ(accepted({"-simulate", "72h"}).duration, 72 * 3600.0);
    EXPECT_EQ(accepted({"--wallpaper", "--every", "30m"}).every, std::optional(1800.0));
    EXPECT_EQ(accepted({"--forecast", "-help", "--lat", "1"}).command, Options::Command::help);
}

TEST(OptionsTest, APlaceIsTwoNumbersOnEarthOrElseANameToLookUp) {
    using L = LocationArgument;
    using C = CLLocationCoordinate2D;
    // clang-format off
    for (const auto& [text, expected] : std::vector<std::pair<std::string, L>>{
             {"48.85,2.35", L{C{48.85, 2.35}}}, {" -90 , +180 ", L{C{-90, 180}}}, {"1e1,0", L{C{10, 0}}},
             {"paris, tx", L{"paris, tx"}}, {"48.5", L{"48.5"}}, {"48.5,2.5,1", L{"48.5,2.5,1"}},
             {"48.5,", L{"48.5,"}}, {"", L{""}}}) // clang-format on
        EXPECT_EQ(accepted({"--set-location", text}).location, expected) << '"' << text << '"';
}

TEST(OptionsTest, RefusesWhatItCannotReadWithOneLine) {
    // clang-format off
    for (const auto& [arguments, message] : std::vector<std::pair<std::vector<std::string_view>, std::string>>{
             {{"--bogus"}, "unknown option \"--bogus\" (see --help)"},
             {{"forecast"}, "unexpected argument \"forecast\" (see --help)"},
             {{"--forecast", "--lat"}, "--lat needs a value: --lat DEG"},
             {{"--forecast", "--lat", "nan", "--lon", "2"}, "--lat needs a number of degrees, not \"nan\""},
             {{"--forecast", "--lat", "90.0000001", "--lon", "0"}, "--lat 90.0000001 is outside [-90, 90]"},
             {{"--forecast", "--lat", "0", "--lon", "-180.5"}, "--lon -180.5 is outside [-180, 180]"},
             {{"--forecast", "--lat", "48"}, "--lat and --lon go together"},
             {{"--at", "2024-06-21T12:00:00Z"}, "--at goes with --forecast, --snapshot, --simulate or --wallpaper"},
             {{"--window-id", "0x100200001"}, "--window-id 0x100200001 is larger than any X window id (at most 0xffffffff)"},
             {{"--forecast", "--set-location", "1,2"}, "--forecast and --set-location cannot be used together"},
             {{"--location", "nan,2"}, "--location: latitude nan is not a finite number"},
             {{"--forecast", "--location", "Paris", "--lat", "1", "--lon", "2"}, "--location and --lat/--lon cannot be used together"},
             {{"--snapshot", "a.png", "--at", "2024-06-21T12:00:00"}, "--at needs an ISO 8601 date-time with Z or +HH:MM"},
             {{"--simulate", "401d"}, "--simulate needs a length of time such as 90, 90s, 15m, 72h or 3d (at most 400 days)"},
             {{"--snapshot", "a.png", "--size", "16385x10"}, "--size needs WIDTHxHEIGHT in pixels from 1 to 16384"},
             {{"--scale", "4.01"}, "--scale needs a number of pixels a point from 0.5 to 4, such as 2 or 1.5, not \"4.01\""},
             {{"--seed", "-1"}, "--seed needs a whole number from 0 to 18446744073709551615, not \"-1\""},
             {{"--layer", "sideways"}, "--layer needs background or overlay, not \"sideways\""},
             {{"--output", "DP-1"}, "--output goes with --layer"},
             {{"--wayland", "-root"}, "--layer, --output, --wayland and --fullscreen draw on Wayland, -root and -window-id on X11"},
             {{"--on-battery", "pause"}, "--on-battery needs animate or still, not \"pause\""},
             {{"--wallpaper", "--every", "59s"}, "--every needs at least a minute, not \"59s\""},
             {{"--forecast=yes"}, "--forecast takes no value"},
             {{"--size", "10x10"}, "--size goes with --snapshot or --wallpaper"},
             {{"--wallpaper", "--after", "10"}, "--after goes with --snapshot"},
             {{"--snapshot", "a.png", "--root"}, "-root, -window-id and -fps are for a saver run in a window"},
             {{"--forecast", "--seed", "1"}, "--seed and --preview go with a saver run, --snapshot, --simulate or --wallpaper"},
             {{"--set-location", "Lisbon", "--location", "Paris"}, "--location is for one run; --set-location stores a place"},
             {{"--forecast", "--scale", "2"}, "--scale goes with a saver run, --snapshot or --wallpaper"},
             {{"--output="}, "--output needs the name of a monitor, such as DP-1"},
             {{"--layer", "overlay", "--fullscreen"}, "--fullscreen is for a window; --layer covers whole monitors already"},
             {{"--layer", "background", "--forecast"}, "--layer, --output, --wayland and --fullscreen are for a saver run"},
             {{"--snapshot", "a.png", "--on-battery", "still"}, "--on-battery goes with a saver run or --wallpaper"},
             {{"--once"}, "--once, --every, --desktop and --restore go with --wallpaper"},
             {{"--wallpaper", "--restore", "--once"}, "--restore puts the earlier background back"},
             {{"--wallpaper", "--forecast"}, "--wallpaper and --forecast cannot be used together"},
         }) { // clang-format on
        const auto parsed = Options::parse(arguments);
        EXPECT_EQ((parsed ? "accepted" : parsed.error().message).substr(0, message.size()),
                  message);
    }
}
