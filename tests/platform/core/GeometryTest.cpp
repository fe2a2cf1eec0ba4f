#include "platform/core/Geometry.h"

#include <gtest/gtest.h>

using namespace aerolune;

TEST(GeometryTest, InsetMovesEveryEdgeAndGivesNullWhenNothingIsLeft) {
    EXPECT_EQ(Rect(0, 0, 1920, 1080).insetBy(288, 288), Rect(288, 288, 1344, 504));
    EXPECT_EQ(Rect(0, 0, 100, 100).insetBy(50, 50), Rect(50, 50, 0, 0));
    EXPECT_TRUE(Rect(0, 0, 100, 100).insetBy(50.5, 0).isNull());
    EXPECT_TRUE(Rect(0, 0, 100, 10).insetBy(3, 6).isNull());
    EXPECT_TRUE(Rect::null().isEmpty());
    EXPECT_FALSE(Rect::null().intersects(Rect(0, 0, 1, 1)));
}

TEST(GeometryTest, UnionIntersectionAndContainmentAtTheEdges) {
    const Rect a(0, 0, 100, 100);
    EXPECT_TRUE(a.contains({99.9, 0}));
    EXPECT_FALSE(a.contains({100, 0}));
    EXPECT_TRUE(a.intersects(Rect(99, 99, 5, 5)));
    EXPECT_FALSE(a.intersects(Rect(100, 0, 5, 5)));
    EXPECT_EQ(a.intersection(Rect(50, -10, 100, 20)), Rect(50, 0, 50, 10));
    EXPECT_EQ(a.united(Rect(150, 150, 10, 10)), Rect(0, 0, 160, 160));
    EXPECT_EQ(a.united(Rect::null()), a);
    EXPECT_EQ(describe(Rect(0, 0.5, 1920, 1080)), "{{0, 0.5}, {1920, 1080}}");
}
