#include "aerolune/RunLocation.h"

#include "platform/core/Localization.h"
#include "platform/core/Log.h"
#include "store/LocationHelper.h"

#include <ostream>

namespace aerolune {

std::optional<int> RunLocation::apply(const Options& options, std::ostream& err) {
    std::optional<LocationArgument::Resolved> place;
    if (options.latitude && options.longitude)
        place = LocationArgument::Resolved{{*options.latitude, *options.longitude}, std::nullopt};
    if (options.runLocation) {
        auto resolved = options.runLocation->resolve();
        if (!resolved) {
            err << "aerolune: --location: " << resolved.error().errorDescription() << '\n';
            return 1;
        }
        place = std::move(resolved).value();
    }
    if (!place)
        return std::nullopt;
    if (const auto set = LocationHelper::shared().setOverride(place->coordinate); !set) {
        err << "aerolune: " << set.error().message << '\n';
        return 2;
    }
    systemLog("[vemo] location for this run: " +
              (place->place ? place->place->describe() + " " : std::string()) +
              describe(place->coordinate));
    return std::nullopt;
}

} // namespace aerolune
