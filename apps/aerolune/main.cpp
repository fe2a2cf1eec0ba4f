// The aerolune program: reads the options and runs the one command they name.

#include "aerolune/ForecastCommand.h"
#include "aerolune/Options.h"
#include "aerolune/RunLocation.h"
#include "aerolune/SaverCommand.h"
#include "aerolune/SetLocationCommand.h"
#include "aerolune/SimulateCommand.h"
#include "aerolune/SnapshotCommand.h"
#include "aerolune/WallpaperCommand.h"
#include "datafiles/DataDirectory.h"
#include "platform/core/Localization.h"
#include "platform/core/Log.h"
#include "platform/core/SyslogSink.h"

#include <iostream>
#include <memory>
#include <optional>

using namespace aerolune;

int main(int argc, char** argv) {
    // Numbers are read and written in the C locale's form whatever the language.
    Localization::start(DataDirectory::localeFolder(), Localization::Categories::messages);
    const std::vector<std::string_view> arguments(argv + 1, argv + argc);
    const auto parsed = Options::parse(arguments);
    if (!parsed) {
        std::cerr << "aerolune: " << parsed.error().message << '\n';
        return 2;
    }
    const Options& options = *parsed;
    if (options.logStderr)
        setLogSink(std::make_shared<SyslogSink>(SyslogSink::Echo::toStderr));
    // The saver is told to stop by a signal whenever its host likes, startup
    // included; the other commands end by themselves and keep the default.
    std::optional<SignalWatcher> signals;
    if (options.command == Options::Command::none || options.command == Options::Command::wallpaper)
        signals.emplace();

    if (options.command != Options::Command::help) {
        if (const auto status = RunLocation::apply(options, std::cerr))
            return *status;
    }

    switch (options.command) {
    case Options::Command::help:
        std::cout << Options::helpText();
        return 0;
    case Options::Command::forecast:
        return ForecastCommand::run(options, std::cout, std::cerr);
    case Options::Command::setLocation:
        return SetLocationCommand::run(options, std::cout, std::cerr);
    case Options::Command::snapshot:
        return SnapshotCommand::run(options, std::cerr);
    case Options::Command::wallpaper:
        return WallpaperCommand::run(options, *signals, std::cout, std::cerr);
    case Options::Command::simulate:
        return SimulateCommand::run(options, std::cout);
    case Options::Command::none:
        break;
    }
    return SaverCommand::run(options, *signals, std::cerr);
}
