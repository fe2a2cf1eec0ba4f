#pragma once

// What every run of the saver (in a window, as a snapshot or as a simulation)
// sets up from the options before the saver is created: the random seed. (The
// place for this run is set by RunLocation, for every command.)

#include "aerolune/Options.h"

namespace aerolune::SaverSetup {

void apply(const Options& options);

} // namespace aerolune::SaverSetup
