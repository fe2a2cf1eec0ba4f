#include "desktop/PlasmaBackground.h"

#include "desktop/GioObject.h"
#include "platform/core/XdgFolder.h"
#include "platform/core/Localization.h"

#include <fstream>
#include <optional>

namespace aerolune {
namespace {

using gio::Owned;

constexpr const char* tool = "plasma-apply-wallpaperimage";

std::optional<std::filesystem::path> configurationFile() {
    const auto home = XdgFolder::configHome();
    if (!home)
        return std::nullopt;
    return *home / "plasma-org.kde.plasma.desktop-appletsrc";
}

// The first Image= of an image wallpaper's [General] group.
std::optional<std::string> shownImage() {
    const auto path = configurationFile();
    if (!path)
        return std::nullopt;
    std::ifstream file(*path);
    bool inGroup = false;
    for (std::string line; std::getline(file, line);) {
        if (line.starts_with("["))
            inGroup = line.starts_with("[Containments]") &&
                      line.ends_with("[Wallpaper][org.kde.image][General]");
        else if (inGroup && line.starts_with("Image="))
            return line.substr(6);
    }
    return std::nullopt;
}

} // namespace

Result<void> PlasmaBackground::set(const std::filesystem::path& picture) {
    const std::string file = picture.string();
    const char* argv[] = {tool, file.c_str(), nullptr};
    gchar* out = nullptr;
    gchar* err = nullptr;
    gint status = 0;
    GError* raw = nullptr;
    const bool ran = g_spawn_sync(nullptr, const_cast<gchar**>(argv), nullptr, G_SPAWN_SEARCH_PATH,
                                  nullptr, nullptr, &out, &err, &status, &raw);
    const Owned<gchar> output(out), errors(err);
    const Owned<GError> error(raw);
    if (!ran)
        return failure(Localization::format(
            tr("%s cannot be run (%s): it comes with KDE Plasma (package plasma-workspace)"),
            {tool, error->message}));
    if (!g_spawn_check_wait_status(status, nullptr)) {
        std::string why = errors && *errors.get() ? errors.get() : output ? output.get() : "";
        why = why.substr(0, why.find('\n'));
        return failure(why.empty() ? Localization::format(tr("%s failed"), {tool})
                                   : Localization::format(tr("%s failed: %s"), {tool, why}));
    }
    return {};
}

Result<DesktopBackground::Setting> PlasmaBackground::current() {
    Setting setting;
    if (const auto image = shownImage())
        setting["Image"] = *image;
    return setting;
}

Result<void> PlasmaBackground::restore(const Setting& setting) {
    const auto found = setting.find("Image");
    if (found == setting.end())
        return failure(
            tr("KDE Plasma's earlier background is not known: choose one in its settings"));
    std::string path = found->second;
    if (path.starts_with("file://")) {
        const Owned<gchar> local(g_filename_from_uri(path.c_str(), nullptr, nullptr));
        if (local)
            path = local.get();
    }
    return set(path);
}

} // namespace aerolune
