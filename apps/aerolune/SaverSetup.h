#pragma once

// What every run of the saver (in a window, as a snapshot or as a simulation)
// sets up from the options before the saver is created: the random seed, and
// for a run on a screen, the watch on the stored place. (The place for this
// run is set by RunLocation, for every command.)

#include "aerolune/Options.h"

namespace aerolune::SaverSetup {

enum class Run {
    onScreen, // follows a place stored while it runs, unless given its own
    headless, // a snapshot or a simulation on a stopped clock
};

void apply(const Options& options, Run run);

} // namespace aerolune::SaverSetup
