#include "platform/output/RunLoop.h"

#include "platform/core/MainQueue.h"
#include "platform/core/SystemClock.h"
#include "support/ScopedEnvironment.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

using namespace aerolune;
using Journal = std::vector<std::string>;

namespace {

// A saver and an output that note what the loop asks of them.
class JournalSaver : public ScreenSaverView, public FrameOutput {
public:
    explicit JournalSaver(Journal& journal) : ScreenSaverView(Rect(), false), journal_(journal) {}
    void animateOneFrame() override { note("frame"), onFrame(); }
    void layout() override { note("layout"); }
    void drawRect(const Rect& dirty) override { note("draw " + aerolune::describe(dirty)); }
    Size size() const override { return outputSize; }
    void present(View&, double) override { note("present"); }
    bool wantsFrame() const override { return wants; }

    std::function<void()> onFrame = [] {};
    Size outputSize{64, 32};
    bool wants = true;

private:
    void note(std::string what) { journal_.push_back(std::move(what)); }
    Journal& journal_;
};

// The system's clocks, both moved on at will: a stall the loop did not see.
class StallingClock : public Clock {
public:
    TimePoint now() const override { return system_.now() + stalled; }
    double monotonic() const override { return system_.monotonic() + stalled; }
    double stalled = 0;

private:
    SystemClock system_;
};

class RunLoopTest : public ::testing::Test {
protected:
    void SetUp() override { MainQueue::main().reset(); }
    void TearDown() override { MainQueue::main().reset(); }

    test::ScopedManualClock clock{0}; // restores the process's clock at the end
    Journal journal;
    std::shared_ptr<JournalSaver> saver = std::make_shared<JournalSaver>(journal);
};

} // namespace

TEST_F(RunLoopTest, FramesComeOnTheirGridEachRunningWorkAnimatingLayingOutDrawingAndPresenting) {
    saver->setAnimationTimeInterval(0.5);
    saver->startAnimation();
    RunLoop loop(saver, saver.get());
    MainQueue::main().asyncAfter(1, [&] { journal.push_back("work"); });
    saver->onFrame = [&] { journal.back() += "@" + std::to_string(clock->monotonic()); };
    loop.advance(*clock, 1.2);
    EXPECT_EQ(journal, (Journal{"frame@0.000000", "layout", "draw {{0, 0}, {64, 32}}", "present",
                                "frame@0.500000", "present", "work", "frame@1.000000", "present"}));
    journal.clear();
    saver->outputSize = {80, 40}; // the root view follows the output
    saver->stopAnimation();       // and has no more frame calls
    loop.runFrame();
    EXPECT_EQ(journal, (Journal{"layout", "draw {{0, 0}, {80, 40}}", "present"}));
    loop.advance(*clock, 100);
    EXPECT_EQ(loop.frameCount(), 4u + 200u) << "every frame on the grid, none twice";
}

TEST_F(RunLoopTest, AfterAStallTheNextFrameIsTheNextOneOnTheGridWithNoneMadeUp) {
    auto stalling = std::make_shared<StallingClock>();
    Clock::setCurrent(stalling);
    constexpr double interval = 0.1;
    saver->setAnimationTimeInterval(interval);
    std::vector<double> frames;
    RunLoop loop(saver);
    saver->onFrame = [&] {
        frames.push_back(stalling->monotonic());
        if (frames.size() == 1)
            stalling->stalled += 20.5 * interval;
        if (frames.size() == 3)
            loop.stop();
    };
    const double start = stalling->monotonic(); // the grid starts no earlier
    EXPECT_EQ(loop.run(), 0);
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_GE(frames[1], start + 21 * interval - 1e-9) << "frames missed in a stall come not";
    EXPECT_GE(frames[2], start + 22 * interval - 1e-9);
}

TEST_F(RunLoopTest, ASignalCaughtBeforeRunEndsItAtOnceAndTheHandlerKeepsErrno) {
    Clock::setCurrent(nullptr);
    const SignalWatcher signals;
    const int capacity = ::fcntl(signals.fd(), F_SETPIPE_SZ, 4096);
    ASSERT_GT(capacity, 0);
    for (int i = 0; i < capacity; ++i) // fills the handler's pipe: its write fails
        ::raise(SIGTERM);
    errno = EDOM;
    ::raise(SIGINT);
    EXPECT_EQ(errno, EDOM);
    EXPECT_EQ(signals.received(), SIGINT);
    RunLoop loop(saver, saver.get());
    // Only for a loop that missed the signal, which would otherwise run on.
    MainQueue::main().asyncAfter(1, [&] { loop.stop(); });
    EXPECT_EQ(loop.run(signals), 0);
    EXPECT_EQ(loop.frameCount(), 0u);
}

// A source whose descriptor becomes readable when a byte is sent to it, at
// once or from a thread a tenth of a second later.
class PipeSource : public EventSource {
public:
    PipeSource() { EXPECT_EQ(::pipe2(fds_, O_NONBLOCK | O_CLOEXEC), 0); }
    ~PipeSource() override {
        if (later_.joinable())
            later_.join();
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
    void sendLater() {
        if (later_.joinable())
            later_.join();
        later_ = std::thread([this] {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            send();
        });
    }

    std::function<void()> onEvent;
    int calls = 0;

private:
    int fds_[2] = {-1, -1};
    std::thread later_;
};

// A still saver's frames are a minute apart: an event (a window closed) must
// not wait for the next one either.
TEST_F(RunLoopTest, WhileNoScreenWantsAFrameOrTheNextIsFarAwayTheLoopSleepsUntilAnEvent) {
    Clock::setCurrent(nullptr); // run() needs a clock that moves
    Journal other;
    auto added = std::make_shared<JournalSaver>(other);
    // Frames every millisecond: a loop that woke for them would turn often.
    saver->setAnimationTimeInterval(0.001);
    saver->wants = false;
    PipeSource source;
    RunLoop loop(&source);
    loop.addScreen(saver, saver.get());
    int callsBeforeTheEvent = -1;
    source.onEvent = [&] {
        if (callsBeforeTheEvent >= 0)
            return loop.stop();
        callsBeforeTheEvent = source.calls - 1;
        EXPECT_TRUE(journal.empty()) << "the covered screen was animated or drawn";
        saver->wants = true;
        saver->setAnimationTimeInterval(60);
        added->setAnimationTimeInterval(60);
        loop.addScreen(added, added.get());
        EXPECT_TRUE(added->isAnimating()) << "a screen added while running is started";
        source.sendLater();
    };
    const auto start = std::chrono::steady_clock::now();
    source.sendLater();
    EXPECT_EQ(loop.run(), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
    EXPECT_LE(callsBeforeTheEvent, 2) << "the loop woke with nothing to do";
    EXPECT_EQ(journal, (Journal{"frame", "layout", "draw {{0, 0}, {64, 32}}", "present"}));
    EXPECT_EQ(other, journal) << "each screen had the one frame";
    EXPECT_FALSE(added->isAnimating()) << "the loop stops the views it started";
}

namespace {

// An output paced by its server, as a Wayland surface is: after each frame it
// awaits the server's word, a byte on a pipe, which comes at once while
// `answers`; else, for that frame, from a thread a tenth of a second later.
// It counts the loop's idle turns: those that read its events and made no
// frame before reading them again.
class PacedSaver : public JournalSaver {
public:
    explicit PacedSaver(Journal& journal) : JournalSaver(journal) {
        word_.onEvent = [this] { wants = true; };
    }
    void present(View& root, double now) override {
        JournalSaver::present(root, now);
        wants = false;
        framed_ = true;
        answers ? word_.send() : word_.sendLater();
        answers = true;
    }
    bool awaitsFrame() const override { return !wants; }
    int eventFd() const override { return word_.eventFd(); }
    bool processEvents() override {
        idleTurns += framed_ ? 0 : 1;
        framed_ = false;
        return word_.processEvents();
    }

    bool answers = true;
    int idleTurns = 0;

private:
    PipeSource word_;
    bool framed_ = true;
};

} // namespace

// Read as it came, the word would wake the loop a second time each frame;
// a word that is late must wake it, without the loop turning meanwhile.
TEST_F(RunLoopTest, AServersWordIsReadAtTheNextFrameAndListenedForOnlyOnceItIsLate) {
    Clock::setCurrent(nullptr);
    auto paced = std::make_shared<PacedSaver>(journal);
    paced->setAnimationTimeInterval(0.005);
    RunLoop loop(paced, paced.get());
    int frames = 0, idleAtTwenty = 0;
    paced->onFrame = [&] {
        if (++frames == 20) {
            idleAtTwenty = paced->idleTurns;
            paced->answers = false;
        } else if (frames == 21) {
            loop.stop();
        }
    };
    EXPECT_EQ(loop.run(), 0);
    EXPECT_EQ(frames, 21);
    EXPECT_EQ(idleAtTwenty, 0) << "the loop woke for the word between frames";
    EXPECT_LE(paced->idleTurns, 2) << "the loop turned while the word was late";
}
