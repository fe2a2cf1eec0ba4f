#include "geocode/PlaceSearch.h"

#include <gtest/gtest.h>
#include <set>

using namespace aerolune;

namespace {

const Gazetteer& shipped() {
    const auto& loaded = Gazetteer::shared();
    if (!loaded)
        ADD_FAILURE() << loaded.error;
    return *loaded;
}

struct Expected {
    const char* query;
    const char* name;
    const char* region; // "" when the gazetteer has no region names there
    const char* countryCode;
    double latitude;
    double longitude;
};

} // namespace

TEST(PlaceSearchTest, TypedPlacesFindTheirBestCandidateFirst) {
    const Expected table[] = {
        {"Lisbon", "Lisbon", "", "PT", 38.72, -9.13},
        {"paris, tx", "Paris", "Texas", "US", 33.66, -95.56},
        {"paris, texas", "Paris", "Texas", "US", 33.66, -95.56},
        {"Paris, Texas", "Paris", "Texas", "US", 33.66, -95.56},
        {"Springfield, IL", "Springfield", "Illinois", "US", 39.80, -89.64},
        {"São Paulo", "São Paulo", "", "BR", -23.55, -46.64},
        {"Sao Paulo", "São Paulo", "", "BR", -23.55, -46.64},
        {"München", "Munich", "Bavaria", "DE", 48.14, 11.58},
        {"Tromsø", "Tromsø", "", "NO", 69.65, 18.96},
        {"Zürich", "Zürich", "", "CH", 47.37, 8.55},
        {"ZURICH", "Zürich", "", "CH", 47.37, 8.55},
        {"New York", "New York City", "New York", "US", 40.71, -74.01},
        {"Paris", "Paris", "", "FR", 48.85, 2.35},
        {"Paris, France", "Paris", "", "FR", 48.85, 2.35},
        {"Paris France", "Paris", "", "FR", 48.85, 2.35},
        {"Springfield IL", "Springfield", "Illinois", "US", 39.80, -89.64},
        {"London, ON", "London", "Ontario", "CA", 42.98, -81.23},
        {"Sydney, NSW", "Sydney", "New South Wales", "AU", -33.87, 151.21},
        {"Washington, D.C.", "Washington, D.C.", "District of Columbia", "US", 38.90, -77.04},
        {"  lisbon  ", "Lisbon", "", "PT", 38.72, -9.13},
        {"Москва", "Moscow", "", "RU", 55.75, 37.62},
    };
    const auto& g = shipped();
    for (const auto& row : table) {
        SCOPED_TRACE(row.query);
        const auto result = PlaceSearch::search(g, row.query);
        ASSERT_FALSE(result.error) << result.error->errorDescription();
        ASSERT_FALSE(result.candidates.empty());
        const auto& best = result.candidates.front();
        EXPECT_EQ(best.name, row.name);
        EXPECT_EQ(best.region, row.region);
        EXPECT_EQ(best.countryCode, row.countryCode);
        EXPECT_NEAR(best.coordinate.latitude, row.latitude, 0.01);
        EXPECT_NEAR(best.coordinate.longitude, row.longitude, 0.01);
        EXPECT_EQ(result.coordinate(), best.coordinate);
    }
}

TEST(PlaceSearchTest, AZipCodeFindsItsAreaNamedAfterTheTownAround) {
    const auto& g = shipped();
    for (const char* query : {"10001", "10001-1234", " 10001 "}) {
        SCOPED_TRACE(query);
        const auto result = PlaceSearch::search(g, query);
        ASSERT_EQ(result.candidates.size(), 1u);
        const auto& zip = result.candidates.front();
        EXPECT_EQ(zip.postalCode, "10001");
        EXPECT_EQ(zip.name, "New York City");
        EXPECT_EQ(zip.countryCode, "US");
        EXPECT_EQ(zip.population, 0);
        EXPECT_NEAR(zip.coordinate.latitude, 40.7507, 0.001);
        EXPECT_NEAR(zip.coordinate.longitude, -73.9973, 0.001);
        EXPECT_EQ(zip.describe(), "10001 New York City, New York, United States");
    }
    SCOPED_TRACE("a ZIP code that does not exist, and shapes that are not ZIP codes");
    EXPECT_EQ(PlaceSearch::search(g, "00000").error, GeocodeError::notFound("00000"));
    EXPECT_EQ(PlaceSearch::search(g, "1000").error, GeocodeError::notFound("1000"));
    EXPECT_EQ(PlaceSearch::search(g, "10001-12").error, GeocodeError::notFound("10001-12"));
}

TEST(PlaceSearchTest, ExactNamesComeBeforeLongerOnesAndLargerPlacesBeforeSmaller) {
    const auto& g = shipped();
    // A place matches exactly when one of its names (alternate names too)
    // folds to the text: "Parys" is also called "Paris".
    std::set<std::pair<double, double>> exactPlaces;
    for (const auto& key : g.exactMatches("paris")) {
        const auto where = g.places()[key.place].coordinate();
        exactPlaces.emplace(where.latitude, where.longitude);
    }
    const auto paris = PlaceSearch::search(g, "Paris", 40);
    ASSERT_GT(paris.candidates.size(), exactPlaces.size());
    bool sawLonger = false;
    std::int64_t previous = std::numeric_limits<std::int64_t>::max();
    for (const auto& candidate : paris.candidates) {
        SCOPED_TRACE(candidate.describe());
        const bool exact =
            exactPlaces.count({candidate.coordinate.latitude, candidate.coordinate.longitude});
        if (!exact && !sawLonger) {
            sawLonger = true;
            previous = std::numeric_limits<std::int64_t>::max();
        }
        EXPECT_TRUE(!exact || !sawLonger) << "an exact name after a longer one";
        EXPECT_LE(candidate.population, previous);
        previous = candidate.population;
    }
    EXPECT_TRUE(sawLonger) << "there are more candidates than exact matches";
    SCOPED_TRACE("a prefix alone finds the largest places that start with it");
    const auto lisb = PlaceSearch::search(g, "lisb", 3);
    ASSERT_FALSE(lisb.candidates.empty());
    EXPECT_EQ(lisb.candidates.front().name, "Lisbon");
    EXPECT_EQ(lisb.candidates.front().countryCode, "PT");
    EXPECT_EQ(PlaceSearch::search(g, "paris", 1).candidates.size(), 1u);
}

TEST(PlaceSearchTest, QualifiersNarrowAndAnUnknownOneFindsNothing) {
    const auto& g = shipped();
    for (const char* query : {"Springfield, IL", "Springfield, Illinois", "springfield,il"}) {
        SCOPED_TRACE(query);
        const auto result = PlaceSearch::search(g, query, 10);
        ASSERT_FALSE(result.candidates.empty());
        for (const auto& candidate : result.candidates)
            EXPECT_EQ(candidate.regionCode, "IL");
    }
    const auto texas = PlaceSearch::search(g, "Paris, Texas, USA");
    ASSERT_FALSE(texas.candidates.empty());
    EXPECT_EQ(texas.candidates.front().regionCode, "TX");
    // "CA" is both Canada and California: either will do, nothing else.
    for (const auto& candidate : PlaceSearch::search(g, "London, CA", 10).candidates)
        EXPECT_TRUE(candidate.countryCode == "CA" || candidate.regionCode == "CA");
    EXPECT_EQ(PlaceSearch::search(g, "Paris, Narnia").error,
              GeocodeError::notFound("Paris, Narnia"));
    const auto trailing = PlaceSearch::search(g, "Paris,");
    ASSERT_FALSE(trailing.candidates.empty());
    EXPECT_EQ(trailing.candidates.front().countryCode, "FR");
}

TEST(PlaceSearchTest, UnsearchableTextGetsAReadableError) {
    const auto& g = shipped();
    const std::string limit(PlaceSearch::maximumCharacters, 'a');
    const struct {
        std::string query;
        GeocodeError::Kind kind;
    } cases[] = {
        {"", GeocodeError::Kind::nothingTyped},
        {"   ", GeocodeError::Kind::nothingTyped},
        {"\t\n", GeocodeError::Kind::nothingTyped},
        {",,,", GeocodeError::Kind::nothingTyped},
        {"xyzzy", GeocodeError::Kind::notFound},
        {std::string(10000, 'a'), GeocodeError::Kind::tooLong},
        {limit + "a", GeocodeError::Kind::tooLong},
        {"Par\xFFis", GeocodeError::Kind::invalidText},
        {"\xC3", GeocodeError::Kind::invalidText},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.query.substr(0, 20));
        const auto result = PlaceSearch::search(g, c.query);
        EXPECT_TRUE(result.candidates.empty());
        EXPECT_FALSE(result.coordinate());
        ASSERT_TRUE(result.error);
        EXPECT_EQ(result.error->kind(), c.kind);
        EXPECT_FALSE(result.error->errorDescription().empty());
    }
    SCOPED_TRACE("the limit itself is searched; so are as many multi-byte characters");
    EXPECT_EQ(PlaceSearch::search(g, limit).error->kind(), GeocodeError::Kind::notFound);
    std::string accents;
    for (std::size_t i = 0; i < PlaceSearch::maximumCharacters; ++i)
        accents += "é";
    EXPECT_EQ(PlaceSearch::search(g, accents).error->kind(), GeocodeError::Kind::notFound);
    EXPECT_EQ(PlaceSearch::search(g, "xyzzy").error->errorDescription(),
              "No place called \u201Cxyzzy\u201D was found.");
    EXPECT_EQ(PlaceSearch::search(g, "  xyzzy ").error->errorDescription(),
              "No place called \u201Cxyzzy\u201D was found.");
}

TEST(PlaceSearchTest, CandidatesDescribeThemselves) {
    PlaceCandidate paris{"Paris", "Texas", "TX", "United States", "US", {33.66, -95.56}, 24782, {}};
    EXPECT_EQ(paris.describe(), "Paris, Texas, United States");
    paris.region.clear();
    EXPECT_EQ(paris.describe(), "Paris, United States");
    PlaceCandidate remote{{}, {}, {}, "United States", "US", {64.0, -150.0}, 0, "99999"};
    EXPECT_EQ(remote.describe(), "99999, United States");
}
