#pragma once

// Brings the geocoder's answers back to the GTK main loop. The poster may be
// called from any thread: it hands the task to GLib's default main context
// through g_idle_add, which is safe from any thread (glibmm's signal_idle is
// not), and the task runs on the thread that runs the main loop.

#include "geocode/Geocoder.h"

namespace aerolune {

struct MainLoopPoster {
    static Geocoder::Poster poster();
};

} // namespace aerolune
