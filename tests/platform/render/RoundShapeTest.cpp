#include "platform/render/RoundShape.h"

#include "platform/view/GradientLayer.h"

#include <gtest/gtest.h>

using namespace aerolune;

namespace {

std::shared_ptr<Layer> disc(const Rect& frame, double radius) {
    auto layer = std::make_shared<Layer>();
    layer->setFrame(frame);
    layer->setBackgroundColor(Color(1, 1, 1));
    layer->setCornerRadius(radius);
    return layer;
}

// Local coordinates (y up) to device pixels (y down) in an image 100 high.
cairo_matrix_t flipped() {
    cairo_matrix_t m;
    cairo_matrix_init(&m, 1, 0, 0, -1, 0, 100);
    return m;
}

cairo_matrix_t placed(const Layer& layer, const cairo_matrix_t& parent) {
    cairo_matrix_t local, result;
    cairo_matrix_init_translate(&local, layer.frame().minX(), layer.frame().minY());
    cairo_matrix_multiply(&result, &local, &parent);
    return result;
}

std::optional<RoundShape> shapeOf(const Layer& layer) {
    return RoundShape::of(layer, placed(layer, flipped()));
}

} // namespace

TEST(RoundShapeTest, PlaceSnapsToQuarterPixelsAndSizeToSixteenths) {
    {
        SCOPED_TRACE("a disc two points wide at (10.1, 20.2): top at 100 - 22.2 = 77.8");
        const auto shape = shapeOf(*disc(Rect(10.1, 20.2, 2, 2), 1));
        ASSERT_TRUE(shape);
        EXPECT_EQ(shape->box, Rect(10, 77.75, 2, 2));
        EXPECT_EQ(shape->radius, 1);
    }
    {
        SCOPED_TRACE("either side of the half-way point between two grid steps");
        EXPECT_EQ(shapeOf(*disc(Rect(10.124, 0, 2, 2), 1))->box.minX(), 10);
        EXPECT_EQ(shapeOf(*disc(Rect(10.126, 0, 2, 2), 1))->box.minX(), 10.25);
        EXPECT_EQ(shapeOf(*disc(Rect(0, 0, 2.031, 2.031), 1.0155))->box.width(), 2.0);
        EXPECT_EQ(shapeOf(*disc(Rect(0, 0, 2.032, 2.032), 1.016))->box.width(), 2.0625);
    }
    {
        SCOPED_TRACE("a drift of hundredths of a pixel shows the same shape");
        EXPECT_EQ(*shapeOf(*disc(Rect(10.01, 5, 2.5, 2.5), 1.25)),
                  *shapeOf(*disc(Rect(10.02, 5, 2.5, 2.5), 1.25)));
    }
}

TEST(RoundShapeTest, ADiscStaysADiscAndATinyShapeStillShows) {
    const auto shape = shapeOf(*disc(Rect(0, 0, 1.37, 1.37), 0.685));
    ASSERT_TRUE(shape);
    EXPECT_EQ(shape->box.width(), 1.375);
    EXPECT_EQ(shape->radius, 1.375 / 2) << "half the snapped side, not the snapped half";
    SCOPED_TRACE("a partly rounded box keeps its own radius, on the grid");
    EXPECT_EQ(shapeOf(*disc(Rect(0, 0, 6, 4), 1.01))->radius, 1.0);
    const auto speck = shapeOf(*disc(Rect(0, 0, 0.01, 0.01), 0.005));
    ASSERT_TRUE(speck);
    EXPECT_EQ(speck->box.width(), 1.0 / 16);
}

TEST(RoundShapeTest, OnlySmallRoundLeavesThatOnlyMoveAreShapes) {
    EXPECT_TRUE(shapeOf(*disc(Rect(0, 0, 16, 16), 8))) << "the largest side";
    EXPECT_FALSE(shapeOf(*disc(Rect(0, 0, 16.5, 2), 1))) << "too wide";
    EXPECT_FALSE(shapeOf(*disc(Rect(0, 0, 2, 16.5), 1))) << "too tall";
    EXPECT_FALSE(shapeOf(*disc(Rect(0, 0, 0, 0), 1))) << "no area";
    EXPECT_FALSE(shapeOf(*disc(Rect(0, 0, 4, 4), 0))) << "square corners";
    {
        auto parent = disc(Rect(0, 0, 4, 4), 2);
        parent->addSublayer(disc(Rect(0, 0, 1, 1), 0.5));
        EXPECT_FALSE(shapeOf(*parent)) << "with sublayers";
    }
    {
        auto gradient = std::make_shared<GradientLayer>();
        gradient->setFrame(Rect(0, 0, 4, 4));
        gradient->setCornerRadius(2);
        EXPECT_FALSE(shapeOf(*gradient)) << "a gradient";
    }
    {
        auto layer = disc(Rect(0, 0, 4, 4), 2);
        cairo_matrix_t turned = placed(*layer, flipped());
        cairo_matrix_rotate(&turned, 0.3);
        EXPECT_FALSE(RoundShape::of(*layer, turned)) << "turned";
        cairo_matrix_t scaled = placed(*layer, flipped());
        cairo_matrix_scale(&scaled, 2, 2);
        EXPECT_FALSE(RoundShape::of(*layer, scaled)) << "scaled";
    }
}
