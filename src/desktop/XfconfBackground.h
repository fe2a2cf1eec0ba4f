#pragma once

// Xfce's background: the "last-image" properties of the xfce4-desktop
// channel, one for each monitor and workspace under /backdrop, held by
// xfconfd and reached over the session's D-Bus (org.xfce.Xfconf), which
// starts xfconfd when it is not running. Every one of them gets the picture,
// so that it shows on every monitor and workspace.

#include "desktop/DesktopBackground.h"

#include <vector>

namespace aerolune {

class XfconfBackground : public DesktopBackground {
public:
    std::string name() const override { return "Xfce"; }
    std::string id() const override { return "xfce"; }
    Result<void> set(const std::filesystem::path& picture) override;
    Result<Setting> current() override;
    Result<void> restore(const Setting& setting) override;
};

} // namespace aerolune
