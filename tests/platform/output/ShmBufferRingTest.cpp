#include "platform/output/ShmBufferRing.h"

#include "platform/output/WaylandDisplay.h"
#include "support/Program.h"
#include "support/ScopedConfigHome.h"

#include <cstring>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace aerolune;

namespace {

constexpr int width = 40, height = 30;

void fill(ShmBuffer& buffer, const PixelRect& r, std::uint32_t value) {
    for (int y = r.y; y < r.y + r.height; ++y)
        for (int x = r.x; x < r.x + r.width; ++x)
            std::memcpy(buffer.pixels() + y * buffer.stride() + x * 4, &value, 4);
}

std::uint32_t pixel(const ShmBuffer& buffer, int x, int y) {
    std::uint32_t value;
    std::memcpy(&value, buffer.pixels() + y * buffer.stride() + x * 4, 4);
    return value;
}

bool same(const ShmBuffer& a, const ShmBuffer& b) {
    return std::memcmp(a.pixels(), b.pixels(), std::size_t(a.stride()) * height) == 0;
}

} // namespace

TEST(ShmBufferRingTest, EachFrameGoesIntoAFreeBufferThatFirstTakesWhatItMissedAndNothingElse) {
    const std::string socket = "/tmp/aerolune-shm-" + std::to_string(::getpid());
    test::Program compositor(AEROLUNE_BARE_COMPOSITOR, {socket});
    ASSERT_EQ(compositor.readLine(), "ready");
    const test::ScopedEnvironmentVariable wayland("WAYLAND_DISPLAY", socket.c_str());
    auto display = WaylandDisplay::connect();
    ASSERT_TRUE(display) << display.error().message;
    ShmBufferRing ring((*display)->shm());
    const PixelRect whole{0, 0, width, height}, left{2, 3, 10, 8}, right{25, 10, 12, 15};

    const auto a = ring.next(width, height);
    ASSERT_TRUE(a.buffer && a.changed);
    EXPECT_FALSE(a.holdsNewest) << "a new buffer holds nothing yet";
    fill(*a.buffer, whole, 0xff101010);
    ring.drawn({whole});
    a.buffer->markBusy();

    const auto b = ring.next(width, height);
    ring.catchUp();
    ASSERT_TRUE(b.buffer && b.buffer != a.buffer && b.changed && b.holdsNewest);
    EXPECT_TRUE(same(*b.buffer, *a.buffer)) << "a second buffer starts from the first's frame";
    fill(*b.buffer, left, 0xff202020);
    ring.drawn({left});
    b.buffer->markBusy();
    a.buffer->release();
    {
        SCOPED_TRACE("the first buffer, free again, takes the frame it missed, but for what is "
                     "about to be drawn afresh, and nothing else");
        std::memset(a.buffer->pixels(), 0, 4); // the pixel at (0, 0), unchanged since
        const auto again = ring.next(width, height);
        ring.catchUp({{left.x, left.y, 1, 1}});
        ASSERT_EQ(again.buffer, a.buffer);
        EXPECT_TRUE(again.changed && again.holdsNewest);
        EXPECT_EQ(pixel(*a.buffer, left.x + 1, left.y), 0xff202020u);
        EXPECT_EQ(pixel(*a.buffer, left.x, left.y), 0xff101010u);
        EXPECT_EQ(pixel(*a.buffer, 0, 0), 0u);
        fill(*a.buffer, right, 0xff303030);
        ring.drawn({right});
    }
    {
        SCOPED_TRACE("the newest buffer, not yet shown, is drawn on again as it is");
        const auto unshown = ring.next(width, height);
        EXPECT_EQ(unshown.buffer, a.buffer);
        EXPECT_FALSE(unshown.changed);
    }
    a.buffer->markBusy();
    {
        SCOPED_TRACE("a third buffer at most");
        const auto c = ring.next(width, height);
        ring.catchUp();
        ASSERT_TRUE(c.buffer);
        EXPECT_EQ(pixel(*c.buffer, right.x, right.y), 0xff303030u);
        c.buffer->markBusy();
        EXPECT_EQ(ring.next(width, height).buffer, nullptr);
    }
    {
        SCOPED_TRACE("a new size starts anew");
        const auto resized = ring.next(width + 1, height);
        ASSERT_TRUE(resized.buffer);
        EXPECT_FALSE(resized.holdsNewest);
        EXPECT_EQ(ring.size(), 1u);
    }
    ::unlink(socket.c_str());
}
