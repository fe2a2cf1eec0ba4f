// aerolune-settings: the settings window of Aerolune, where a person types a
// city or postal code, sees it on a map and saves it as the saver's place.

#include "ConfigWindow.h"
#include "MainLoopPoster.h"
#include "datafiles/DataDirectory.h"
#include "host/AeroluneSaverView.h"
#include "platform/core/Localization.h"
#include "sheet/ConfigureSheet.h"

#include <gtkmm/application.h>
#include <iostream>
#include <string_view>

using namespace aerolune;

namespace {

// TRANSLATORS: keep the option names (-verbose, --verbose, --help) and the
// file names as they are.
constexpr const char* kHelp =
    N_("Usage: aerolune-settings [OPTION]...\n"
       "Opens the settings window of Aerolune: type a city or a US ZIP code, press\n"
       "Return or Lookup, check the place on the map and its coordinates, and Save\n"
       "it as the place whose sky the saver shows. Places are looked up on this\n"
       "machine; nothing goes over the network.\n"
       "\n"
       "Options take one dash or two (-verbose is --verbose).\n"
       "\n"
       "  --verbose    print on standard output what the window shows, one line\n"
       "               each time it changes (for tests that drive the window)\n"
       "  --help       show this help and exit\n"
       "\n"
       "The place is kept in $XDG_CONFIG_HOME/aerolune/AeroluneSaverPrefs.conf, and\n"
       "the window's position and size in AeroluneWindowFrames.conf beside it\n"
       "(~/.config/aerolune/ when XDG_CONFIG_HOME is not set).\n"
       "Exit status: 0 when the window was saved, cancelled or closed, 1 when it\n"
       "could not be opened, 2 when the options are wrong.\n");

} // namespace

int main(int argc, char** argv) {
    // The toolkit's locale is set here, with a language whose locale is not
    // installed still followed; GTK must not set it again.
    Localization::start(DataDirectory::localeFolder(), Localization::Categories::all);
    gtk_disable_setlocale();
    bool verbose = false;
    for (int i = 1; i < argc; ++i) {
        std::string_view argument = argv[i];
        if (argument.starts_with("--"))
            argument.remove_prefix(1);
        if (argument == "-help") {
            std::cout << tr(kHelp);
            return 0;
        }
        if (argument != "-verbose") {
            std::cerr << "aerolune-settings: "
                      << Localization::format(tr("unknown option \"%s\" (see --help)"), {argv[i]})
                      << '\n';
            return 2;
        }
        verbose = true;
    }
    if (!gtk_init_check(nullptr, nullptr)) {
        std::cerr << "aerolune-settings: " << tr("cannot open the display") << '\n';
        return 1;
    }
    const auto application = Gtk::Application::create("", Gio::APPLICATION_NON_UNIQUE);
    ConfigWindow window(AeroluneSaverView::configureSheet(MainLoopPoster::poster()),
                        verbose ? &std::cout : nullptr);
    return application->run(window);
}
