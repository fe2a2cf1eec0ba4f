#include "astronomy/Julian.h"

#include "platform/Calendar.h"
#include "support/ScopedEnvironment.h"

#include <gtest/gtest.h>

using namespace aerolune;
using aerolune::test::ScopedTimeZone;

namespace {
TimePoint at(const char* iso) {
    return parseIso8601(iso).value();
}
} // namespace

TEST(JulianTest, JulianDayIsTheLocalDateShiftedByTheZoneOffset) {
    struct Case {
        const char* zone;
        double expected;
    };
    for (const Case& c :
         {Case{"UTC", 2451545.5}, Case{"<+01>-1", 2451545.5416666665},
          Case{"<-05>5", 2451545.2916666665}, Case{"<+0530>-5:30", 2451545.7291666665}}) {
        SCOPED_TRACE(c.zone);
        ScopedTimeZone zone(c.zone);
        const TimePoint midnight = *Calendar::startOfDay(LocalDate{2000, 1, 1});
        EXPECT_EQ(Julian::julianDay(midnight), c.expected);
        EXPECT_EQ(Julian::julianDay(midnight + 86399), c.expected);
        EXPECT_NE(Julian::julianDay(midnight - 1), c.expected);
        EXPECT_NE(Julian::julianDay(midnight + 86400), c.expected);
    }
    ScopedTimeZone zone("UTC");
    EXPECT_EQ(Julian::daysSinceJ2000(at("2000-01-01T00:00:00Z")), 0.5);
    EXPECT_EQ(Julian::daysSinceJ2000(at("2000-01-01T23:59:59Z")), 0.5);
    EXPECT_EQ(Julian::localDayNumber(at("2000-01-01T23:59:59Z")), 2451545);
}

TEST(JulianTest, DateFromJulianDayCountsFixedDaysFromLocalMidnight) {
    ScopedTimeZone zone("<+0530>-5:30");
    EXPECT_EQ(Julian::dateFromJulianDay(2451545.0), at("2000-01-01T00:00:00+05:30"));
    EXPECT_EQ(Julian::dateFromJulianDay(2451545.75), at("2000-01-01T18:00:00+05:30"));
    // 0.9 of a day, to the precision a day count near 2.45 million carries.
    EXPECT_NEAR(Julian::dateFromJulianDay(2451544.9), at("1999-12-31T00:00:00+05:30") + 77760,
                1e-4);
    // A value computed on a given day's offset is read back on that offset.
    EXPECT_EQ(Julian::dateFromJulianDay(2451545.25, 2451544), at("2000-01-01T06:00:00+05:30"));
}

TEST(JulianTest, ChangeDaysUseOneOffsetForTheWholeDay) {
    struct Case {
        const char* zone;
        LocalDate date;
        long dayOffset;
    };
    for (const Case& c :
         {Case{"Europe/Paris", {2024, 3, 31}, 3600}, Case{"Europe/Paris", {2024, 10, 27}, 7200},
          Case{"America/New_York", {2024, 3, 10}, -5 * 3600},
          Case{"America/New_York", {2024, 11, 3}, -4 * 3600},
          Case{"America/Havana", {2024, 3, 10}, -5 * 3600},
          Case{"Australia/Sydney", {2024, 4, 7}, 11 * 3600},
          Case{"Australia/Sydney", {2024, 10, 6}, 10 * 3600}}) {
        SCOPED_TRACE(std::string(c.zone) + " " + std::to_string(c.date.month) + "/" +
                     std::to_string(c.date.day));
        ScopedTimeZone zone(c.zone);
        const TimePoint first = *Calendar::startOfDay(c.date);
        const TimePoint next = *Calendar::startOfDay(
            Calendar::fromJulianDayNumber(Calendar::julianDayNumber(c.date) + 1));
        const double expected =
            double(Calendar::julianDayNumber(c.date)) + 0.5 + c.dayOffset / 86400.0;
        for (TimePoint t = first; t < next; t += 1800)
            EXPECT_EQ(Julian::julianDay(t), expected) << formatUtc(t);
        EXPECT_EQ(Julian::julianDay(next - 1), expected);
        // The round trip lands on 12:00 UTC of the date, whatever the offset.
        const TimePoint noonUtc = double(Calendar::daysSinceEpoch(c.date)) * 86400 + 43200;
        EXPECT_NEAR(Julian::dateFromJulianDay(Julian::julianDay(first)), noonUtc, 1e-4);
        EXPECT_EQ(Julian::dateFromJulianDay(double(Calendar::julianDayNumber(c.date))), first);
    }
}
