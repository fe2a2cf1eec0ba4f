#include "geocode/PlaceSearch.h"

#include "geocode/NameFolding.h"
#include "geocode/Utf8.h"
#include "platform/core/Localization.h"
#include "platform/core/Trimmed.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>

namespace aerolune {

namespace {

// What a word after a comma narrows the search to: a country or a region,
// or the surroundings of a city ("Greenwich, London").
struct Qualifier {
    const Gazetteer::Qualifier* area = nullptr;
    const Gazetteer::Place* city = nullptr;
};
using Qualifiers = std::vector<Qualifier>;

struct Reading {
    std::string name; // folded
    Qualifiers qualifiers;
};

constexpr std::string_view spaces = " \t\n\r\f\v";
// How far from a city its districts lie.
constexpr double districtKilometres = 25;
// A place found by another of its names counts as this many times smaller
// than one whose own name was typed: "Greenwich" is a town in Connecticut
// before it is another name of Tehachapi, while "LA" is Los Angeles.
constexpr double alternateHandicap = 10;

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

double kilometresBetween(const Gazetteer::Place& a, const Gazetteer::Place& b) {
    constexpr double kmPerE5 = 6371.0 * std::numbers::pi / 180.0 / 1e5;
    const double middle = (a.latitudeE5 + b.latitudeE5) / 2e5 * std::numbers::pi / 180.0;
    const double dx =
        std::remainder(double(a.longitudeE5) - b.longitudeE5, 360e5) * std::cos(middle) * kmPerE5;
    const double dy = (double(a.latitudeE5) - b.latitudeE5) * kmPerE5;
    return std::hypot(dx, dy);
}

bool accepts(const Gazetteer::Place& place, const Qualifiers& qualifiers) {
    return std::all_of(qualifiers.begin(), qualifiers.end(), [&](const Qualifier& qualifier) {
        if (qualifier.city)
            return kilometresBetween(place, *qualifier.city) <= districtKilometres;
        const auto& countries = qualifier.area->countries;
        const auto& regions = qualifier.area->regions;
        return std::find(countries.begin(), countries.end(), place.country) != countries.end() ||
               std::find(regions.begin(), regions.end(), place.region) != regions.end();
    });
}

// The places whose name is exactly the text, best first: by population, a
// place found only by another of its names counting as much smaller.
std::vector<std::uint32_t> rankExact(const Gazetteer& gazetteer, const Reading& reading) {
    const auto& places = gazetteer.places();
    std::vector<std::pair<std::uint32_t, bool>> found; // place, only by another name
    for (const auto& key : gazetteer.exactMatches(reading.name)) {
        const auto same = std::find_if(found.begin(), found.end(),
                                       [&](const auto& seen) { return seen.first == key.place; });
        if (same != found.end())
            same->second = same->second && key.alternate;
        else if (accepts(places[key.place], reading.qualifiers))
            found.emplace_back(key.place, key.alternate);
    }
    const auto weight = [&](const std::pair<std::uint32_t, bool>& entry) {
        const double population = places[entry.first].population;
        return entry.second ? population / alternateHandicap : population;
    };
    std::stable_sort(found.begin(), found.end(), [&](const auto& a, const auto& b) {
        const double left = weight(a), right = weight(b);
        return left != right ? left > right : a.first < b.first;
    });
    std::vector<std::uint32_t> ranked;
    for (const auto& [place, alternate] : found)
        ranked.push_back(place);
    return ranked;
}

// Exact names first, then names that start with the text from the most
// populous place down (a smaller index is a larger place).
std::vector<std::uint32_t> rank(const Gazetteer& gazetteer, const Reading& reading,
                                std::size_t limit) {
    auto ranked = rankExact(gazetteer, reading);
    if (ranked.size() > limit)
        ranked.resize(limit);
    const auto& places = gazetteer.places();
    auto taken = [&](std::uint32_t place) {
        return std::find(ranked.begin(), ranked.end(), place) != ranked.end();
    };
    // Of the names that only start with the text, keep the largest places
    // that still fit, with one comparison for most: a short prefix spans
    // tens of thousands of names. Places are looked at only when a qualifier
    // needs them, since they lie all over memory.
    const std::size_t room = limit - ranked.size();
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

// A country or region, or else the city of that name that would be found.
std::optional<Qualifier> qualifierFor(const Gazetteer& gazetteer, const std::string& folded) {
    if (const auto* area = gazetteer.qualifier(folded))
        return Qualifier{area, nullptr};
    const auto cities = rankExact(gazetteer, {folded, {}});
    if (cities.empty())
        return std::nullopt;
    return Qualifier{nullptr, &gazetteer.places()[cities.front()]};
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
        const auto qualifier = qualifierFor(gazetteer, folded);
        if (!qualifier)
            return std::nullopt;
        reading.qualifiers.push_back(*qualifier);
    }
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
        if (const auto* area = gazetteer.qualifier(whole.substr(split + 1)))
            readings.push_back({whole.substr(0, split), {{area, nullptr}}});
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
            std::string(gazetteer.countryName(place.country, Localization::language())),
            std::string(country.code),
            place.coordinate(),
            place.population,
            {}};
}

GeocodeResult searchZip(const Gazetteer& gazetteer, std::string_view typed, std::string_view code) {
    const auto* zip = gazetteer.findZip(code);
    if (!zip)
        return GeocodeError::notFound(typed);
    const auto& countries = gazetteer.countries();
    const auto us = std::find_if(countries.begin(), countries.end(),
                                 [](const auto& country) { return country.code == "US"; });
    const auto usName = us == countries.end()
                            ? std::string("United States")
                            : std::string(gazetteer.countryName(
                                  std::uint16_t(us - countries.begin()), Localization::language()));
    PlaceCandidate found{{}, {}, {}, usName, "US", zip->coordinate, 0, std::string(code)};
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

std::optional<PlaceCandidate> PlaceSearch::nearest(CLLocationCoordinate2D coordinate) {
    const auto& gazetteer = Gazetteer::shared();
    if (!gazetteer)
        return std::nullopt;
    return nearest(**gazetteer, coordinate);
}

std::optional<PlaceCandidate> PlaceSearch::nearest(const Gazetteer& gazetteer,
                                                   CLLocationCoordinate2D coordinate) {
    const auto place = gazetteer.nearest(coordinate, namingKilometres);
    if (place == Gazetteer::none)
        return std::nullopt;
    return candidate(gazetteer, gazetteer.places()[place]);
}

GeocodeResult PlaceSearch::search(const Gazetteer& gazetteer, std::string_view text,
                                  std::size_t limit) {
    const auto folded = searchable(text);
    if (!folded)
        return folded.error();
    const auto typed = trimmed(text, spaces);
    if (const auto code = zipCode(typed))
        return searchZip(gazetteer, typed, *code);

    // ", tx" names a state and no place in it; the words alone would find
    // some place called "tx".
    if (const auto comma = typed.find(',');
        comma != std::string_view::npos && NameFolding::fold(typed.substr(0, comma)).empty())
        return GeocodeError::noPlaceName(typed);

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
