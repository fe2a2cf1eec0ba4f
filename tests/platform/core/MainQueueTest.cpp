#include "platform/core/MainQueue.h"

#include "support/ScopedEnvironment.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <thread>

using namespace aerolune;

namespace {

class MainQueueTest : public ::testing::Test {
protected:
    void SetUp() override { queue.reset(); }
    void TearDown() override { queue.reset(); }
    MainQueue::Work record(std::string name) {
        return [this, name] { ran.push_back(name + "@" + std::to_string(clock->monotonic())); };
    }

    test::ScopedManualClock clock{1000};
    MainQueue& queue = MainQueue::main();
    std::vector<std::string> ran;
};

} // namespace

TEST_F(MainQueueTest, WorkRunsAtItsDeadlineInOrderOnlyForLiveTargetsAndOnTheMainThread) {
    for (const auto& [delay, name] : {std::pair{10, "a"}, {5, "b"}, {10, "c"}, {5, "d"}})
        queue.asyncAfter(delay, record(name));
    queue.asyncAfter(0, [this] { queue.asyncAfter(0, record("due at once")); });
    const auto kept = std::make_shared<int>(0);
    queue.asyncAfter(7, std::weak_ptr<int>(kept), [](int& calls) { ++calls; });
    queue.asyncAfter(7, std::weak_ptr<int>(std::make_shared<int>()),
                     [this](int&) { ran.push_back("for a target that is gone"); });
    EXPECT_EQ(queue.runDue(), 2u);
    clock->setNow(1e9); // the wall clock jumps; deadlines are on the monotonic clock
    clock->advance(4.999);
    EXPECT_EQ(queue.runDue(), 0u);
    queue.advance(*clock, 0.001);
    EXPECT_EQ(ran.size(), 3u) << "work due exactly at the end of an advance runs in it";
    queue.advance(*clock, 100); // stopping at each deadline on the way
    EXPECT_EQ(ran, (std::vector<std::string>{"due at once@0.000000", "b@5.000000", "d@5.000000",
                                             "a@10.000000", "c@10.000000"}));
    EXPECT_EQ(*kept, 1);
    queue.asyncAfter(1, record("dropped"));
    queue.reset();
    queue.advance(*clock, 10);
    EXPECT_EQ(ran.size(), 5u) << "reset drops pending work";
    // Work posted from another thread wakes the poller and runs on this one.
    std::thread::id ranOn;
    std::thread poster([&] { queue.async([&] { ranOn = std::this_thread::get_id(); }); });
    pollfd fd{queue.wakeFd(), POLLIN, 0};
    ASSERT_EQ(::poll(&fd, 1, 5000), 1) << "no wake within five seconds";
    poster.join();
    EXPECT_EQ(queue.runDue(), 1u);
    EXPECT_EQ(ranOn, std::this_thread::get_id());
    EXPECT_EQ(::poll(&fd, 1, 0), 0) << "running the work consumes the wake";
}
