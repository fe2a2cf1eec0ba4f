#include "geocode/PlaceSearch.h"

#include "geocode/NameFolding.h"
#include "geocode/Utf8.h"
#include "platform/core/Trimmed.h"

#include <algorithm>
#include <optional>

namespace aerolune {

namespace {

using Qualifiers = std::vector<const Gazetteer::Qualifier*>;

struct Reading {
    std::string name; // folded
    Qualifiers qualifiers;
};

constexpr std::string_view spaces = " \t\n\r\f\v";

bool isDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// "10001" or "10001-1234": the ZIP code's first five digits.
std::optional<std::string_view> zipCode(std::string_view text) {
    const bool five = text.size() == 5 && isDigits(text);
    const bool nine = text.size() == 10 && text[5] == '-' && isDigits(text.substr(0, 5)) &&
                      isDigits(text.substr(6));
    if (!five && !nine)
        return std::nullopt;
    return text.substr(0, 5);
}

bool accepts(const Gazetteer::Place& place, const Qualifiers& qualifiers) {
    return std::all_of(qualifiers.begin(), qualifiers.end(), [&](const auto* qualifier) {
        const auto& countries = qualifier->countries;
        const auto& regions = qualifier->regions;
        return std::find(countries.begin(), countries.end(), place.country) != countries.end() ||
               std::find(regions.begin(), regions.end(), place.region) != regions.end();
    });
}

// Exact names first, then names that start with the text; each group from
// the most populous place down (a smaller index is a larger place).
std::vector<std::uint32_t> rank(const Gazetteer& gazetteer, const Reading& reading,
                                std::size_t limit) {
    std::vector<std::uint32_t> ranked;
    const auto& places = gazetteer.places();
    auto taken = [&](std::uint32_t place) {
        return std::find(ranked.begin(), ranked.end(), place) != ranked.end();
    };
    for (const auto& key : gazetteer.exactMatches(reading.name)) {
        if (ranked.size() < limit && accepts(places[key.place], reading.qualifiers) &&
            !taken(key.place))
            ranked.push_back(key.place);
    }
    // Of the names that only start with the text, keep the largest places
    // that still fit, with one comparison for most: a short prefix spans
    // tens of thousands of names. Places are looked at only when a qualifier
    // needs them, since they lie all over memory.
    const std::size_t room = limit - std::min(limit, ranked.size());
    std::vector<std::uint32_t> longer; // ascending, at most room
    for (const auto& key : gazetteer.prefixMatches(reading.name)) {
        const std::uint32_t place = key.place;
        if (key.length == reading.name.size() ||
            (longer.size() == room && !longer.empty() && place >= longer.back()))
            continue;
        if (room == 0 || taken(place))
            continue;
        if (!reading.qualifiers.empty() && !accepts(places[place], reading.qualifiers))
            continue;
        const auto at = std::lower_bound(longer.begin(), longer.end(), place);
        if (at != longer.end() && *at == place)
            continue;
        longer.insert(at, place);
        if (longer.size() > room)
            longer.pop_back();
    }
    ranked.insert(ranked.end(), longer.begin(), longer.end());
    return ranked;
}

std::optional<Reading> withCommas(const Gazetteer& gazetteer, std::string_view text) {
    const auto comma = text.find(',');
    if (comma == std::string_view::npos)
        return std::nullopt;
    Reading reading{NameFolding::fold(text.substr(0, comma)), {}};
    for (auto rest = text.substr(comma + 1); !rest.empty();) {
        const auto next = rest.find(',');
        const auto folded = NameFolding::fold(rest.substr(0, next));
        rest.remove_prefix(next == std::string_view::npos ? rest.size() : next + 1);
        if (folded.empty())
            continue; // "Paris," and "Paris, , France" as if the comma were not there
        const auto* qualifier = gazetteer.qualifier(folded);
        if (!qualifier)
            return std::nullopt;
        reading.qualifiers.push_back(qualifier);
    }
    if (reading.name.empty())
        return std::nullopt;
    return reading;
}

// "Paris France", "Springfield IL", "Saint Paul North Carolina".
std::vector<Reading> withTrailingQualifier(const Gazetteer& gazetteer, const std::string& whole) {
    std::vector<Reading> readings;
    auto split = whole.size();
    for (int words = 1; words <= 3; ++words) {
        split = whole.rfind(' ', split - 1);
        if (split == std::string::npos || split == 0)
            break;
        if (const auto* qualifier = gazetteer.qualifier(whole.substr(split + 1)))
            readings.push_back({whole.substr(0, split), {qualifier}});
    }
    return readings;
}

PlaceCandidate candidate(const Gazetteer& gazetteer, const Gazetteer::Place& place) {
    const auto& country = gazetteer.countries()[place.country];
    const auto region = place.region == Gazetteer::none ? std::string_view()
                                                        : gazetteer.regions()[place.region].name;
    return {std::string(place.name),
            std::string(region),
            std::string(gazetteer.regionCodes()[place.regionCode]),
            std::string(country.name),
            std::string(country.code),
            place.coordinate(),
            place.population,
            {}};
}

GeocodeResult searchZip(const Gazetteer& gazetteer, std::string_view typed, std::string_view code) {
    const auto* zip = gazetteer.findZip(code);
    if (!zip)
        return GeocodeError::notFound(typed);
    PlaceCandidate found{{}, {}, {}, "United States", "US", zip->coordinate, 0, std::string(code)};
    if (zip->place != Gazetteer::none) {
        found = candidate(gazetteer, gazetteer.places()[zip->place]);
        found.coordinate = zip->coordinate;
        found.population = 0;
        found.postalCode = code;
    }
    return std::vector{found};
}

} // namespace

Result<std::string, GeocodeError> PlaceSearch::searchable(std::string_view text) {
    if (!Utf8::isValid(text))
        return GeocodeError::invalidText();
    if (Utf8::length(text) > maximumCharacters)
        return GeocodeError::tooLong(maximumCharacters);
    auto folded = NameFolding::fold(text);
    if (folded.empty())
        return GeocodeError::nothingTyped();
    return folded;
}

GeocodeResult PlaceSearch::search(std::string_view text, std::size_t limit) {
    if (auto checked = searchable(text); !checked)
        return checked.error();
    const auto& gazetteer = Gazetteer::shared();
    if (!gazetteer)
        return GeocodeError::dataUnavailable(gazetteer.error().message);
    return search(**gazetteer, text, limit);
}

GeocodeResult PlaceSearch::search(const Gazetteer& gazetteer, std::string_view text,
                                  std::size_t limit) {
    const auto folded = searchable(text);
    if (!folded)
        return folded.error();
    const auto typed = trimmed(text, spaces);
    if (const auto code = zipCode(typed))
        return searchZip(gazetteer, typed, *code);

    std::vector<Reading> readings;
    if (auto reading = withCommas(gazetteer, text))
        readings.push_back(std::move(*reading));
    const std::string& whole = *folded;
    readings.push_back({whole, {}});
    for (auto& reading : withTrailingQualifier(gazetteer, whole))
        readings.push_back(std::move(reading));

    for (const auto& reading : readings) {
        const auto ranked = rank(gazetteer, reading, limit);
        if (ranked.empty())
            continue;
        std::vector<PlaceCandidate> candidates;
        for (const auto index : ranked)
            candidates.push_back(candidate(gazetteer, gazetteer.places()[index]));
        return candidates;
    }
    return GeocodeError::notFound(typed);
}

} // namespace aerolune
