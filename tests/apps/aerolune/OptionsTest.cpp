#include "aerolune/Options.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace aerolune;

namespace {

Options accepted(std::vector<std::string_view> arguments) {
    const auto parsed = Options::parse(arguments);
    EXPECT_TRUE(parsed) << (parsed ? "" : parsed.error().message);
    return parsed.valueOr({});
}

} // namespace

TEST(OptionsTest, OneOrTwoDashesAndValuesAfterASpaceOrEquals) {
    for (const auto& arguments : std::vector<std::vector<std::string_view>>{
             {"--forecast", "--lat", "-33.5", "--lon", "18.5", "--at", "2024-06-21T12:00:00Z"},
             {"-forecast", "-lat", "-33.5", "-lon=+18.5", "-at=2024-06-21T14:30:00+02:30"},
             {"--forecast", "--lat=-33.5", "--lon", "18.5", "--at", "2024-06-21T08:00:00-04:00"}}) {
        const auto options = accepted(arguments);
        EXPECT_EQ(options.command, Options::Command::forecast);
        EXPECT_EQ(options.latitude, -33.5);
        EXPECT_EQ(options.longitude, 18.5);
        EXPECT_EQ(options.at, 1718971200.0) << arguments.back();
    }
    const auto run =
        accepted({"-root", "-window-id", "0xffffffff", "-fps", "--preview", "--seed=7"});
    EXPECT_TRUE(run.root && run.fps && run.preview && run.command == Options::Command::none);
    EXPECT_EQ(std::pair(run.windowId, run.seed),
              std::pair(std::optional(0xfffffffful), std::optional(std::uint64_t(7))));
    EXPECT_EQ(accepted({"--window-id", "27262981"}).windowId, 27262981u);
    const auto snapshot = accepted({"--snapshot", "a.png", "--size", "1344x504", "--after", "90m"});
    EXPECT_EQ(std::tuple(snapshot.snapshotPath, snapshot.size, snapshot.after),
              std::tuple("a.png", std::optional(Size{1344, 504}), std::optional(5400.0)));
    EXPECT_EQ(accepted({"-simulate", "72h"}).duration, 72 * 3600.0);
    EXPECT_EQ(accepted({"-simulate", "400d"}).duration, 400 * 86400.0);
    EXPECT_EQ(accepted({"--forecast", "-help", "--lat", "1"}).command, Options::Command::help);
    EXPECT_EQ(accepted({"-location=Lisbon"}).runLocation, LocationArgument{"Lisbon"});
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
    const std::string degrees = " needs a number of degrees, not ",
                      window = " is larger than any X window id (at most 0xffffffff)";
    // clang-format off
    for (const auto& [arguments, message] : std::vector<std::pair<std::vector<std::string_view>, std::string>>{
             {{"--bogus"}, "unknown option \"--bogus\" (see --help)"},
             {{"forecast"}, "unexpected argument \"forecast\" (see --help)"},
             {{"--forecast=yes"}, "--forecast takes no value"},
             {{"--forecast", "--lat"}, "--lat needs a value: --lat DEG"},
             {{"--forecast", "--lat", "nan", "--lon", "2"}, "--lat" + degrees + "\"nan\""},
             {{"--forecast", "--lat", "90.0000001", "--lon", "0"}, "--lat 90.0000001 is outside [-90, 90]"},
             {{"--forecast", "--lat", "0", "--lon", "-180.5"}, "--lon -180.5 is outside [-180, 180]"},
             {{"--forecast", "--lat", "48"}, "--lat and --lon go together"},
             {{"--at", "2024-06-21T12:00:00Z"}, "--at goes with --forecast, --snapshot or --simulate"},
             {{"--size", "10x10"}, "--size and --after go with --snapshot"},
             {{"--snapshot", "a.png", "--root"}, "-root, -window-id and -fps are for a saver run in a window"},
             {{"--window-id", "0x100200001"}, "--window-id 0x100200001" + window},
             {{"--window-id", "4294967296"}, "--window-id 4294967296" + window},
             {{"--forecast", "--seed", "1"}, "--seed and --preview go with a saver run, --snapshot or --simulate"},
             {{"--forecast", "--set-location", "1,2"}, "--forecast and --set-location cannot be used together"},
             {{"--set-location", "-90.5,2"}, "--set-location: latitude -90.5 is outside [-90, 90]"},
             {{"--location", "nan,2"}, "--location: latitude nan is not a finite number"},
             {{"--set-location", "Lisbon", "--location", "Paris"}, "--location is for one run; --set-location stores a place"},
             {{"--forecast", "--location", "Paris", "--lat", "1", "--lon", "2"}, "--location and --lat/--lon cannot be used together"},
         }) { // clang-format on
        const auto parsed = Options::parse(arguments);
        EXPECT_EQ(parsed ? "accepted" : parsed.error().message, message);
    }
    for (const auto& [option, value] : {std::pair{"--at", "2024-06-21T12:00:00"},
                                        {"--simulate", "401d"},
                                        {"--size", "16385x10"},
                                        {"--seed", "-1"}}) {
        const auto parsed = Options::parse({"--snapshot", "a.png", option, value});
        EXPECT_THAT(
            parsed ? "accepted" : parsed.error().message,
            ::testing::MatchesRegex(std::string(option) + " needs .*, not \"" + value + "\""));
    }
}
