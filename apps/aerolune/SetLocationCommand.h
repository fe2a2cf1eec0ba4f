#pragma once

// aerolune --set-location LAT,LON: stores the place (already checked by
// Options) and prints it back as stored. Exit status 1 when it cannot be
// stored; the store is then as it was.

#include "aerolune/Options.h"

#include <iosfwd>

namespace aerolune {

class SetLocationCommand {
public:
    SetLocationCommand() = delete;

    // The exit status.
    static int run(const Options& options, std::ostream& out, std::ostream& err);
};

} // namespace aerolune
