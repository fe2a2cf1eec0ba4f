#pragma once

// KDE Plasma's background, set with Plasma's own tool,
// plasma-apply-wallpaperimage FILE, which asks the running Plasma shell to
// show it on every desktop. What it showed before is read from the shell's
// configuration (the Image of the org.kde.image wallpaper in
// plasma-org.kde.plasma.desktop-appletsrc), the first desktop's.

#include "desktop/DesktopBackground.h"

namespace aerolune {

class PlasmaBackground : public DesktopBackground {
public:
    std::string name() const override { return "KDE Plasma"; }
    std::string id() const override { return "kde"; }
    Result<void> set(const std::filesystem::path& picture) override;
    Result<Setting> current() override;
    Result<void> restore(const Setting& setting) override;
};

} // namespace aerolune
