#pragma once

// Runs the saver's logic alone (no drawing) on a manual clock and prints one
// line per change of sky mode, starting with the mode the first forecast
// decides: "2024-06-21T19:55:36Z sunset". A failed forecast prints
// "<moment> failed: <reason>".

#include "aerolune/Options.h"

#include <ostream>

namespace aerolune::SimulateCommand {

int run(const Options& options, std::ostream& out);

} // namespace aerolune::SimulateCommand
