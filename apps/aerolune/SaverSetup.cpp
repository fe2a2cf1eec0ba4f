#include "aerolune/SaverSetup.h"

#include "platform/Random.h"
#include "settings/LocationHelper.h"

namespace aerolune::SaverSetup {

void apply(const Options& options) {
    if (options.seed)
        Random::reseedShared(*options.seed);
    if (options.latitude && options.longitude)
        LocationHelper::shared().setOverride(
            CLLocationCoordinate2D{*options.latitude, *options.longitude});
}

} // namespace aerolune::SaverSetup
