#include "platform/view/BasicAnimation.h"

#include "platform/view/GradientLayer.h"
#include "platform/view/Transaction.h"
#include "support/ScopedEnvironment.h"

#include <gtest/gtest.h>
#include <utility>

using namespace aerolune;

TEST(BasicAnimationTest, AnEasedChangeShowsItsStartMidpointAndEndAtTheirMoments) {
    test::ScopedManualClock clock(0);
    GradientLayer layer;
    const Color night(0.1, 0.1, 0.4), rose(0.8, 0.6, 0.6);
    layer.setColors({night, night});
    Transaction::begin();
    Transaction::setAnimationDuration(240);
    Transaction::setAnimationTimingFunction(TimingFunction::easeInEaseOut);
    BasicAnimation change("colors");
    change.setFromValue(layer.colors());
    change.setToValue(std::vector<Color>{night, rose});
    layer.setColors({night, rose});
    layer.addAnimation(change, "colors");
    clock->advance(10);
    Transaction::commit(); // it begins now, at 10
    const auto shown = [&](double after) { return layer.presentationColors(10 + after)[1]; };
    EXPECT_EQ(shown(0), night);
    // The curve (0.42, 0) (0.58, 1) a quarter of the way: well behind linear.
    EXPECT_NEAR(shown(60).red(), 0.1 + 0.7 * 0.129162, 1e-5) << "off the linear value";
    EXPECT_NEAR(shown(180).red(), 0.1 + 0.7 * (1 - 0.129162), 1e-5) << "symmetric";
    for (const auto& [t, end] : {std::pair{-1.0, 0.0}, {0, 0}, {1, 1}, {2, 1}})
        EXPECT_EQ(ease(TimingFunction::easeInEaseOut, t), end) << "held at its ends, exactly";
    clock->advance(239.999);
    EXPECT_NE(layer.animationForKey("colors"), nullptr);
    clock->advance(0.001);
    EXPECT_EQ(layer.animationForKey("colors"), nullptr) << "over at its end";
    EXPECT_EQ(shown(240), rose);
    layer.addAnimation(change, "colors"); // outside a transaction: at once, a quarter second
    EXPECT_NEAR(shown(240.125).red(), 0.45, 1e-9) << "linear";
}
