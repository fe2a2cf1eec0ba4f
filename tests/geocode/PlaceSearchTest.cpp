#include "geocode/PlaceSearch.h"

#include <algorithm>
#include <cstdint>
#include <gtest/gtest.h>
#include <set>

using namespace aerolune;

static const Gazetteer& shipped() {
    const auto& loaded = Gazetteer::shared();
    if (!loaded)
        ADD_FAILURE() << loaded.error().message;
    return **loaded;
}

static std::vector<PlaceCandidate> found(std::string_view text, std::size_t limit = 10) {
    auto result = PlaceSearch::search(shipped(), text, limit);
    EXPECT_TRUE(result) << text << ": " << (result ? "" : result.error().errorDescription());
    return result.valueOr({});
}

TEST(PlaceSearchTest, TypedPlacesFindTheirBestCandidateFirst) {
    // clang-format off
    for (const auto& [query, described] : std::vector<std::pair<const char*, const char*>>{
             {"  lisbon  ", "Lisbon, Portugal"}, {"lisb", "Lisbon, Portugal"},
             {"paris, tx", "Paris, Texas, United States"}, {"Paris, Texas, USA", "Paris, Texas, United States"},
             {"Springfield IL", "Springfield, Illinois, United States"}, {"Sao Paulo", "São Paulo, Brazil"},
             {"São Paulo", "São Paulo, Brazil"}, {"München", "Munich, Bavaria, Germany"}, {"Tromsø", "Tromsø, Norway"},
             {"Zürich", "Zürich, Switzerland"}, {"ZURICH", "Zürich, Switzerland"},
             {"New York", "New York City, New York, United States"}, {"Paris", "Paris, France"},
             {"Paris France", "Paris, France"}, {"Paris,", "Paris, France"}, {"Москва", "Moscow, Russia"},
             {"Washington, D.C.", "Washington, D.C., District of Columbia, United States"},
             {" 10001-1234 ", "10001 New York City, New York, United States"}}) { // clang-format on
        const auto candidates = found(query);
        EXPECT_EQ(candidates.empty() ? "nothing" : candidates.front().describe(), described)
            << query;
    }
    // The gazetteer's coordinates, and a ZIP code's own rather than its town's.
    EXPECT_EQ(describe(found("Lisbon").at(0).coordinate),
              "CLLocationCoordinate2D(latitude: 38.71667, longitude: -9.13333)");
    EXPECT_EQ(describe(found("10001").at(0).coordinate),
              "CLLocationCoordinate2D(latitude: 40.75065, longitude: -73.997293)");
}

TEST(PlaceSearchTest, ExactNamesComeFirstLargerPlacesBeforeSmallerAndQualifiersNarrow) {
    // Alternate names count: "Parys" is also called "Paris".
    std::set<std::pair<double, double>> named;
    for (const auto& key : shipped().exactMatches("paris"))
        named.emplace(shipped().places()[key.place].latitudeE5 / 1e5,
                      shipped().places()[key.place].longitudeE5 / 1e5);
    std::vector<std::int64_t> exact, longer;
    for (const auto& candidate : found("Paris", 40)) {
        const bool isExact =
            named.count({candidate.coordinate.latitude, candidate.coordinate.longitude});
        EXPECT_FALSE(isExact && !longer.empty()) << "an exact name after a longer one";
        (isExact ? exact : longer).push_back(candidate.population);
    }
    EXPECT_TRUE(exact.size() > 5 && !longer.empty());
    EXPECT_TRUE(std::is_sorted(exact.rbegin(), exact.rend()) &&
                std::is_sorted(longer.rbegin(), longer.rend()));
    EXPECT_EQ(found("paris", 1).size(), 1u);
    for (const auto& candidate : found("Springfield, Illinois"))
        EXPECT_EQ(candidate.regionCode, "IL") << candidate.describe();
    // "CA" is both Canada and California: either will do, nothing else.
    for (const auto& candidate : found("london,ca"))
        EXPECT_TRUE(candidate.countryCode == "CA" || candidate.regionCode == "CA")
            << candidate.describe();
}

TEST(PlaceSearchTest, UnsearchableOrUnknownTextGetsAReadableError) {
    using Kind = GeocodeError::Kind;
    const std::string limit(PlaceSearch::maximumCharacters, 'a');
    std::string accents; // as many characters, twice the bytes
    for (std::size_t i = 0; i < PlaceSearch::maximumCharacters; ++i)
        accents += "é";
    // clang-format off
    for (const auto& [query, kind] : std::vector<std::pair<std::string, Kind>>{
             {"", Kind::nothingTyped}, {" \t\n", Kind::nothingTyped}, {",,,", Kind::nothingTyped},
             {limit, Kind::notFound}, {accents, Kind::notFound}, {limit + "a", Kind::tooLong},
             {std::string(10000, 'a'), Kind::tooLong}, {"00000", Kind::notFound}, {"1000", Kind::notFound},
             {"10001-12", Kind::notFound}, {"Paris, Narnia", Kind::notFound},
             // Bytes that are not UTF-8: alone, cut short, overlong, a surrogate, past U+10FFFF.
             {"Par\xFFis", Kind::invalidText}, {"\x80", Kind::invalidText}, {"ok \xC3", Kind::invalidText},
             {"\xC3(", Kind::invalidText}, {"\xC0\xAF", Kind::invalidText}, {"\xE0\x9F\xBF", Kind::invalidText},
             {"\xED\xA0\x80", Kind::invalidText}, {"\xF4\x90\x80\x80", Kind::invalidText}}) { // clang-format on
        const auto result = PlaceSearch::search(shipped(), query);
        EXPECT_EQ(result ? Kind(-1) : result.error().kind(), kind) << query.substr(0, 20);
    }
    EXPECT_EQ(PlaceSearch::search(shipped(), "  xyzzy ").error().errorDescription(),
              "No place called \u201Cxyzzy\u201D was found.");
}
