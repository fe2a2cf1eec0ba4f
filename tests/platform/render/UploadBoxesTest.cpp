#include "platform/render/UploadBoxes.h"

#include <gtest/gtest.h>
#include <vector>

using namespace aerolune;

// Pieces as a region lists them: bands of rows, left to right in each.
TEST(UploadBoxesTest, PiecesAreBridgedOnlyWithinTheirBandAndAcrossGapsNarrowerThanAsked) {
    const std::vector<PixelRect> banded{
        {0, 0, 4, 2},  {10, 0, 2, 2}, {44, 0, 1, 2}, // gaps of 6 and 32
        {11, 2, 1, 3}, {13, 2, 1, 3},                // next band, left of the last piece
        {40, 5, 1, 1},                               // near the one above, not on its rows
    };
    EXPECT_EQ(bridged(banded, 32),
              (std::vector<PixelRect>{{0, 0, 12, 2}, {44, 0, 1, 2}, {11, 2, 3, 3}, {40, 5, 1, 1}}));
    EXPECT_EQ(bridged(banded, 33).front(), (PixelRect{0, 0, 45, 2}));
    EXPECT_TRUE(bridged({}, 32).empty());
}
