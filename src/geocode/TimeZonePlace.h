#pragma once

// Roughly where the machine is, from its time zone: the principal city of
// the zone, as tzdata's zone1970.tab places it (Europe/Lisbon is Lisbon at
// 38°43′N 9°08′W). Nothing goes over a network; the guess is as good as the
// zone (a zone spans a country or more), which is enough for the sky.
//
// The zone is $TZ when it names a zone (":Europe/Paris", "Europe/Paris", or a
// path under the zone folder), else the zone that /etc/localtime links to,
// else the one /etc/timezone names. A $TZ that is a rule rather than a name
// ("CET-1CEST,M3.5.0,M10.5.0/3", "<+02>-2") names no zone. The zone is looked
// up in zone1970.tab, then in zone.tab (which keeps a city for zones that
// zone1970.tab folds into a neighbour's), then under the name its file links
// to (Asia/Calcutta is Asia/Kolkata). UTC, Etc/* and zones in neither table
// give no place.

#include "platform/core/CLLocationCoordinate2D.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace aerolune {

class TimeZonePlace {
public:
    struct Sources {
        std::optional<std::string> tzVariable;
        std::filesystem::path localtime = "/etc/localtime";
        std::filesystem::path timezoneFile = "/etc/timezone";
        // $TZDIR, else /usr/share/zoneinfo.
        std::filesystem::path zoneFolder;
    };

    // This process's sources: its $TZ and $TZDIR, and the system's files.
    static Sources system();

    // The zone's name and its principal city, or nothing.
    static std::optional<TimeZonePlace> find(const Sources& sources);

    // The zone the sources name, whether or not it has a place.
    static std::optional<std::string> zoneName(const Sources& sources);

    const std::string& zone() const { return zone_; }
    const CLLocationCoordinate2D& coordinate() const { return coordinate_; }
    // "Lisbon" for Europe/Lisbon, "Port of Spain" for America/Port_of_Spain.
    std::string cityName() const;

    // Reads an ISO 6709 pair as the tables write it: +DDMM+DDDMM or
    // +DDMMSS+DDDMMSS.
    static std::optional<CLLocationCoordinate2D> parseCoordinates(std::string_view text);

private:
    TimeZonePlace(std::string zone, CLLocationCoordinate2D coordinate)
        : zone_(std::move(zone)), coordinate_(coordinate) {}

    std::string zone_;
    CLLocationCoordinate2D coordinate_;
};

} // namespace aerolune
