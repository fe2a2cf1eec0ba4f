#pragma once

// The one stored location: a latitude and a longitude in the preference suite
// "AeroluneSaverPrefs" under the keys "coordinates.lat" and "coordinates.lon",
// kept in ${XDG_CONFIG_HOME:-$HOME/.config}/aerolune/AeroluneSaverPrefs.conf.
//
// The suite is found (and its folder made) on first use and kept for the life
// of the process; when no folder can be found or made it is absent, every read
// is no location and every write fails.
//
// A missing key reads as 0.0, and a latitude or longitude of exactly 0.0 is no
// location (readers of the file rely on it), so a place exactly on the
// equator or on the prime meridian is stored 0.000001 degrees (11 cm) off it,
// on the side its sign names: no sunrise or sunset can tell the two apart.
// A file that cannot be read or parsed, or that holds a value that
// is not a finite number in range, is no location too; the log says why, and
// the file is left as it is until the next setCoordinates.

#include "platform/core/CLLocationCoordinate2D.h"
#include "platform/core/Result.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace aerolune {

class Prefs {
public:
    Prefs() = delete;

    static constexpr std::string_view suiteName = "AeroluneSaverPrefs";
    static constexpr std::string_view latitudeKey = "coordinates.lat";
    static constexpr std::string_view longitudeKey = "coordinates.lon";

    // The stored location, or nothing. Logs the stored values on every call.
    static std::optional<CLLocationCoordinate2D> coordinates();

    // The coordinate as setCoordinates() stores it: an axis of exactly zero
    // moved to +-0.000001 (keeping the sign of -0.0), everything else as it is.
    static CLLocationCoordinate2D storable(CLLocationCoordinate2D coordinate);

    // Stores a location, as storable() gives it: a success once it is on disk, or why not (a value
    // out of range, no settings folder, a read-only folder, a full disk); the
    // stored location is then unchanged.
    static Result<void> setCoordinates(CLLocationCoordinate2D coordinate);

    // Fails when a coordinate cannot be a place on Earth: not finite, latitude
    // outside [-90, 90], longitude outside [-180, 180].
    static Result<void> validate(CLLocationCoordinate2D coordinate);

    // The file the location is kept in, when there is a suite.
    static std::optional<std::filesystem::path> storeFile();

    // Forgets the suite so that the next call finds the folder again, for
    // tests that point XDG_CONFIG_HOME at a folder of their own.
    static void resetForTesting();
};

} // namespace aerolune
