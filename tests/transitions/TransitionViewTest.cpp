#include "transitions/TransitionView.h"

#include "palette/ColorHelper.h"
#include "platform/core/MainQueue.h"
#include "support/GradientSteps.h"
#include "support/ScopedEnvironment.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <tuple>
#include <utility>

using namespace aerolune;
using Colors = std::vector<Color>;

namespace {

struct Delegate : TransitionViewDelegate {
    void transitionViewDidComplete(std::optional<Color> lastColor) override {
        calls.push_back({Clock::current().monotonic(), lastColor});
    }
    std::vector<std::pair<double, std::optional<Color>>> calls;
};

} // namespace

TEST(TransitionViewTest, AWalkLeavesOutItsStartColourAndEndsOnItsLastAfter60Then240sASteps) {
    MainQueue::main().reset();
    test::ScopedManualClock clock{0};
    const auto delegate = std::make_shared<Delegate>();
    for (const auto& [start, size, end] :
         {std::tuple{std::optional<Color>(), std::size_t{31}, 7260.0},
          {ColorHelper::daySkyColor(), 30, 7020.0},
          {ColorHelper::fuchsia(), 29, 6780.0}}) {
        SCOPED_TRACE(size);
        const double t0 = clock->monotonic();
        auto view = std::make_shared<TransitionView>(start);
        view->setDelegate(delegate);
        const Colors& c = view->gradientColors();
        Colors expected = ColorHelper::allColors();
        if (start)
            std::erase(expected, *start);
        ASSERT_EQ(c.size(), size);
        EXPECT_TRUE(std::is_permutation(c.begin(), c.end(), expected.begin(), expected.end()));
        const Colors first = view->gradientLayer().colors();
        EXPECT_EQ(first, (Colors{start.value_or(c[0]), c[0]}));
        test::GradientStepRecorder steps(view->gradientLayer());
        for (int second = 0; second < end + 100; ++second, MainQueue::main().advance(*clock, 1)) {
            view->start(); // a second start does not restart the walk
            steps.poll();
        }
        ASSERT_EQ(steps.steps().size(), size);
        for (std::size_t k = 0; k < size; ++k) {
            const auto& step = steps.steps()[k];
            EXPECT_EQ(step.begin - t0, k == 0 ? 0.0 : 60.0 + 240.0 * (k - 1)) << k;
            EXPECT_EQ(step.duration, k == 0 ? 60 : 240) << k;
            EXPECT_EQ(step.to, (Colors{c[k], c[std::min(k + 1, size - 1)]})) << k;
            EXPECT_EQ(step.from, k == 0 ? first : steps.steps()[k - 1].to);
        }
        EXPECT_EQ(std::exchange(delegate->calls, {}),
                  (std::vector{std::pair(t0 + end, std::optional(c.back()))}));
        EXPECT_TRUE(MainQueue::main().isEmpty());
    }
}
