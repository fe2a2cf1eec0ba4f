#include "aerolune/SaverSetup.h"

#include "platform/core/Random.h"
#include "schedule/SkyCoordinator.h"
#include "store/LocationHelper.h"

namespace aerolune::SaverSetup {

void apply(const Options& options, Run run) {
    if (options.seed)
        Random::reseedShared(*options.seed);
    SkyCoordinator::setFollowsStoredPlace(run == Run::onScreen &&
                                          !LocationHelper::shared().override());
}

} // namespace aerolune::SaverSetup
