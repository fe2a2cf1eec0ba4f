#include "aerolune/Options.h"

#include "aerolune/DecimalNumber.h"
#include "aerolune/DeviceScale.h"
#include "platform/core/Localization.h"
#include "platform/output/X11Output.h"
#include "store/Prefs.h"

#include <charconv>
#include <cmath>

namespace aerolune {
namespace {

struct OptionRow {
    std::string_view name;      // without dashes
    std::string_view valueName; // empty for an option without a value
    const char* help;           // lines separated by '\n', translated when shown
    Result<void> (*apply)(Options&, std::string_view value);
};

std::string quoted(std::string_view text) {
    // TRANSLATORS: quotation marks around what was typed on the command line.
    return Localization::format(tr("\"%s\""), {text});
}

std::string format(const char* message, std::initializer_list<std::string_view> values) {
    return Localization::format(tr(message), values);
}

// A finite decimal number, all of the text, with an optional leading '+'.
std::optional<double> parseNumber(std::string_view text) {
    const auto value = parseDecimal(text);
    if (!value || !std::isfinite(*value))
        return {};
    return value;
}

std::string_view commandName(Options::Command command) {
    switch (command) {
    case Options::Command::help:
        return "--help";
    case Options::Command::forecast:
        return "--forecast";
    case Options::Command::setLocation:
        return "--set-location";
    case Options::Command::snapshot:
        return "--snapshot";
    case Options::Command::simulate:
        return "--simulate";
    case Options::Command::wallpaper:
        return "--wallpaper";
    case Options::Command::none:
        break;
    }
    return "";
}

// --help wins over any other command; two other commands cannot be combined.
Result<void> setCommand(Options& options, Options::Command command) {
    if (options.command == Options::Command::help || command == Options::Command::help) {
        options.command = Options::Command::help;
        return {};
    }
    if (options.command != Options::Command::none && options.command != command)
        return failure(format(N_("%1$s and %2$s cannot be used together"),
                              {commandName(options.command), commandName(command)}));
    options.command = command;
    return {};
}

Result<void> setDegrees(std::optional<double>& field, std::string_view option,
                        std::string_view value, double limit) {
    const auto number = parseNumber(value);
    if (!number)
        return failure(
            format(N_("%1$s needs a number of degrees, not %2$s"), {option, quoted(value)}));
    if (*number < -limit || *number > limit) {
        const auto bound = std::to_string(int(limit));
        return failure(format(N_("%1$s %2$s is outside [-%3$s, %3$s]"), {option, value, bound}));
    }
    field = number;
    return {};
}

Result<void> setLocation(Options& options, std::string_view value) {
    auto parsed = LocationArgument::parse(value, "--set-location");
    if (!parsed)
        return parsed.error();
    options.location = std::move(parsed).value();
    return setCommand(options, Options::Command::setLocation);
}

Result<void> setFlag(bool& flag) {
    flag = true;
    return {};
}

Result<void> setWindowId(Options& options, std::string_view value) {
    const auto id = X11Output::parseWindowId(value);
    if (!id)
        return failure(format(N_("--window-id %s"), {id.error().message}));
    options.windowId = *id;
    return {};
}

Result<void> setSeed(Options& options, std::string_view value) {
    std::uint64_t seed = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), seed);
    if (value.empty() || error != std::errc() || end != value.data() + value.size())
        return failure(
            format(N_("--seed needs a whole number from 0 to 18446744073709551615, not %s"),
                   {quoted(value)}));
    options.seed = seed;
    return {};
}

Result<void> setSnapshot(Options& options, std::string_view value) {
    if (value.empty())
        return failure(tr("--snapshot needs the name of a PNG file to write"));
    options.snapshotPath = value;
    return setCommand(options, Options::Command::snapshot);
}

// WxH in whole points, each side from 1 to 16384.
Result<void> setSize(Options& options, std::string_view value) {
    const auto x = value.find('x');
    int sides[2] = {0, 0};
    const std::string_view parts[2] = {value.substr(0, x),
                                       x == std::string_view::npos ? "" : value.substr(x + 1)};
    for (int i = 0; i < 2; ++i) {
        const auto [end, error] =
            std::from_chars(parts[i].data(), parts[i].data() + parts[i].size(), sides[i]);
        if (parts[i].empty() || error != std::errc() || end != parts[i].data() + parts[i].size() ||
            sides[i] < 1 || sides[i] > 16384)
            return failure(format(N_("--size needs WIDTHxHEIGHT in pixels from 1 to 16384, such as "
                                     "1920x1080, not %s"),
                                  {quoted(value)}));
    }
    options.size = Size{double(sides[0]), double(sides[1])};
    return {};
}

Result<void> setScale(Options& options, std::string_view value) {
    options.scale = DeviceScale::parse(value);
    if (!options.scale)
        return failure(format(N_("--scale needs a number of pixels a point from 0.5 to 4, such as "
                                 "2 or 1.5, not %s"),
                              {quoted(value)}));
    return {};
}

// A length of time: 90, 90s, 15m, 72h or 3d; at most 400 days.
Result<void> setDuration(std::optional<double>& field, std::string_view option,
                         std::string_view value) {
    const auto seconds = parseDuration(value);
    if (!seconds || *seconds > 400 * 86400.0)
        return failure(format(N_("%1$s needs a length of time such as 90, 90s, 15m, 72h or 3d (at "
                                 "most 400 days), not %2$s"),
                              {option, quoted(value)}));
    field = seconds;
    return {};
}

Result<void> setRunLocation(Options& options, std::string_view value) {
    auto parsed = LocationArgument::parse(value, "--location");
    if (!parsed)
        return parsed.error();
    options.runLocation = std::move(parsed).value();
    return {};
}

Result<void> setLayer(Options& options, std::string_view value) {
    if (value == "background")
        options.layer = Options::WaylandLayer::background;
    else if (value == "overlay")
        options.layer = Options::WaylandLayer::overlay;
    else
        return failure(format(N_("--layer needs background or overlay, not %s"), {quoted(value)}));
    return {};
}

Result<void> setOutputName(Options& options, std::string_view value) {
    if (value.empty())
        return failure(tr("--output needs the name of a monitor, such as DP-1"));
    options.outputName = value;
    return {};
}

Result<void> setOnBattery(Options& options, std::string_view value) {
    if (value == "animate")
        options.onBattery = Options::OnBattery::animate;
    else if (value == "still")
        options.onBattery = Options::OnBattery::still;
    else
        return failure(format(N_("--on-battery needs animate or still, not %s"), {quoted(value)}));
    return {};
}

// Sized by its rows: a row left empty would match "--" and call nothing.
const OptionRow kOptions[] = {
    {"root", "",
     N_("draw on the root window, or in the window named by\n"
        "$XSCREENSAVER_WINDOW when XScreenSaver sets it"),
     [](Options& o, std::string_view) { return setFlag(o.root); }},
    {"window-id", "ID",
     N_("draw in the existing window ID (hex or decimal);\n"
        "wins over -root"),
     setWindowId},
    {"layer", "LAYER",
     N_("on Wayland, draw on every monitor: beneath all\n"
        "windows as a live wallpaper (background), or\n"
        "above everything until a key press, click or\n"
        "pointer movement (overlay)"),
     setLayer},
    {"output", "NAME", N_("with --layer, draw only on the monitor NAME"), setOutputName},
    {"wayland", "", N_("open a Wayland window even when DISPLAY is set"),
     [](Options& o, std::string_view) { return setFlag(o.wayland); }},
    {"fullscreen", "", N_("ask for the Wayland window to fill the screen"),
     [](Options& o, std::string_view) { return setFlag(o.fullscreen); }},
    {"on-battery", "WHAT",
     N_("while the machine runs on its battery, keep the\n"
        "sky moving (animate, the default) or show it\n"
        "still, redrawn once a minute (still)"),
     setOnBattery},
    {"preview", "", N_("run as a small preview, as a settings dialog would"),
     [](Options& o, std::string_view) { return setFlag(o.preview); }},
    {"fps", "", N_("show the frame rate in the lower-left corner"),
     [](Options& o, std::string_view) { return setFlag(o.fps); }},
    {"seed", "N",
     N_("draw clouds, stars and colours from random seed N,\n"
        "so that a run can be repeated exactly"),
     setSeed},
    {"snapshot", "FILE.png",
     N_("run the saver headless on a stopped clock from its\n"
        "start for --after seconds (default 6), write the\n"
        "last frame to FILE.png, then exit"),
     setSnapshot},
    {"size", "WxH", N_("the size of a snapshot in pixels (default 1920x1080)"), setSize},
    {"scale", "S",
     N_("pixels a point, 0.5 to 4 (2 on a HiDPI screen);\n"
        "X11 otherwise takes $AEROLUNE_SCALE, $GDK_SCALE or\n"
        "Xft.dpi / 96, in that order; on Wayland each\n"
        "monitor's own scale is used and this is ignored"),
     setScale},
    {"after", "SECONDS",
     N_("how long the snapshot's saver runs before the\n"
        "frame is taken: 90, 90s, 15m, 2h..."),
     [](Options& o, std::string_view v) { return setDuration(o.after, "--after", v); }},
    {"simulate", "DURATION",
     N_("run the saver's logic alone for DURATION (such as\n"
        "72h) and print each change of sky, then exit"),
     [](Options& o, std::string_view v) -> Result<void> {
         if (auto set = setDuration(o.duration, "--simulate", v); !set)
             return set;
         return setCommand(o, Options::Command::simulate);
     }},
    {"wallpaper", "",
     N_("set the sky of the moment as the desktop's\n"
        "background picture, and again at each change of\n"
        "sky, each step of a sunrise or sunset and every\n"
        "--every; runs until stopped"),
     [](Options& o, std::string_view) { return setCommand(o, Options::Command::wallpaper); }},
    {"once", "", N_("with --wallpaper, set one picture and exit"),
     [](Options& o, std::string_view) { return setFlag(o.once); }},
    {"every", "DURATION",
     N_("with --wallpaper, a new picture at least this often\n"
        "(default 15m; at least 1m)"),
     [](Options& o, std::string_view v) -> Result<void> {
         if (auto set = setDuration(o.every, "--every", v); !set)
             return set;
         if (*o.every < 60)
             return failure(format(N_("--every needs at least a minute, not %s"), {quoted(v)}));
         return {};
     }},
    {"desktop", "NAME",
     N_("with --wallpaper, the desktop whose background to\n"
        "set (gnome, cinnamon, mate, xfce, kde) instead of\n"
        "the one $XDG_CURRENT_DESKTOP names"),
     [](Options& o, std::string_view v) -> Result<void> {
         if (v.empty())
             return failure(tr("--desktop needs the name of a desktop, such as gnome"));
         o.desktop = v;
         return {};
     }},
    {"restore", "",
     N_("with --wallpaper, put back the background set\n"
        "before the first picture, then exit"),
     [](Options& o, std::string_view) { return setFlag(o.restore); }},
    {"forecast", "",
     N_("print today's sunrise and sunset (UTC), the sky\n"
        "mode now and the next change of sky, then exit"),
     [](Options& o, std::string_view) { return setCommand(o, Options::Command::forecast); }},
    {"lat", "DEG",
     N_("latitude of the place to show instead of the\n"
        "stored one: -90 to 90, north positive; needs --lon"),
     [](Options& o, std::string_view v) { return setDegrees(o.latitude, "--lat", v, 90); }},
    {"lon", "DEG",
     N_("longitude of that place: -180 to 180, east\n"
        "positive; needs --lat"),
     [](Options& o, std::string_view v) { return setDegrees(o.longitude, "--lon", v, 180); }},
    {"at", "WHEN",
     N_("start --forecast, --snapshot, --simulate or\n"
        "--wallpaper at this moment instead of now: ISO 8601\n"
        "with Z or an offset, e.g. 2024-06-21T12:00:00+02:00"),
     [](Options& o, std::string_view v) -> Result<void> {
         o.at = parseIso8601(v);
         if (!o.at)
             return failure(format(N_("--at needs an ISO 8601 date-time with Z or +HH:MM, such "
                                      "as 2024-06-21T12:00:00+02:00, not %s"),
                                   {quoted(v)}));
         return {};
     }},
    {"set-location", "TEXT",
     N_("store the place whose sky the saver shows, then\n"
        "exit: a city or ZIP code (\"Lisbon\", \"paris, tx\",\n"
        "\"10001\"; the best match is taken) or LAT,LON in\n"
        "degrees north and east (48.85,2.35)"),
     setLocation},
    {"location", "TEXT",
     N_("the place for this run only (the saver's sky or\n"
        "--forecast), not stored: a city, a ZIP code or\n"
        "LAT,LON"),
     setRunLocation},
    {"log-stderr", "",
     N_("copy the log to standard error (it always goes\n"
        "to syslog)"),
     [](Options& o, std::string_view) -> Result<void> {
         o.logStderr = true;
         return {};
     }},
    {"help", "", N_("show this help and exit"),
     [](Options& o, std::string_view) { return setCommand(o, Options::Command::help); }},
};

const OptionRow* find(std::string_view name) {
    for (const auto& row : kOptions)
        if (row.name == name)
            return &row;
    return nullptr;
}

Result<void> checkCombinations(const Options& options) {
    if (options.command == Options::Command::help)
        return {};
    if (options.latitude.has_value() != options.longitude.has_value())
        return failure(tr("--lat and --lon go together"));
    using Command = Options::Command;
    const Command command = options.command;
    const bool runsTheSaver = command == Command::none || command == Command::snapshot ||
                              command == Command::simulate || command == Command::wallpaper;
    if (options.latitude && !(runsTheSaver || command == Command::forecast))
        return failure(tr("--lat and --lon go with --forecast, --snapshot, --simulate, --wallpaper "
                          "or a saver run"));
    if (options.at && (command == Command::none || command == Command::setLocation))
        return failure(tr("--at goes with --forecast, --snapshot, --simulate or --wallpaper"));
    if (options.after && command != Command::snapshot)
        return failure(tr("--after goes with --snapshot"));
    if (options.size && command != Command::snapshot && command != Command::wallpaper)
        return failure(tr("--size goes with --snapshot or --wallpaper"));
    if (options.scale && command != Command::none && command != Command::snapshot &&
        command != Command::wallpaper)
        return failure(tr("--scale goes with a saver run, --snapshot or --wallpaper"));
    if ((options.root || options.windowId || options.fps) && command != Command::none)
        return failure(tr("-root, -window-id and -fps are for a saver run in a window"));
    if (options.onBattery && command != Command::none && command != Command::wallpaper)
        return failure(tr("--on-battery goes with a saver run or --wallpaper"));
    if ((options.once || options.every || !options.desktop.empty() || options.restore) &&
        command != Command::wallpaper)
        return failure(tr("--once, --every, --desktop and --restore go with --wallpaper"));
    if (options.restore && (options.once || options.every || options.at))
        return failure(
            tr("--restore puts the earlier background back; it takes no --once, --every or --at"));
    if ((options.seed || options.preview) && !runsTheSaver)
        return failure(
            tr("--seed and --preview go with a saver run, --snapshot, --simulate or --wallpaper"));
    return {};
}

// Wayland's ways of showing the saver, apart from X11's.
Result<void> checkWayland(const Options& options) {
    const bool wayland =
        options.layer || !options.outputName.empty() || options.wayland || options.fullscreen;
    if (!wayland || options.command == Options::Command::help)
        return {};
    if (options.command != Options::Command::none)
        return failure(tr("--layer, --output, --wayland and --fullscreen are for a saver run"));
    if (options.root || options.windowId)
        return failure(tr("--layer, --output, --wayland and --fullscreen draw on Wayland, -root "
                          "and -window-id on X11"));
    if (!options.outputName.empty() && !options.layer)
        return failure(tr("--output goes with --layer"));
    if (options.fullscreen && options.layer)
        return failure(tr("--fullscreen is for a window; --layer covers whole monitors already"));
    return {};
}

// A run's own place is one place, and only for a run.
Result<void> checkRunLocation(const Options& options) {
    if (!options.runLocation || options.command == Options::Command::help)
        return {};
    if (options.command == Options::Command::setLocation)
        return failure(tr("--location is for one run; --set-location stores a place"));
    if (options.latitude || options.longitude)
        return failure(tr("--location and --lat/--lon cannot be used together"));
    return {};
}

} // namespace

Result<Options> Options::parse(const std::vector<std::string_view>& arguments) {
    Options options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view argument = arguments[i];
        std::string_view name = argument;
        if (name.starts_with("--"))
            name.remove_prefix(2);
        else if (name.starts_with("-"))
            name.remove_prefix(1);
        else
            return failure(format(N_("unexpected argument %s (see --help)"), {quoted(argument)}));
        std::optional<std::string_view> value;
        if (const auto equals = name.find('='); equals != std::string_view::npos) {
            value = name.substr(equals + 1);
            name = name.substr(0, equals);
        }
        const OptionRow* row = find(name);
        if (!row)
            return failure(format(N_("unknown option %s (see --help)"), {quoted(argument)}));
        const std::string display = "--" + std::string(row->name);
        if (row->valueName.empty() && value)
            return failure(format(N_("%s takes no value"), {display}));
        if (!row->valueName.empty() && !value) {
            if (i + 1 == arguments.size())
                return failure(
                    format(N_("%1$s needs a value: %1$s %2$s"), {display, row->valueName}));
            value = arguments[++i];
        }
        if (auto applied = row->apply(options, value.value_or("")); !applied)
            return applied.error();
    }
    if (auto combined = checkCombinations(options); !combined)
        return combined.error();
    if (auto alone = checkRunLocation(options); !alone)
        return alone.error();
    if (auto wayland = checkWayland(options); !wayland)
        return wayland.error();
    return options;
}

std::string Options::helpText() {
    // TRANSLATORS: keep the option names (-forecast, --lat=48.85, --layer,
    // -root, -window-id, --wayland) and $XSCREENSAVER_WINDOW as they are.
    std::string text =
        tr("Usage: aerolune [OPTION]...\n"
           "Aerolune shows the sky of your place at this moment, from sunrise and\n"
           "sunset computed on this machine for a place stored once.\n"
           "Without a command it runs the saver in a 1280x720 window of its own\n"
           "(q or Escape quits), on the root window (-root), or in a window given\n"
           "by XScreenSaver ($XSCREENSAVER_WINDOW) or by -window-id. On Wayland\n"
           "(WAYLAND_DISPLAY set and DISPLAY not, or --wayland) the window is a\n"
           "Wayland one, and --layer draws on every monitor instead.\n"
           "\n"
           "Options take one dash or two (-forecast is --forecast); a value follows\n"
           "as the next argument or after '=' (--lat=48.85).\n"
           "\n");
    constexpr std::size_t column = 26;
    for (const auto& row : kOptions) {
        // Appended piece by piece: GCC 12 at -O3 warns wrongly (-Wrestrict)
        // about a literal put in front of a temporary string.
        std::string head = "  --";
        head.append(row.name);
        if (!row.valueName.empty())
            head.append(" ").append(row.valueName);
        if (head.size() + 1 < column)
            head.append(column - head.size(), ' ');
        else
            head.append("\n").append(column, ' ');
        const std::string translated = tr(row.help);
        std::string_view help = translated;
        for (std::size_t line = 0; !help.empty(); ++line) {
            const auto end = help.find('\n');
            text += (line == 0 ? head : std::string(column, ' ')) +
                    std::string(help.substr(0, end)) + "\n";
            help = end == std::string_view::npos ? std::string_view{} : help.substr(end + 1);
        }
    }
    text += tr("\n"
               "The place is kept in $XDG_CONFIG_HOME/aerolune/AeroluneSaverPrefs.conf\n"
               "(~/.config/aerolune/ when XDG_CONFIG_HOME is not set).\n"
               "Exit status: 0 on success (a saver run ends on SIGTERM, SIGINT, q or\n"
               "Escape, when its window or its Wayland compositor goes, or with\n"
               "--layer overlay on a key press, click or pointer movement), 1 when a\n"
               "forecast cannot be made, the place cannot be found or stored, the\n"
               "window cannot be used or the compositor has no layer-shell for --layer,\n"
               "2 when the options are wrong.\n");
    return text;
}

} // namespace aerolune
