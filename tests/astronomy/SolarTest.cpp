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

TimePoint startOf(LocalDate date) {
    return Calendar::startOfDay(date).value();
}
LocalDate plusDays(LocalDate date, int days) {
    return Calendar::fromJulianDayNumber(Calendar::julianDayNumber(date) + days);
}

} // namespace

TEST(SolarTest, StatedAndPublishedTimesHoldForEveryMomentOfTheLocalDay) {
    struct Case {
        const char* zone;
        LocalDate date;
        CLLocationCoordinate2D place;
        const char *sunrise, *sunset;
        double tolerance;
    };
    // The first four are the sunrise equation's own values to the second; the
    // rest are almanac times to the minute, which the equation meets within a
    // minute and a half (it ignores the observer's height and local refraction).
    // clang-format off
    for (const Case& c : {
             Case{"<+02>-2",          {2024, 6, 21},  {48.5, 2.5},   "2024-06-21T03:48:15Z", "2024-06-21T19:55:36Z", 0.5},
             Case{"<+01>-1",          {2024, 12, 21}, {48.5, 2.5},   "2024-12-21T07:39:37Z", "2024-12-21T15:57:18Z", 0.5},
             Case{"America/New_York", {2024, 6, 21},  {40.5, -74.0}, "2024-06-21T09:25:50Z", "2024-06-22T00:29:59Z", 0.5},
             Case{"UTC",              {2024, 3, 20},  {0.5, 0.5},    "2024-03-20T06:01:55Z", "2024-03-20T18:08:34Z", 0.5},
             Case{"Europe/Paris",     {2024, 6, 21},  {48.857, 2.352}, "2024-06-21T05:47+02:00", "2024-06-21T21:58+02:00", 90},
             Case{"Europe/Paris",     {2024, 12, 21}, {48.857, 2.352}, "2024-12-21T08:42+01:00", "2024-12-21T16:56+01:00", 90},
             Case{"Europe/London",    {2024, 6, 21},  {51.507, -0.128}, "2024-06-21T04:43+01:00", "2024-06-21T21:21+01:00", 90},
             Case{"America/New_York", {2024, 12, 21}, {40.713, -74.006}, "2024-12-21T07:17-05:00", "2024-12-21T16:32-05:00", 90},
             Case{"Australia/Sydney", {2024, 6, 21},  {-33.869, 151.209}, "2024-06-21T07:00+10:00", "2024-06-21T16:54+10:00", 90},
             // The sun sets after local midnight, on the next calendar day.
             Case{"Atlantic/Reykjavik", {2024, 6, 21}, {64.147, -21.943}, "2024-06-21T02:55Z", "2024-06-22T00:03Z", 90},
         }) { // clang-format on
        SCOPED_TRACE(std::string(c.zone) + " " + c.sunrise);
        ScopedTimeZone zone(c.zone);
        const TimePoint first = startOf(c.date), last = startOf(plusDays(c.date, 1)) - 1;
        for (const TimePoint t : {first, first + 1, last}) {
            const Solar solar(t, c.place);
            ASSERT_TRUE(solar.sunrise() && solar.sunset()) << formatUtc(t);
            EXPECT_NEAR(*solar.sunrise(), at(c.sunrise), c.tolerance) << formatUtc(t);
            EXPECT_NEAR(*solar.sunset(), at(c.sunset), c.tolerance) << formatUtc(t);
        }
        for (const TimePoint t : {first - 1, last + 1})
            EXPECT_GT(std::abs(*Solar(t, c.place).sunrise() - at(c.sunrise)), 3600)
                << "another day";
    }
    ScopedTimeZone zone("<+02>-2");
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
        const TimePoint first = startOf(c.date), last = startOf(plusDays(c.date, 1)) - 1;
        for (TimePoint t = first;; t = std::min(t + 1800, last)) {
            ASSERT_EQ(Solar(t, c.place).sunrise(), sunrise) << formatUtc(t);
            ASSERT_EQ(Solar(t, c.place).sunset(), sunset) << formatUtc(t);
            if (t == last)
                break;
        }
        EXPECT_EQ(Calendar::localDate(sunrise.value()), c.date);
        EXPECT_EQ(Calendar::localDate(sunset.value()), c.date);
    }
}

TEST(SolarTest, PolarDayAndNightBeginAndEndNearTheAlmanacsDaysAndNeverYieldAMoment) {
    ScopedTimeZone zone("Europe/Oslo");
    const CLLocationCoordinate2D tromso{69.649, 18.955};
    // Almanac dates for Tromsø count the sun's centre on a true horizon;
    // with refraction and the sun's upper limb (-0.83 degrees) it is seen a
    // little longer, so each edge lies within three days of theirs.
    const std::vector<std::pair<LocalDate, Solar::PolarCondition>> almanac{
        {{2024, 1, 18}, Solar::PolarCondition::none},
        {{2024, 5, 20}, Solar::PolarCondition::sunNeverSets},
        {{2024, 7, 23}, Solar::PolarCondition::none},
        {{2024, 11, 25}, Solar::PolarCondition::sunNeverRises}};
    std::vector<std::pair<LocalDate, Solar::PolarCondition>> edges;
    Solar::PolarCondition before = Solar::PolarCondition::sunNeverRises;
    for (LocalDate date{2024, 1, 1}; date.year == 2024; date = plusDays(date, 1)) {
        const Solar solar(startOf(date) + 43200, tromso);
        const auto condition = solar.polarCondition();
        SCOPED_TRACE(std::to_string(date.month) + "-" + std::to_string(date.day));
        if (condition == Solar::PolarCondition::none) {
            ASSERT_TRUE(solar.sunrise() && solar.sunset());
            ASSERT_TRUE(std::isfinite(*solar.sunrise()) && std::isfinite(*solar.sunset()));
            ASSERT_LT(*solar.sunrise(), *solar.sunset());
        } else {
            ASSERT_FALSE(solar.sunrise() || solar.sunset());
            ASSERT_EQ(solar.isDaytime(), condition == Solar::PolarCondition::sunNeverSets);
        }
        if (condition != before)
            edges.push_back({date, condition});
        before = condition;
    }
    ASSERT_EQ(edges.size(), almanac.size());
    for (std::size_t i = 0; i < edges.size(); ++i) {
        EXPECT_EQ(edges[i].second, almanac[i].second) << i;
        EXPECT_LE(std::abs(Calendar::julianDayNumber(edges[i].first) -
                           Calendar::julianDayNumber(almanac[i].first)),
                  3)
            << i;
    }
    const Solar notANumber(at("2024-12-21T12:00:00Z"), {NAN, 19.0});
    EXPECT_EQ(notANumber.polarCondition(), Solar::PolarCondition::none);
    EXPECT_FALSE(notANumber.isDaytime() || notANumber.sunrise() || notANumber.sunset());
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
