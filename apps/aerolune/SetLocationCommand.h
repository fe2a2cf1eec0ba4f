#pragma once

// aerolune --set-location TEXT: stores the place (a LAT,LON pair already
// checked by Options, or the best match of a place name) and prints it back
// as stored:
//
//     place: Lisbon, Portugal
//     location: 38.71667, -9.13333
//
// ("place:" only for a name). Exit status 1 when no place is found or it
// cannot be stored; the store is then as it was.

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
