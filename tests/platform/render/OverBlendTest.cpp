#include "platform/render/OverBlend.h"

#include <gtest/gtest.h>
#include <pixman.h>
#include <random>
#include <vector>

using namespace aerolune;

TEST(OverBlendTest, RowsBlendExactlyAsPixmanCompositesOver) {
    std::mt19937 random(7);
    // Premultiplied pixels: no channel above its alpha; many fully clear or
    // opaque, as in cloud pictures.
    auto pixel = [&random]() -> std::uint32_t {
        const std::uint32_t kind = random() % 4;
        if (kind == 0)
            return std::uint32_t{0};
        const std::uint32_t a = kind == 1 ? 255 : random() % 256;
        auto channel = [&]() -> std::uint32_t { return a ? random() % (a + 1) : 0; };
        return a << 24 | channel() << 16 | channel() << 8 | channel();
    };
    for (const int length : {0, 1, 7, 8, 9, 16, 31, 64, 100}) {
        SCOPED_TRACE(length);
        std::vector<std::uint32_t> source(static_cast<std::size_t>(length) + 1);
        std::vector<std::uint32_t> ours(source.size()), theirs(source.size());
        for (std::size_t i = 0; i < source.size(); ++i) {
            source[i] = pixel();
            ours[i] = theirs[i] = pixel() | 0xff000000u;
        }
        blendOverRow(ours.data(), source.data(), length);
        pixman_image_t* from = pixman_image_create_bits(PIXMAN_a8r8g8b8, length + 1, 1,
                                                        source.data(), 4 * (length + 1));
        pixman_image_t* to = pixman_image_create_bits(PIXMAN_a8r8g8b8, length + 1, 1, theirs.data(),
                                                      4 * (length + 1));
        pixman_image_composite32(PIXMAN_OP_OVER, from, nullptr, to, 0, 0, 0, 0, 0, 0, length, 1);
        pixman_image_unref(from);
        pixman_image_unref(to);
        EXPECT_EQ(ours, theirs);
    }
}
