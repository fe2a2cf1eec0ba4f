#include "platform/output/RunLoop.h"

#include "platform/core/MainQueue.h"
#include "support/ScopedEnvironment.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

using namespace aerolune;

namespace {

class JournalSaver : public ScreenSaverView {
public:
    explicit JournalSaver(std::vector<std::string>& journal)
        : ScreenSaverView(Rect(), false), journal_(journal) {}
    void animateOneFrame() override { journal_.push_back("frame"); }
    void layout() override { journal_.push_back("layout"); }
    void drawRect(const Rect& dirty) override { journal_.push_back("draw " + describe(dirty)); }

private:
    std::vector<std::string>& journal_;
};

class JournalOutput : public FrameOutput {
public:
    explicit JournalOutput(std::vector<std::string>& journal) : journal_(journal) {}
    Size size() const override { return size_; }
    void present(View&, double) override { journal_.push_back("present"); }
    bool processEvents() override { return open; }
    bool wantsFrame() const override { return wants; }

    Size size_{64, 32};
    bool open = true;
    bool wants = true;

private:
    std::vector<std::string>& journal_;
};

class RunLoopTest : public ::testing::Test {
protected:
    void SetUp() override { MainQueue::main().reset(); }
    void TearDown() override { MainQueue::main().reset(); }

    test::ScopedManualClock clock{0};
    std::vector<std::string> journal;
};

} // namespace

TEST_F(RunLoopTest, AFrameRunsWorkAnimatesLaysOutDrawsAndPresentsInThatOrder) {
    auto saver = std::make_shared<JournalSaver>(journal);
    JournalOutput output(journal);
    RunLoop loop(saver, &output);
    MainQueue::main().asyncAfter(0, [&] { journal.push_back("work"); });
    saver->startAnimation();
    loop.runFrame();
    EXPECT_EQ(journal, (std::vector<std::string>{"work", "frame", "layout",
                                                 "draw {{0, 0}, {64, 32}}", "present"}));
    EXPECT_EQ(saver->frame(), Rect(0, 0, 64, 32)) << "the root view takes the output's size";
    {
        SCOPED_TRACE("the next frame asks for no draw");
        journal.clear();
        loop.runFrame();
        EXPECT_EQ(journal, (std::vector<std::string>{"frame", "present"}));
    }
    {
        SCOPED_TRACE("a resized output lays out and draws again");
        journal.clear();
        output.size_ = {80, 40};
        loop.runFrame();
        EXPECT_EQ(journal, (std::vector<std::string>{"frame", "layout", "draw {{0, 0}, {80, 40}}",
                                                     "present"}));
    }
    {
        SCOPED_TRACE("a stopped view gets no frame calls");
        journal.clear();
        saver->stopAnimation();
        loop.runFrame();
        EXPECT_EQ(journal, (std::vector<std::string>{"present"}));
    }
}

TEST_F(RunLoopTest, AdvancingAManualClockInterleavesFramesAndWorkInTimeOrder) {
    auto saver = std::make_shared<JournalSaver>(journal);
    saver->setAnimationTimeInterval(0.5);
    saver->startAnimation();
    RunLoop loop(saver);
    MainQueue::main().asyncAfter(
        1, [&] { journal.push_back("work@" + std::to_string(clock->monotonic())); });
    loop.advance(*clock, 2.2);
    std::erase_if(journal,
                  [](const auto& line) { return line != "frame" && line.rfind("work", 0); });
    EXPECT_EQ(journal, (std::vector<std::string>{"frame", "frame", "work@1.000000", "frame",
                                                 "frame", "frame"}));
    EXPECT_EQ(loop.frameCount(), 5u) << "frames at 0, 0.5, 1, 1.5 and 2";
    EXPECT_DOUBLE_EQ(clock->monotonic(), 2.2);
    {
        SCOPED_TRACE("a long advance replays every frame on the grid, none twice");
        loop.advance(*clock, 100);
        EXPECT_EQ(loop.frameCount(), 5u + 200u);
    }
}

TEST_F(RunLoopTest, RealTimeRunEndsCleanlyOnStopOnSignalsAndWhenTheOutputCloses) {
    test::ScopedManualClock restore; // run() needs a clock that moves
    Clock::setCurrent(nullptr);
    auto saver = std::make_shared<JournalSaver>(journal);
    saver->setAnimationTimeInterval(0.01);
    JournalOutput output(journal);
    {
        SCOPED_TRACE("stop from delayed work");
        RunLoop loop(saver, &output);
        MainQueue::main().asyncAfter(0, [&] { loop.stop(); });
        EXPECT_EQ(loop.run(), 0);
        EXPECT_FALSE(saver->isAnimating()) << "the loop stops what it started";
    }
    for (const int signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signal);
        RunLoop loop(saver, &output);
        std::thread sender([signal] {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            ::kill(::getpid(), signal);
        });
        EXPECT_EQ(loop.run(), 0);
        sender.join();
        EXPECT_GT(loop.frameCount(), 0u);
    }
    {
        SCOPED_TRACE("output gone");
        RunLoop loop(saver, &output);
        MainQueue::main().asyncAfter(0, [&] { output.open = false; });
        EXPECT_EQ(loop.run(), 0);
        output.open = true;
    }
    {
        SCOPED_TRACE("work posted from another thread wakes the loop");
        RunLoop loop(saver, &output);
        saver->setAnimationTimeInterval(3600);
        std::thread poster([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            MainQueue::main().async([&] { loop.stop(); });
        });
        EXPECT_EQ(loop.run(), 0);
        poster.join();
        EXPECT_EQ(loop.frameCount(), 1u);
    }
}

TEST_F(RunLoopTest, ASignalCaughtBeforeRunEndsItAtOnceAndTheHandlerKeepsErrno) {
    test::ScopedManualClock restore;
    Clock::setCurrent(nullptr);
    auto saver = std::make_shared<JournalSaver>(journal);
    saver->setAnimationTimeInterval(0.01);
    JournalOutput output(journal);
    const SignalWatcher signals;
    {
        SCOPED_TRACE("errno survives a handler whose pipe is full");
        const int capacity = ::fcntl(signals.fd(), F_SETPIPE_SZ, 4096);
        ASSERT_GT(capacity, 0);
        for (int i = 0; i < capacity; ++i)
            ::raise(SIGTERM);
        errno = EDOM;
        ::raise(SIGINT);
        EXPECT_EQ(errno, EDOM);
        EXPECT_EQ(signals.received(), SIGINT);
    }
    {
        SCOPED_TRACE("the loop ends before its first frame");
        RunLoop loop(saver, &output);
        // Only for a loop that missed the signal, which would otherwise run on.
        MainQueue::main().asyncAfter(1, [&] { loop.stop(); });
        EXPECT_EQ(loop.run(signals), 0);
        EXPECT_EQ(loop.frameCount(), 0u);
    }
}

TEST_F(RunLoopTest, AScreenWhoseOutputWantsNoFrameIsNeitherAnimatedNorDrawnAndScreensComeAndGo) {
    std::vector<std::string> other;
    auto first = std::make_shared<JournalSaver>(journal);
    auto second = std::make_shared<JournalSaver>(other);
    JournalOutput firstOutput(journal), secondOutput(other);
    RunLoop loop(static_cast<EventSource*>(nullptr));
    loop.addScreen(first, &firstOutput);
    loop.addScreen(second, &secondOutput);
    first->startAnimation();
    second->startAnimation();
    secondOutput.wants = false;
    loop.runFrame();
    EXPECT_EQ(journal,
              (std::vector<std::string>{"frame", "layout", "draw {{0, 0}, {64, 32}}", "present"}));
    EXPECT_TRUE(other.empty());
    {
        SCOPED_TRACE("wanted again, it catches up on its size and draw");
        journal.clear();
        secondOutput.wants = true;
        secondOutput.size_ = {30, 20};
        loop.runFrame();
        EXPECT_EQ(journal, (std::vector<std::string>{"frame", "present"}));
        EXPECT_EQ(other, (std::vector<std::string>{"frame", "layout", "draw {{0, 0}, {30, 20}}",
                                                   "present"}));
    }
    {
        SCOPED_TRACE("a removed screen is left alone");
        journal.clear();
        loop.removeScreen(&firstOutput);
        EXPECT_EQ(loop.screenCount(), 1u);
        loop.runFrame();
        EXPECT_TRUE(journal.empty());
        EXPECT_TRUE(first->isAnimating()) << "the loop did not start it, so it does not stop it";
    }
}

// A source whose descriptor becomes readable when a test thread writes to it.
class PipeSource : public EventSource {
public:
    PipeSource() { EXPECT_EQ(::pipe2(fds_, O_NONBLOCK | O_CLOEXEC), 0); }
    ~PipeSource() override {
        ::close(fds_[0]);
        ::close(fds_[1]);
    }
    int eventFd() const override { return fds_[0]; }
    bool processEvents() override {
        ++calls;
        char byte;
        if (::read(fds_[0], &byte, 1) == 1 && onEvent)
            onEvent();
        return true;
    }
    void send() { EXPECT_EQ(::write(fds_[1], "x", 1), 1); }

    std::function<void()> onEvent;
    int calls = 0;

private:
    int fds_[2] = {-1, -1};
};

TEST_F(RunLoopTest, WhileNoScreenWantsAFrameTheLoopSleepsUntilAnEventBringsOne) {
    test::ScopedManualClock restore; // run() needs a clock that moves
    Clock::setCurrent(nullptr);
    std::vector<std::string> other;
    auto covered = std::make_shared<JournalSaver>(journal);
    auto added = std::make_shared<JournalSaver>(other);
    // Frames every millisecond: a loop that woke for them would turn often.
    covered->setAnimationTimeInterval(0.001);
    added->setAnimationTimeInterval(0.001);
    JournalOutput coveredOutput(journal), addedOutput(other);
    coveredOutput.wants = false;
    PipeSource source;
    RunLoop loop(&source);
    loop.addScreen(covered, &coveredOutput);
    int callsBeforeTheEvent = -1;
    source.onEvent = [&] {
        callsBeforeTheEvent = source.calls - 1;
        loop.addScreen(added, &addedOutput);
        EXPECT_TRUE(added->isAnimating()) << "a screen added while running is started";
        MainQueue::main().async([&] { loop.stop(); });
    };
    std::thread sender([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        source.send();
    });
    EXPECT_EQ(loop.run(), 0);
    sender.join();
    EXPECT_LE(callsBeforeTheEvent, 2) << "the loop woke with nothing to do";
    EXPECT_TRUE(journal.empty()) << "the covered screen was animated or drawn";
    EXPECT_EQ(std::count(other.begin(), other.end(), "present"), 1);
    EXPECT_FALSE(added->isAnimating()) << "the loop stops the views it started";
}
