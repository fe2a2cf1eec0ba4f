#include "geocode/Gazetteer.h"

#include "datafiles/CompressedFile.h"
#include "datafiles/DataDirectory.h"
#include "geocode/GazetteerParser.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numbers>

namespace aerolune {

const Result<Gazetteer::Shared>& Gazetteer::shared() {
    return loadInstalledOnce<Gazetteer>();
}

Result<Gazetteer::Shared> Gazetteer::load(const std::filesystem::path& path) {
    auto text = CompressedFile::read(path, maximumSize);
    if (!text)
        return text.error();
    auto loaded = parse(std::move(*text));
    if (!loaded)
        return failure(path.filename().string() + " " + loaded.error().message);
    return loaded;
}

Result<Gazetteer::Shared> Gazetteer::parse(std::string text) {
    auto gazetteer = std::make_shared<Gazetteer>();
    gazetteer->text_ = std::move(text);
    Parser parser(*gazetteer);
    if (auto parsed = parser.run(); !parsed)
        return parsed.error();
    return Shared(std::move(gazetteer));
}

std::span<const Gazetteer::Key> Gazetteer::exactMatches(std::string_view folded) const {
    const auto first =
        std::lower_bound(keys_.begin(), keys_.end(), folded,
                         [&](const Key& key, std::string_view value) { return name(key) < value; });
    const auto last =
        std::upper_bound(first, keys_.end(), folded,
                         [&](std::string_view value, const Key& key) { return value < name(key); });
    return {first, last};
}

std::span<const Gazetteer::Key> Gazetteer::prefixMatches(std::string_view folded) const {
    const auto first =
        std::lower_bound(keys_.begin(), keys_.end(), folded,
                         [&](const Key& key, std::string_view value) { return name(key) < value; });
    const auto last = std::partition_point(first, keys_.end(), [&](const Key& key) {
        return name(key).substr(0, folded.size()) == folded;
    });
    return {first, last};
}

const Gazetteer::Zip* Gazetteer::findZip(std::string_view code) const {
    std::uint32_t number = 0;
    const auto [end, error] = std::from_chars(code.data(), code.data() + code.size(), number);
    if (code.size() != 5 || error != std::errc() || end != code.data() + code.size())
        return nullptr;
    const auto found =
        std::lower_bound(zips_.begin(), zips_.end(), number,
                         [](const Zip& zip, std::uint32_t value) { return zip.code < value; });
    if (found == zips_.end() || found->code != number)
        return nullptr;
    return &*found;
}

const Gazetteer::Qualifier* Gazetteer::qualifier(std::string_view folded) const {
    const auto found = qualifiers_.find(folded);
    return found == qualifiers_.end() ? nullptr : &found->second;
}

std::string_view Gazetteer::countryName(std::uint16_t country, std::string_view language) const {
    const auto base = language.substr(0, language.find('_'));
    for (const auto& named : languages_) {
        if (named.code == base && country < named.countryNames.size() &&
            !named.countryNames[country].empty())
            return named.countryNames[country];
    }
    return countries_.at(country).name;
}

std::int32_t Gazetteer::nearest(CLLocationCoordinate2D coordinate, double kilometres) const {
    // Distances on a plane tangent at the coordinate: exact enough within a
    // few tens of kilometres, away from the poles, and cheap over every place.
    constexpr double kmPerE5 = 6371.0 * std::numbers::pi / 180.0 / 1e5;
    const double xScale = std::cos(coordinate.latitude * std::numbers::pi / 180.0);
    const double latitude = coordinate.latitude * 1e5, longitude = coordinate.longitude * 1e5;
    double best = kilometres * kilometres;
    std::int32_t found = none;
    for (std::size_t i = 0; i < places_.size(); ++i) {
        double dx = std::remainder(places_[i].longitudeE5 - longitude, 360e5) * xScale * kmPerE5;
        double dy = (places_[i].latitudeE5 - latitude) * kmPerE5;
        const double squared = dx * dx + dy * dy;
        // Places run from the largest down, so a tie keeps the larger.
        if (squared < best) {
            best = squared;
            found = static_cast<std::int32_t>(i);
        }
    }
    return found;
}

} // namespace aerolune
