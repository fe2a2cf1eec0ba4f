#include "desktop/DesktopBackground.h"

#include "desktop/GSettingsBackground.h"
#include "desktop/PlasmaBackground.h"
#include "desktop/XfconfBackground.h"
#include "platform/core/Localization.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace aerolune {
namespace {

std::string lower(std::string_view text) {
    std::string folded(text);
    std::transform(folded.begin(), folded.end(), folded.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return folded;
}

std::unique_ptr<DesktopBackground> forName(std::string_view name) {
    for (const char* gnome : {"gnome", "ubuntu", "budgie", "budgie-desktop", "pantheon", "unity",
                              "gnome-flashback", "gnome-classic"})
        if (name == gnome)
            return GSettingsBackground::gnome();
    if (name == "x-cinnamon" || name == "cinnamon")
        return GSettingsBackground::cinnamon();
    if (name == "mate")
        return GSettingsBackground::mate();
    if (name == "xfce")
        return std::make_unique<XfconfBackground>();
    if (name == "kde" || name == "plasma")
        return std::make_unique<PlasmaBackground>();
    return nullptr;
}

bool hasLayerShell(std::string_view name) {
    for (const char* desktop : {"sway", "hyprland", "river", "wlroots", "labwc", "wayfire", "niri"})
        if (name == desktop)
            return true;
    return false;
}

} // namespace

std::string DesktopBackground::knownNames() {
    // TRANSLATORS: the names --desktop takes; only the joining words change.
    return tr("gnome, cinnamon, mate, xfce or kde");
}

Result<std::unique_ptr<DesktopBackground>> DesktopBackground::forDesktop(std::string_view names) {
    std::string_view rest = names;
    std::string layerShell;
    while (!rest.empty()) {
        const auto colon = rest.find(':');
        const std::string name = lower(rest.substr(0, colon));
        rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
        if (auto desktop = forName(name))
            return desktop;
        if (layerShell.empty() && hasLayerShell(name))
            layerShell = name;
    }
    if (!layerShell.empty())
        return failure(Localization::format(
            tr("on %s the sky can be the wallpaper itself, live: run aerolune --layer background "
               "instead (there is no background picture to set)"),
            {layerShell}));
    if (names.empty())
        return failure(Localization::format(
            tr("cannot tell which desktop this is (XDG_CURRENT_DESKTOP is not set): name it with "
               "--desktop %s"),
            {knownNames()}));
    return failure(Localization::format(
        tr("cannot set the background of the desktop \"%s\": name one with --desktop %s"),
        {names, knownNames()}));
}

} // namespace aerolune
