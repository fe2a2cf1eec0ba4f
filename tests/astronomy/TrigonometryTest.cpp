#include "astronomy/Trigonometry.h"

#include <cmath>
#include <gtest/gtest.h>

using aerolune::Trigonometry;

TEST(TrigonometryTest, WorksInDegreesWithoutClamping) {
    EXPECT_EQ(Trigonometry::sin(90), 1.0);
    EXPECT_EQ(Trigonometry::cos(60), 0.5000000000000001);
    EXPECT_EQ(Trigonometry::asin(1), 90.0);
    EXPECT_EQ(Trigonometry::acos(-1), 180.0);
    EXPECT_EQ(Trigonometry::acos(1), 0.0);
    EXPECT_NEAR(Trigonometry::sin(-30), -0.5, 1e-15);
    EXPECT_TRUE(std::isnan(Trigonometry::acos(1.5)));
    EXPECT_TRUE(std::isnan(Trigonometry::asin(-1.0000001)));
}
