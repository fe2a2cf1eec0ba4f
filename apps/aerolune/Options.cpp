#include "aerolune/Options.h"

#include <array>
#include <charconv>
#include <cmath>

namespace aerolune {
namespace {

using Problem = std::optional<std::string>;

struct OptionRow {
    std::string_view name;      // without dashes
    std::string_view valueName; // empty for an option without a value
    std::string_view help;      // lines separated by '\n'
    Problem (*apply)(Options&, std::string_view value);
};

std::string quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

// A finite decimal number, all of the text, with an optional leading '+'.
std::optional<double> parseNumber(std::string_view text) {
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
        !std::isfinite(value))
        return std::nullopt;
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
    case Options::Command::none:
        break;
    }
    return "";
}

// --help wins over any other command; two other commands cannot be combined.
Problem setCommand(Options& options, Options::Command command) {
    if (options.command == Options::Command::help || command == Options::Command::help) {
        options.command = Options::Command::help;
        return std::nullopt;
    }
    if (options.command != Options::Command::none && options.command != command)
        return std::string(commandName(options.command)) + " and " +
               std::string(commandName(command)) + " cannot be used together";
    options.command = command;
    return std::nullopt;
}

Problem setDegrees(std::optional<double>& field, std::string_view option, std::string_view value,
                   double limit) {
    const auto number = parseNumber(value);
    if (!number)
        return std::string(option) + " needs a number of degrees, not " + quoted(value);
    if (*number < -limit || *number > limit)
        return std::string(option) + " " + std::string(value) + " is outside [-" +
               std::to_string(int(limit)) + ", " + std::to_string(int(limit)) + "]";
    field = number;
    return std::nullopt;
}

Problem setLocation(Options& options, std::string_view value) {
    auto parsed = LocationArgument::parse(value, "--set-location");
    if (auto* problem = std::get_if<std::string>(&parsed))
        return *problem;
    options.location = std::get<LocationArgument>(std::move(parsed));
    return setCommand(options, Options::Command::setLocation);
}

Problem setRunLocation(Options& options, std::string_view value) {
    auto parsed = LocationArgument::parse(value, "--location");
    if (auto* problem = std::get_if<std::string>(&parsed))
        return *problem;
    options.runLocation = std::get<LocationArgument>(std::move(parsed));
    return std::nullopt;
}

const std::array<OptionRow, 8> kOptions{{
    {"forecast", "",
     "print today's sunrise and sunset (UTC), the sky\n"
     "mode now and the next change of sky, then exit",
     [](Options& o, std::string_view) { return setCommand(o, Options::Command::forecast); }},
    {"lat", "DEG",
     "latitude for --forecast instead of the stored\n"
     "place: -90 to 90, north positive; needs --lon",
     [](Options& o, std::string_view v) { return setDegrees(o.latitude, "--lat", v, 90); }},
    {"lon", "DEG",
     "longitude for --forecast: -180 to 180, east\n"
     "positive; needs --lat",
     [](Options& o, std::string_view v) { return setDegrees(o.longitude, "--lon", v, 180); }},
    {"at", "WHEN",
     "forecast for this moment instead of now: ISO 8601\n"
     "with Z or an offset, e.g. 2024-06-21T12:00:00+02:00",
     [](Options& o, std::string_view v) -> Problem {
         o.at = parseIso8601(v);
         if (!o.at)
             return "--at needs an ISO 8601 date-time with Z or +HH:MM, such as "
                    "2024-06-21T12:00:00+02:00, not " +
                    quoted(v);
         return std::nullopt;
     }},
    {"set-location", "TEXT",
     "store the place whose sky the saver shows, then\n"
     "exit: a city or ZIP code (\"Lisbon\", \"paris, tx\",\n"
     "\"10001\"; the best match is taken) or LAT,LON in\n"
     "degrees north and east (48.85,2.35)",
     setLocation},
    {"location", "TEXT",
     "the place for this run only (the saver's sky or\n"
     "--forecast), not stored: a city, a ZIP code or\n"
     "LAT,LON",
     setRunLocation},
    {"log-stderr", "",
     "copy the log to standard error (it always goes\n"
     "to syslog)",
     [](Options& o, std::string_view) -> Problem {
         o.logStderr = true;
         return std::nullopt;
     }},
    {"help", "", "show this help and exit",
     [](Options& o, std::string_view) { return setCommand(o, Options::Command::help); }},
}};

const OptionRow* find(std::string_view name) {
    for (const auto& row : kOptions)
        if (row.name == name)
            return &row;
    return nullptr;
}

Problem checkCombinations(const Options& options) {
    if (options.command == Options::Command::help)
        return std::nullopt;
    if (options.latitude.has_value() != options.longitude.has_value())
        return "--lat and --lon go together";
    if ((options.latitude || options.at) && options.command != Options::Command::forecast)
        return "--lat, --lon and --at go with --forecast";
    return std::nullopt;
}

// A run's own place is one place, and only for a run.
Problem checkRunLocation(const Options& options) {
    if (!options.runLocation || options.command == Options::Command::help)
        return std::nullopt;
    if (options.command == Options::Command::setLocation)
        return "--location is for one run; --set-location stores a place";
    if (options.latitude || options.longitude)
        return "--location and --lat/--lon cannot be used together";
    return std::nullopt;
}

} // namespace

std::variant<Options, std::string> Options::parse(const std::vector<std::string_view>& arguments) {
    Options options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view argument = arguments[i];
        std::string_view name = argument;
        if (name.starts_with("--"))
            name.remove_prefix(2);
        else if (name.starts_with("-"))
            name.remove_prefix(1);
        else
            return "unexpected argument " + quoted(argument) + " (see --help)";
        std::optional<std::string_view> value;
        if (const auto equals = name.find('='); equals != std::string_view::npos) {
            value = name.substr(equals + 1);
            name = name.substr(0, equals);
        }
        const OptionRow* row = find(name);
        if (!row)
            return "unknown option " + quoted(argument) + " (see --help)";
        const std::string display = "--" + std::string(row->name);
        if (row->valueName.empty() && value)
            return display + " takes no value";
        if (!row->valueName.empty() && !value) {
            if (i + 1 == arguments.size())
                return display + " needs a value: " + display + " " + std::string(row->valueName);
            value = arguments[++i];
        }
        if (auto problem = row->apply(options, value.value_or("")))
            return *problem;
    }
    if (auto problem = checkCombinations(options))
        return *problem;
    if (auto problem = checkRunLocation(options))
        return *problem;
    return options;
}

std::string Options::helpText() {
    std::string text = "Usage: aerolune [OPTION]...\n"
                       "Aerolune shows the sky of your place at this moment, from sunrise and\n"
                       "sunset computed on this machine for a place stored once.\n"
                       "\n"
                       "Options take one dash or two (-forecast is --forecast); a value follows\n"
                       "as the next argument or after '=' (--lat=48.85).\n"
                       "\n";
    constexpr std::size_t column = 26;
    for (const auto& row : kOptions) {
        std::string head = "  --" + std::string(row.name);
        if (!row.valueName.empty())
            head += " " + std::string(row.valueName);
        head += head.size() + 1 < column ? std::string(column - head.size(), ' ')
                                         : "\n" + std::string(column, ' ');
        std::string_view help = row.help;
        for (std::size_t line = 0; !help.empty(); ++line) {
            const auto end = help.find('\n');
            text += (line == 0 ? head : std::string(column, ' ')) +
                    std::string(help.substr(0, end)) + "\n";
            help = end == std::string_view::npos ? std::string_view{} : help.substr(end + 1);
        }
    }
    text += "\n"
            "The place is kept in $XDG_CONFIG_HOME/aerolune/AeroluneSaverPrefs.conf\n"
            "(~/.config/aerolune/ when XDG_CONFIG_HOME is not set).\n"
            "Exit status: 0 on success, 1 when a forecast cannot be made or the place\n"
            "cannot be found or stored, 2 when the options are wrong.\n";
    return text;
}

} // namespace aerolune
