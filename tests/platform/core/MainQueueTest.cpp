#include "platform/core/MainQueue.h"

#include "support/ScopedEnvironment.h"

#include <atomic>
#include <gtest/gtest.h>
#include <poll.h>
#include <string>
#include <thread>
#include <vector>

using namespace aerolune;

namespace {

class MainQueueTest : public ::testing::Test {
protected:
    void SetUp() override { queue.reset(); }
    void TearDown() override { queue.reset(); }

    test::ScopedManualClock clock{1000};
    MainQueue& queue = MainQueue::main();
};

struct Target {
    int calls = 0;
};

} // namespace

TEST_F(MainQueueTest, WorkRunsOnceAtItsDeadlineAndNotBefore) {
    int runs = 0;
    queue.asyncAfter(5, [&] { ++runs; });
    clock->advance(4.999);
    EXPECT_EQ(queue.runDue(), 0u);
    EXPECT_EQ(runs, 0);
    clock->advance(0.001);
    EXPECT_EQ(queue.runDue(), 1u);
    EXPECT_EQ(runs, 1);
    clock->advance(100);
    EXPECT_EQ(queue.runDue(), 0u);
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(queue.isEmpty());
}

TEST_F(MainQueueTest, WorkRunsInDeadlineOrderAndFifoForEqualDeadlines) {
    std::vector<std::string> order;
    queue.asyncAfter(10, [&] { order.push_back("10a"); });
    queue.asyncAfter(5, [&] { order.push_back("5a"); });
    queue.asyncAfter(10, [&] { order.push_back("10b"); });
    queue.asyncAfter(0, [&] { order.push_back("0"); });
    queue.asyncAfter(5, [&] { order.push_back("5b"); });
    clock->advance(60);
    queue.runDue();
    EXPECT_EQ(order, (std::vector<std::string>{"0", "5a", "5b", "10a", "10b"}));
}

TEST_F(MainQueueTest, AdvanceRunsEachPieceOfWorkAtTheMomentItWasDueFor) {
    std::vector<double> seenAt;
    const double start = clock->monotonic();
    // A chain like a gradient walk: each step schedules the next.
    std::function<void()> step = [&] {
        seenAt.push_back(clock->monotonic() - start);
        if (seenAt.size() < 4)
            queue.asyncAfter(240, step);
    };
    queue.asyncAfter(60, step);
    queue.advance(*clock, 1000);
    EXPECT_EQ(seenAt, (std::vector<double>{60, 300, 540, 780}));
    EXPECT_DOUBLE_EQ(clock->monotonic() - start, 1000);
    EXPECT_DOUBLE_EQ(clock->now(), 2000);
    {
        SCOPED_TRACE("work due exactly at the end of an advance runs in it");
        bool ran = false;
        queue.asyncAfter(5, [&] { ran = true; });
        queue.advance(*clock, 4.5);
        EXPECT_FALSE(ran);
        queue.advance(*clock, 0.5);
        EXPECT_TRUE(ran);
    }
}

TEST_F(MainQueueTest, WorkForATargetThatIsGoneDoesNothing) {
    auto kept = std::make_shared<Target>();
    auto dropped = std::make_shared<Target>();
    queue.asyncAfter(1, std::weak_ptr<Target>(kept), [](Target& t) { ++t.calls; });
    queue.asyncAfter(1, std::weak_ptr<Target>(dropped), [](Target& t) { ++t.calls; });
    std::weak_ptr<Target> watch = dropped;
    dropped.reset();
    EXPECT_TRUE(watch.expired()) << "the queue must not keep its target alive";
    queue.advance(*clock, 1);
    EXPECT_EQ(kept->calls, 1);
}

TEST_F(MainQueueTest, WorkPostedFromAnotherThreadWakesThePollerAndRunsOnTheCallingThread) {
    std::atomic<std::thread::id> ranOn{};
    std::thread poster([&] { queue.async([&] { ranOn = std::this_thread::get_id(); }); });
    pollfd fd{queue.wakeFd(), POLLIN, 0};
    // Watchdog: fail rather than hang if the wake never comes.
    ASSERT_EQ(::poll(&fd, 1, 5000), 1);
    poster.join();
    EXPECT_EQ(queue.runDue(), 1u);
    EXPECT_EQ(ranOn.load(), std::this_thread::get_id());
    fd.revents = 0;
    EXPECT_EQ(::poll(&fd, 1, 0), 0) << "running the work consumes the wake";
}

TEST_F(MainQueueTest, ResetDropsPendingWork) {
    bool ran = false;
    queue.asyncAfter(1, [&] { ran = true; });
    queue.reset();
    queue.advance(*clock, 10);
    EXPECT_FALSE(ran);
    EXPECT_FALSE(queue.nextDeadline());
}
