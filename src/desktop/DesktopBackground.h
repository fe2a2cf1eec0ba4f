#pragma once

// The desktop's own background picture, set the way that desktop keeps it:
// GSettings for GNOME and its kin, Cinnamon and MATE, xfconf for Xfce,
// Plasma's wallpaper tool for KDE. Which desktop this is comes from
// $XDG_CURRENT_DESKTOP (a list such as "ubuntu:GNOME"), or a name given.
//
// Each can say what is set now, so that it can be put back later, and put it
// back. A desktop whose setting cannot be written (no schema, no D-Bus
// session, no tool) says why in one line.

#include "platform/core/Result.h"

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace aerolune {

class DesktopBackground {
public:
    // What was set: one value a key, as the desktop writes it.
    using Setting = std::map<std::string, std::string, std::less<>>;

    virtual ~DesktopBackground() = default;

    // "GNOME", "Xfce"...: the name used in messages.
    virtual std::string name() const = 0;
    // "gnome", "xfce"...: the name --desktop takes, kept with a saved setting.
    virtual std::string id() const = 0;
    // Makes `picture` (an absolute path) the background.
    virtual Result<void> set(const std::filesystem::path& picture) = 0;
    // What is set now.
    virtual Result<Setting> current() = 0;
    // Puts back what current() said.
    virtual Result<void> restore(const Setting& setting) = 0;

    // The desktop of the first name in `names` (a list separated by colons,
    // of any case) whose background can be set; or why none: a desktop that
    // shows the live sky itself (sway and the others with layer shell), or one
    // not known here.
    static Result<std::unique_ptr<DesktopBackground>> forDesktop(std::string_view names);
    // The names accepted by --desktop, for messages.
    static std::string knownNames();
};

} // namespace aerolune
