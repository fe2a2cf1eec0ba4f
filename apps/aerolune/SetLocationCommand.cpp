#include "aerolune/SetLocationCommand.h"

#include "platform/core/Localization.h"
#include "store/Prefs.h"

#include <ostream>

namespace aerolune {

int SetLocationCommand::run(const Options& options, std::ostream& out, std::ostream& err) {
    const auto resolved = options.location.value().resolve();
    if (!resolved) {
        err << "aerolune: " << resolved.error().errorDescription() << '\n';
        return 1;
    }
    const auto& [requested, candidate] = *resolved;
    const auto place = Prefs::storable(requested);
    if (const auto stored = Prefs::setCoordinates(place); !stored) {
        err << "aerolune: "
            << Localization::format(tr("the location was not stored: %s"), {stored.error().message})
            << '\n';
        return 1;
    }
    if (candidate)
        out << "place: " << candidate->describe() << '\n';
    out << "location: " << plainDecimal(place.latitude) << ", " << plainDecimal(place.longitude)
        << '\n';
    return 0;
}

} // namespace aerolune
