#include "geocode/Gazetteer.h"

#include "datafiles/CompressedFile.h"
#include "datafiles/DataDirectory.h"
#include "geocode/GazetteerParser.h"

#include <algorithm>
#include <charconv>

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

} // namespace aerolune
