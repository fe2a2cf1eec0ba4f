#include "transitions/SkyTransitionView.h"

#include "platform/core/MainQueue.h"
#include "support/GradientSteps.h"
#include "support/ScopedEnvironment.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <tuple>
#include <utility>

using namespace aerolune;
using Type = SkyTransitionView::SkyTransitionType;

namespace {

struct Delegate : SkyTransitionViewDelegate {
    void skyTransitionViewDidComplete() override { calls.push_back(Clock::current().monotonic()); }
    std::vector<double> calls;
};

const auto rgb = [](int r, int g, int b) { return Color(r / 255.0, g / 255.0, b / 255.0); };

} // namespace

TEST(SkyTransitionViewTest, EachWalksItsColoursEvery240SecondsFromItsFirstFrameHoldingNoneAlive) {
    MainQueue::main().reset();
    test::ScopedManualClock clock{0};
    const auto advance = [&](double seconds) { MainQueue::main().advance(*clock, seconds); };
    auto delegate = std::make_shared<Delegate>();
    // clang-format off
    const std::vector<Color> dawn{rgb(19, 24, 98), rgb(197, 172, 167), rgb(250, 179, 149), rgb(123, 149, 182), rgb(164, 221, 250)};
    const std::vector<Color> dusk{rgb(164, 221, 250), rgb(255, 229, 119), rgb(254, 192, 81), rgb(255, 137, 103), rgb(253, 96, 81), rgb(103, 32, 119), rgb(19, 24, 98)};
    // clang-format on
    for (const auto& [type, colours, end] :
         {std::tuple{Type::sunrise, dawn, 1200.0}, {Type::sunset, dusk, 1680.0}}) {
        auto view = std::make_shared<SkyTransitionView>(type);
        view->setDelegate(delegate);
        test::GradientStepRecorder steps(view->gradientLayer());
        advance(1000); // the walk counts from its first frame, not from its creation
        const double start = clock->monotonic();
        for (int second = 0; second < end + 100; ++second, advance(1)) {
            view->animate(); // every frame; only the first starts the walk
            steps.poll();
        }
        const std::size_t n = colours.size();
        ASSERT_EQ(steps.steps().size(), n);
        std::vector<Color> from{colours[0], colours[0]};
        for (std::size_t k = 0; k < n; ++k) {
            const auto& step = steps.steps()[k];
            const std::vector<Color> to{colours[k], colours[std::min(k + 1, n - 1)]};
            EXPECT_EQ(step.begin, start + 240.0 * k) << k;
            EXPECT_TRUE(step.duration == 240 && step.timing == TimingFunction::easeInEaseOut);
            EXPECT_EQ(step.from, std::exchange(from, to)) << k;
            EXPECT_TRUE(step.to == to && step.model == to) << k << ", kept by the layer";
        }
        EXPECT_EQ(std::exchange(delegate->calls, {}), std::vector{start + end}) << "told once";
        EXPECT_TRUE(MainQueue::main().isEmpty());
    }
    // Neither the view nor its delegate is kept alive by the other.
    auto view = std::make_shared<SkyTransitionView>(Type::sunrise);
    view->setDelegate(delegate);
    view->animate();
    advance(1000);
    std::weak_ptr<SkyTransitionView> watch = std::exchange(view, nullptr);
    EXPECT_TRUE(watch.expired()) << "a pending step holds its view weakly";
    advance(1000);
    EXPECT_TRUE(delegate->calls.empty() && MainQueue::main().isEmpty());

    view = std::make_shared<SkyTransitionView>(Type::sunrise);
    view->setDelegate(std::exchange(delegate, nullptr));
    EXPECT_FALSE(view->delegate()) << "held weakly";
    view->animate();
    advance(1200);
    EXPECT_TRUE(view->isComplete()) << "with nobody to tell";
}
