#include "apps/aerolune/RunAerolune.h"
#include "geocode/PlaceSearch.h"
#include "platform/core/Random.h"
#include "support/ReferenceSunrise.h"
#include "support/ScopedEnvironment.h"

#include <cstring>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace aerolune;
using namespace aerolune::test;
using ::testing::HasSubstr;
using ::testing::Not;

TEST(ForecastCommandTest, PrintsTheForecastOfTheStoredOrTheGivenPlace) {
    ScopedConfigHome home;
    const auto missing = runAerolune({"--forecast"}, home.root());
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out + missing.err, "Missing location preference.\n");
    struct Case {
        const char* zone;
        std::vector<std::string> arguments;
        const char* out;
    };
    for (const Case& c : {
             Case{"America/New_York",
                  {"--lat", "40.5", "--lon", "-74", "--at", "2024-06-21T23:00:00-04:00"},
                  "sunrise: 2024-06-21T09:25:50Z\nsunset: 2024-06-22T00:29:59Z\nmode: night\n"
                  "next: sunrise 2024-06-22T09:26:05Z\n"},
             Case{"UTC",
                  {"--lat=0.5", "--lon=0.5", "--at=2024-03-20T06:30:00Z"},
                  "sunrise: 2024-03-20T06:01:55Z\nsunset: 2024-03-20T18:08:34Z\nmode: "
                  "sunrise\nnext: none\n"},
             Case{"UTC",
                  {"-lat", "78.5", "-lon", "15.5", "-at", "2024-06-21T00:00:00Z"},
                  "sunrise: none\nsunset: none\nmode: day\nnext: none\n"},
         }) {
        ScopedTimeZone zone(c.zone);
        auto arguments = c.arguments;
        arguments.insert(arguments.begin(), "--forecast");
        const auto run = runAerolune(arguments, home.root());
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.out, c.out);
    }
    EXPECT_FALSE(std::filesystem::exists(home.storeFile())) << "a given place is not stored";

    ASSERT_FALSE(Prefs::setCoordinates({48.5, 2.5}));
    ScopedTimeZone zone("Europe/Paris");
    const auto run =
        runAerolune({"-forecast", "-at=2024-06-21T10:00:00Z", "--log-stderr"}, home.root());
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "sunrise: 2024-06-21T03:48:15Z\nsunset: 2024-06-21T19:55:36Z\nmode: day\n"
                       "next: sunset 2024-06-21T19:55:36Z\n");
    EXPECT_THAT(run.err, HasSubstr("aerolune: [vemo] TransitionForecaster.getLocation\n"));
    for (const auto& bad :
         std::vector<std::vector<std::string>>{{"--forecast", "--lat", "91", "--lon", "0"},
                                               {"--forecast", "--at", "noon"},
                                               {"--forecast", "--simulate", "1h"}}) {
        const auto refused = runAerolune(bad, home.root());
        EXPECT_EQ(refused.status, 2);
        EXPECT_THAT(refused.out + refused.err, ::testing::MatchesRegex("aerolune: [^\n]+\n"));
    }
}

TEST(ForecastCommandTest, AgreesWithTheSunriseEquationForAnyPlaceDateAndZone) {
    ScopedConfigHome home;
    const std::vector<const char*> zones{"UTC",
                                         "Europe/Paris",
                                         "America/Havana",
                                         "Australia/Sydney",
                                         "Asia/Kathmandu",
                                         "Pacific/Kiritimati",
                                         "Pacific/Pago_Pago",
                                         "America/St_Johns"};
    Random random(42);
    for (int i = 0; i < 16; ++i) {
        ScopedTimeZone zone(zones[random.below(zones.size())]);
        const TimePoint moment = std::round(random.uniform(0, 4133980799)); // 1970 to 2100
        const double latitude = random.uniform(-65, 65), longitude = random.uniform(-180, 180);
        const auto run = runAerolune({"--forecast", "--lat", shortestDecimal(latitude), "--lon",
                                      shortestDecimal(longitude), "--at", formatUtc(moment)},
                                     home.root());
        const auto expected = referenceSunriseEquation(moment, latitude, longitude);
        ASSERT_TRUE(run.status == 0 && expected.sunrise) << run.out << run.err;
        const auto moments = [&](const char* key) {
            const auto from = run.out.find(key) + std::strlen(key);
            return parseIso8601(run.out.substr(from, run.out.find('\n', from) - from)).value_or(0);
        };
        EXPECT_NEAR(moments("sunrise: "), *expected.sunrise, 1.0) << run.out;
        EXPECT_NEAR(moments("sunset: "), *expected.sunset, 1.0) << run.out;
    }
}

TEST(ForecastCommandTest, LocationIsThePlaceOfThisRunAndIsNotStored) {
    ScopedConfigHome home;
    ScopedTimeZone zone("Europe/Lisbon");
    ASSERT_FALSE(Prefs::setCoordinates({48.5, 2.25}));
    const auto stored = fileText(home.storeFile());
    const auto lisbon = PlaceSearch::search("Lisbon").coordinate().value();
    const auto forecast = [&](std::vector<std::string> arguments) {
        arguments.insert(arguments.end(), {"--forecast", "--at", "2024-06-21T12:00:00Z"});
        return runAerolune(arguments, home.root());
    };
    const auto lat = shortestDecimal(lisbon.latitude), lon = shortestDecimal(lisbon.longitude);
    const auto byPair = forecast({"--lat", lat, "--lon", lon});
    for (const auto& given : std::vector<std::vector<std::string>>{
             {"--location", "Lisbon"}, {"-location=" + lat + "," + lon}}) {
        const auto run = forecast(given);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, byPair.out) << given[0];
    }
    const auto logged = forecast({"--location", "Lisbon", "--log-stderr"});
    EXPECT_THAT(logged.err, HasSubstr("[vemo] location for this run: Lisbon, Portugal"));
    EXPECT_THAT(logged.err, Not(HasSubstr("Prefs. coordinates"))) << "the store was read";

    const auto unknown = forecast({"--location", "xyzzy"});
    EXPECT_EQ(unknown.status, 1);
    EXPECT_EQ(unknown.out + unknown.err,
              "aerolune: --location: No place called \u201Cxyzzy\u201D was found.\n");
    EXPECT_EQ(fileText(home.storeFile()), stored);
}
