#include "geocode/PlaceSearch.h"

#include <gtest/gtest.h>
#include <set>

using namespace aerolune;

namespace {

const Gazetteer& shipped() {
    const auto& loaded = Gazetteer::shared();
    if (!loaded)
        ADD_FAILURE() << loaded.error().message;
    return **loaded;
}

std::vector<PlaceCandidate> found(std::string_view text, std::size_t limit = 10) {
    auto result = PlaceSearch::search(shipped(), text, limit);
    EXPECT_TRUE(result) << text << ": " << (result ? "" : result.error().errorDescription());
    return result.valueOr({});
}

} // namespace

TEST(PlaceSearchTest, TypedPlacesFindTheirBestCandidateFirst) {
    // clang-format off
    const struct {
        const char *query, *described;
        double latitude, longitude;
    } table[] = {
        {"Lisbon", "Lisbon, Portugal", 38.72, -9.13},
        {"  lisbon  ", "Lisbon, Portugal", 38.72, -9.13},
        {"paris, tx", "Paris, Texas, United States", 33.66, -95.56},
        {"Paris, Texas", "Paris, Texas, United States", 33.66, -95.56},
        {"Paris, Texas, USA", "Paris, Texas, United States", 33.66, -95.56},
        {"Springfield IL", "Springfield, Illinois, United States", 39.80, -89.64},
        {"Sao Paulo", "São Paulo, Brazil", -23.55, -46.64},
        {"München", "Munich, Bavaria, Germany", 48.14, 11.58},
        {"Tromsø", "Tromsø, Norway", 69.65, 18.96},
        {"ZURICH", "Zürich, Switzerland", 47.37, 8.55},
        {"New York", "New York City, New York, United States", 40.71, -74.01},
        {"Paris", "Paris, France", 48.85, 2.35},
        {"Paris France", "Paris, France", 48.85, 2.35},
        {"Paris,", "Paris, France", 48.85, 2.35},
        {"London, ON", "London, Ontario, Canada", 42.98, -81.23},
        {"Washington, D.C.", "Washington, D.C., District of Columbia, United States", 38.90, -77.04},
        {"Москва", "Moscow, Russia", 55.75, 37.62},
        {"lisb", "Lisbon, Portugal", 38.72, -9.13},
        {"10001", "10001 New York City, New York, United States", 40.7507, -73.9973},
        {" 10001-1234 ", "10001 New York City, New York, United States", 40.7507, -73.9973},
    };
    // clang-format on
    for (const auto& row : table) {
        SCOPED_TRACE(row.query);
        const auto candidates = found(row.query);
        ASSERT_FALSE(candidates.empty());
        EXPECT_EQ(candidates.front().describe(), row.described);
        EXPECT_NEAR(candidates.front().coordinate.latitude, row.latitude, 0.01);
        EXPECT_NEAR(candidates.front().coordinate.longitude, row.longitude, 0.01);
    }
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
    for (const char* query : {"Springfield, IL", "Springfield, Illinois", "springfield,il"})
        for (const auto& candidate : found(query))
            EXPECT_EQ(candidate.regionCode, "IL") << query;
    // "CA" is both Canada and California: either will do, nothing else.
    for (const auto& candidate : found("London, CA"))
        EXPECT_TRUE(candidate.countryCode == "CA" || candidate.regionCode == "CA");
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
