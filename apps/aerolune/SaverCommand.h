#pragma once

// Runs the saver in a window until it is told to stop: a window of its own,
// the root window, or a window XScreenSaver (or -window-id) names; on Wayland
// as WaylandSaver chooses. It never ends on its own: XScreenSaver reports a
// hack that exits by itself as crashed.

#include "aerolune/Options.h"
#include "platform/core/SignalWatcher.h"

#include <ostream>

namespace aerolune::SaverCommand {

// 0 when the run ended as asked (SIGTERM, SIGINT, q, Escape, the window
// closed or gone), also when `signals` caught one before the run began; 1 when
// the window cannot be used, with one line on `err`.
int run(const Options& options, const SignalWatcher& signals, std::ostream& err);

} // namespace aerolune::SaverCommand
