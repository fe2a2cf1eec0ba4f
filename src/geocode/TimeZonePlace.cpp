#include "geocode/TimeZonePlace.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string_view>
#include <system_error>

namespace aerolune {
namespace {

namespace fs = std::filesystem;

// The part of a path to a zone file after the zone folder: ".../zoneinfo/Europe/Paris"
// is Europe/Paris. The posix/ and right/ copies of the zones are the same zones.
std::optional<std::string> zoneOfPath(const fs::path& path, const fs::path& zoneFolder) {
    std::string text = path.lexically_normal().string();
    std::string name;
    const std::string folder = zoneFolder.lexically_normal().string() + "/";
    if (text.starts_with(folder))
        name = text.substr(folder.size());
    else if (const auto at = text.rfind("/zoneinfo/"); at != std::string::npos)
        name = text.substr(at + 10);
    else
        return std::nullopt;
    for (const std::string_view copy : {"posix/", "right/"})
        if (name.starts_with(copy))
            name.erase(0, copy.size());
    return name.empty() ? std::nullopt : std::optional(name);
}

std::optional<std::string> zoneOfVariable(std::string value, const fs::path& zoneFolder) {
    if (value.starts_with(':'))
        value.erase(0, 1);
    if (value.empty())
        return std::nullopt;
    if (value.front() == '/')
        return zoneOfPath(value, zoneFolder);
    // A rule such as "EST5EDT,M3.2.0,M11.1.0" is no file of the zone folder.
    std::error_code error;
    if (value.find("..") != std::string::npos || !fs::exists(zoneFolder / value, error))
        return std::nullopt;
    return value;
}

std::optional<CLLocationCoordinate2D> lookUp(const fs::path& table, const std::string& zone) {
    std::ifstream in(table);
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line.front() == '#')
            continue;
        std::istringstream fields(line);
        std::string countries, coordinates, name;
        std::getline(fields, countries, '\t');
        std::getline(fields, coordinates, '\t');
        std::getline(fields, name, '\t');
        if (name == zone)
            return TimeZonePlace::parseCoordinates(coordinates);
    }
    return std::nullopt;
}

// Degrees from the digits of one ISO 6709 component: DD[MM[SS]] or DDD[MM[SS]].
std::optional<double> degrees(std::string_view digits, std::size_t degreeDigits) {
    if (digits.size() != degreeDigits + 2 && digits.size() != degreeDigits + 4)
        return std::nullopt;
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    const auto part = [&](std::size_t at, std::size_t length) {
        return std::atoi(std::string(digits.substr(at, length)).c_str());
    };
    const int minutes = part(degreeDigits, 2);
    const int seconds = digits.size() > degreeDigits + 2 ? part(degreeDigits + 2, 2) : 0;
    if (minutes > 59 || seconds > 59)
        return std::nullopt;
    return part(0, degreeDigits) + minutes / 60.0 + seconds / 3600.0;
}

} // namespace

TimeZonePlace::Sources TimeZonePlace::system() {
    Sources sources;
    if (const char* tz = std::getenv("TZ"))
        sources.tzVariable = tz;
    const char* folder = std::getenv("TZDIR");
    sources.zoneFolder = folder && *folder ? folder : "/usr/share/zoneinfo";
    return sources;
}

std::optional<std::string> TimeZonePlace::zoneName(const Sources& sources) {
    if (sources.tzVariable)
        if (auto zone = zoneOfVariable(*sources.tzVariable, sources.zoneFolder))
            return zone;
    std::error_code error;
    if (fs::is_symlink(sources.localtime, error)) {
        const fs::path target = fs::read_symlink(sources.localtime, error);
        if (!error)
            return zoneOfPath(target.is_absolute() ? target
                                                   : sources.localtime.parent_path() / target,
                              sources.zoneFolder);
    }
    std::ifstream file(sources.timezoneFile);
    std::string name;
    if (std::getline(file, name) && !name.empty())
        return name;
    return std::nullopt;
}

std::optional<TimeZonePlace> TimeZonePlace::find(const Sources& sources) {
    auto zone = zoneName(sources);
    if (!zone)
        return std::nullopt;
    for (int hop = 0; hop < 2; ++hop) {
        for (const char* table : {"zone1970.tab", "zone.tab"})
            if (const auto place = lookUp(sources.zoneFolder / table, *zone))
                return TimeZonePlace(*zone, *place);
        // An old name kept as a link to the zone's name now.
        std::error_code error;
        const fs::path file = sources.zoneFolder / *zone;
        if (!fs::is_symlink(file, error))
            break;
        zone = zoneOfPath(fs::canonical(file, error), fs::canonical(sources.zoneFolder, error));
        if (error || !zone)
            break;
    }
    return std::nullopt;
}

std::string TimeZonePlace::cityName() const {
    std::string city = zone_.substr(zone_.rfind('/') + 1);
    std::replace(city.begin(), city.end(), '_', ' ');
    return city;
}

std::optional<CLLocationCoordinate2D> TimeZonePlace::parseCoordinates(std::string_view text) {
    const auto split = text.find_first_of("+-", 1);
    if (text.empty() || (text.front() != '+' && text.front() != '-') ||
        split == std::string_view::npos)
        return std::nullopt;
    const auto latitude = degrees(text.substr(1, split - 1), 2);
    const auto longitude = degrees(text.substr(split + 1), 3);
    if (!latitude || !longitude || *latitude > 90 || *longitude > 180)
        return std::nullopt;
    return CLLocationCoordinate2D{text.front() == '-' ? -*latitude : *latitude,
                                  text[split] == '-' ? -*longitude : *longitude};
}

} // namespace aerolune
