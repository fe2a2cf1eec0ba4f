#include "platform/render/RoundShape.h"

#include "platform/view/GradientLayer.h"
#include "platform/view/TextLayer.h"

#include <gtest/gtest.h>

using namespace aerolune;

// A round layer at (10.1, 20.2) in an image 100 pixels high, y flipped as
// the compositor does; or turned, or scaled, or with a sublayer.
template <typename Kind = Layer>
std::optional<RoundShape> shapeOf(double side, double radius, double turn = 0, double scale = 1,
                                  std::shared_ptr<Layer> sublayer = nullptr) {
    Kind layer;
    layer.setFrame(Rect(0, 0, side, side));
    layer.setBackgroundColor(Color(1, 1, 1));
    layer.setCornerRadius(radius);
    layer.addSublayer(sublayer);
    cairo_matrix_t m;
    cairo_matrix_init(&m, 1, 0, 0, -1, 10.1, 100 - 20.2);
    cairo_matrix_rotate(&m, turn);
    cairo_matrix_scale(&m, scale, scale);
    return RoundShape::of(layer, m);
}

TEST(RoundShapeTest, SmallRoundLayersShowingTheirBackgroundAloneAreSnappedToTheirGrid) {
    // Top at 100 - 20.2 - 1.37 = 78.43: on the grid 78.5; the side 1.375.
    EXPECT_EQ(shapeOf(1.37, 0.685), (RoundShape{Rect(10, 78.5, 1.375, 1.375), 1.375 / 2}));
    EXPECT_EQ(shapeOf(4, 1.01)->radius, 1.0) << "a partly rounded box keeps its radius";
    EXPECT_EQ(shapeOf(0.01, 0.005)->box.width(), 1.0 / 16) << "a speck still shows";
    EXPECT_TRUE(shapeOf(16, 8)) << "the largest side";
    EXPECT_FALSE(shapeOf(16.5, 8)) << "too large";
    EXPECT_FALSE(shapeOf(4, 0)) << "square corners";
    EXPECT_FALSE(shapeOf<GradientLayer>(4, 2)) << "a gradient";
    EXPECT_FALSE(shapeOf<TextLayer>(4, 2)) << "text";
    EXPECT_FALSE(shapeOf(4, 2, 0.3)) << "turned";
    // At two pixels a point, 100 - 20.2 - 8 = 71.8 on the grid is 71.75.
    EXPECT_EQ(shapeOf(4, 2, 0, 2), (RoundShape{Rect(10, 71.75, 8, 8), 4})) << "scaled";
    EXPECT_FALSE(shapeOf(8.5, 4, 0, 2)) << "too large in pixels";
    EXPECT_FALSE(shapeOf(4, 2, 0, 1, std::make_shared<Layer>())) << "with sublayers";
}
