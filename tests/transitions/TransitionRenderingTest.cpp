// The two gradient views as they show on screen: which colour sits at which
// edge, and the eased mix between step boundaries, on small pictures.

#include "palette/ColorHelper.h"
#include "platform/core/MainQueue.h"
#include "platform/core/Random.h"
#include "support/RenderFrame.h"
#include "support/ScopedEnvironment.h"
#include "transitions/SkyTransitionView.h"
#include "transitions/TransitionView.h"

#include <gtest/gtest.h>
#include <numbers>

using namespace aerolune;
using Type = SkyTransitionView::SkyTransitionType;
using std::numbers::pi;

namespace {

constexpr int width = 60;
constexpr int height = 40;

// Where a pixel (y up from the bottom) lies along the axis of a gradient
// turned by `angle`: 0 at the first colour's edge, 1 at the second's.
double alongAxis(double angle, int x, int y) {
    if (angle == 0)
        return (y + 0.5) / height;
    if (angle == pi / 2)
        return (width - x - 0.5) / width;
    if (angle == pi)
        return (height - y - 0.5) / height;
    return (x + 0.5) / width;
}

// Every pixel is the linear blend of the two colours at its place on the axis.
void expectGradient(const test::Pixels& pixels, double angle, const Color& first,
                    const Color& second) {
    int off = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const auto expected = test::rgbOf(first.interpolated(second, alongAxis(angle, x, y)));
            const auto shown = pixels.pointAt(x, y);
            if (!test::near(shown, expected) && ++off <= 3)
                ADD_FAILURE() << "at (" << x << ", " << y << "): " << test::describe(shown)
                              << " instead of " << test::describe(expected);
        }
    EXPECT_EQ(off, 0);
}

Color mix(const Color& a, const Color& b, double t) {
    return a.interpolated(b, t);
}

class TransitionRenderingTest : public ::testing::Test {
protected:
    void SetUp() override { MainQueue::main().reset(); }
    void TearDown() override { MainQueue::main().reset(); }

    test::Pixels renderAt(View& view, double seconds) {
        MainQueue::main().advance(*clock, seconds - clock->monotonic());
        return test::renderFrame(*compositor, view, clock->monotonic());
    }

    test::ScopedManualClock clock{0};
    std::unique_ptr<Compositor> compositor = std::make_unique<Compositor>();
};

} // namespace

TEST_F(TransitionRenderingTest, ASunsetBringsEachNewColourDownFromTheTopEasedBetweenSteps) {
    auto view = std::make_shared<SkyTransitionView>(Type::sunset);
    view->setFrame(Rect(0, 0, width, height));
    const auto& c = ColorHelper::sunsetColors();
    expectGradient(renderAt(*view, 0), 0, c[0], c[0]);
    view->animate();
    expectGradient(renderAt(*view, 240), 0, c[0], c[1]);
    expectGradient(renderAt(*view, 480), 0, c[1], c[2]);
    const double eased = ease(TimingFunction::easeInEaseOut, 0.25);
    expectGradient(renderAt(*view, 540), 0, mix(c[1], c[2], eased), mix(c[2], c[3], eased));
    expectGradient(renderAt(*view, 600), 0, mix(c[1], c[2], 0.5), mix(c[2], c[3], 0.5));
    expectGradient(renderAt(*view, 1680), 0, c[6], c[6]);
}

TEST_F(TransitionRenderingTest, ASunriseIsUpsideDownSoThatEachNewColourRisesFromTheBottom) {
    auto view = std::make_shared<SkyTransitionView>(Type::sunrise);
    view->setFrame(Rect(0, 0, width, height));
    const auto& c = ColorHelper::sunriseColors();
    view->animate();
    expectGradient(renderAt(*view, 240), pi, c[0], c[1]);
    expectGradient(renderAt(*view, 360), pi, mix(c[0], c[1], 0.5), mix(c[1], c[2], 0.5));
    expectGradient(renderAt(*view, 1200), 0, c[4], c[4]);
}

TEST_F(TransitionRenderingTest, TheAbstractGradientCoversItsViewAlongEachOfTheFourTurns) {
    std::vector<double> seen;
    for (std::uint64_t seed = 0; seen.size() < 4 && seed < 100; ++seed) {
        Random::reseedShared(seed);
        auto view = std::make_shared<TransitionView>(ColorHelper::lavender());
        const double angle = view->gradientLayer().transform().angle();
        if (std::find(seen.begin(), seen.end(), angle) != seen.end())
            continue;
        seen.push_back(angle);
        SCOPED_TRACE("a turn of " + std::to_string(angle));
        MainQueue::main().reset();
        compositor = std::make_unique<Compositor>(); // one per view tree
        view->setFrame(Rect(0, 0, width, height));
        const double start = clock->monotonic();
        view->start();
        const auto& c = view->gradientColors();
        expectGradient(renderAt(*view, start), angle, ColorHelper::lavender(), c[0]);
        expectGradient(renderAt(*view, start + 60), angle, c[0], c[1]);
        expectGradient(renderAt(*view, start + 180), angle, mix(c[0], c[1], 0.5),
                       mix(c[1], c[2], 0.5));
    }
    EXPECT_EQ(seen.size(), 4u);
}
