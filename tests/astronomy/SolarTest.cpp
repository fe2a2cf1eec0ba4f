#include "astronomy/Solar.h"

#include "platform/core/Calendar.h"
#include "platform/core/Random.h"
#include "support/ReferenceSunrise.h"
#include "support/ScopedEnvironment.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

using namespace aerolune;
using aerolune::test::at;
using aerolune::test::ScopedTimeZone;

namespace {
std::string utc(const std::optional<TimePoint>& t) {
    return t ? formatUtc(*t) : "none";
}
TimePoint startOf(LocalDate date) {
    return Calendar::startOfDay(date).value();
}
} // namespace

TEST(SolarTest, KnownDaysToTheSecondAtBothEndsOfTheDay) {
    struct Case {
        const char* zone;
        LocalDate date;
        CLLocationCoordinate2D place;
        const char *sunrise, *sunset;
    };
    // clang-format off
    for (const Case& c : {
             Case{"<+02>-2",          {2024, 6, 21},  {48.5, 2.5},   "2024-06-21T03:48:15Z", "2024-06-21T19:55:36Z"},
             Case{"Europe/Paris",     {2024, 6, 21},  {48.5, 2.5},   "2024-06-21T03:48:15Z", "2024-06-21T19:55:36Z"},
             Case{"<+01>-1",          {2024, 12, 21}, {48.5, 2.5},   "2024-12-21T07:39:37Z", "2024-12-21T15:57:18Z"},
             Case{"Europe/Paris",     {2024, 12, 21}, {48.5, 2.5},   "2024-12-21T07:39:37Z", "2024-12-21T15:57:18Z"},
             Case{"<-04>4",           {2024, 6, 21},  {40.5, -74.0}, "2024-06-21T09:25:50Z", "2024-06-22T00:29:59Z"},
             Case{"America/New_York", {2024, 6, 21},  {40.5, -74.0}, "2024-06-21T09:25:50Z", "2024-06-22T00:29:59Z"},
             Case{"UTC",              {2024, 3, 20},  {0.5, 0.5},    "2024-03-20T06:01:55Z", "2024-03-20T18:08:34Z"},
         }) { // clang-format on
        SCOPED_TRACE(c.zone);
        ScopedTimeZone zone(c.zone);
        const TimePoint first = startOf(c.date);
        for (const TimePoint t : {first, first + 1, first + 86399}) {
            EXPECT_EQ(utc(Solar(t, c.place).sunrise()), c.sunrise) << formatUtc(t);
            EXPECT_EQ(utc(Solar(t, c.place).sunset()), c.sunset) << formatUtc(t);
        }
        EXPECT_NE(utc(Solar(first - 1, c.place).sunrise()), c.sunrise);
        EXPECT_NE(utc(Solar(first + 86400, c.place).sunrise()), c.sunrise);
    }
    ScopedTimeZone zone("<+02>-2");
    EXPECT_TRUE(Solar(at("2024-06-21T12:00:00+02:00"), {48.5, 2.5}).isDaytime());
    EXPECT_FALSE(Solar(at("2024-06-21T23:00:00+02:00"), {48.5, 2.5}).isDaytime());
    const Solar day(at("2024-06-21T12:00:00+02:00"), {48.5, 2.5});
    for (const auto& [moment, daytime] : {std::pair{std::nextafter(*day.sunrise(), 0.0), false},
                                          {*day.sunrise(), true},
                                          {std::nextafter(*day.sunset(), 0.0), true},
                                          {*day.sunset(), false}})
        EXPECT_EQ(Solar(moment, {48.5, 2.5}).isDaytime(), daytime) << shortestDecimal(moment);
}

TEST(SolarTest, EveryMomentOfAChangeDayGivesTheDayOfItsFirstOffset) {
    struct Case {
        const char *zone, *fixedZone;
        LocalDate date;
        CLLocationCoordinate2D place;
    };
    for (const Case& c : {
             Case{"Europe/Paris", "<+01>-1", {2024, 3, 31}, {48.85, 2.35}},
             Case{"Europe/Paris", "<+02>-2", {2024, 10, 27}, {48.85, 2.35}},
             Case{"America/New_York", "<-05>5", {2024, 3, 10}, {40.7, -74.0}},
             Case{"America/New_York", "<-04>4", {2024, 11, 3}, {40.7, -74.0}},
             Case{"America/Havana", "<-05>5", {2024, 3, 10}, {23.1, -82.4}}, // no midnight
             Case{"Australia/Sydney", "<+11>-11", {2024, 4, 7}, {-33.9, 151.2}},
             Case{"Australia/Sydney", "<+10>-10", {2024, 10, 6}, {-33.9, 151.2}},
         }) {
        SCOPED_TRACE(std::string(c.zone) + " " + std::to_string(c.date.month));
        std::optional<TimePoint> sunrise, sunset;
        {
            ScopedTimeZone fixed(c.fixedZone);
            const Solar reference(startOf(c.date), c.place);
            sunrise = reference.sunrise();
            sunset = reference.sunset();
        }
        ScopedTimeZone zone(c.zone);
        const TimePoint last =
            startOf(Calendar::fromJulianDayNumber(Calendar::julianDayNumber(c.date) + 1)) - 1;
        for (TimePoint t = startOf(c.date);; t = std::min(t + 900, last)) {
            ASSERT_EQ(Solar(t, c.place).sunrise(), sunrise) << formatUtc(t);
            ASSERT_EQ(Solar(t, c.place).sunset(), sunset) << formatUtc(t);
            if (t == last)
                break;
        }
        EXPECT_EQ(Calendar::localDate(sunrise.value()), c.date);
        EXPECT_EQ(Calendar::localDate(sunset.value()), c.date);
    }
}

TEST(SolarTest, PolarDayAndNightAreToldApartWithoutMoments) {
    ScopedTimeZone zone("UTC");
    const Solar polarDay(at("2024-06-21T12:00:00Z"), {78.5, 15.5});
    EXPECT_EQ(polarDay.polarCondition(), Solar::PolarCondition::sunNeverSets);
    EXPECT_TRUE(polarDay.isDaytime());
    const Solar polarNight(at("2024-12-21T12:00:00Z"), {69.5, 19.0});
    EXPECT_EQ(polarNight.polarCondition(), Solar::PolarCondition::sunNeverRises);
    EXPECT_FALSE(polarNight.isDaytime());
    const Solar notANumber(at("2024-12-21T12:00:00Z"), {NAN, 19.0});
    EXPECT_EQ(notANumber.polarCondition(), Solar::PolarCondition::none);
    EXPECT_FALSE(notANumber.isDaytime());
    for (const Solar* solar : {&polarDay, &polarNight, &notANumber})
        EXPECT_FALSE(solar->sunrise() || solar->sunset());
    EXPECT_TRUE(Solar(at("2024-03-20T12:00:00Z"), {78.5, 15.5}).sunrise());
}

TEST(SolarTest, AgreesWithTheSunriseEquationForAnyZoneDateAndPlaceBelow65Degrees) {
    namespace fs = std::filesystem;
    std::vector<std::string> zones; // every TZif file but the posix/ and right/ copies
    for (const auto& entry : fs::recursive_directory_iterator("/usr/share/zoneinfo")) {
        const std::string name = fs::relative(entry.path(), "/usr/share/zoneinfo").string();
        char magic[4] = {};
        if (entry.is_regular_file() && !name.starts_with("posix/") && !name.starts_with("right/") &&
            std::ifstream(entry.path()).read(magic, 4) && std::string_view(magic, 4) == "TZif")
            zones.push_back(name);
    }
    ASSERT_GT(zones.size(), 300u);
    std::sort(zones.begin(), zones.end());
    Random random(20240621);
    for (int i = 0; i < 3000; ++i) {
        ScopedTimeZone zone(zones[random.below(zones.size())].c_str());
        const TimePoint moment = random.uniform(0, at("2100-12-31T23:59:59Z"));
        const CLLocationCoordinate2D place{random.uniform(-65, 65), random.uniform(-180, 180)};
        const Solar solar(moment, place);
        const auto expected =
            test::referenceSunriseEquation(moment, place.latitude, place.longitude);
        SCOPED_TRACE(std::string(std::getenv("TZ")) + " " + formatUtc(moment) + " " +
                     describe(place));
        ASSERT_TRUE(expected.sunrise && solar.sunrise() && solar.sunset());
        ASSERT_NEAR(*solar.sunrise(), *expected.sunrise, 0.01);
        ASSERT_NEAR(*solar.sunset(), *expected.sunset, 0.01);
    }
}
