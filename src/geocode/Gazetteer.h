#pragma once

// The offline gazetteer: places of at least 1,000 people with their folded
// names, their countries and first-level regions, and US ZIP codes. It is
// read once from gazetteer.bin.gz (see data/gazetteer.py for the layout) and
// never changes afterwards, so any number of threads may search it at once.
//
// Places are stored most populous first, so a smaller place index means a
// larger place; the names are sorted, and equal names list their places in
// that same order, which makes "the most populous among equals" the first
// of a range.

#include "platform/core/CLLocationCoordinate2D.h"
#include "platform/core/Result.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace aerolune {

class Gazetteer {
public:
    using Shared = std::shared_ptr<const Gazetteer>;

    static constexpr std::string_view fileName = "gazetteer.bin.gz";
    // Nine times what the file inflates to today (6.8 MB); more is damage.
    static constexpr std::size_t maximumSize = std::size_t(64) << 20;
    // What Key::length holds; a longer name is refused, not cut.
    static constexpr std::size_t maximumNameLength = 255;
    static constexpr std::int32_t none = -1;

    struct Country {
        std::string_view code; // ISO 3166-1 alpha-2
        std::string_view name;
    };
    struct Region {
        std::uint16_t country;
        std::string_view code; // as GeoNames writes it: "TX", "08"
        std::string_view name;
    };
    // Kept small: the gazetteer holds over a hundred thousand of them, and
    // touching fresh memory is a large part of the time it takes to load.
    struct Place {
        std::string_view name;
        std::uint32_t population;
        std::int32_t latitudeE5; // 1/100000 degree
        std::int32_t longitudeE5;
        std::uint16_t country;
        std::uint16_t regionCode; // index into regionCodes()
        std::int32_t region;      // index into regions(), or none

        CLLocationCoordinate2D coordinate() const {
            // Divided, not multiplied by 1e-5: the result is then the double
            // nearest the decimal degrees, and prints back as written.
            return {latitudeE5 / 1e5, longitudeE5 / 1e5};
        }
    };
    struct Key {
        std::uint32_t offset; // of the folded name in the gazetteer's name text
        std::uint32_t place : 23;
        // Another name of the place (an alternate name, an abbreviation),
        // not its own.
        std::uint32_t alternate : 1;
        std::uint32_t length : 8;
    };
    struct Zip {
        std::uint32_t code; // 10001 for "10001"
        CLLocationCoordinate2D coordinate;
        std::int32_t place; // nearest place, or none
    };
    // The countries' names in one language ("de"), empty where the English
    // name is used.
    struct Language {
        std::string_view code;
        std::vector<std::string_view> countryNames;
    };
    // What a word after a comma may stand for: countries or regions.
    struct Qualifier {
        std::vector<std::uint16_t> countries;
        std::vector<std::int32_t> regions;
    };

    // The gazetteer of the data folder, loaded on first use; safe under
    // concurrent first use. A failure is remembered and not retried.
    static const Result<Shared>& shared();

    static Result<Shared> load(const std::filesystem::path& path);
    // text is the uncompressed file.
    static Result<Shared> parse(std::string text);

    const std::vector<Country>& countries() const { return countries_; }
    const std::vector<Language>& languages() const { return languages_; }
    // The country's name in `language` ("de", "pt_BR": the part before '_'
    // counts), or its English name.
    std::string_view countryName(std::uint16_t country, std::string_view language) const;
    const std::vector<Region>& regions() const { return regions_; }
    const std::vector<Place>& places() const { return places_; }
    const std::vector<std::string_view>& regionCodes() const { return regionCodes_; }
    const std::vector<Key>& keys() const { return keys_; }
    std::string_view name(const Key& key) const {
        return std::string_view(keyText_).substr(key.offset, key.length);
    }
    const std::vector<Zip>& zips() const { return zips_; }

    // Keys equal to a folded name, largest place first.
    std::span<const Key> exactMatches(std::string_view folded) const;
    // Keys that start with a folded text (the exact ones included).
    std::span<const Key> prefixMatches(std::string_view folded) const;
    // code is five digits.
    const Zip* findZip(std::string_view code) const;
    // A folded country or region name, code or alias; null when unknown.
    const Qualifier* qualifier(std::string_view folded) const;
    // The place nearest to `coordinate` within `kilometres`, or none; of
    // places equally near, the largest.
    std::int32_t nearest(CLLocationCoordinate2D coordinate, double kilometres) const;

private:
    class Parser;

    std::string text_;    // the views above point into it,
    std::string keyText_; // or, for the names of keys, into this
    std::vector<Country> countries_;
    std::vector<Language> languages_;
    std::vector<Region> regions_;
    std::vector<std::string_view> regionCodes_;
    std::vector<Place> places_;
    std::vector<Key> keys_;
    std::vector<Zip> zips_;
    std::map<std::string, Qualifier, std::less<>> qualifiers_;
};

} // namespace aerolune
