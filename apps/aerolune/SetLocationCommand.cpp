#include "aerolune/SetLocationCommand.h"

#include "store/Prefs.h"

#include <ostream>

namespace aerolune {

int SetLocationCommand::run(const Options& options, std::ostream& out, std::ostream& err) {
    const auto resolved = options.location.value().resolve();
    if (!resolved) {
        err << "aerolune: " << resolved.error().errorDescription() << '\n';
        return 1;
    }
    const auto& [place, candidate] = *resolved;
    if (const auto stored = Prefs::setCoordinates(place); !stored) {
        err << "aerolune: the location was not stored: " << stored.error().message << '\n';
        return 1;
    }
    if (candidate)
        out << "place: " << candidate->describe() << '\n';
    out << "location: " << shortestDecimal(place.latitude) << ", "
        << shortestDecimal(place.longitude) << '\n';
    // Zero on either axis is how the store says "no location"; say so rather
    // than let the next forecast fail without a reason.
    if (place.latitude == 0.0 || place.longitude == 0.0)
        err << "aerolune: note: a latitude or longitude of exactly 0 reads back as no location;"
               " use a value such as 0.0001 instead\n";
    return 0;
}

} // namespace aerolune
