#include "support/Program.h"
#include "support/ScopedConfigHome.h"

#include <gtest/gtest.h>

using namespace aerolune;
using namespace aerolune::test;

static ProgramRun forecast(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "--forecast");
    return runProgram(AEROLUNE_PROGRAM, std::move(arguments));
}

// Without a stored place: none in a zone that names no place, a guess from
// one that does, or the place given for the run, which is not stored.
TEST(ForecastCommandTest, PrintsTheForecastOfTheGivenTheGuessedOrTheStoredPlace) {
    ScopedConfigHome home;
    {
        ScopedTimeZone placeless("Etc/GMT+5");
        const auto missing = forecast({});
        EXPECT_EQ(std::pair(missing.status, missing.err),
                  std::pair(1, std::string("Missing location preference.\n")));
    }
    {
        ScopedTimeZone lisbon("Europe/Lisbon");
        EXPECT_EQ(forecast({"--at", "2024-06-21T12:00:00Z"}).out,
                  "place: Lisbon (38.7167, -9.1333), a guess from the time zone "
                  "Europe/Lisbon; store your own with aerolune --set-location PLACE or "
                  "aerolune-settings\nsunrise: 2024-06-21T05:12:09Z\nsunset: "
                  "2024-06-21T20:04:46Z\nmode: day\nnext: sunset 2024-06-21T20:04:46Z\n");
    }
    ScopedTimeZone zone("Europe/Paris");
    EXPECT_EQ(forecast({"-lat", "78.5", "-lon", "15.5", "-at", "2024-06-21T00:00:00Z"}).out,
              "sunrise: none\nsunset: none\nmode: day\nnext: none\n");
    EXPECT_FALSE(std::filesystem::exists(home.storeFile())) << "a given place was stored";
    ASSERT_TRUE(Prefs::setCoordinates({48.5, 2.5}));
    const auto stored = fileText(home.storeFile());
    EXPECT_EQ(forecast({"-at=2024-06-21T10:00:00Z"}).out,
              "sunrise: 2024-06-21T03:48:15Z\nsunset: 2024-06-21T19:55:36Z\nmode: day\n"
              "next: sunset 2024-06-21T19:55:36Z\n");
    // --location is the place of this run alone.
    const std::string at = "--at=2024-06-21T12:00:00Z";
    const auto byPair = forecast({"--lat", "38.71667", "--lon", "-9.13333", at});
    EXPECT_NE(byPair.out, forecast({at}).out) << "the stored place is elsewhere";
    const auto byName = forecast({"--location", "Lisbon", "--log-stderr", at});
    EXPECT_EQ(byName.out, byPair.out);
    EXPECT_EQ(byName.err.find("Prefs. coordinates"), std::string::npos) << "the store was read";
    const auto unknown = forecast({"--location", "xyzzy"});
    EXPECT_EQ(unknown.status, 1);
    EXPECT_TRUE(unknown.err.starts_with("aerolune: --location: No place called")) << unknown.err;
    EXPECT_EQ(fileText(home.storeFile()), stored);
}
