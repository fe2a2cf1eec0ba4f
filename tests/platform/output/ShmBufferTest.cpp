#include "platform/output/ShmBuffer.h"

#include "platform/output/WaylandDisplay.h"
#include "support/Program.h"
#include "support/ScopedConfigHome.h"

#include <cstring>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace aerolune;

namespace {

constexpr int width = 40, height = 30;

void fill(cairo_surface_t* image, const PixelRect& r, std::uint32_t value) {
    cairo_surface_flush(image);
    auto* data = cairo_image_surface_get_data(image);
    const int stride = cairo_image_surface_get_stride(image);
    for (int y = r.y; y < r.y + r.height; ++y)
        for (int x = r.x; x < r.x + r.width; ++x)
            std::memcpy(data + y * stride + x * 4, &value, 4);
    cairo_surface_mark_dirty(image);
}

std::uint32_t pixel(const ShmBuffer& buffer, int x, int y) {
    std::uint32_t value;
    std::memcpy(&value, buffer.pixels() + y * buffer.stride() + x * 4, 4);
    return value;
}

// How many pixels of the buffer differ from the image.
int differences(const ShmBuffer& buffer, cairo_surface_t* image) {
    cairo_surface_flush(image);
    const auto* data = cairo_image_surface_get_data(image);
    const int stride = cairo_image_surface_get_stride(image);
    int count = 0;
    for (int y = 0; y < height; ++y)
        count += std::memcmp(buffer.pixels() + y * buffer.stride(), data + y * stride, width * 4)
                     ? 1
                     : 0;
    return count;
}

} // namespace

TEST(ShmBufferTest, ABufferBroughtUpToDateTakesWhatChangedWhileItWasAwayAndNothingElse) {
    const std::string socket = "/tmp/aerolune-shm-" + std::to_string(::getpid());
    test::Program compositor(AEROLUNE_BARE_COMPOSITOR, {socket});
    ASSERT_EQ(compositor.readLine(), "ready");
    const test::ScopedEnvironmentVariable wayland("WAYLAND_DISPLAY", socket.c_str());
    auto display = WaylandDisplay::connect();
    ASSERT_TRUE(display) << display.error().message;
    CairoSurface image(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
    auto first = ShmBuffer::create((*display)->shm(), width, height);
    auto second = ShmBuffer::create((*display)->shm(), width, height);
    ASSERT_TRUE(first && second);
    ShmBuffer& a = **first;
    ShmBuffer& b = **second;

    // Frames drawn alternately into the two buffers, as a surface does.
    const PixelRect whole{0, 0, width, height}, left{2, 3, 10, 8}, right{25, 10, 12, 15};
    fill(image.get(), whole, 0xff101010);
    a.update(image.get()); // new: all of it was stale
    EXPECT_EQ(differences(a, image.get()), 0);
    fill(image.get(), left, 0xff202020);
    for (ShmBuffer* buffer : {&a, &b})
        buffer->addStale({left});
    b.update(image.get());
    EXPECT_EQ(differences(b, image.get()), 0);
    fill(image.get(), right, 0xff303030);
    for (ShmBuffer* buffer : {&a, &b})
        buffer->addStale({right});
    {
        SCOPED_TRACE("the buffer that missed a frame takes that frame's change too");
        a.update(image.get());
        EXPECT_EQ(differences(a, image.get()), 0);
        EXPECT_EQ(pixel(a, left.x, left.y), 0xff202020u);
    }
    {
        SCOPED_TRACE("what did not change is not copied again");
        std::memset(const_cast<unsigned char*>(a.pixels()), 0, 4); // the pixel at (0, 0)
        fill(image.get(), right, 0xff404040);
        a.addStale({right});
        a.update(image.get());
        EXPECT_EQ(pixel(a, 0, 0), 0u);
        EXPECT_EQ(pixel(a, right.x, right.y), 0xff404040u);
    }
    ::unlink(socket.c_str());
}
