#pragma once

// Runs the saver headless on a stopped clock, from its creation, for a number
// of seconds at 30 frames a second, and writes the last frame to a PNG file.
// Only the last drawnSeconds are drawn: before them the saver's logic runs
// without drawing (SkySimulation), so that a picture days ahead takes moments
// and shows the mode, the sunrise or sunset's step, the fades and the
// backdrop's colours of a run that drew every frame.

#include "aerolune/Options.h"

#include <ostream>

namespace aerolune::SnapshotCommand {

inline constexpr double defaultSeconds = 6;
inline constexpr double drawnSeconds = 1;
inline constexpr Size defaultSize{1920, 1080};

// 0 when the file was written; 1, with one line on `err`, when it was not.
int run(const Options& options, std::ostream& err);

} // namespace aerolune::SnapshotCommand
