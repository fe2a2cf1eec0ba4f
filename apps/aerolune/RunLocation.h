#pragma once

// The place of one run, given as --location TEXT or as --lat DEG --lon DEG:
// found (a name is looked up in the gazetteer) and handed to
// LocationHelper as its override, so that whatever asks for the location
// during this run gets it, and the stored place is neither read nor changed.

#include "aerolune/Options.h"

#include <iosfwd>
#include <optional>

namespace aerolune {

class RunLocation {
public:
    RunLocation() = delete;

    // Nothing when the run may go on (with its own place, or with the stored
    // one when none is given), or the exit status after a message on `err`
    // when the place cannot be found.
    static std::optional<int> apply(const Options& options, std::ostream& err);
};

} // namespace aerolune
