#include "aerolune/Options.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace aerolune;
using ::testing::HasSubstr;
using ::testing::StartsWith;

namespace {

Options parsed(std::vector<std::string_view> arguments) {
    auto result = Options::parse(arguments);
    if (auto* problem = std::get_if<std::string>(&result)) {
        ADD_FAILURE() << *problem;
        return {};
    }
    return std::get<Options>(result);
}

std::string problem(std::vector<std::string_view> arguments) {
    auto result = Options::parse(arguments);
    if (auto* text = std::get_if<std::string>(&result))
        return *text;
    ADD_FAILURE() << "accepted";
    return {};
}

} // namespace

TEST(OptionsTest, OneOrTwoDashesAndValuesAfterASpaceOrEquals) {
    for (const auto& arguments : std::vector<std::vector<std::string_view>>{
             {"--forecast", "--lat", "-33.5", "--lon", "18.5", "--at", "2024-06-21T12:00:00Z"},
             {"-forecast", "-lat", "-33.5", "-lon=18.5", "-at=2024-06-21T12:00:00Z"},
             {"--lat=-33.5", "--lon=+18.5", "--at=2024-06-21T14:00:00+02:00", "-forecast"},
         }) {
        SCOPED_TRACE(arguments.front());
        const Options options = parsed(arguments);
        EXPECT_EQ(options.command, Options::Command::forecast);
        EXPECT_EQ(options.latitude, -33.5);
        EXPECT_EQ(options.longitude, 18.5);
        EXPECT_EQ(options.at, parseIso8601("2024-06-21T12:00:00Z"));
        EXPECT_FALSE(options.logStderr);
    }
    EXPECT_EQ(parsed({}).command, Options::Command::none);
    EXPECT_TRUE(parsed({"-log-stderr", "--forecast"}).logStderr);
    const Options place = parsed({"--set-location", "-33.5, 18.5"});
    EXPECT_EQ(place.command, Options::Command::setLocation);
    EXPECT_EQ(place.location, (CLLocationCoordinate2D{-33.5, 18.5}));
    EXPECT_EQ(parsed({"--forecast", "--help"}).command, Options::Command::help);
    EXPECT_EQ(parsed({"-help", "--set-location=1,2"}).command, Options::Command::help);
}

TEST(OptionsTest, DegreesAreCheckedAtTheirLimitsFromBothSides) {
    EXPECT_EQ(parsed({"--forecast", "--lat", "90", "--lon", "-180"}).latitude, 90.0);
    EXPECT_EQ(parsed({"--forecast", "--lat", "-90", "--lon", "180"}).longitude, 180.0);
    EXPECT_EQ(problem({"--forecast", "--lat", "90.0000001", "--lon", "0"}),
              "--lat 90.0000001 is outside [-90, 90]");
    EXPECT_EQ(problem({"--forecast", "--lat", "0", "--lon", "-180.5"}),
              "--lon -180.5 is outside [-180, 180]");
    EXPECT_EQ(parsed({"--set-location", "90,-180"}).location, (CLLocationCoordinate2D{90, -180}));
    EXPECT_EQ(problem({"--set-location", "-90.5,2"}),
              "--set-location: latitude -90.5 is outside [-90, 90]");
    EXPECT_EQ(problem({"--set-location", "48,180.25"}),
              "--set-location: longitude 180.25 is outside [-180, 180]");
}

TEST(OptionsTest, RefusesWhatItCannotReadWithOneLine) {
    struct Case {
        std::vector<std::string_view> arguments;
        const char* start;
    };
    for (const Case& c : {
             Case{{"--bogus"}, "unknown option \"--bogus\""},
             Case{{"-", "--forecast"}, "unknown option \"-\""},
             Case{{"forecast"}, "unexpected argument \"forecast\""},
             Case{{"--forecast=yes"}, "--forecast takes no value"},
             Case{{"--forecast", "--lat"}, "--lat needs a value"},
             Case{{"--forecast", "--lat", "north", "--lon", "2"}, "--lat needs a number"},
             Case{{"--forecast", "--lat", "nan", "--lon", "2"}, "--lat needs a number"},
             Case{{"--forecast", "--lat", "1e999", "--lon", "2"}, "--lat needs a number"},
             Case{{"--forecast", "--lat=", "--lon", "2"}, "--lat needs a number"},
             Case{{"--forecast", "--lat", "48"}, "--lat and --lon go together"},
             Case{{"--lat", "48", "--lon", "2"}, "--lat, --lon and --at go with --forecast"},
             Case{{"--at", "2024-06-21T12:00:00Z"}, "--lat, --lon and --at go with --forecast"},
             Case{{"--forecast", "--at", "2024-06-21 12:00"}, "--at needs an ISO 8601"},
             Case{{"--forecast", "--at", "2024-06-21T12:00:00"}, "--at needs an ISO 8601"},
             Case{{"--forecast", "--set-location", "1,2"}, "--forecast and --set-location"},
             Case{{"--set-location", "48.5"}, "--set-location needs LAT,LON"},
             Case{{"--set-location", "48.5,2.5,1"}, "--set-location needs LAT,LON"},
             Case{{"--set-location", "48.5;2.5"}, "--set-location needs LAT,LON"},
             Case{{"--set-location", ",2.5"}, "--set-location needs LAT,LON"},
             Case{{"--set-location", "inf,2.5"}, "--set-location needs LAT,LON"},
             Case{{"--set-location", "0x10,2"}, "--set-location needs LAT,LON"},
         }) {
        SCOPED_TRACE(c.arguments.front());
        const std::string text = problem(c.arguments);
        EXPECT_THAT(text, StartsWith(c.start));
        EXPECT_EQ(text.find('\n'), std::string::npos);
    }
}

TEST(OptionsTest, HelpDescribesEveryOption) {
    const std::string help = Options::helpText();
    for (const char* line : {"  --forecast  ", "  --lat DEG  ", "  --lon DEG  ", "  --at WHEN  ",
                             "  --set-location LAT,LON  ", "  --log-stderr  ", "  --help  "})
        EXPECT_THAT(help, HasSubstr(line));
    std::size_t start = 0;
    for (std::size_t end; (end = help.find('\n', start)) != std::string::npos; start = end + 1)
        EXPECT_LE(end - start, 79u) << help.substr(start, end - start);
}
