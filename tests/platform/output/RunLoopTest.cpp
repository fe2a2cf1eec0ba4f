#include "platform/output/RunLoop.h"

#include "platform/core/MainQueue.h"
#include "platform/core/SystemClock.h"
#include "support/ScopedEnvironment.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <sys/eventfd.h>
#include <thread>
#include <utility>
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

// A source whose descriptor becomes readable when word is sent to it, at
// once or from a thread a tenth of a second later.
class WordSource : public EventSource {
public:
    ~WordSource() override {
        later_ = {}; // joins a send still due, before its descriptor closes
        ::close(fd_);
    }
    int eventFd() const override { return fd_; }
    bool processEvents() override {
        ++calls;
        if (std::uint64_t bytes; ::read(fd_, &bytes, 8) == 8 && onEvent)
            onEvent();
        return true;
    }
    void send() { EXPECT_EQ(::eventfd_write(fd_, 1), 0); }
    void sendLater() {
        later_ = std::jthread([this] {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            send();
        });
    }

    std::function<void()> onEvent;
    int calls = 0;

private:
    int fd_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    std::jthread later_;
};

// An output paced by its server, as a Wayland surface is: after each frame it
// awaits the server's word, which comes at once while
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
        std::exchange(answers, true) ? word_.send() : word_.sendLater();
    }
    bool awaitsFrame() const override { return !wants; }
    int eventFd() const override { return word_.eventFd(); }
    bool processEvents() override {
        idleTurns += !std::exchange(framed_, false);
        return word_.processEvents();
    }

    bool answers = true;
    int idleTurns = 0;

private:
    WordSource word_;
    bool framed_ = true;
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
    saver->setAnimationTimeInterval(0.1);
    std::vector<double> frames;
    RunLoop loop(saver);
    saver->onFrame = [&] {
        frames.push_back(stalling->monotonic());
        stalling->stalled += frames.size() == 1 ? 2.05 : 0; // 20.5 frames
        if (frames.size() == 3)
            loop.stop();
    };
    const double start = stalling->monotonic(); // the grid starts no earlier
    EXPECT_EQ(loop.run(), 0);
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_GE(frames[1], start + 2.1 - 1e-9) << "frames missed in a stall come not";
    EXPECT_GE(frames[2], start + 2.2 - 1e-9);
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

// A still saver's frames are a minute apart: an event (a window closed) must
// not wait for the next one either, nor a paced output's word for the frame.
TEST_F(RunLoopTest, WhileNothingIsDueTheLoopSleepsUntilAnEventOrAServersLateWord) {
    Clock::setCurrent(nullptr); // run() needs a clock that moves
    Journal other;
    auto added = std::make_shared<JournalSaver>(other);
    // Frames every millisecond: a loop that woke for them would turn often.
    saver->setAnimationTimeInterval(0.001);
    saver->wants = false;
    WordSource source;
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

    // Read as it came, a server's word would wake the loop a second time each
    // frame; a word that is late must wake it, without the loop turning
    // meanwhile.
    auto paced = std::make_shared<PacedSaver>(journal);
    paced->setAnimationTimeInterval(0.005);
    RunLoop pacedLoop(paced, paced.get());
    int frames = 0;
    paced->onFrame = [&] {
        if (++frames == 20)
            paced->answers = false;
        else if (frames == 21)
            pacedLoop.stop();
    };
    EXPECT_EQ(pacedLoop.run(), 0);
    EXPECT_EQ(frames, 21);
    EXPECT_LE(paced->idleTurns, 2) << "it woke between frames, or turned while waiting";
}
