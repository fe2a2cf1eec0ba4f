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
             {"0,0", pair(0, 0)},
             {"1e1,2", pair(10, 2)},
             {"90.000001,0", problem("--location: latitude 90.000001 is outside [-90, 90]")},
             {"0,-180.5", problem("--location: longitude -180.5 is outside [-180, 180]")},
             {"nan,2", problem("--location: latitude nan is not a finite number")},
             {"Lisbon", name("Lisbon")},
             {"paris, tx", name("paris, tx")},
             {"48.5", name("48.5")},
             {"48.5 2.5", name("48.5 2.5")},
             {"48.5,2.5,1", name("48.5,2.5,1")},
             {"48.5,", name("48.5,")},
             {"", name("")},
         }) {
        EXPECT_EQ(LocationArgument::parse(text, "--location"), expected) << '"' << text << '"';
    }
}
