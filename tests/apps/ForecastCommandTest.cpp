#include "apps/RunAerolune.h"
#include "platform/CLLocationCoordinate2D.h"
#include "platform/Random.h"
#include "settings/Prefs.h"
#include "support/ReferenceSunrise.h"
#include "support/ScopedConfigHome.h"
#include "support/ScopedEnvironment.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace aerolune;
using namespace aerolune::test;
using ::testing::HasSubstr;
namespace fs = std::filesystem;

namespace {

const char* const kParisJune = "sunrise: 2024-06-21T03:48:15Z\n"
                               "sunset: 2024-06-21T19:55:36Z\n"
                               "mode: day\n"
                               "next: sunset 2024-06-21T19:55:36Z\n";

std::optional<TimePoint> lineMoment(const std::string& out, const std::string& key) {
    const auto start = out.find(key + ": ");
    if (start == std::string::npos)
        return std::nullopt;
    const auto from = start + key.size() + 2;
    return parseIso8601(std::string_view(out).substr(from, out.find('\n', from) - from));
}

} // namespace

TEST(ForecastCommandTest, PrintsTheForecastOfTheStoredPlace) {
    ScopedConfigHome home;
    ASSERT_FALSE(Prefs::setCoordinates({48.5, 2.5}));
    for (const char* zone : {"<+02>-2", "Europe/Paris"}) {
        SCOPED_TRACE(zone);
        ScopedTimeZone tz(zone);
        const auto run =
            runAerolune({"--forecast", "--at", "2024-06-21T12:00:00+02:00"}, home.root());
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.out, kParisJune);
        EXPECT_EQ(run.err, "");
    }
    ScopedTimeZone tz("Europe/Paris");
    const auto spelled = runAerolune({"-forecast", "-at=2024-06-21T10:00:00Z"}, home.root());
    EXPECT_EQ(spelled.out, kParisJune);
    const auto logged =
        runAerolune({"--forecast", "--at=2024-06-21T10:00:00Z", "--log-stderr"}, home.root());
    EXPECT_EQ(logged.out, kParisJune);
    EXPECT_THAT(logged.err, HasSubstr("aerolune: [vemo] TransitionForecaster.getLocation\n"));
    EXPECT_THAT(logged.err, HasSubstr("aerolune: today's sunset: 2024-06-21 19:55:36 +0000\n"));
}

TEST(ForecastCommandTest, AGivenPlaceLeavesTheStoreAlone) {
    ScopedConfigHome home;
    struct Case {
        const char* zone;
        std::vector<std::string> arguments;
        const char* out;
    };
    for (const Case& c : {
             Case{"America/New_York",
                  {"--lat", "40.5", "--lon", "-74.0", "--at", "2024-06-21T23:00:00-04:00"},
                  "sunrise: 2024-06-21T09:25:50Z\nsunset: 2024-06-22T00:29:59Z\nmode: night\n"
                  "next: sunrise 2024-06-22T09:26:05Z\n"},
             Case{"UTC",
                  {"--lat", "0.5", "--lon", "0.5", "--at", "2024-03-20T06:30:00Z"},
                  "sunrise: 2024-03-20T06:01:55Z\nsunset: 2024-03-20T18:08:34Z\nmode: sunrise\n"
                  "next: none\n"},
             Case{"UTC",
                  {"--lat", "78.5", "--lon", "15.5", "--at", "2024-06-21T00:00:00Z"},
                  "sunrise: none\nsunset: none\nmode: day\nnext: none\n"},
             Case{"Europe/Oslo",
                  {"--lat=69.5", "--lon=19", "--at=2024-12-21T12:00:00+01:00"},
                  "sunrise: none\nsunset: none\nmode: night\nnext: none\n"},
         }) {
        SCOPED_TRACE(c.out);
        ScopedTimeZone tz(c.zone);
        auto arguments = c.arguments;
        arguments.insert(arguments.begin(), "--forecast");
        const auto run = runAerolune(arguments, home.root());
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.out, c.out);
    }
    EXPECT_FALSE(fs::exists(home.storeFile()));
}

TEST(ForecastCommandTest, FailuresAndBadInputGiveTheirExitStatus) {
    ScopedConfigHome home;
    const auto missing = runAerolune({"--forecast"}, home.root());
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, "");
    EXPECT_EQ(missing.err, "Missing location preference.\n");
    for (const auto& arguments : std::vector<std::vector<std::string>>{
             {"--forecast", "--lat", "91", "--lon", "0"},
             {"--forecast", "--at", "tomorrow"},
             {"--forecast", "--lon", "2"},
             {"--forecast", "--bogus"},
             {},
         }) {
        const auto run = runAerolune(arguments, home.root());
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, "");
        EXPECT_THAT(run.err, ::testing::MatchesRegex("aerolune: [^\n]+\n"));
    }
    const auto help = runAerolune({"--help"}, home.root());
    EXPECT_EQ(help.status, 0);
    EXPECT_THAT(help.out, HasSubstr("--forecast"));
    EXPECT_EQ(runAerolune({"-help"}, home.root()).out, help.out);
}

TEST(ForecastCommandTest, AgreesWithTheSunriseEquationForAnyPlaceDateAndZone) {
    ScopedConfigHome home;
    const std::vector<const char*> zones{"UTC",
                                         "Europe/Paris",
                                         "America/New_York",
                                         "America/Havana",
                                         "Australia/Sydney",
                                         "Asia/Kolkata",
                                         "Pacific/Kiritimati",
                                         "Pacific/Pago_Pago",
                                         "Asia/Kathmandu",
                                         "America/St_Johns",
                                         "Africa/Casablanca",
                                         "Pacific/Apia"};
    Random random(42);
    for (int i = 0; i < 24; ++i) {
        const char* zone = zones[random.below(zones.size())];
        const TimePoint moment = random.uniform(0, *parseIso8601("2100-12-31T23:59:59Z"));
        const double latitude = random.uniform(-65, 65), longitude = random.uniform(-180, 180);
        ScopedTimeZone tz(zone);
        const auto run = runAerolune({"--forecast", "--lat", shortestDecimal(latitude), "--lon",
                                      shortestDecimal(longitude), "--at", formatUtc(moment)},
                                     home.root());
        const auto expected = referenceSunriseEquation(std::round(moment), latitude, longitude);
        SCOPED_TRACE(std::string(zone) + " " + formatUtc(moment) + "\n" + run.out);
        ASSERT_EQ(run.status, 0) << run.err;
        ASSERT_TRUE(expected.sunrise && expected.sunset);
        EXPECT_NEAR(lineMoment(run.out, "sunrise").value(), *expected.sunrise, 1.0);
        EXPECT_NEAR(lineMoment(run.out, "sunset").value(), *expected.sunset, 1.0);
    }
}
