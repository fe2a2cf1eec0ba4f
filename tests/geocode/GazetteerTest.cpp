#include "geocode/Gazetteer.h"

#include "datafiles/CompressedFile.h"
#include "datafiles/DataDirectory.h"
#include "geocode/NameFolding.h"
#include "geocode/Utf8.h"
#include "support/GzipBomb.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <set>

using namespace aerolune;

namespace {

const Gazetteer& shipped() {
    const auto& loaded = Gazetteer::shared();
    if (!loaded)
        ADD_FAILURE() << loaded.error;
    return *loaded;
}

std::string uncompressed() {
    std::string error;
    const auto path = DataDirectory::find(Gazetteer::fileName);
    EXPECT_TRUE(path);
    auto bytes = CompressedFile::read(*path, error);
    EXPECT_TRUE(bytes) << error;
    return bytes.value_or("");
}

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

} // namespace

TEST(GazetteerTest, TheShippedFileHasSoundTablesInRange) {
    const auto& g = shipped();
    EXPECT_GT(g.countries().size(), 240u);
    EXPECT_GT(g.places().size(), 100000u);
    EXPECT_GT(g.keys().size(), g.places().size());
    EXPECT_GT(g.zips().size(), 30000u);
    for (const auto& country : g.countries()) {
        EXPECT_EQ(country.code.size(), 2u);
        EXPECT_FALSE(country.name.empty());
    }
    for (const auto& region : g.regions()) {
        SCOPED_TRACE(std::string(region.name));
        EXPECT_LT(region.country, g.countries().size());
        EXPECT_FALSE(region.code.empty());
    }
    std::int64_t previousPopulation = std::numeric_limits<std::int64_t>::max();
    for (const auto& place : g.places()) {
        SCOPED_TRACE(std::string(place.name));
        ASSERT_FALSE(place.name.empty());
        ASSERT_TRUE(Utf8::isValid(place.name));
        ASSERT_LT(place.country, g.countries().size());
        ASSERT_LT(place.regionCode, g.regionCodes().size());
        if (place.region != Gazetteer::none) {
            ASSERT_EQ(g.regions()[place.region].country, place.country);
            ASSERT_EQ(g.regions()[place.region].code, g.regionCodes()[place.regionCode]);
        }
        const auto where = place.coordinate();
        ASSERT_GE(where.latitude, -90);
        ASSERT_LE(where.latitude, 90);
        ASSERT_GE(where.longitude, -180);
        ASSERT_LE(where.longitude, 180);
        ASSERT_LE(place.population, previousPopulation) << "places are not most populous first";
        previousPopulation = place.population;
    }
    EXPECT_GT(g.places().front().population, 10'000'000);
}

TEST(GazetteerTest, NamesAreSortedFoldedAndPointAtTheirPlaces) {
    const auto& g = shipped();
    for (std::size_t i = 0; i < g.keys().size(); ++i) {
        const auto& key = g.keys()[i];
        const auto name = g.name(key);
        ASSERT_FALSE(name.empty());
        ASSERT_LT(key.place, g.places().size());
        ASSERT_EQ(NameFolding::fold(name), name) << "a name that is not folded cannot be found";
        if (i > 0) {
            const auto& before = g.keys()[i - 1];
            ASSERT_LT(std::pair(g.name(before), unsigned(before.place)),
                      std::pair(name, unsigned(key.place)));
        }
    }
    // The builder folded every name as the program folds what is typed, so
    // each place is found under its own name.
    std::set<std::pair<std::string_view, std::uint32_t>> indexed;
    for (const auto& key : g.keys())
        indexed.emplace(g.name(key), key.place);
    for (std::uint32_t i = 0; i < g.places().size(); ++i) {
        const auto folded = NameFolding::fold(g.places()[i].name);
        ASSERT_TRUE(indexed.count({folded, i})) << g.places()[i].name << " is not under " << folded;
    }
}

TEST(GazetteerTest, ZipCodesAreSortedAndNamedAfterAPlaceInTheUnitedStates) {
    const auto& g = shipped();
    std::uint32_t previous = 0;
    std::size_t named = 0;
    for (const auto& zip : g.zips()) {
        ASSERT_GT(zip.code, previous);
        ASSERT_LE(zip.code, 99999u);
        previous = zip.code;
        ASSERT_GE(zip.coordinate.latitude, -15); // American Samoa is the southernmost
        ASSERT_LE(zip.coordinate.latitude, 72);
        if (zip.place == Gazetteer::none)
            continue;
        ++named;
        ASSERT_EQ(g.countries()[g.places()[zip.place].country].code, "US");
    }
    EXPECT_GT(named, g.zips().size() * 9 / 10);
    ASSERT_TRUE(g.findZip("10001"));
    EXPECT_NEAR(g.findZip("10001")->coordinate.latitude, 40.75, 0.01);
    EXPECT_FALSE(g.findZip("00000"));
    EXPECT_FALSE(g.findZip("1000"));
    EXPECT_FALSE(g.findZip("100011"));
}

TEST(GazetteerTest, ExactAndPrefixRangesListTheLargestPlaceFirst) {
    const auto& g = shipped();
    const auto exact = g.exactMatches("paris");
    ASSERT_GT(exact.size(), 5u);
    EXPECT_EQ(g.countries()[g.places()[exact.front().place].country].code, "FR");
    for (const auto& key : exact)
        EXPECT_EQ(g.name(key), "paris");
    const auto prefix = g.prefixMatches("paris");
    EXPECT_GT(prefix.size(), exact.size());
    for (const auto& key : prefix)
        EXPECT_EQ(g.name(key).substr(0, 5), "paris");
    EXPECT_TRUE(g.exactMatches("xyzzy").empty());
    EXPECT_TRUE(g.prefixMatches("xyzzyq").empty());
    ASSERT_TRUE(g.qualifier("tx"));
    ASSERT_TRUE(g.qualifier("united states"));
    EXPECT_FALSE(g.qualifier("narnia"));
}

TEST(GazetteerTest, ADamagedFileIsRefusedWithAReason) {
    const auto bytes = uncompressed();
    ASSERT_TRUE(Gazetteer::parse(bytes));
    for (const std::size_t cut : {std::size_t(0), std::size_t(7), std::size_t(40), bytes.size() / 3,
                                  bytes.size() / 2, bytes.size() - 1}) {
        SCOPED_TRACE(cut);
        const auto loaded = Gazetteer::parse(bytes.substr(0, cut));
        EXPECT_FALSE(loaded);
        EXPECT_FALSE(loaded.error.empty());
    }
    EXPECT_FALSE(Gazetteer::parse(bytes + "x"));
    auto renamed = bytes;
    renamed[7] = '9';
    EXPECT_FALSE(Gazetteer::parse(renamed));

    const auto folder = std::filesystem::path(testing::TempDir());
    std::ofstream(folder / "plain.bin") << bytes.substr(0, 1000);
    const auto plain = Gazetteer::load(folder / "plain.bin");
    EXPECT_FALSE(plain);
    EXPECT_NE(plain.error.find("not gzip"), std::string::npos) << plain.error;
    EXPECT_FALSE(Gazetteer::load(folder / "missing.bin.gz"));

    std::ifstream compressed(*DataDirectory::find(Gazetteer::fileName), std::ios::binary);
    const std::string zipped{std::istreambuf_iterator<char>(compressed), {}};
    std::ofstream(folder / "cut.bin.gz", std::ios::binary) << zipped.substr(0, zipped.size() / 2);
    const auto cut = Gazetteer::load(folder / "cut.bin.gz");
    EXPECT_FALSE(cut);
    EXPECT_FALSE(cut.error.empty());
}

TEST(GazetteerTest, ANameLongerThanALengthHoldsIsRefusedNotCut) {
    const std::string stem(200, 'a');
    const auto atLimit = tinyGazetteer({stem, stem + std::string(55, 'b')});
    const auto loaded = Gazetteer::parse(atLimit);
    ASSERT_TRUE(loaded) << loaded.error;
    ASSERT_EQ(loaded->keys().size(), 2u);
    EXPECT_EQ(loaded->name(loaded->keys()[1]).size(), Gazetteer::maximumNameLength);
    EXPECT_EQ(loaded->exactMatches(stem + std::string(55, 'b')).size(), 1u);

    const auto pastLimit = Gazetteer::parse(tinyGazetteer({stem, stem + std::string(56, 'b')}));
    EXPECT_FALSE(pastLimit);
    EXPECT_NE(pastLimit.error.find("longer than 255 bytes"), std::string::npos) << pastLimit.error;
}

TEST(GazetteerTest, AFileThatInflatesWithoutBoundIsRefused) {
    const auto bomb = std::filesystem::path(testing::TempDir()) / "gazetteer-bomb.bin.gz";
    test::writeGzipBomb(bomb, 1024);
    const auto loaded = Gazetteer::load(bomb);
    EXPECT_FALSE(loaded);
    EXPECT_NE(loaded.error.find("inflates to more than"), std::string::npos) << loaded.error;
    std::filesystem::remove(bomb);
}
