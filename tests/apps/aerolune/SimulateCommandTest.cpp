#include "apps/aerolune/RunAerolune.h"
#include "astronomy/Solar.h"
#include "support/ScopedEnvironment.h"

#include <gtest/gtest.h>
#include <sstream>

using namespace aerolune;
using namespace aerolune::test;

namespace {

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        result.push_back(line);
    return result;
}

} // namespace

TEST(SimulateCommandTest, PrintsEverySunriseAndSunsetOfThreeDaysAtTheirMoments) {
    ScopedConfigHome home;
    ScopedTimeZone zone("America/New_York");
    const CLLocationCoordinate2D place{40.71, -74.01};
    ASSERT_FALSE(Prefs::setCoordinates(place));
    // New York moves its clocks forward on 10 March 2024.
    const TimePoint start = parseIso8601("2024-03-08T12:00:00-05:00").value();
    const auto run = runAerolune({"--simulate", "72h", "--at", formatUtc(start)}, home.root());
    ASSERT_EQ(run.status, 0) << run.err;

    // Each transition ends 20 or 28 minutes after its first frame, a frame after it begins.
    std::vector<std::string> expected{formatUtc(start) + " day"};
    for (int day = 0; day < 4; ++day) {
        const Solar solar(start + day * 86400.0, place);
        for (const auto& [moment, name, length, then] :
             {std::tuple{*solar.sunrise(), "sunrise", 1200.0, "day"},
              std::tuple{*solar.sunset(), "sunset", 1680.0, "night"}}) {
            if (moment > start && moment < start + 72 * 3600) {
                expected.push_back(formatUtc(moment) + " " + name);
                expected.push_back(formatUtc(moment + length + 1.0 / 30) + " " + then);
            }
        }
    }
    EXPECT_EQ(lines(run.out), expected);
}

TEST(SimulateCommandTest, AFailedForecastIsPrintedAndFallsBackToDayTenSecondsLater) {
    ScopedConfigHome home;
    const auto run = runAerolune({"-simulate", "1m", "-at", "2024-06-21T23:00:00Z"}, home.root());
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(lines(run.out),
              (std::vector<std::string>{"2024-06-21T23:00:00Z failed: Missing location preference.",
                                        "2024-06-21T23:00:10Z day"}));
}

TEST(SimulateCommandTest, FinishesFromTheHourAfterASunsetAndThroughAPolarNight) {
    ScopedConfigHome home;
    {
        SCOPED_TRACE("Paris, forty minutes after sunset");
        const auto run = runAerolune(
            {"--simulate", "1h", "--lat", "48.85", "--lon", "2.35", "--at", "2024-06-21T20:38:00Z"},
            home.root());
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(lines(run.out), (std::vector<std::string>{"2024-06-21T20:38:00Z sunset",
                                                            "2024-06-21T21:06:00Z night"}));
    }
    {
        SCOPED_TRACE("Tromsø for 400 days from New Year, through a polar day and two polar nights");
        const auto run = runAerolune({"--simulate", "400d", "--lat", "69.65", "--lon", "18.96",
                                      "--at", "2024-01-01T00:00:00Z"},
                                     home.root());
        ASSERT_EQ(run.status, 0) << run.err;
        const auto printed = lines(run.out);
        ASSERT_GT(printed.size(), 2u);
        EXPECT_EQ(printed.front(), "2024-01-01T00:00:00Z night");
        EXPECT_EQ(printed[1].substr(0, 10) + printed[1].substr(20), "2024-01-15 sunrise")
            << "the sun comes back in mid-January";
        // One line for each change, in time order.
        for (std::size_t i = 1; i < printed.size(); ++i) {
            SCOPED_TRACE(printed[i]);
            EXPECT_LT(printed[i - 1].substr(0, 20), printed[i].substr(0, 20));
            EXPECT_NE(printed[i - 1].substr(21), printed[i].substr(21));
        }
        EXPECT_EQ(printed.back().substr(0, 7), "2025-02") << "the run reaches its end";
    }
}
