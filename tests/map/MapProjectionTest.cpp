#include "map/MapProjection.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace aerolune;

TEST(MapProjectionTest, LongitudeShrinksWithLatitudeAndWrapsToTheNearerSide) {
    const MapProjection view({60, 10}, 200, 100, 0.5); // cos 60 = 0.5
    EXPECT_NEAR(view.toPixel(60, 10).x, 100, 1e-9);
    EXPECT_NEAR(view.toPixel(60, 10).y, 50, 1e-9);
    EXPECT_NEAR(view.toPixel(60.25, 11).y, 0, 1e-9);
    EXPECT_NEAR(view.toPixel(60.25, 11).x, 200, 1e-9);
    for (const auto& [latitude, longitude, inside] : {std::tuple{60.249, 10.0, true},
                                                      {60.251, 10.0, false},
                                                      {59.751, 10.0, true},
                                                      {59.749, 10.0, false},
                                                      {60.0, 10.999, true},
                                                      {60.0, 11.001, false},
                                                      {60.0, 9.001, true},
                                                      {60.0, 8.999, false}})
        EXPECT_EQ(view.contains(latitude, longitude), inside) << latitude << ", " << longitude;
    const MapProjection fiji({-16.5, 179.9}, 200, 100, 0.5);
    EXPECT_NEAR(fiji.nearestLongitude(-179.9), 180.1, 1e-9);
    EXPECT_NEAR(fiji.nearestLongitude(179.0), 179.0, 1e-9);
    EXPECT_TRUE(fiji.contains(-16.5, -179.8));
    const MapProjection polar({89.9, 0}, 200, 100, 0.5);
    EXPECT_LT(polar.east() - polar.west(), 360) << "near a pole the view stays finite";
}
