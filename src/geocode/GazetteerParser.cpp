#include "geocode/GazetteerParser.h"

#include "geocode/NameFolding.h"

#include <algorithm>

namespace aerolune {

namespace {

template <class T> void addUnique(std::vector<T>& values, T value) {
    if (std::find(values.begin(), values.end(), value) == values.end())
        values.push_back(value);
}

// Whole degrees times unitsPerDegree.
bool onEarth(std::int32_t latitude, std::int32_t longitude, std::int32_t unitsPerDegree) {
    return latitude >= -90 * unitsPerDegree && latitude <= 90 * unitsPerDegree &&
           longitude >= -180 * unitsPerDegree && longitude <= 180 * unitsPerDegree;
}

} // namespace

Gazetteer::Parser::Parser(Gazetteer& gazetteer) : gazetteer_(gazetteer), in_(gazetteer.text_) {}

bool Gazetteer::Parser::fail(std::string reason) {
    if (error_.empty())
        error_ = std::move(reason);
    return false;
}

Result<void> Gazetteer::Parser::run() {
    if (readAll())
        return {};
    return failure(error_);
}

bool Gazetteer::Parser::readAll() {
    if (in_.bytes(8) != "AEGAZET3")
        return fail("is not an Aerolune gazetteer of version 3");
    std::size_t counts[7];
    for (auto& count : counts)
        count = in_.u32();
    const auto [countries, regions, regionCodes, places, keys, zips, languages] = counts;
    const bool read = readCountries(countries) && readLanguages(languages) &&
                      readRegions(regions) && readRegionCodes(regionCodes) && readPlaces(places) &&
                      readKeys(keys) && readZips(zips);
    if (!read)
        return false;
    if (in_.failed())
        return fail("is cut short");
    if (!in_.atEnd())
        return fail("has data after its end");
    return true;
}

template <class Add> void Gazetteer::Parser::addQualifiers(std::string_view names, Add add) {
    while (!names.empty()) {
        const auto bar = names.find('|');
        if (auto folded = NameFolding::fold(names.substr(0, bar)); !folded.empty())
            add(gazetteer_.qualifiers_[std::move(folded)]);
        names.remove_prefix(bar == std::string_view::npos ? names.size() : bar + 1);
    }
}

bool Gazetteer::Parser::readCountries(std::size_t count) {
    if (count > 256)
        return fail("has too many countries");
    for (std::size_t i = 0; i < count && !in_.failed(); ++i) {
        const auto code = in_.string(), name = in_.string(), aliases = in_.string();
        if (code.size() != 2 || name.empty())
            return fail("has a country without a code or name");
        const auto index = static_cast<std::uint16_t>(i);
        gazetteer_.countries_.push_back({code, name});
        for (const auto names : {code, name, aliases})
            addQualifiers(names, [&](Qualifier& q) { addUnique(q.countries, index); });
    }
    return true;
}

bool Gazetteer::Parser::readLanguages(std::size_t count) {
    if (count > 64)
        return fail("has too many languages");
    for (std::size_t i = 0; i < count && !in_.failed(); ++i) {
        Language language{in_.string(), {}};
        if (language.code.empty())
            return fail("has a language without a code");
        for (std::size_t c = 0; c < gazetteer_.countries_.size() && !in_.failed(); ++c)
            language.countryNames.push_back(in_.string());
        gazetteer_.languages_.push_back(std::move(language));
    }
    return true;
}

bool Gazetteer::Parser::readRegions(std::size_t count) {
    for (std::size_t i = 0; i < count && !in_.failed(); ++i) {
        const auto country = in_.u8();
        const auto code = in_.string(), name = in_.string(), aliases = in_.string();
        if (country >= gazetteer_.countries_.size() || code.empty() || name.empty())
            return fail("has a region without a country, code or name");
        const auto index = static_cast<std::int32_t>(i);
        gazetteer_.regions_.push_back({country, code, name});
        for (const auto names : {code, name, aliases})
            addQualifiers(names, [&](Qualifier& q) { addUnique(q.regions, index); });
    }
    return true;
}

bool Gazetteer::Parser::readRegionCodes(std::size_t count) {
    auto& codes = gazetteer_.regionCodes_;
    for (std::size_t i = 0; i < count && !in_.failed(); ++i)
        codes.push_back(in_.string());
    for (std::size_t r = 0; r < gazetteer_.regions_.size(); ++r) {
        const auto& region = gazetteer_.regions_[r];
        const auto code = std::find(codes.begin(), codes.end(), region.code);
        if (code != codes.end())
            regionByCode_[std::uint32_t(region.country) << 16 | (code - codes.begin())] =
                static_cast<std::int32_t>(r);
    }
    return codes.size() < (1u << 16) || fail("has too many region codes");
}

bool Gazetteer::Parser::readPlaces(std::size_t count) {
    if (count > placeMask || !in_.has(count * 16))
        return fail("is cut short");
    auto& places = gazetteer_.places_;
    places.resize(count);
    for (auto& place : places)
        place.name = in_.string();
    for (auto& place : places)
        place.country = in_.u8();
    for (auto& place : places) {
        place.regionCode = in_.u16();
        const auto region =
            regionByCode_.find(std::uint32_t(place.country) << 16 | place.regionCode);
        place.region = region == regionByCode_.end() ? none : region->second;
    }
    for (auto& place : places)
        place.population = in_.u32();
    for (auto& place : places)
        place.latitudeE5 = in_.i32();
    for (auto& place : places)
        place.longitudeE5 = in_.i32();
    const bool sound = std::all_of(places.begin(), places.end(), [&](const Place& place) {
        return !place.name.empty() && place.country < gazetteer_.countries_.size() &&
               place.regionCode < gazetteer_.regionCodes_.size() &&
               onEarth(place.latitudeE5, place.longitudeE5, 100000);
    });
    return sound || fail("has a place without a name, country or region, or off the Earth");
}

// Names are stored front-coded: each keeps what it shares with the one
// before and adds the rest. A first pass sizes the text so that it never
// moves while it is filled.
bool Gazetteer::Parser::readKeys(std::size_t count) {
    ByteReader sizing = in_;
    std::size_t total = 0;
    for (std::size_t i = 0; i < count && !sizing.failed(); ++i) {
        total += sizing.u8();
        total += sizing.string().size();
    }
    if (sizing.failed() || total >= (1ull << 32))
        return fail("is cut short");
    auto& text = gazetteer_.keyText_;
    text.reserve(total);
    auto& keys = gazetteer_.keys_;
    keys.resize(count);
    std::string_view previous;
    for (auto& key : keys) {
        const std::size_t shared = in_.u8();
        const auto rest = in_.string();
        if (shared > previous.size())
            return fail("has a name that shares more than the one before");
        // Two length bytes can describe more than a key's length holds.
        if (shared + rest.size() > maximumNameLength)
            return fail("has a name longer than " + std::to_string(maximumNameLength) + " bytes");
        key.offset = static_cast<std::uint32_t>(text.size());
        key.length = static_cast<std::uint32_t>(shared + rest.size());
        text.append(previous.substr(0, shared)).append(rest);
        previous = gazetteer_.name(key);
    }
    for (auto& key : keys) {
        const auto place = in_.u24();
        key.place = place & placeMask;
        key.alternate = place >> 23;
    }
    for (std::size_t i = 0; i < count; ++i) {
        const auto name = gazetteer_.name(keys[i]);
        const bool ordered =
            i == 0 || std::pair{gazetteer_.name(keys[i - 1]), std::uint32_t(keys[i - 1].place)} <
                          std::pair{name, std::uint32_t(keys[i].place)};
        if (name.empty() || keys[i].place >= gazetteer_.places_.size() || !ordered)
            return fail("has an empty, unsorted or repeated name");
    }
    return true;
}

bool Gazetteer::Parser::readZips(std::size_t count) {
    auto& zips = gazetteer_.zips_;
    if (!in_.has(count * 16))
        return fail("is cut short");
    zips.reserve(count);
    for (std::size_t i = 0; i < count && !in_.failed(); ++i) {
        Zip zip;
        zip.code = in_.u32();
        const auto latitude = in_.i32(), longitude = in_.i32();
        zip.coordinate = {latitude * 1e-6, longitude * 1e-6};
        zip.place = in_.i32();
        const bool ordered = zips.empty() || zips.back().code < zip.code;
        if (zip.code > 99999 || !ordered || !onEarth(latitude, longitude, 1000000) ||
            zip.place < none || zip.place >= static_cast<std::int32_t>(gazetteer_.places_.size()))
            return fail("has a bad or unsorted ZIP code");
        zips.push_back(zip);
    }
    return true;
}

} // namespace aerolune
