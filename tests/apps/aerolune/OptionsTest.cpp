#include "aerolune/Options.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace aerolune;

namespace {
std::variant<Options, std::string> parse(std::vector<std::string_view> arguments) {
    return Options::parse(arguments);
}
} // namespace

TEST(OptionsTest, OneOrTwoDashesAndValuesAfterASpaceOrEquals) {
    for (const auto& arguments : std::vector<std::vector<std::string_view>>{
             {"--forecast", "--lat", "-33.5", "--lon", "18.5", "--at", "2024-06-21T12:00:00Z"},
             {"-forecast", "-lat", "-33.5", "-lon=+18.5", "-at=2024-06-21T14:00:00+02:00"},
         }) {
        const auto options = std::get<Options>(parse(arguments));
        EXPECT_EQ(options.command, Options::Command::forecast);
        EXPECT_EQ(options.latitude, -33.5);
        EXPECT_EQ(options.longitude, 18.5);
        EXPECT_EQ(options.at, parseIso8601("2024-06-21T12:00:00Z"));
    }
    EXPECT_TRUE(std::get<Options>(parse({"-log-stderr", "--forecast"})).logStderr);
    EXPECT_EQ(std::get<Options>(parse({"--set-location", " -90 , 180"})).location,
              (LocationArgument{CLLocationCoordinate2D{-90, 180}}));
    EXPECT_EQ(std::get<Options>(parse({"--set-location", "paris, tx"})).location,
              (LocationArgument{std::string("paris, tx")}));
    for (const auto& arguments : std::vector<std::vector<std::string_view>>{
             {"--forecast", "-location", "Lisbon"},
             {"--location=Lisbon"},
             {"-help", "-location", "Lisbon", "--set-location", "Paris"},
         }) {
        const auto options = std::get<Options>(parse(arguments));
        EXPECT_EQ(options.runLocation, (LocationArgument{std::string("Lisbon")}));
    }
    EXPECT_EQ(std::get<Options>(parse({"--forecast", "-help"})).command, Options::Command::help);
    EXPECT_EQ(std::get<Options>(parse({})).command, Options::Command::none);
}

TEST(OptionsTest, SaverRunsTakeXScreenSaverStyleOptions) {
    const auto run = std::get<Options>(
        parse({"-root", "-window-id", "0x1a00005", "-fps", "--preview", "--seed=7"}));
    EXPECT_EQ(run.command, Options::Command::none);
    EXPECT_TRUE(run.root && run.fps && run.preview);
    EXPECT_EQ(run.windowId, 0x1a00005u);
    EXPECT_EQ(run.seed, 7u);
    EXPECT_EQ(std::get<Options>(parse({"--window-id", "27262981"})).windowId, 27262981u);
    EXPECT_EQ(std::get<Options>(parse({"--window-id", "0xffffffff"})).windowId, 0xffffffffu);

    const auto snapshot = std::get<Options>(parse(
        {"--snapshot", "a.png", "--size", "1344x504", "--after", "10m", "--lat=1", "-lon=2"}));
    EXPECT_EQ(snapshot.command, Options::Command::snapshot);
    EXPECT_EQ(snapshot.snapshotPath, "a.png");
    EXPECT_EQ(snapshot.size, (Size{1344, 504}));
    EXPECT_EQ(snapshot.after, 600.0);
    EXPECT_EQ(std::get<Options>(parse({"-simulate", "72h"})).duration, 72 * 3600.0);
}

TEST(OptionsTest, RefusesWhatItCannotReadWithOneLine) {
    for (const auto& [arguments, message] :
         std::vector<std::pair<std::vector<std::string_view>, std::string>>{
             {{"--bogus"}, "unknown option \"--bogus\" (see --help)"},
             {{"--"}, "unknown option \"--\" (see --help)"},
             {{"-=1"}, "unknown option \"-=1\" (see --help)"},
             {{"forecast"}, "unexpected argument \"forecast\" (see --help)"},
             {{"--forecast=yes"}, "--forecast takes no value"},
             {{"--forecast", "--lat"}, "--lat needs a value: --lat DEG"},
             {{"--forecast", "--lat", "nan", "--lon", "2"},
              "--lat needs a number of degrees, not \"nan\""},
             {{"--forecast", "--lat", "90.0000001", "--lon", "0"},
              "--lat 90.0000001 is outside [-90, 90]"},
             {{"--forecast", "--lat", "0", "--lon", "-180.5"},
              "--lon -180.5 is outside [-180, 180]"},
             {{"--forecast", "--lat", "48"}, "--lat and --lon go together"},
             {{"--at", "2024-06-21T12:00:00Z"},
              "--at goes with --forecast, --snapshot or --simulate"},
             {{"--set-location", "1,2", "--lat", "1", "--lon", "2"},
              "--lat and --lon go with --forecast, --snapshot, --simulate or a saver run"},
             {{"--size", "10x10"}, "--size and --after go with --snapshot"},
             {{"--snapshot", "a.png", "--size", "0x10"},
              "--size needs WIDTHxHEIGHT in pixels from 1 to 16384, such as 1920x1080, not "
              "\"0x10\""},
             {{"--snapshot", "a.png", "--root"},
              "-root, -window-id and -fps are for a saver run in a window"},
             {{"--window-id", "window"},
              "--window-id needs a window id in hex (0x1a00005) or decimal, not \"window\""},
             {{"--window-id", "0x100200001"},
              "--window-id 0x100200001 is larger than any X window id (at most 0xffffffff)"},
             {{"--window-id", "4294967296"},
              "--window-id 4294967296 is larger than any X window id (at most 0xffffffff)"},
             {{"--window-id", "0x10000000000000000"},
              "--window-id 0x10000000000000000 is larger than any X window id (at most "
              "0xffffffff)"},
             {{"--seed", "-1"},
              "--seed needs a whole number from 0 to 18446744073709551615, not \"-1\""},
             {{"--simulate", "3 days"},
              "--simulate needs a length of time such as 90, 90s, 15m, 72h or 3d (at most 400 "
              "days), not \"3 days\""},
             {{"--forecast", "--seed", "1"},
              "--seed and --preview go with a saver run, --snapshot or --simulate"},
             {{"--forecast", "--at", "2024-06-21T12:00:00"},
              "--at needs an ISO 8601 date-time with Z or +HH:MM, such as "
              "2024-06-21T12:00:00+02:00, "
              "not \"2024-06-21T12:00:00\""},
             {{"--forecast", "--set-location", "1,2"},
              "--forecast and --set-location cannot be used together"},
             {{"--set-location", "nan,2"}, "--set-location: latitude nan is not a finite number"},
             {{"--location", "1,200"}, "--location: longitude 200.0 is outside [-180, 180]"},
             {{"--set-location", "Lisbon", "--location", "Paris"},
              "--location is for one run; --set-location stores a place"},
             {{"--forecast", "--location", "Paris", "--lat", "1", "--lon", "2"},
              "--location and --lat/--lon cannot be used together"},
             {{"--set-location", "-90.5,2"}, "--set-location: latitude -90.5 is outside [-90, 90]"},
         }) {
        const auto result = parse(arguments);
        const auto* problem = std::get_if<std::string>(&result);
        EXPECT_EQ(problem ? *problem : "accepted", message);
    }
}

TEST(OptionsTest, HelpDescribesEveryOptionWithinEightyColumns) {
    const std::string help = Options::helpText();
    for (const char* option :
         {"  --forecast  ", "  --lat DEG  ", "  --lon DEG  ", "  --at WHEN  ",
          "  --set-location TEXT  ", "  --location TEXT  ", "  --log-stderr  ", "  --help  "})
        EXPECT_THAT(help, ::testing::HasSubstr(option));
    for (std::size_t start = 0, end; (end = help.find('\n', start)) != std::string::npos;
         start = end + 1)
        EXPECT_LE(end - start, 79u) << help.substr(start, end - start);
}
