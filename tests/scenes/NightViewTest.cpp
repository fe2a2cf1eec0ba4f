#include "scenes/NightView.h"

#include "palette/ColorHelper.h"
#include "platform/core/Random.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace aerolune;

namespace {

class NightViewTest : public ::testing::Test {
protected:
    void SetUp() override { Random::reseedShared(1969); }
    void TearDown() override { View::setBackingLayersAvailable(true); }

    std::shared_ptr<NightView> sizedView() {
        auto view = std::make_shared<NightView>();
        view->setFrame(Rect(0, 0, 800, 400));
        return view;
    }
};

// A side from which no twinkle can be accepted (growth and shrink both land at
// 3 or beyond), so that a test can follow a star's edges exactly.
constexpr double steadySide = 4;

struct TwinkleOutcomes {
    int unchanged = 0, grown = 0, shrunk = 0;
    double smallest = 1e9, largest = 0;
};

// Resets a star to `side` before each of `frames` frames and tallies what became of it.
TwinkleOutcomes twinkle(NightView& view, Star& star, double side, int frames) {
    TwinkleOutcomes outcomes;
    for (int i = 0; i < frames; ++i) {
        star.setFrame(Rect(400, 200, side, side));
        view.animate();
        const Rect frame = star.frame();
        EXPECT_EQ(frame.width(), frame.height());
        const double now = frame.width();
        outcomes.smallest = std::min(outcomes.smallest, now);
        outcomes.largest = std::max(outcomes.largest, now);
        if (now == side)
            ++outcomes.unchanged;
        else if (now > side)
            ++outcomes.grown;
        else
            ++outcomes.shrunk;
    }
    return outcomes;
}

} // namespace

TEST_F(NightViewTest, ANewNightHas300UnplacedStarsOnTheNightBlue) {
    const auto view = std::make_shared<NightView>();
    EXPECT_EQ(view->frame(), Rect());
    ASSERT_EQ(view->stars().size(), 300u);
    ASSERT_NE(view->layer(), nullptr);
    EXPECT_EQ(view->layer()->backgroundColor(), ColorHelper::nightSkyColor());
    ASSERT_EQ(view->layer()->sublayers().size(), 300u);
    for (std::size_t i = 0; i < view->stars().size(); ++i) {
        const Star& star = *view->stars()[i];
        EXPECT_EQ(view->layer()->sublayers()[i].get(), &star);
        EXPECT_EQ(star.frame(), Rect());
        EXPECT_EQ(star.opacity(), 1.0f);
        EXPECT_EQ(star.backgroundColor(), ColorHelper::starColor());
    }
}

TEST_F(NightViewTest, ADrawGivesEveryStarASizeABrightnessAndAPlace) {
    const auto view = sizedView();
    view->stars()[7]->setHidden(true);
    double smallest = 3, largest = 0, rightmost = 0;
    for (int draw = 0; draw < 20; ++draw) {
        view->drawRect(Rect(draw % 2 ? -70 : 0, 33, 600, 250));
        for (std::size_t i = 0; i < view->stars().size(); ++i) {
            const Star& star = *view->stars()[i];
            const Rect frame = star.frame();
            ASSERT_EQ(frame.width(), frame.height());
            ASSERT_GE(frame.width(), 1);
            ASSERT_LT(frame.width(), 3);
            ASSERT_GE(frame.minX(), 0);
            ASSERT_LT(frame.minX(), 700);
            ASSERT_GE(frame.minY(), 0);
            ASSERT_LT(frame.minY(), 250);
            ASSERT_EQ(star.opacity(), static_cast<float>(frame.width() * 0.25));
            ASSERT_EQ(star.isHidden(), i == 7) << "a draw leaves the hidden flags alone";
            smallest = std::min(smallest, frame.width());
            largest = std::max(largest, frame.width());
            rightmost = std::max(rightmost, frame.minX());
        }
    }
    EXPECT_LT(smallest, 1.01);
    EXPECT_GT(largest, 2.99);
    EXPECT_GT(rightmost, 690) << "up to 100 points beyond the right edge";
    {
        SCOPED_TRACE("a draw without height puts every star at the bottom");
        view->drawRect(Rect(0, 0, 600, 0));
        for (const auto& star : view->stars())
            ASSERT_EQ(star->frame().minY(), 0);
    }
    {
        SCOPED_TRACE("the seed gives the same sky: side, then x, then y, star by star");
        Random::reseedShared(5);
        view->drawRect(Rect(0, 0, 600, 250));
        Random expected(5);
        for (const auto& star : view->stars()) {
            const double side = expected.uniform(1, 3);
            const double x = expected.uniform(0, 700);
            const double y = expected.uniform(0, 250);
            ASSERT_EQ(star->frame(), Rect(x, y, side, side));
        }
    }
}

TEST_F(NightViewTest, AStarDriftsByItsBrightnessWhateverItsSize) {
    const auto view = sizedView();
    Star& star = *view->stars()[0];
    star.setOpacity(0.5f);
    EXPECT_EQ(star.speed(), static_cast<double>(0.01f));
    for (const double side : {steadySide, 2.0, 1.5}) {
        SCOPED_TRACE(side);
        star.setFrame(Rect(300, 40, side, side));
        view->animate();
        EXPECT_EQ(star.frame().minX(), 300 - static_cast<double>(0.01f));
        EXPECT_EQ(star.frame().minY(), 40);
        EXPECT_EQ(star.opacity(), 0.5f) << "a twinkle keeps the brightness";
    }
    star.setOpacity(0.25f);
    EXPECT_EQ(star.speed(), static_cast<double>(0.005f));
    star.setOpacity(0.75f);
    EXPECT_EQ(star.speed(), static_cast<double>(0.015f));
}

TEST_F(NightViewTest, TwinklesStayStrictlyBetweenOneAndThreePoints) {
    const auto view = sizedView();
    Star& star = *view->stars()[0];
    constexpr int frames = 20000;
    {
        SCOPED_TRACE("near the top, nearly every growth is dropped");
        const auto outcomes = twinkle(*view, star, 2.9, frames);
        EXPECT_LT(outcomes.largest, 3.0);
        EXPECT_GT(outcomes.largest, 2.95);
        EXPECT_GT(outcomes.smallest, 2.9 * 0.9);
        // Growth is kept only when under 0.1 of a draw up to 3.19: 0.4 x 0.5 x 0.031.
        EXPECT_NEAR(outcomes.grown, frames * 0.4 * 0.5 * (0.1 / 3.19), 45);
        EXPECT_NEAR(outcomes.shrunk, frames * 0.4 * 0.5, 250);
    }
    {
        SCOPED_TRACE("near the bottom, about half the shrinks are dropped");
        const auto outcomes = twinkle(*view, star, 1.05, frames);
        EXPECT_GT(outcomes.smallest, 1.0);
        EXPECT_LT(outcomes.smallest, 1.01);
        EXPECT_LT(outcomes.largest, 1.05 * 2.1);
        EXPECT_GT(outcomes.largest, 1.05 * 2.1 - 0.02);
        EXPECT_NEAR(outcomes.grown, frames * 0.4 * 0.5, 250);
        EXPECT_NEAR(outcomes.shrunk, frames * 0.4 * 0.5 * (0.05 / 0.105), 200);
    }
    {
        SCOPED_TRACE("in the middle, 40 percent of frames try a change");
        const auto outcomes = twinkle(*view, star, 2.0, frames);
        EXPECT_GT(outcomes.smallest, 1.8);
        EXPECT_LT(outcomes.largest, 3.0);
        EXPECT_NEAR(outcomes.grown, frames * 0.4 * 0.5 * (1.0 / 2.2), 200);
        EXPECT_NEAR(outcomes.shrunk, frames * 0.4 * 0.5, 250);
    }
    {
        SCOPED_TRACE("a side from which every change would leave the range never changes");
        const auto outcomes = twinkle(*view, star, steadySide, 2000);
        EXPECT_EQ(outcomes.unchanged, 2000);
    }
}

TEST_F(NightViewTest, AStarWrapsOnlyOnceItsRightEdgeHasPassedZero) {
    const auto view = sizedView();
    Star& star = *view->stars()[0];
    star.setOpacity(0.5f);
    const double x0 = -steadySide + star.speed();
    const double newX = x0 - star.speed();
    {
        SCOPED_TRACE("a right edge of exactly 0 stays");
        star.setFrame(Rect(x0, 70, -newX, -newX));
        view->animate();
        EXPECT_EQ(star.frame(), Rect(newX, 70, -newX, -newX));
        EXPECT_FALSE(star.isHidden());
    }
    {
        SCOPED_TRACE("a right edge just below 0 wraps to the right, hidden");
        const double side = std::nextafter(-newX, 0.0);
        star.setFrame(Rect(x0, 70, side, side));
        view->animate();
        EXPECT_TRUE(star.isHidden());
        EXPECT_EQ(star.frame().minX(), 900);
        EXPECT_GE(star.frame().minY(), 0);
        EXPECT_LT(star.frame().minY(), 400);
        EXPECT_EQ(star.frame().size, (Size{side, side}));
        EXPECT_EQ(star.opacity(), 0.5f);
    }
    {
        SCOPED_TRACE("a wrap in a view without height puts the star at the bottom");
        view->setFrame(Rect(0, 0, 800, 0));
        star.setFrame(Rect(-10, 70, steadySide, steadySide));
        view->animate();
        EXPECT_EQ(star.frame(), Rect(900, 0, steadySide, steadySide));
    }
}

TEST_F(NightViewTest, AWrappedStarShowsOnceItHasComeBackToTheViewsWidth) {
    const auto view = sizedView();
    Star& star = *view->stars()[0];
    star.setOpacity(0.5f);
    const double x0 = 900;
    const double newX = x0 - star.speed();
    star.setHidden(true);
    {
        SCOPED_TRACE("just beyond the width stays hidden");
        star.setFrame(Rect(x0, 10, steadySide, steadySide));
        view->setFrame(Rect(0, 0, std::nextafter(newX, 0.0), 400));
        view->animate();
        EXPECT_TRUE(star.isHidden());
    }
    {
        SCOPED_TRACE("at exactly the width shows");
        star.setFrame(Rect(x0, 10, steadySide, steadySide));
        view->setFrame(Rect(0, 0, newX, 400));
        view->animate();
        EXPECT_FALSE(star.isHidden());
    }
}

TEST_F(NightViewTest, FramesBeforeTheFirstDrawKeepUnplacedStarsAtSizeZero) {
    const auto view = std::make_shared<NightView>();
    for (int frame = 0; frame < 10; ++frame)
        view->animate();
    for (const auto& star : view->stars()) {
        EXPECT_EQ(star->frame().size, (Size{0, 0}));
        EXPECT_EQ(star->frame().minY(), 0);
    }
}

TEST_F(NightViewTest, WithoutABackingLayerTheStarsStillMove) {
    View::setBackingLayersAvailable(false);
    const auto view = sizedView();
    EXPECT_EQ(view->layer(), nullptr);
    view->drawRect(view->bounds());
    const double x = view->stars()[0]->frame().minX();
    view->animate();
    EXPECT_EQ(view->stars()[0]->frame().minX(), x - view->stars()[0]->speed());
}
