#include "transitions/TransitionView.h"

#include "palette/ColorHelper.h"
#include "platform/core/MainQueue.h"
#include "platform/core/Random.h"
#include "support/GradientSteps.h"
#include "support/ScopedEnvironment.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <map>

using namespace aerolune;
using Colors = std::vector<Color>;

namespace {

class RecordingDelegate : public TransitionViewDelegate {
public:
    void transitionViewDidComplete(std::optional<Color> lastColor) override {
        calls.push_back({Clock::current().monotonic(), lastColor});
    }
    struct Call {
        double at;
        std::optional<Color> lastColor;
    };
    std::vector<Call> calls;
};

class TransitionViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        MainQueue::main().reset();
        Random::reseedShared(31);
    }
    void TearDown() override {
        MainQueue::main().reset();
        View::setBackingLayersAvailable(true);
    }

    // Runs the queue a second at a time, recording each step of the gradient.
    void run(test::GradientStepRecorder& steps, int seconds) {
        for (int i = 0; i < seconds; ++i) {
            steps.poll();
            MainQueue::main().advance(*clock, 1);
        }
        steps.poll();
    }

    test::ScopedManualClock clock{0};
    std::shared_ptr<RecordingDelegate> delegate = std::make_shared<RecordingDelegate>();
};

std::map<std::tuple<double, double, double, double>, int> tally(const Colors& colors) {
    std::map<std::tuple<double, double, double, double>, int> counts;
    for (const Color& c : colors)
        ++counts[{c.red(), c.green(), c.blue(), c.alpha()}];
    return counts;
}

} // namespace

TEST_F(TransitionViewTest, TheWalkGoesThroughThePaletteLessTheStartColourInSomeOrder) {
    {
        SCOPED_TRACE("no start colour: all 31");
        const TransitionView view(std::nullopt);
        EXPECT_EQ(tally(view.gradientColors()), tally(ColorHelper::allColors()));
        const Color& first = view.gradientColors().front();
        EXPECT_EQ(view.gradientLayer().colors(), (Colors{first, first}));
    }
    {
        SCOPED_TRACE("magenta, which the palette holds twice: 29");
        const TransitionView view(ColorHelper::magenta());
        EXPECT_EQ(view.gradientColors().size(), 29u);
        EXPECT_EQ(std::count(view.gradientColors().begin(), view.gradientColors().end(),
                             ColorHelper::magenta()),
                  0);
        EXPECT_EQ(view.gradientLayer().colors(),
                  (Colors{ColorHelper::magenta(), view.gradientColors().front()}));
    }
    {
        SCOPED_TRACE("the day sky, the same colour as sky blue: 30");
        const TransitionView view(ColorHelper::daySkyColor());
        auto expected = tally(ColorHelper::allColors());
        const Color& sky = ColorHelper::skyBlue();
        expected.erase({sky.red(), sky.green(), sky.blue(), sky.alpha()});
        EXPECT_EQ(tally(view.gradientColors()), expected);
        EXPECT_EQ(view.gradientColors().size(), 30u);
    }
    {
        SCOPED_TRACE("the seed gives the same walk: the shuffle, then the turn");
        Random::reseedShared(8);
        const TransitionView view(std::nullopt);
        Random expected(8);
        Colors colors = ColorHelper::allColors();
        expected.shuffle(colors);
        EXPECT_EQ(view.gradientColors(), colors);
        EXPECT_EQ(view.gradientLayer().transform().angle(),
                  TransitionView::orientations[expected.below(4)]);
    }
}

TEST_F(TransitionViewTest, TheGradientTakesOneOfFourQuarterTurnsAndStillCoversTheView) {
    std::map<double, int> turns;
    for (int i = 0; i < 800; ++i) {
        auto view = std::make_shared<TransitionView>(std::nullopt);
        const double angle = view->gradientLayer().transform().angle();
        ++turns[angle];
        if (turns[angle] > 1)
            continue;
        SCOPED_TRACE("a turn of " + std::to_string(angle));
        EXPECT_EQ(view->gradientLayer().frame().size, (Size{})) << "not sized before a draw";
        view->setFrame(Rect(0, 0, 300, 200));
        view->displayIfNeeded();
        EXPECT_EQ(view->gradientLayer().frame(), Rect(0, 0, 300, 200));
        const bool quarter =
            angle == TransitionView::orientations[1] || angle == TransitionView::orientations[3];
        EXPECT_EQ(view->gradientLayer().bounds().size,
                  quarter ? (Size{200, 300}) : (Size{300, 200}));
        view->setFrame(Rect(0, 0, 500, 100));
        view->displayIfNeeded();
        EXPECT_EQ(view->gradientLayer().frame(), Rect(0, 0, 500, 100));
    }
    ASSERT_EQ(turns.size(), 4u);
    for (const double angle : TransitionView::orientations)
        EXPECT_NEAR(turns[angle], 200, 60) << angle;
}

TEST_F(TransitionViewTest,
       AWalkTakes60SecondsForItsFirstStepThen240ForEachAndReportsItsLastColour) {
    struct Case {
        std::optional<Color> start;
        std::size_t colors;
        double completion;
    };
    for (const Case& c : {Case{std::nullopt, 31, 7260}, Case{ColorHelper::cobalt(), 30, 7020},
                          Case{ColorHelper::fuchsia(), 29, 6780}}) {
        SCOPED_TRACE(std::to_string(c.colors) + " colours");
        MainQueue::main().reset();
        delegate->calls.clear();
        const double t0 = clock->monotonic();
        auto view = std::make_shared<TransitionView>(c.start);
        view->setDelegate(delegate);
        const Colors& colors = view->gradientColors();
        ASSERT_EQ(colors.size(), c.colors);
        const Colors initial = view->gradientLayer().colors();
        test::GradientStepRecorder steps(view->gradientLayer());
        view->start();
        run(steps, static_cast<int>(c.completion) - 1);
        EXPECT_FALSE(view->isComplete());
        EXPECT_TRUE(delegate->calls.empty());
        run(steps, 2000);
        ASSERT_EQ(steps.steps().size(), c.colors);
        Colors from = initial;
        for (std::size_t k = 0; k < c.colors; ++k) {
            SCOPED_TRACE("step " + std::to_string(k));
            const auto& step = steps.steps()[k];
            EXPECT_EQ(step.begin - t0, k == 0 ? 0.0 : 60.0 + 240.0 * (k - 1));
            EXPECT_EQ(step.duration, k == 0 ? 60 : 240);
            EXPECT_EQ(step.timing, TimingFunction::easeInEaseOut);
            EXPECT_EQ(step.from, from);
            const Colors to = k + 1 < c.colors ? Colors{colors[k], colors[k + 1]}
                                               : Colors{colors.back(), colors.back()};
            EXPECT_EQ(step.to, to);
            from = to;
        }
        EXPECT_TRUE(view->isComplete());
        ASSERT_EQ(delegate->calls.size(), 1u);
        EXPECT_EQ(delegate->calls[0].at - t0, c.completion);
        EXPECT_EQ(delegate->calls[0].lastColor, colors.back());
        EXPECT_EQ(view->gradientLayer().colors(), (Colors{colors.back(), colors.back()}));
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
    EXPECT_EQ(view->gradientLayer().colors(),
              (Colors{view->gradientColors()[1], view->gradientColors()[2]}));
}

TEST_F(TransitionViewTest, TheViewKeepsItsDelegateButNotTheOtherWayRound) {
    auto view = std::make_shared<TransitionView>(std::nullopt);
    view->setDelegate(delegate);
    std::weak_ptr<RecordingDelegate> watchDelegate = delegate;
    delegate.reset();
    EXPECT_FALSE(watchDelegate.expired()) << "held strongly";
    view->start();
    MainQueue::main().advance(*clock, 500);
    std::weak_ptr<TransitionView> watchView = view;
    view.reset();
    EXPECT_TRUE(watchView.expired()) << "the pending step does not keep the view";
    EXPECT_TRUE(watchDelegate.expired()) << "and the delegate goes with it";
    MainQueue::main().advance(*clock, 10000);
    EXPECT_TRUE(MainQueue::main().isEmpty());
}

TEST_F(TransitionViewTest, AReleasedViewNeverTellsItsDelegate) {
    auto view = std::make_shared<TransitionView>(std::nullopt);
    view->setDelegate(delegate);
    view->start();
    MainQueue::main().advance(*clock, 7000);
    view.reset();
    MainQueue::main().advance(*clock, 1000);
    EXPECT_TRUE(delegate->calls.empty());
}

TEST_F(TransitionViewTest, WithoutADelegateOrABackingLayerTheWalkStillCompletes) {
    View::setBackingLayersAvailable(false);
    auto view = std::make_shared<TransitionView>(std::nullopt);
    EXPECT_EQ(view->layer(), nullptr);
    EXPECT_EQ(view->gradientLayer().superlayer(), nullptr);
    view->start();
    MainQueue::main().advance(*clock, 7260);
    EXPECT_TRUE(view->isComplete());
}
