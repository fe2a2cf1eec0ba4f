#include "aerolune/SaverSetup.h"

#include "platform/core/Random.h"

namespace aerolune::SaverSetup {

void apply(const Options& options) {
    if (options.seed)
        Random::reseedShared(*options.seed);
}

} // namespace aerolune::SaverSetup
