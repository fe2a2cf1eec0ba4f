#include "geocode/Gazetteer.h"

#include "datafiles/CompressedFile.h"
#include "datafiles/DataDirectory.h"
#include "geocode/NameFolding.h"
#include "support/GzipBomb.h"

#include <gtest/gtest.h>
#include <set>
#include <unistd.h>

using namespace aerolune;

// A gazetteer of one place in one country, known as `stem` and, by another
// name, as `stem` + `tail`; Portugal is "Portugal" in German.
static std::string tinyGazetteer(const std::string& stem, const std::string& tail) {
    const auto u32 = [](std::uint32_t v) {
        return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
    };
    const auto string = [](std::string_view text) { return char(text.size()) + std::string(text); };
    return "AEGAZET3" + u32(1) + u32(0) + u32(1) + u32(1) + u32(2) + u32(0) + u32(2) +
           string("PT") + string("Portugal") + string("") + string("de") + string("") +
           string("ja") + string("\u30DD\u30EB\u30C8\u30AC\u30EB") + string("") + string("Long") +
           std::string(3, '\0') + u32(1000) + u32(3871667) + u32(-913333) + '\0' + string(stem) +
           char(stem.size()) + string(tail) + std::string(5, '\0') + '\x80';
}

static std::string refusal(const Result<Gazetteer::Shared>& loaded) {
    return loaded ? "accepted" : loaded.error().message;
}

TEST(GazetteerTest, TheShippedFileIsSoundAndEachPlaceIsFoundUnderItsOwnName) {
    const auto& loaded = Gazetteer::shared();
    ASSERT_TRUE(loaded) << loaded.error().message;
    const Gazetteer& g = **loaded;
    ASSERT_GT(g.places().size(), 100000u);
    ASSERT_GT(g.zips().size(), 30000u);
    std::set<std::pair<std::string_view, std::uint32_t>> indexed;
    for (std::size_t i = 0; i < g.keys().size(); ++i) {
        const auto name = g.name(g.keys()[i]);
        ASSERT_EQ(NameFolding::fold(name), name) << "a name that is not folded cannot be found";
        ASSERT_TRUE(i == 0 || std::pair(g.name(g.keys()[i - 1]), unsigned(g.keys()[i - 1].place)) <
                                  std::pair(name, unsigned(g.keys()[i].place)));
        indexed.emplace(name, g.keys()[i].place);
    }
    // The builder folded every name as the program folds what is typed.
    for (std::uint32_t i = 0; i < g.places().size(); ++i) {
        const auto& place = g.places()[i];
        ASSERT_TRUE(i == 0 || place.population <= g.places()[i - 1].population) << place.name;
        ASSERT_TRUE(indexed.count({NameFolding::fold(place.name), i})) << place.name;
    }
}

TEST(GazetteerTest, ADamagedOrHostileFileIsRefusedWithAReasonAndNoNameIsCut) {
    const auto path = DataDirectory::find(Gazetteer::fileName).value();
    const auto bytes = CompressedFile::read(path).value();
    ASSERT_TRUE(Gazetteer::parse(bytes));
    for (const std::size_t cut : {std::size_t(0), std::size_t(7), std::size_t(40), bytes.size() / 3,
                                  bytes.size() / 2, bytes.size() - 1})
        EXPECT_NE(refusal(Gazetteer::parse(bytes.substr(0, cut))), "accepted") << cut;
    EXPECT_EQ(refusal(Gazetteer::parse(bytes + "x")), "has data after its end");
    EXPECT_EQ(refusal(Gazetteer::parse("AEGAZET2" + bytes.substr(8))),
              "is not an Aerolune gazetteer of version 3");

    const auto file = std::filesystem::path(testing::TempDir()) /
                      ("gazetteer-" + std::to_string(::getpid()) + ".bin.gz");
    test::writeGzipBomb(file, 1024);
    EXPECT_NE(refusal(Gazetteer::load(file)).find("inflates to more than"), std::string::npos);
    std::filesystem::remove(file);

    // A name longer than a length byte holds is refused, not cut.
    const std::string stem(200, 'a'), longest = stem + std::string(55, 'b');
    const auto loaded = Gazetteer::parse(tinyGazetteer(stem, std::string(55, 'b')));
    ASSERT_TRUE(loaded) << loaded.error().message;
    const Gazetteer& g = **loaded;
    EXPECT_EQ(g.name(g.keys().at(1)), longest);
    EXPECT_EQ(g.exactMatches(longest).size(), 1u);
    // The top bit of a name's place says it is another name, not the place's own.
    EXPECT_TRUE(!g.keys()[0].alternate && g.keys()[1].alternate && g.keys()[1].place == 0);
    // A country's name in a language, or its English one where that language has none.
    // clang-format off
    for (const auto& [language, name] : {std::pair{"ja", "\u30DD\u30EB\u30C8\u30AC\u30EB"},
             {"ja_JP", "\u30DD\u30EB\u30C8\u30AC\u30EB"}, {"de", "Portugal"}, {"", "Portugal"}}) // clang-format on
        EXPECT_EQ(g.countryName(0, language), name) << language;
    EXPECT_EQ(refusal(Gazetteer::parse(tinyGazetteer(stem, std::string(56, 'b')))),
              "has a name longer than 255 bytes");
}
