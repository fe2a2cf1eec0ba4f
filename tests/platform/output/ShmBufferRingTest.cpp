#include "platform/output/ShmBufferRing.h"

#include "platform/output/WaylandDisplay.h"
#include "support/Program.h"
#include "support/ScopedConfigHome.h"

#include <gtest/gtest.h>
#include <tuple>
#include <unistd.h>

using namespace aerolune;

TEST(ShmBufferRingTest, EachFrameGoesIntoAFreeBufferThatTakesWhatItMissedFromTheLastOne) {
    const std::string socket = "/tmp/aerolune-shm-" + std::to_string(::getpid());
    test::Program compositor(AEROLUNE_BARE_COMPOSITOR, {socket});
    ASSERT_EQ(compositor.readLine(), "ready");
    const test::ScopedEnvironmentVariable wayland("WAYLAND_DISPLAY", socket.c_str());
    auto display = WaylandDisplay::connect();
    ASSERT_TRUE(display) << display.error().message;
    ShmBufferRing ring((*display)->shm());
    constexpr int width = 40, height = 30;
    const PixelRect whole{0, 0, width, height}, left{2, 3, 10, 8}, right{25, 12, 12, 15};
    // Whether a frame's buffer is another than the last frame's, what it lacks
    // of the last frame and which buffer holds that.
    using Holds = std::tuple<bool, std::vector<PixelRect>, const ShmBuffer*>;
    const auto holds = [](const auto& n) { return Holds{n.changed, n.stale, n.last}; };

    const auto a = ring.next(width, height);
    ASSERT_TRUE(a.buffer);
    EXPECT_EQ(holds(a), (Holds{true, {whole}, nullptr})) << "a new buffer holds nothing yet";
    ring.drawn({whole});
    a.buffer->markBusy();

    const auto b = ring.next(width, height);
    ASSERT_TRUE(b.buffer && b.buffer != a.buffer);
    EXPECT_EQ(holds(b), (Holds{true, {whole}, a.buffer}));
    ring.drawn({left});
    ring.drawn({right});
    b.buffer->markBusy();
    a.buffer->release();
    // The first buffer, free again, redraws the frames it missed alone.
    const auto again = ring.next(width, height);
    ASSERT_EQ(again.buffer, a.buffer);
    EXPECT_EQ(holds(again), (Holds{true, {left, right}, b.buffer}));
    ring.drawn({});
    // The newest buffer, not yet shown, is drawn on again as it is.
    const auto unshown = ring.next(width, height);
    EXPECT_EQ(unshown.buffer, a.buffer);
    EXPECT_EQ(holds(unshown), (Holds{false, {}, nullptr}));
    a.buffer->markBusy();
    // A third buffer at most.
    const auto c = ring.next(width, height);
    ASSERT_TRUE(c.buffer && c.buffer != a.buffer && c.buffer != b.buffer);
    c.buffer->markBusy();
    EXPECT_EQ(ring.next(width, height).buffer, nullptr);
    // A new size starts anew: no buffer of that size was drawn.
    const auto resized = ring.next(width + 1, height);
    ASSERT_TRUE(resized.buffer);
    EXPECT_EQ(holds(resized), (Holds{true, {{0, 0, width + 1, height}}, nullptr}));
    EXPECT_EQ(ring.size(), 1u);
    ::unlink(socket.c_str());
}
