#include "platform/core/CLLocationCoordinate2D.h"

#include <charconv>

namespace aerolune {

std::string shortestDecimal(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    std::string text(buffer, result.ptr);
    if (text.find_first_of(".einf") == std::string::npos)
        text += ".0";
    return text;
}

std::string plainDecimal(double value) {
    auto text = shortestDecimal(value);
    if (text.find('e') == std::string::npos)
        return text;
    char buffer[400];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    return std::string(buffer, result.ptr);
}

std::string describe(const CLLocationCoordinate2D& coordinate) {
    return "CLLocationCoordinate2D(latitude: " + shortestDecimal(coordinate.latitude) +
           ", longitude: " + shortestDecimal(coordinate.longitude) + ")";
}

} // namespace aerolune
