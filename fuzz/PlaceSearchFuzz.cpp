// What a person types into the settings window or --location, searched in
// the shipped gazetteer. An answer is candidates (at most the limit, each on
// the Earth) or an error, never an empty list.

#include "geocode/PlaceSearch.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace aerolune;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Loaded once, before the clock of the first input starts.
    if (!Gazetteer::shared())
        std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto result = PlaceSearch::search(text);
    if (!result)
        return 0;
    if (result->empty() || result->size() > PlaceSearch::defaultLimit ||
        !PlaceSearch::searchable(text))
        std::abort();
    for (const auto& candidate : *result) {
        if (!(std::abs(candidate.coordinate.latitude) <= 90 &&
              std::abs(candidate.coordinate.longitude) <= 180))
            std::abort();
    }
    return 0;
}
