#include "transitions/SkyTransitionView.h"

#include "palette/ColorHelper.h"
#include "platform/core/MainQueue.h"
#include "support/GradientSteps.h"
#include "support/ScopedEnvironment.h"

#include <gtest/gtest.h>
#include <numbers>

using namespace aerolune;
using Type = SkyTransitionView::SkyTransitionType;
using Colors = std::vector<Color>;

namespace {

class RecordingDelegate : public SkyTransitionViewDelegate {
public:
    void skyTransitionViewDidComplete() override { calls.push_back(Clock::current().monotonic()); }
    std::vector<double> calls;
};

class SkyTransitionViewTest : public ::testing::Test {
protected:
    void SetUp() override { MainQueue::main().reset(); }
    void TearDown() override {
        MainQueue::main().reset();
        View::setBackingLayersAvailable(true);
    }

    // Ticks the view at 30 frames a second until `seconds` from now, as the
    // coordinator does, recording each step of its gradient.
    void runFrames(SkyTransitionView& view, test::GradientStepRecorder& steps, double seconds) {
        const int frames = static_cast<int>(seconds * 30);
        for (int i = 0; i < frames; ++i) {
            view.animate();
            steps.poll();
            MainQueue::main().advance(*clock, 1.0 / 30);
        }
        steps.poll();
    }

    test::ScopedManualClock clock{0};
    std::shared_ptr<RecordingDelegate> delegate = std::make_shared<RecordingDelegate>();
};

struct Step {
    double begin;
    Colors to;
};

void expectTimeline(const std::vector<test::GradientStepRecord>& steps, const Colors& start,
                    const std::vector<Step>& expected) {
    ASSERT_EQ(steps.size(), expected.size());
    Colors from = start;
    for (std::size_t k = 0; k < expected.size(); ++k) {
        SCOPED_TRACE("step " + std::to_string(k));
        EXPECT_EQ(steps[k].begin, expected[k].begin);
        EXPECT_EQ(steps[k].duration, 240);
        EXPECT_EQ(steps[k].timing, TimingFunction::easeInEaseOut);
        EXPECT_EQ(steps[k].from, from);
        EXPECT_EQ(steps[k].to, expected[k].to);
        EXPECT_EQ(steps[k].model, expected[k].to) << "the layer keeps the target";
        from = expected[k].to;
    }
}

} // namespace

TEST_F(SkyTransitionViewTest, ASunriseWalksFromNightToDayInFiveStepsAndCompletesAt1200Seconds) {
    auto view = std::make_shared<SkyTransitionView>(Type::sunrise);
    view->setDelegate(delegate);
    EXPECT_EQ(view->type(), Type::sunrise);
    EXPECT_EQ(view->gradientColors(), ColorHelper::sunriseColors());
    const Color night = ColorHelper::nightSkyColor(), day = ColorHelper::daySkyColor();
    EXPECT_EQ(view->gradientLayer().colors(), (Colors{night, night}));
    EXPECT_EQ(view->gradientLayer().transform().angle(), std::numbers::pi)
        << "the newer colour rises from the bottom";
    const Colors& c = ColorHelper::sunriseColors();
    test::GradientStepRecorder steps(view->gradientLayer());
    runFrames(*view, steps, 1199.9);
    EXPECT_FALSE(view->isComplete());
    EXPECT_TRUE(delegate->calls.empty());
    runFrames(*view, steps, 600);
    expectTimeline(steps.steps(), {night, night},
                   {{0, {night, c[1]}},
                    {240, {c[1], c[2]}},
                    {480, {c[2], c[3]}},
                    {720, {c[3], day}},
                    {960, {day, day}}});
    EXPECT_TRUE(view->isComplete());
    EXPECT_EQ(delegate->calls, (std::vector<double>{1200})) << "told once, at 1200 s";
    EXPECT_TRUE(MainQueue::main().isEmpty()) << "nothing more is scheduled";
}

TEST_F(SkyTransitionViewTest, ASunsetWalksFromDayToNightInSevenStepsAndCompletesAt1680Seconds) {
    auto view = std::make_shared<SkyTransitionView>(Type::sunset);
    view->setDelegate(delegate);
    const Color night = ColorHelper::nightSkyColor(), day = ColorHelper::daySkyColor();
    EXPECT_EQ(view->gradientColors(), ColorHelper::sunsetColors());
    EXPECT_EQ(view->gradientLayer().colors(), (Colors{day, day}));
    EXPECT_TRUE(view->gradientLayer().transform().isIdentity());
    const Colors& c = ColorHelper::sunsetColors();
    test::GradientStepRecorder steps(view->gradientLayer());
    clock->advance(1000); // the walk's times count from the first frame, not from creation
    runFrames(*view, steps, 1679.9);
    EXPECT_FALSE(view->isComplete());
    runFrames(*view, steps, 2000);
    expectTimeline(steps.steps(), {day, day},
                   {{1000, {day, c[1]}},
                    {1240, {c[1], c[2]}},
                    {1480, {c[2], c[3]}},
                    {1720, {c[3], c[4]}},
                    {1960, {c[4], c[5]}},
                    {2200, {c[5], night}},
                    {2440, {night, night}}});
    EXPECT_EQ(delegate->calls, (std::vector<double>{2680}));
    EXPECT_TRUE(view->hasStarted());
}

TEST_F(SkyTransitionViewTest, OnlyTheFirstFrameStartsTheWalk) {
    auto view = std::make_shared<SkyTransitionView>(Type::sunset);
    view->setDelegate(delegate);
    {
        SCOPED_TRACE("a view never ticked never moves nor completes");
        MainQueue::main().advance(*clock, 5000);
        EXPECT_FALSE(view->hasStarted());
        EXPECT_EQ(view->gradientLayer().animationForKey("colors"), nullptr);
        EXPECT_TRUE(delegate->calls.empty());
    }
    view->animate();
    const auto* first = view->gradientLayer().animationForKey("colors");
    ASSERT_NE(first, nullptr);
    const auto begin = first->beginTime();
    MainQueue::main().advance(*clock, 100);
    view->animate();
    EXPECT_EQ(view->gradientLayer().animationForKey("colors")->beginTime(), begin);
    MainQueue::main().advance(*clock, 140);
    EXPECT_EQ(view->gradientLayer().animationForKey("colors")->beginTime(), *begin + 240);
}

TEST_F(SkyTransitionViewTest, AReleasedViewNeitherAnimatesNorTellsItsDelegate) {
    auto view = std::make_shared<SkyTransitionView>(Type::sunrise);
    view->setDelegate(delegate);
    view->animate();
    MainQueue::main().advance(*clock, 1000);
    std::weak_ptr<SkyTransitionView> watch = view;
    view.reset();
    EXPECT_TRUE(watch.expired()) << "the pending step does not keep the view";
    MainQueue::main().advance(*clock, 1000);
    EXPECT_TRUE(delegate->calls.empty());
    EXPECT_TRUE(MainQueue::main().isEmpty());
}

TEST_F(SkyTransitionViewTest, TheDelegateIsHeldWeakly) {
    auto view = std::make_shared<SkyTransitionView>(Type::sunrise);
    view->setDelegate(delegate);
    EXPECT_EQ(view->delegate(), delegate);
    std::weak_ptr<RecordingDelegate> watch = delegate;
    delegate.reset();
    EXPECT_TRUE(watch.expired());
    EXPECT_EQ(view->delegate(), nullptr);
    view->animate();
    MainQueue::main().advance(*clock, 1200);
    EXPECT_TRUE(view->isComplete()) << "completes without anyone to tell";
}

TEST_F(SkyTransitionViewTest, EachDrawSizesTheGradientToTheView) {
    for (const Type type : {Type::sunrise, Type::sunset}) {
        SCOPED_TRACE(type == Type::sunrise ? "sunrise" : "sunset");
        auto view = std::make_shared<SkyTransitionView>(type);
        ASSERT_NE(view->layer(), nullptr);
        ASSERT_EQ(view->layer()->sublayers().size(), 1u);
        EXPECT_EQ(view->layer()->sublayers()[0].get(), &view->gradientLayer());
        EXPECT_EQ(view->gradientLayer().frame(), Rect()) << "nothing shows before the first draw";
        view->setFrame(Rect(40, 30, 300, 200));
        EXPECT_EQ(view->gradientLayer().frame(), Rect()) << "only a draw sizes it";
        view->displayIfNeeded();
        EXPECT_EQ(view->gradientLayer().frame(), Rect(0, 0, 300, 200));
        view->setFrame(Rect(40, 30, 120, 500));
        view->displayIfNeeded();
        EXPECT_EQ(view->gradientLayer().frame(), Rect(0, 0, 120, 500));
        EXPECT_EQ(view->gradientLayer().bounds(), Rect(0, 0, 120, 500));
    }
}

TEST_F(SkyTransitionViewTest, WithoutABackingLayerTheWalkStillRunsToItsEnd) {
    View::setBackingLayersAvailable(false);
    auto view = std::make_shared<SkyTransitionView>(Type::sunrise);
    view->setDelegate(delegate);
    EXPECT_EQ(view->layer(), nullptr);
    EXPECT_EQ(view->gradientLayer().superlayer(), nullptr);
    view->animate();
    MainQueue::main().advance(*clock, 1200);
    EXPECT_EQ(delegate->calls.size(), 1u);
}
