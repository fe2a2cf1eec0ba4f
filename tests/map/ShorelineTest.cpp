#include "map/Shoreline.h"

#include "datafiles/CompressedFile.h"
#include "datafiles/DataDirectory.h"

#include <gtest/gtest.h>

using namespace aerolune;

// What the shipped file holds is checked where it shows: on the maps of
// MapRendererTest.
TEST(ShorelineTest, ADamagedFileIsRefused) {
    const auto bytes = CompressedFile::read(DataDirectory::find(Shoreline::fileName).value());
    ASSERT_TRUE(bytes && Shoreline::parse(*bytes));
    for (const std::size_t cut : {std::size_t(0), std::size_t(8), std::size_t(39), std::size_t(40),
                                  bytes->size() / 2, bytes->size() - 1})
        EXPECT_FALSE(Shoreline::parse(std::string_view(*bytes).substr(0, cut))) << cut;
    EXPECT_FALSE(Shoreline::parse(*bytes + "x"));
    auto flat = *bytes;
    flat[12] = char(flat[12] + 1); // a grid of one more column, which no longer fits the world
    EXPECT_FALSE(Shoreline::parse(flat));
}
