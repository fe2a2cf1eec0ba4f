// The uncompressed gazetteer, damaged or hostile. A file the reader accepts
// must be safe to search: every name finds its own place, and searches by
// name, qualifier and ZIP code stay within its tables.

#include "geocode/PlaceSearch.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

using namespace aerolune;

namespace {

void search(const Gazetteer& gazetteer, const std::string& text) {
    constexpr std::size_t limit = 3;
    const auto result = PlaceSearch::search(gazetteer, text, limit);
    if (result && (result->size() > limit || result->empty()))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto loaded = Gazetteer::parse(std::string(reinterpret_cast<const char*>(data), size));
    if (!loaded) {
        if (loaded.error().message.empty())
            std::abort();
        return 0;
    }
    const Gazetteer& g = **loaded;
    for (const auto& key : g.keys()) {
        const auto same = g.exactMatches(g.name(key));
        if (std::none_of(same.begin(), same.end(), [&](const auto& k) { return &k == &key; }))
            std::abort();
        const auto& place = g.places()[key.place];
        const std::string name(g.name(key));
        search(g, name);
        search(g, name + ", " + std::string(g.countries()[place.country].code));
        search(g, name + " " + std::string(g.regionCodes()[place.regionCode]));
    }
    for (const auto& zip : g.zips())
        search(g, std::to_string(zip.code + 100000).substr(1) + "-1234");
    return 0;
}
