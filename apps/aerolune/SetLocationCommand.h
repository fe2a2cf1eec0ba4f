#pragma once

// aerolune --set-location TEXT: stores the place (a LAT,LON pair already
// checked by Options, or the best match of a place name) and prints it back
// as stored:
//
//     place: Lisbon, Portugal
//     location: 38.71667, -9.13333
//
// ("place:" only for a name). A latitude or longitude of exactly 0 is stored
// 0.000001 off it, as the store needs, and printed so. The two lines keep
// their English keys and C numbers in every language, for scripts; the
// place's name and the messages on standard error follow the user's
// language. Exit status 1 when no place is found or it cannot be stored;
// the store is then as it was.

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
