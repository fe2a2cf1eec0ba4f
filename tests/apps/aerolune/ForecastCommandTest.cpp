#include "support/Program.h"
#include "support/ScopedConfigHome.h"

#include <gmock/gmock.h>

using namespace aerolune;
using namespace aerolune::test;
using ::testing::HasSubstr;

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
        const auto guess = forecast({"--at", "2024-06-21T12:00:00Z"});
        EXPECT_EQ(guess.status, 0) << guess.err;
        EXPECT_EQ(guess.out,
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
    const auto run = forecast({"-at=2024-06-21T10:00:00Z", "--log-stderr"});
    EXPECT_EQ(run.out, "sunrise: 2024-06-21T03:48:15Z\nsunset: 2024-06-21T19:55:36Z\nmode: day\n"
                       "next: sunset 2024-06-21T19:55:36Z\n");
    EXPECT_THAT(run.err, HasSubstr("aerolune: [vemo] TransitionForecaster.getLocation\n"));
    // --location is the place of this run alone.
    const std::string at = "--at=2024-06-21T12:00:00Z";
    const auto byPair = forecast({"--lat", "38.71667", "--lon", "-9.13333", at});
    EXPECT_NE(byPair.out, forecast({at}).out) << "the stored place is elsewhere";
    const auto byName = forecast({"--location", "Lisbon", "--log-stderr", at});
    EXPECT_EQ(byName.out, byPair.out);
    EXPECT_THAT(byName.err, HasSubstr("[vemo] location for this run: Lisbon, Portugal"));
    EXPECT_THAT(byName.err, ::testing::Not(HasSubstr("Prefs. coordinates")))
        << "the store was read";
    const auto unknown = forecast({"--location", "xyzzy"});
    EXPECT_EQ(std::pair(unknown.status, unknown.err),
              std::pair(1, std::string("aerolune: --location: No place called \u201Cxyzzy\u201D "
                                       "was found.\n")));
    EXPECT_EQ(fileText(home.storeFile()), stored);
}
