#include "geocode/PlaceSearch.h"

#include <algorithm>
#include <cstdint>
#include <gtest/gtest.h>
#include <map>
#include <set>

using namespace aerolune;

static const Gazetteer& shipped() {
    const auto& loaded = Gazetteer::shared();
    if (!loaded)
        ADD_FAILURE() << loaded.error().message;
    return **loaded;
}

// The kind of error a search for `text` gives, or -1 for an answer.
static int kindOf(std::string_view text) {
    const auto result = PlaceSearch::search(shipped(), text);
    return result ? -1 : int(result.error().kind());
}

static std::vector<PlaceCandidate> found(std::string_view text, std::size_t limit = 10) {
    auto result = PlaceSearch::search(shipped(), text, limit);
    EXPECT_TRUE(result) << text << ": " << (result ? "" : result.error().errorDescription());
    return result.valueOr({});
}

static std::string best(std::string_view text) {
    const auto candidates = found(text, 1);
    return candidates.empty() ? "nothing" : candidates.front().describe();
}

// A place found by another of its names yields to places of that name unless
// far larger: Tehachapi lists "Greenwich" among its names and is the larger,
// while Mumbai wins over any small Bombay.
TEST(PlaceSearchTest, TypedPlacesFindTheirBestCandidateFirst) {
    // clang-format off
    for (const auto& [query, described] : std::vector<std::pair<const char*, const char*>>{
             {"  lisbon  ", "Lisbon, Portugal"}, {"lisb", "Lisbon, Portugal"},
             {"paris, tx", "Paris, Texas, United States"}, {"Paris, Texas, USA", "Paris, Texas, United States"},
             {"Springfield IL", "Springfield, Illinois, United States"}, {"Sao Paulo", "São Paulo, Brazil"},
             {"München", "Munich, Bavaria, Germany"}, {"Tromsø", "Tromsø, Norway"}, {"ZURICH", "Zürich, Switzerland"},
             {"New York", "New York City, New York, United States"}, {"Paris", "Paris, France"}, {"Paris,", "Paris, France"},
             {"Москва", "Moscow, Russia"}, {"Paris, , France", "Paris, France"},
             {"Washington, D.C.", "Washington, D.C., District of Columbia, United States"},
             {" 10001-1234 ", "10001 New York City, New York, United States"},
             {"Greenwich", "Greenwich, Connecticut, United States"}, {"Tehachapi", "Tehachapi, California, United States"},
             {"Bombay", "Mumbai, India"}, {"Peking", "Beijing, China"},
             {"NYC", "New York City, New York, United States"}, {"LA", "Los Angeles, California, United States"},
             {"sf", "San Francisco, California, United States"}, {"KL", "Kuala Lumpur, Malaysia"},
             {"DC", "Washington, D.C., District of Columbia, United States"},
             {"CDMX", "Mexico City, Mexico"}, {"HCMC", "Ho Chi Minh City, Vietnam"},
             // A district with its city or country after a comma; Bromley is 15 km from London.
             {"Greenwich, UK", "Greenwich, England, United Kingdom"}, {"Greenwich, London", "Greenwich, England, United Kingdom"},
             {"greenwich,united kingdom", "Greenwich, England, United Kingdom"},
             {"Manhattan, New York City", "Manhattan, New York, United States"},
             {"Bromley, London", "Bromley, England, United Kingdom"}}) { // clang-format on
        EXPECT_EQ(best(query), described) << query;
    }
    const auto greenwiches = found("Greenwich", 10);
    EXPECT_TRUE(std::any_of(greenwiches.begin(), greenwiches.end(), [](const auto& c) {
        return c.describe() == "Tehachapi, California, United States";
    })) << "another name still finds its place, after the places of that name";
    // The gazetteer's coordinates, and a ZIP code's own rather than its town's.
    EXPECT_EQ(found("Lisbon").at(0).coordinate, (CLLocationCoordinate2D{38.71667, -9.13333}));
    EXPECT_EQ(found("10001").at(0).coordinate, (CLLocationCoordinate2D{40.75065, -73.997293}));
}

TEST(PlaceSearchTest, ExactNamesComeFirstLargerPlacesBeforeSmallerAndQualifiersNarrow) {
    // Alternate names count ("Parys" is also called "Paris"), as a tenth of
    // their population.
    std::map<std::pair<double, double>, bool> named; // only by another name
    for (const auto& key : shipped().exactMatches("paris")) {
        const auto& place = shipped().places()[key.place];
        const auto at = std::pair(place.latitudeE5 / 1e5, place.longitudeE5 / 1e5);
        named[at] = named.count(at) ? named[at] && key.alternate : bool(key.alternate);
    }
    std::vector<double> exact, longer;
    for (const auto& candidate : found("Paris", 40)) {
        const auto at = std::pair(candidate.coordinate.latitude, candidate.coordinate.longitude);
        const bool isExact = named.count(at);
        EXPECT_FALSE(isExact && !longer.empty()) << "an exact name after a longer one";
        (isExact ? exact : longer)
            .push_back(double(candidate.population) / (isExact && named[at] ? 10 : 1));
    }
    EXPECT_TRUE(std::count_if(named.begin(), named.end(), [](auto& n) { return n.second; }) > 0);
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

TEST(PlaceSearchTest, UnsearchableOrUnknownTextGetsAReadableErrorAndFarCoordinatesNoName) {
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
             // A city's districts lie within 25 km of it: Reading (57 km from London) is not one.
             {"Reading, London", Kind::notFound}, {"Greenwich, Paris", Kind::notFound}, {"Lisbon, Madrid", Kind::notFound},
             {", tx", Kind::noPlaceName}, {",5", Kind::noPlaceName}, {",france", Kind::noPlaceName},
             {" , Paris", Kind::noPlaceName}, {"', tx", Kind::noPlaceName}, {",paris, france", Kind::noPlaceName},
             // Bytes that are not UTF-8: alone, cut short, overlong, a surrogate, past U+10FFFF.
             {"Par\xFFis", Kind::invalidText}, {"\x80", Kind::invalidText}, {"ok \xC3", Kind::invalidText},
             {"\xC3(", Kind::invalidText}, {"\xC0\xAF", Kind::invalidText}, {"\xE0\x9F\xBF", Kind::invalidText},
             {"\xED\xA0\x80", Kind::invalidText}, {"\xF4\x90\x80\x80", Kind::invalidText}}) { // clang-format on
        EXPECT_EQ(kindOf(query), int(kind)) << query.substr(0, 20);
    }
    EXPECT_EQ(PlaceSearch::search(shipped(), "  xyzzy ").error().errorDescription(),
              "No place called \u201Cxyzzy\u201D was found.");

    // A coordinate is named by the nearest place within 25 km.
    const auto lisbon = found("Lisbon", 1).at(0).coordinate;
    EXPECT_EQ(PlaceSearch::nearest(shipped(), lisbon).value().describe(), "Lisbon, Portugal");
    // Nothing near the middle of the Atlantic; a place just within and just
    // beyond 25 km north of an isolated town.
    EXPECT_FALSE(PlaceSearch::nearest(shipped(), {30, -40}));
    const auto alone = found("Longyearbyen", 1).at(0).coordinate;
    constexpr double degreesPerKm = 1 / 111.195;
    EXPECT_TRUE(
        PlaceSearch::nearest(shipped(), {alone.latitude + 24.9 * degreesPerKm, alone.longitude}));
    EXPECT_FALSE(
        PlaceSearch::nearest(shipped(), {alone.latitude + 25.1 * degreesPerKm, alone.longitude}));
}
