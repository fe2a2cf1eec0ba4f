#include "transitions/TransitionView.h"

#include "palette/ColorHelper.h"
#include "platform/core/MainQueue.h"
#include "platform/core/Random.h"
#include "support/GradientSteps.h"
#include "support/ScopedEnvironment.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <utility>

using namespace aerolune;
using Colors = std::vector<Color>;

namespace {

class RecordingDelegate : public TransitionViewDelegate {
public:
    void transitionViewDidComplete(std::optional<Color> lastColor) override {
        calls.push_back({Clock::current().monotonic(), lastColor});
    }
    std::vector<std::pair<double, std::optional<Color>>> calls;
};

class TransitionViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        MainQueue::main().reset();
        Random::reseedShared(31);
    }
    void TearDown() override { MainQueue::main().reset(); }

    test::ScopedManualClock clock{0};
    std::shared_ptr<RecordingDelegate> delegate = std::make_shared<RecordingDelegate>();
};

} // namespace

TEST_F(TransitionViewTest, AWalkLeavesOutItsStartColourAndEndsOnItsLastAfter60Then240sASteps) {
    struct Case {
        std::optional<Color> start;
        std::size_t colors;
        double completion;
    };
    for (const auto& [start, size, completion] :
         {Case{std::nullopt, 31, 7260}, Case{ColorHelper::daySkyColor(), 30, 7020},
          Case{ColorHelper::fuchsia(), 29, 6780}}) {
        SCOPED_TRACE(std::to_string(size) + " colours");
        MainQueue::main().reset();
        delegate->calls.clear();
        const double t0 = clock->monotonic();
        auto view = std::make_shared<TransitionView>(start);
        view->setDelegate(delegate);
        const Colors& colors = view->gradientColors();
        Colors expected = ColorHelper::allColors();
        if (start)
            std::erase(expected, *start);
        ASSERT_EQ(colors.size(), size);
        EXPECT_TRUE(
            std::is_permutation(colors.begin(), colors.end(), expected.begin(), expected.end()));
        EXPECT_EQ(view->gradientLayer().colors(), (Colors{start.value_or(colors[0]), colors[0]}));

        test::GradientStepRecorder steps(view->gradientLayer());
        view->start();
        for (int second = 0; second < completion + 100; ++second) {
            steps.poll();
            MainQueue::main().advance(*clock, 1);
        }
        ASSERT_EQ(steps.steps().size(), size);
        for (std::size_t k = 0; k < size; ++k) {
            SCOPED_TRACE("step " + std::to_string(k));
            const auto& step = steps.steps()[k];
            EXPECT_EQ(step.begin - t0, k == 0 ? 0.0 : 60.0 + 240.0 * (k - 1));
            EXPECT_EQ(step.duration, k == 0 ? 60 : 240);
            EXPECT_EQ(step.to, (Colors{colors[k], colors[std::min(k + 1, size - 1)]}));
            if (k > 0)
                EXPECT_EQ(step.from, steps.steps()[k - 1].to);
        }
        ASSERT_EQ(delegate->calls.size(), 1u);
        EXPECT_EQ(delegate->calls[0].first - t0, completion);
        EXPECT_EQ(delegate->calls[0].second, colors.back());
        EXPECT_TRUE(MainQueue::main().isEmpty());
    }
}

TEST_F(TransitionViewTest, ASecondStartDoesNotRestartTheWalk) {
    auto view = std::make_shared<TransitionView>(std::nullopt);
    view->start();
    MainQueue::main().advance(*clock, 30);
    view->start();
    EXPECT_EQ(view->gradientLayer().animationForKey("colors")->beginTime(), 0.0);
    MainQueue::main().advance(*clock, 30);
    EXPECT_EQ(view->gradientLayer().animationForKey("colors")->beginTime(), 60.0);
}

TEST_F(TransitionViewTest, TheViewKeepsItsDelegateButNothingKeepsAReleasedView) {
    auto view = std::make_shared<TransitionView>(std::nullopt);
    std::weak_ptr<RecordingDelegate> held = delegate;
    view->setDelegate(std::exchange(delegate, nullptr));
    EXPECT_FALSE(held.expired()) << "held strongly";
    view->start();
    MainQueue::main().advance(*clock, 7000);
    std::weak_ptr<TransitionView> watch = view;
    view.reset();
    EXPECT_TRUE(watch.expired()) << "the pending step does not keep the view";
    EXPECT_TRUE(held.expired()) << "and the delegate goes with it";
    MainQueue::main().advance(*clock, 1000);
    EXPECT_TRUE(MainQueue::main().isEmpty());
}

TEST_F(TransitionViewTest, EachOfTheFourQuarterTurnsIsAsLikely) {
    std::map<double, int> turns;
    for (int i = 0; i < 800; ++i)
        ++turns[TransitionView(std::nullopt).gradientLayer().transform().angle()];
    ASSERT_EQ(turns.size(), 4u);
    for (const auto& [angle, count] : turns)
        EXPECT_NEAR(count, 200, 60) << angle;
}
