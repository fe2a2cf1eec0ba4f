#pragma once

#include <optional>
#include <string_view>

namespace aerolune {

// A decimal number that is all of `text`, with an optional leading '+'. "nan"
// and "inf" are numbers here: each caller says which values it takes, so that
// a coordinate of "nan" is refused as a number rather than looked up as a name.
std::optional<double> parseDecimal(std::string_view text);

} // namespace aerolune
