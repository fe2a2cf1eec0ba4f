#include "aerolune/LocationArgument.h"

#include <gtest/gtest.h>

using namespace aerolune;

namespace {

using Parsed = std::variant<LocationArgument, std::string>;

Parsed pair(double latitude, double longitude) {
    return LocationArgument{CLLocationCoordinate2D{latitude, longitude}};
}
Parsed name(const char* text) {
    return LocationArgument{std::string(text)};
}
Parsed problem(const char* text) {
    return std::string(text);
}

} // namespace

TEST(LocationArgumentTest, TwoNumbersAreACoordinateAnythingElseAPlaceName) {
    for (const auto& [text, expected] : std::vector<std::pair<std::string, Parsed>>{
             {"48.85,2.35", pair(48.85, 2.35)},
             {" -33.9 , +18.4 ", pair(-33.9, 18.4)},
             {"90,-180", pair(90, -180)},
             {"-90,180", pair(-90, 180)},
             {"0,0", pair(0, 0)},
             {"1e1,2", pair(10, 2)},
             {"90.000001,0", problem("--location: latitude 90.000001 is outside [-90, 90]")},
             {"0,-180.5", problem("--location: longitude -180.5 is outside [-180, 180]")},
             {"nan,2", problem("--location: latitude nan is not a finite number")},
             {"1,inf", problem("--location: longitude inf is not a finite number")},
             {"Lisbon", name("Lisbon")},
             {"paris, tx", name("paris, tx")},
             {"10001", name("10001")},
             {"48.5", name("48.5")},
             {"48.5 2.5", name("48.5 2.5")},
             {"48.5,2.5,1", name("48.5,2.5,1")},
             {",2", name(",2")},
             {"48.5,", name("48.5,")},
             {"", name("")},
         }) {
        EXPECT_EQ(LocationArgument::parse(text, "--location"), expected) << '"' << text << '"';
    }
}

TEST(LocationArgumentTest, ANameResolvesToItsBestMatchAndACoordinateToItself) {
    const auto lisbon = LocationArgument{std::string("Lisbon")}.resolve();
    const auto* found = std::get_if<LocationArgument::Resolved>(&lisbon);
    ASSERT_TRUE(found);
    ASSERT_TRUE(found->place);
    EXPECT_EQ(found->place->name, "Lisbon");
    EXPECT_EQ(found->place->countryCode, "PT");
    EXPECT_EQ(found->coordinate, found->place->coordinate);

    const auto pair = LocationArgument{CLLocationCoordinate2D{-33.5, 18.25}}.resolve();
    EXPECT_EQ(std::get<LocationArgument::Resolved>(pair).coordinate,
              (CLLocationCoordinate2D{-33.5, 18.25}));
    EXPECT_FALSE(std::get<LocationArgument::Resolved>(pair).place);

    for (const auto& [text, error] : std::vector<std::pair<std::string, GeocodeError>>{
             {"xyzzy", GeocodeError::notFound("xyzzy")},
             {"", GeocodeError::nothingTyped()},
             {"48.5,2.5,1", GeocodeError::notFound("48.5,2.5,1")},
         }) {
        const auto result = LocationArgument{text}.resolve();
        const auto* failure = std::get_if<GeocodeError>(&result);
        EXPECT_EQ(failure ? *failure : GeocodeError::invalidText(), error) << text;
    }
}
