#include "geocode/Gazetteer.h"

#include "datafiles/CompressedFile.h"
#include "datafiles/DataDirectory.h"
#include "geocode/NameFolding.h"
#include "geocode/Utf8.h"
#include "support/GzipBomb.h"

#include <cmath>
#include <fstream>
#include <gtest/gtest.h>
#include <set>
#include <unistd.h>

using namespace aerolune;

namespace {

// A gazetteer of one place in one country, known under `names` (sorted).
std::string tinyGazetteer(const std::vector<std::string>& names) {
    const auto u32 = [](std::uint32_t value) {
        return std::string{char(value), char(value >> 8), char(value >> 16), char(value >> 24)};
    };
    const auto string = [](std::string_view text) { return char(text.size()) + std::string(text); };
    std::string bytes = "AEGAZET2" + u32(1) + u32(0) + u32(1) + u32(1) + u32(names.size()) + u32(0);
    bytes += string("PT") + string("Portugal") + string("") + string("");
    bytes += string("Long") + '\0' + std::string(2, '\0') + u32(1000) + u32(3871667) + u32(-913333);
    std::string_view previous;
    for (const auto& name : names) {
        std::size_t shared = 0;
        while (shared < std::min({previous.size(), name.size(), std::size_t(255)}) &&
               name[shared] == previous[shared])
            ++shared;
        bytes += char(shared) + string(std::string_view(name).substr(shared));
        previous = name;
    }
    return bytes + std::string(3 * names.size(), '\0');
}

std::string refusal(const Result<Gazetteer::Shared>& loaded) {
    return loaded ? "accepted" : loaded.error().message;
}

} // namespace

TEST(GazetteerTest, TheShippedFileIsSoundAndEachPlaceIsFoundUnderItsOwnName) {
    const auto& loaded = Gazetteer::shared();
    ASSERT_TRUE(loaded) << loaded.error().message;
    const Gazetteer& g = **loaded;
    EXPECT_GT(g.places().size(), 100000u);
    EXPECT_GT(g.zips().size(), 30000u);
    std::uint32_t population = g.places().front().population;
    EXPECT_GT(population, 10'000'000u);
    for (const auto& place : g.places()) {
        ASSERT_TRUE(Utf8::isValid(place.name));
        ASSERT_LE(place.population, population) << place.name << ": not most populous first";
        population = place.population;
        if (place.region != Gazetteer::none)
            ASSERT_EQ(g.regions()[place.region].code, g.regionCodes()[place.regionCode]);
        ASSERT_LE(std::abs(place.coordinate().latitude), 90);
        ASSERT_LE(std::abs(place.coordinate().longitude), 180);
    }
    std::set<std::pair<std::string_view, std::uint32_t>> indexed;
    for (std::size_t i = 0; i < g.keys().size(); ++i) {
        const auto name = g.name(g.keys()[i]);
        ASSERT_EQ(NameFolding::fold(name), name) << "a name that is not folded cannot be found";
        if (i > 0)
            ASSERT_LT(std::pair(g.name(g.keys()[i - 1]), unsigned(g.keys()[i - 1].place)),
                      std::pair(name, unsigned(g.keys()[i].place)));
        indexed.emplace(name, g.keys()[i].place);
    }
    // The builder folded every name as the program folds what is typed.
    for (std::uint32_t i = 0; i < g.places().size(); ++i)
        ASSERT_TRUE(indexed.count({NameFolding::fold(g.places()[i].name), i}))
            << g.places()[i].name;
    for (std::size_t i = 0; i < g.zips().size(); ++i) {
        const auto& zip = g.zips()[i];
        ASSERT_TRUE(i == 0 || g.zips()[i - 1].code < zip.code);
        ASSERT_TRUE(zip.place == Gazetteer::none ||
                    g.countries()[g.places()[zip.place].country].code == "US");
    }
}

TEST(GazetteerTest, ADamagedOrHostileFileIsRefusedWithAReason) {
    const auto path = DataDirectory::find(Gazetteer::fileName).value();
    const auto bytes = CompressedFile::read(path).value();
    ASSERT_TRUE(Gazetteer::parse(bytes));
    for (const std::size_t cut : {std::size_t(0), std::size_t(7), std::size_t(40), bytes.size() / 3,
                                  bytes.size() / 2, bytes.size() - 1}) {
        EXPECT_NE(refusal(Gazetteer::parse(bytes.substr(0, cut))), "accepted") << cut;
    }
    EXPECT_EQ(refusal(Gazetteer::parse(bytes + "x")), "has data after its end");
    EXPECT_EQ(refusal(Gazetteer::parse("AEGAZET3" + bytes.substr(8))),
              "is not an Aerolune gazetteer of version 2");

    const auto file = std::filesystem::path(testing::TempDir()) /
                      ("gazetteer-" + std::to_string(::getpid()) + ".bin.gz");
    std::ofstream(file, std::ios::binary) << bytes.substr(0, 1000);
    EXPECT_NE(refusal(Gazetteer::load(file)).find("not gzip"), std::string::npos);
    test::writeGzipBomb(file, 1024);
    EXPECT_NE(refusal(Gazetteer::load(file)).find("inflates to more than"), std::string::npos);
    std::filesystem::remove(file);
}

TEST(GazetteerTest, ANameLongerThanALengthHoldsIsRefusedNotCut) {
    const std::string stem(200, 'a'), longest = stem + std::string(55, 'b');
    const auto loaded = Gazetteer::parse(tinyGazetteer({stem, longest}));
    ASSERT_TRUE(loaded) << loaded.error().message;
    EXPECT_EQ((*loaded)->name((*loaded)->keys().at(1)), longest);
    EXPECT_EQ((*loaded)->exactMatches(longest).size(), 1u);
    EXPECT_EQ(refusal(Gazetteer::parse(tinyGazetteer({stem, longest + "b"}))),
              "has a name longer than 255 bytes");
}
