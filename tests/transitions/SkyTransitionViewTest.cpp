#include "transitions/SkyTransitionView.h"

#include "platform/core/MainQueue.h"
#include "support/GradientSteps.h"
#include "support/Pixels.h"
#include "support/ScopedEnvironment.h"

#include <gtest/gtest.h>

using namespace aerolune;
using Type = SkyTransitionView::SkyTransitionType;
using test::Rgb;

namespace {

class RecordingDelegate : public SkyTransitionViewDelegate {
public:
    void skyTransitionViewDidComplete() override { calls.push_back(Clock::current().monotonic()); }
    std::vector<double> calls;
};

std::vector<Rgb> rgb(const std::vector<Color>& colors) {
    std::vector<Rgb> values;
    for (const Color& c : colors)
        values.push_back(test::rgbOf(c));
    return values;
}

class SkyTransitionViewTest : public ::testing::Test {
protected:
    void SetUp() override { MainQueue::main().reset(); }
    void TearDown() override { MainQueue::main().reset(); }

    // Ticks the view once a second, as the coordinator would on every frame.
    void tick(SkyTransitionView& view, test::GradientStepRecorder& steps, int seconds) {
        for (int i = 0; i < seconds; ++i) {
            view.animate();
            steps.poll();
            MainQueue::main().advance(*clock, 1);
        }
        steps.poll();
    }

    test::ScopedManualClock clock{0};
    std::shared_ptr<RecordingDelegate> delegate = std::make_shared<RecordingDelegate>();
};

} // namespace

TEST_F(SkyTransitionViewTest, EachWalksItsDawnOrDuskColoursEvery240SecondsFromItsFirstFrame) {
    struct Case {
        Type type;
        std::vector<Rgb> colours;
        int completion;
    };
    // The dawn and dusk colours, night sky to day sky and back.
    for (const auto& [type, colours, completion] :
         {Case{Type::sunrise,
               {{19, 24, 98}, {197, 172, 167}, {250, 179, 149}, {123, 149, 182}, {164, 221, 250}},
               1200},
          Case{Type::sunset,
               {{164, 221, 250},
                {255, 229, 119},
                {254, 192, 81},
                {255, 137, 103},
                {253, 96, 81},
                {103, 32, 119},
                {19, 24, 98}},
               1680}}) {
        SCOPED_TRACE(completion);
        MainQueue::main().reset();
        delegate->calls.clear();
        auto view = std::make_shared<SkyTransitionView>(type);
        view->setDelegate(delegate);
        test::GradientStepRecorder steps(view->gradientLayer());
        clock->advance(1000); // the walk counts from its first frame, not its creation
        const double start = clock->monotonic();
        tick(*view, steps, completion - 1);
        EXPECT_FALSE(view->isComplete());
        tick(*view, steps, 1000);
        const std::size_t n = colours.size();
        ASSERT_EQ(steps.steps().size(), n);
        std::vector<Rgb> from{colours[0], colours[0]};
        for (std::size_t k = 0; k < n; ++k) {
            SCOPED_TRACE("step " + std::to_string(k));
            const auto& step = steps.steps()[k];
            const std::vector<Rgb> to{colours[k], colours[std::min(k + 1, n - 1)]};
            EXPECT_EQ(step.begin, start + 240.0 * k);
            EXPECT_EQ(step.duration, 240);
            EXPECT_EQ(step.timing, TimingFunction::easeInEaseOut);
            EXPECT_EQ(rgb(step.from), from);
            EXPECT_EQ(rgb(step.to), to);
            EXPECT_EQ(step.model, step.to) << "the layer keeps the target";
            from = to;
        }
        EXPECT_TRUE(view->isComplete());
        EXPECT_EQ(delegate->calls, std::vector<double>{start + completion}) << "told once";
        EXPECT_TRUE(MainQueue::main().isEmpty());
    }
}

TEST_F(SkyTransitionViewTest, OnlyTheFirstFrameStartsTheWalk) {
    auto view = std::make_shared<SkyTransitionView>(Type::sunset);
    view->setDelegate(delegate);
    MainQueue::main().advance(*clock, 5000);
    EXPECT_FALSE(view->hasStarted());
    EXPECT_EQ(view->gradientLayer().animationForKey("colors"), nullptr) << "never ticked";
    view->animate();
    MainQueue::main().advance(*clock, 100);
    view->animate();
    EXPECT_EQ(view->gradientLayer().animationForKey("colors")->beginTime(), 5000.0);
    MainQueue::main().advance(*clock, 140);
    EXPECT_EQ(view->gradientLayer().animationForKey("colors")->beginTime(), 5240.0);
}

TEST_F(SkyTransitionViewTest, NeitherTheViewNorItsDelegateIsKeptAliveByTheOther) {
    {
        SCOPED_TRACE("a view released during its walk stops and tells nobody");
        auto view = std::make_shared<SkyTransitionView>(Type::sunrise);
        view->setDelegate(delegate);
        view->animate();
        MainQueue::main().advance(*clock, 1000);
        std::weak_ptr<SkyTransitionView> watch = view;
        view.reset();
        EXPECT_TRUE(watch.expired());
        MainQueue::main().advance(*clock, 1000);
        EXPECT_TRUE(delegate->calls.empty());
        EXPECT_TRUE(MainQueue::main().isEmpty());
    }
    {
        SCOPED_TRACE("a view whose delegate is gone still completes");
        auto view = std::make_shared<SkyTransitionView>(Type::sunrise);
        view->setDelegate(delegate);
        std::weak_ptr<RecordingDelegate> watch = delegate;
        delegate.reset();
        EXPECT_TRUE(watch.expired());
        view->animate();
        MainQueue::main().advance(*clock, 1200);
        EXPECT_TRUE(view->isComplete());
    }
}
