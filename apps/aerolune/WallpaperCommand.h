#pragma once

// aerolune --wallpaper: the sky of the moment as the desktop's background
// picture, for desktops where neither a saver nor a layer-shell wallpaper can
// show it (GNOME first; Cinnamon, MATE, Xfce, KDE Plasma).
//
// The saver runs as on a screen, with its schedule, its watch on the stored
// place, the time zone's guess and --on-battery, but draws nothing between
// pictures: its logic steps from one moment that matters to the next on a
// clock that follows the real one, and the run sleeps in between. A picture,
// at the size and scale of the largest monitor (or --size and --scale), is
// set
// - once the first sky has shown for six seconds (as --snapshot takes it);
// - six seconds after each change of sky, once the old sky has faded;
// - at each step of a sunrise or sunset (every four minutes);
// - and --every (15 minutes) after the last one, for the backdrop's colours.
// On battery with --on-battery still, only at changes of sky.
//
// Each picture is written whole under a name of its own, set, and then the
// one before it is removed (BackgroundPictures); what the desktop showed
// before the first picture is saved, and --restore puts it back. A picture
// that cannot be written leaves the background as it was; a desktop whose
// setting cannot be written ends the run with one line and status 1.

#include "aerolune/Options.h"
#include "platform/core/SignalWatcher.h"

#include <iosfwd>

namespace aerolune::WallpaperCommand {

// The exit status.
int run(const Options& options, const SignalWatcher& signals, std::ostream& out, std::ostream& err);

} // namespace aerolune::WallpaperCommand
