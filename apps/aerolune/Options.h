#pragma once

// Everything the command line can say. Options take one dash or two, as
// XScreenSaver hacks do (-forecast is --forecast), and a value follows either
// as the next argument or after '=' (--lat=48.85, --lat 48.85); a value that
// starts with '-' is still taken as the value (--lat -33.9).
//
// Each option is one row of a table in Options.cpp, which also writes the
// help text, so a new option is one new field and one new row.

#include "aerolune/LocationArgument.h"
#include "platform/core/Geometry.h"
#include "platform/core/Result.h"
#include "platform/core/Time.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace aerolune {

struct Options {
    // `none` runs the saver in a window.
    enum class Command { none, help, forecast, setLocation, snapshot, simulate, wallpaper };
    // Where --layer puts the saver on Wayland.
    enum class WaylandLayer { background, overlay };
    // What the saver does while the machine runs on its battery.
    enum class OnBattery { animate, still };

    Command command = Command::none;
    std::optional<double> latitude;              // --lat
    std::optional<double> longitude;             // --lon
    std::optional<TimePoint> at;                 // --at
    std::optional<LocationArgument> location;    // --set-location
    std::optional<LocationArgument> runLocation; // --location
    bool logStderr = false;                      // --log-stderr
    bool root = false;                           // -root
    std::optional<unsigned long> windowId;       // -window-id
    bool preview = false;                        // --preview
    bool fps = false;                            // -fps
    std::optional<std::uint64_t> seed;           // --seed
    std::string snapshotPath;                    // --snapshot
    std::optional<Size> size;                    // --size
    std::optional<double> after;                 // --after
    std::optional<double> scale;                 // --scale
    std::optional<double> duration;              // --simulate
    std::optional<WaylandLayer> layer;           // --layer
    std::string outputName;                      // --output
    bool wayland = false;                        // --wayland
    bool fullscreen = false;                     // --fullscreen
    std::optional<OnBattery> onBattery;          // --on-battery (animate when not given)
    bool once = false;                           // --once
    std::optional<double> every;                 // --every
    std::string desktop;                         // --desktop
    bool restore = false;                        // --restore

    // The options in `arguments` (without the program's name), or a one-line
    // message saying what is wrong with them.
    static Result<Options> parse(const std::vector<std::string_view>& arguments);

    // What --help prints.
    static std::string helpText();
};

} // namespace aerolune
