#include "platform/render/UploadBoxes.h"

#include <gtest/gtest.h>

using namespace aerolune;

namespace {

bool inside(const PixelRect& r, int x, int y) {
    return x >= r.x && x < r.x + r.width && y >= r.y && y < r.y + r.height;
}

// Every pixel of every piece lies in some box.
void expectCovered(const std::vector<PixelRect>& pieces, const std::vector<PixelRect>& boxes) {
    for (const auto& piece : pieces)
        for (int y = piece.y; y < piece.y + piece.height; ++y)
            for (int x = piece.x; x < piece.x + piece.width; ++x) {
                bool found = false;
                for (const auto& box : boxes)
                    found = found || inside(box, x, y);
                ASSERT_TRUE(found) << x << ", " << y;
            }
}

} // namespace

TEST(UploadBoxesTest, NearbyPiecesGoAsOneBoxAndFarOnesApart) {
    {
        SCOPED_TRACE("two specks 20 pixels apart: the box around them is cheaper than a request");
        const std::vector<PixelRect> pieces{{100, 100, 4, 4}, {120, 104, 4, 4}};
        const auto boxes = uploadBoxes(pieces);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0], (PixelRect{100, 100, 24, 8}));
    }
    {
        SCOPED_TRACE("the same specks across the screen: two requests");
        const std::vector<PixelRect> pieces{{0, 0, 4, 4}, {1000, 500, 4, 4}};
        const auto boxes = uploadBoxes(pieces);
        EXPECT_EQ(boxes.size(), 2u);
        expectCovered(pieces, boxes);
    }
    {
        SCOPED_TRACE("either side of one request's worth of extra pixels");
        const std::vector<PixelRect> pieces{{0, 0, 1, 1}, {99, 0, 1, 1}};
        EXPECT_EQ(uploadBoxes(pieces, 98).size(), 1u) << "100 pixels, 2 + 98";
        EXPECT_EQ(uploadBoxes(pieces, 97).size(), 2u);
    }
    {
        SCOPED_TRACE("a chain: each join can make the next one worth it");
        std::vector<PixelRect> pieces;
        for (int i = 0; i < 10; ++i)
            pieces.push_back({i * 30, (i % 3) * 20, 5, 5});
        const auto boxes = uploadBoxes(pieces, 2000);
        EXPECT_LT(boxes.size(), pieces.size());
        expectCovered(pieces, boxes);
    }
}

TEST(UploadBoxesTest, EmptyPiecesVanishAndAFloodGoesAsOneBox) {
    EXPECT_TRUE(uploadBoxes({}).empty());
    EXPECT_TRUE(uploadBoxes({{5, 5, 0, 3}, {1, 1, 3, -1}}).empty());
    const PixelRect whole{0, 0, 1920, 1080};
    EXPECT_EQ(uploadBoxes({whole}), (std::vector<PixelRect>{whole}));
    std::vector<PixelRect> flood;
    for (int i = 0; i < 600; ++i)
        flood.push_back({(i * 97) % 1900, (i * 53) % 1000, 2, 2});
    const auto boxes = uploadBoxes(flood, 0);
    ASSERT_EQ(boxes.size(), 1u) << "too many to pair up";
    expectCovered(flood, boxes);
}
