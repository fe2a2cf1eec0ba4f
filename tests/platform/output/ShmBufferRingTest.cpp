#include "platform/output/ShmBufferRing.h"

#include "platform/output/WaylandDisplay.h"
#include "support/Program.h"
#include "support/ScopedConfigHome.h"

#include <gtest/gtest.h>
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
    using Rects = std::vector<PixelRect>;

    const auto a = ring.next(width, height);
    ASSERT_TRUE(a.buffer && a.changed);
    EXPECT_EQ(a.stale, Rects{whole}) << "a new buffer holds nothing yet";
    EXPECT_EQ(a.last, nullptr) << "and none holds the last frame";
    ring.drawn({whole});
    a.buffer->markBusy();

    const auto b = ring.next(width, height);
    ASSERT_TRUE(b.buffer && b.buffer != a.buffer && b.changed);
    EXPECT_EQ(b.stale, Rects{whole});
    EXPECT_EQ(b.last, a.buffer);
    ring.drawn({left});
    ring.drawn({right});
    b.buffer->markBusy();
    a.buffer->release();
    {
        SCOPED_TRACE("the first buffer, free again, redraws the frames it missed alone");
        const auto again = ring.next(width, height);
        ASSERT_EQ(again.buffer, a.buffer);
        EXPECT_TRUE(again.changed);
        EXPECT_EQ(again.stale, (Rects{left, right}));
        EXPECT_EQ(again.last, b.buffer);
        ring.drawn({});
    }
    {
        SCOPED_TRACE("the newest buffer, not yet shown, is drawn on again as it is");
        const auto unshown = ring.next(width, height);
        EXPECT_EQ(unshown.buffer, a.buffer);
        EXPECT_FALSE(unshown.changed);
        EXPECT_TRUE(unshown.stale.empty());
        EXPECT_EQ(unshown.last, nullptr);
    }
    a.buffer->markBusy();
    {
        SCOPED_TRACE("a third buffer at most");
        const auto c = ring.next(width, height);
        ASSERT_TRUE(c.buffer && c.buffer != a.buffer && c.buffer != b.buffer);
        c.buffer->markBusy();
        EXPECT_EQ(ring.next(width, height).buffer, nullptr);
    }
    {
        SCOPED_TRACE("a new size starts anew");
        const auto resized = ring.next(width + 1, height);
        ASSERT_TRUE(resized.buffer);
        EXPECT_EQ(resized.stale, (Rects{{0, 0, width + 1, height}}));
        EXPECT_EQ(resized.last, nullptr) << "no buffer of the new size was drawn";
        EXPECT_EQ(ring.size(), 1u);
    }
    ::unlink(socket.c_str());
}
