// Julian days in the local-day convention, and the degree trigonometry the
// sunrise equation is written in.

#include "astronomy/Julian.h"

#include "astronomy/Trigonometry.h"
#include "platform/core/Calendar.h"
#include "support/ScopedEnvironment.h"

#include <cmath>
#include <gtest/gtest.h>
#include <utility>

using namespace aerolune;
using aerolune::test::at;
using aerolune::test::ScopedTimeZone;

TEST(JulianTest, EveryMomentOfALocalDayGivesItsDateShiftedByTheZoneOffset) {
    for (const auto& [name, expected] : {std::pair{"UTC", 2451545.5},
                                         {"<+01>-1", 2451545.5416666665},
                                         {"<-05>5", 2451545.2916666665},
                                         {"<+0530>-5:30", 2451545.7291666665}}) {
        ScopedTimeZone zone(name);
        const TimePoint midnight = *Calendar::startOfDay(LocalDate{2000, 1, 1});
        EXPECT_EQ(Julian::julianDay(midnight), expected) << name;
        EXPECT_EQ(Julian::julianDay(midnight + 86399), expected) << name;
    }
    ScopedTimeZone zone("UTC");
    EXPECT_EQ(Julian::daysSinceJ2000(at("2000-01-01T23:59:59Z")), 0.5);
}

TEST(JulianTest, DateFromJulianDayCountsFixedDaysFromTheDaysFirstMoment) {
    ScopedTimeZone zone("<+0530>-5:30");
    EXPECT_EQ(Julian::dateFromJulianDay(2451545.0), at("2000-01-01T00:00:00+05:30"));
    EXPECT_EQ(Julian::dateFromJulianDay(2451545.75), at("2000-01-01T18:00:00+05:30"));
    // 0.9 of a day, to the precision a day count near 2.45 million carries.
    EXPECT_NEAR(Julian::dateFromJulianDay(2451544.9), at("1999-12-31T00:00:00+05:30") + 77760,
                1e-4);
    EXPECT_EQ(Julian::dateFromJulianDay(2451545.25, 2451544), at("2000-01-01T06:00:00+05:30"));
    // Where midnight is skipped, the day still counts from its first moment.
    ScopedTimeZone havana("America/Havana");
    EXPECT_EQ(Julian::dateFromJulianDay(2460380.0), at("2024-03-10T01:00:00-04:00"));
    EXPECT_EQ(Julian::julianDay(at("2024-03-10T23:59:59-04:00")), 2460380.5 - 5 / 24.0);
}

TEST(TrigonometryTest, WorksInDegreesWithoutClamping) {
    EXPECT_TRUE(Trigonometry::sin(90) == 1.0 && Trigonometry::acos(-1) == 180.0);
    EXPECT_TRUE(std::isnan(Trigonometry::acos(1.5)) && std::isnan(Trigonometry::asin(-1.0000001)));
}
