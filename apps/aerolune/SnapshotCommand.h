#pragma once

// Runs the saver headless on a stopped clock, from its creation, for a number
// of seconds at 30 frames a second, and writes the last frame to a PNG file.

#include "aerolune/Options.h"

#include <ostream>

namespace aerolune::SnapshotCommand {

inline constexpr double defaultSeconds = 6;
inline constexpr Size defaultSize{1920, 1080};

// 0 when the file was written; 1, with one line on `err`, when it was not.
int run(const Options& options, std::ostream& err);

} // namespace aerolune::SnapshotCommand
