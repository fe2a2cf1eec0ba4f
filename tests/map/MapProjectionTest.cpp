#include "map/MapProjection.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

using namespace aerolune;

TEST(MapProjectionTest, TheCentreIsInTheMiddleAndLongitudeIsShortenedByTheLatitude) {
    const MapProjection view({60, 10}, 200, 100, 0.5);
    const auto centre = view.toPixel(60, 10);
    EXPECT_DOUBLE_EQ(centre.x, 100);
    EXPECT_DOUBLE_EQ(centre.y, 50);
    EXPECT_DOUBLE_EQ(view.pixelsPerDegreeLatitude(), 200);
    EXPECT_NEAR(view.pixelsPerDegreeLongitude(), 100, 1e-9); // cos 60 = 0.5
    EXPECT_NEAR(view.toPixel(60.25, 10).y, 0, 1e-9);
    EXPECT_NEAR(view.toPixel(59.75, 10).y, 100, 1e-9);
    EXPECT_NEAR(view.west(), 9, 1e-9);
    EXPECT_NEAR(view.east(), 11, 1e-9);
    EXPECT_NEAR(view.toPixel(60, 11).x, 200, 1e-9);
    SCOPED_TRACE("the box, from both sides of each edge");
    EXPECT_TRUE(view.contains(60.249, 10));
    EXPECT_FALSE(view.contains(60.251, 10));
    EXPECT_TRUE(view.contains(59.751, 10));
    EXPECT_FALSE(view.contains(59.749, 10));
    EXPECT_TRUE(view.contains(60, 10.999));
    EXPECT_FALSE(view.contains(60, 11.001));
}

TEST(MapProjectionTest, LongitudesWrapToTheSideNearestTheCentre) {
    const MapProjection view({-16.5, 179.9}, 200, 100, 0.5);
    EXPECT_NEAR(view.nearestLongitude(-179.9), 180.1, 1e-9);
    EXPECT_NEAR(view.nearestLongitude(179.0), 179.0, 1e-9);
    EXPECT_TRUE(view.contains(-16.5, -179.8));
    EXPECT_GT(view.toPixel(-16.5, view.nearestLongitude(-179.8)).x, 100);
    SCOPED_TRACE("near a pole the view stays finite");
    const MapProjection polar({89.9, 0}, 200, 100, 0.5);
    EXPECT_TRUE(std::isfinite(polar.west()));
    EXPECT_LT(polar.east() - polar.west(), 360);
}
