#include "platform/core/Time.h"

#include <gtest/gtest.h>

using namespace aerolune;

TEST(TimeTest, FormatsUtcRoundedToTheNearestSecond) {
    EXPECT_EQ(formatUtc(0), "1970-01-01T00:00:00Z");
    EXPECT_EQ(formatUtc(1718941695.4), "2024-06-21T03:48:15Z");
    EXPECT_EQ(formatUtc(1718941695.5), "2024-06-21T03:48:16Z");
    EXPECT_EQ(formatUtc(-0.4), "1970-01-01T00:00:00Z");
    EXPECT_EQ(formatUtc(-1), "1969-12-31T23:59:59Z");
    EXPECT_EQ(describe(1718941695.9), "2024-06-21 03:48:15 +0000");
}

TEST(TimeTest, ParsesIsoDateTimesWithZoneAndRefusesTheRest) {
    EXPECT_EQ(parseIso8601("2024-06-21T03:48:15Z"), 1718941695.0);
    EXPECT_EQ(parseIso8601("2024-06-21T05:48:15+02:00"), 1718941695.0);
    EXPECT_EQ(parseIso8601("2024-06-20T23:48:15-04:00"), 1718941695.0);
    EXPECT_EQ(parseIso8601("2024-06-21T03:48Z"), 1718941680.0);
    for (const char* bad :
         {"", "2024-06-21", "2024-06-21T03:48:15", "2024-02-30T00:00:00Z", "2024-06-21T24:00:00Z",
          "2024-06-21T03:48:15+0200", "2024-06-21T03:48:15Zjunk", "x024-06-21T03:48:15Z"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(parseIso8601(bad));
    }
}

TEST(TimeTest, ParsesDurations) {
    EXPECT_EQ(parseDuration("72h"), 72 * 3600.0);
    EXPECT_EQ(parseDuration("90m"), 5400.0);
    EXPECT_EQ(parseDuration("2d"), 172800.0);
    EXPECT_EQ(parseDuration("6"), 6.0);
    EXPECT_EQ(parseDuration("1.5s"), 1.5);
    EXPECT_FALSE(parseDuration("-1h"));
    EXPECT_FALSE(parseDuration("h"));
    EXPECT_FALSE(parseDuration("3x"));
    EXPECT_FALSE(parseDuration("inf"));
    // Finite as written, but not once in seconds.
    EXPECT_FALSE(parseDuration("1e308d"));
    EXPECT_EQ(parseDuration("1e300d"), 1e300 * 86400);
}

#include "platform/core/CLLocationCoordinate2D.h"

TEST(TimeTest, ShortestDecimalsReadBackExactly) {
    EXPECT_EQ(shortestDecimal(48.5), "48.5");
    EXPECT_EQ(shortestDecimal(0.0), "0.0");
    EXPECT_EQ(shortestDecimal(-420.0), "-420.0");
    EXPECT_EQ(shortestDecimal(0.1), "0.1");
    EXPECT_EQ(std::stod(shortestDecimal(1.0 / 3.0)), 1.0 / 3.0);
    EXPECT_EQ(describe(CLLocationCoordinate2D{48.5, 2.25}),
              "CLLocationCoordinate2D(latitude: 48.5, longitude: 2.25)");
}
