#include "platform/core/Calendar.h"

#include "platform/core/Time.h"
#include "support/ScopedEnvironment.h"

#include <gtest/gtest.h>

using namespace aerolune;
using aerolune::test::at;
using aerolune::test::ScopedTimeZone;

TEST(CalendarTest, LocalDateFollowsTheZoneReadAfreshOnEveryCall) {
    const TimePoint t = at("2024-06-21T23:30:00Z");
    {
        ScopedTimeZone zone("UTC");
        EXPECT_EQ(Calendar::localDate(t), (LocalDate{2024, 6, 21}));
        EXPECT_EQ(Calendar::utcOffset(t), 0);
    }
    {
        ScopedTimeZone zone("Europe/Paris");
        EXPECT_EQ(Calendar::localDate(t), (LocalDate{2024, 6, 22}));
        EXPECT_EQ(Calendar::utcOffset(t), 7200);
    }
    {
        ScopedTimeZone zone("EST5EDT,M3.2.0,M11.1.0");
        EXPECT_EQ(Calendar::localDate(t), (LocalDate{2024, 6, 21}));
        EXPECT_EQ(Calendar::utcOffset(t), -4 * 3600);
    }
}

TEST(CalendarTest, StartOfDayIsTheFirstMomentEvenWhereMidnightIsSkipped) {
    {
        SCOPED_TRACE("ordinary day in a fixed zone");
        ScopedTimeZone zone("<+0530>-5:30");
        EXPECT_EQ(Calendar::startOfDay(LocalDate{2000, 1, 1}), at("1999-12-31T18:30:00Z"));
    }
    {
        SCOPED_TRACE("Paris, spring forward at 02:00: the day still starts at 00:00 CET");
        ScopedTimeZone zone("Europe/Paris");
        EXPECT_EQ(Calendar::startOfDay(LocalDate{2024, 3, 31}), at("2024-03-30T23:00:00Z"));
        EXPECT_EQ(Calendar::dayOffset(LocalDate{2024, 3, 31}), 3600);
        EXPECT_EQ(Calendar::dayOffset(LocalDate{2024, 4, 1}), 7200);
    }
    {
        SCOPED_TRACE("Havana springs forward at 00:00: the day starts at 01:00 CDT");
        ScopedTimeZone zone("America/Havana");
        const auto start = Calendar::startOfDay(LocalDate{2024, 3, 10});
        ASSERT_TRUE(start);
        EXPECT_EQ(*start, at("2024-03-10T05:00:00Z"));
        EXPECT_EQ(Calendar::localDate(*start - 1), (LocalDate{2024, 3, 9}));
        EXPECT_EQ(Calendar::localDate(*start), (LocalDate{2024, 3, 10}));
        // 00:00 read as UTC minus 05:00Z: one offset for the whole day.
        EXPECT_EQ(Calendar::dayOffset(LocalDate{2024, 3, 10}), -5 * 3600);
    }
    {
        SCOPED_TRACE("Sydney falls back at 03:00");
        ScopedTimeZone zone("Australia/Sydney");
        EXPECT_EQ(Calendar::startOfDay(LocalDate{2024, 4, 7}), at("2024-04-06T13:00:00Z"));
    }
}

TEST(CalendarTest, AddingDaysKeepsTheLocalTimeAcrossAChangeOfOffset) {
    ScopedTimeZone zone("America/New_York");
    EXPECT_EQ(Calendar::addingDays(at("2024-03-09T12:00:00-05:00"), 1),
              at("2024-03-10T12:00:00-04:00"));
    EXPECT_EQ(Calendar::addingDays(at("2024-03-10T12:00:00-04:00"), -1),
              at("2024-03-09T12:00:00-05:00"));
    // 02:30 does not exist on 10 March; the calendar moves it forward.
    EXPECT_EQ(Calendar::addingDays(at("2024-03-09T02:30:00-05:00"), 1),
              at("2024-03-10T03:30:00-04:00"));
    EXPECT_DOUBLE_EQ(*Calendar::addingDays(at("2024-01-01T00:00:00-05:00") + 0.25, 1),
                     at("2024-01-02T00:00:00-05:00") + 0.25);
}

TEST(CalendarTest, JulianDayNumbersOfKnownDates) {
    EXPECT_EQ(Calendar::julianDayNumber({2000, 1, 1}), 2451545);
    EXPECT_EQ(Calendar::julianDayNumber({1970, 1, 1}), 2440588);
    EXPECT_EQ(Calendar::fromJulianDayNumber(2451544), (LocalDate{1999, 12, 31}));
    EXPECT_EQ(Calendar::fromJulianDayNumber(2460483), (LocalDate{2024, 6, 21}));
}
