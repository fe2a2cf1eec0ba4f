#include "desktop/XfconfBackground.h"

#include "desktop/GioObject.h"
#include "platform/core/Localization.h"

#include <string_view>

namespace aerolune {
namespace {

using gio::Owned;

constexpr const char* channel = "xfce4-desktop";
constexpr std::string_view imageProperty = "/last-image";

// A call to xfconfd, or why it failed; nothing when the property asked for
// does not exist.
Result<Owned<GVariant>> call(const char* method, GVariant* arguments, const GVariantType* reply) {
    GError* raw = nullptr;
    Owned<GDBusConnection> bus(g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &raw));
    if (!bus) {
        const Owned<GError> error(raw);
        g_variant_unref(g_variant_ref_sink(arguments));
        return failure(Localization::format(
            tr("no D-Bus session to reach Xfce's settings through (%s)"), {error->message}));
    }
    Owned<GVariant> result(g_dbus_connection_call_sync(
        bus.get(), "org.xfce.Xfconf", "/org/xfce/Xfconf", "org.xfce.Xfconf", method, arguments,
        reply, G_DBUS_CALL_FLAGS_NONE, 10000, nullptr, &raw));
    if (!result) {
        const Owned<GError> error(raw);
        const Owned<gchar> remote(g_dbus_error_get_remote_error(error.get()));
        if (remote && std::string_view(remote.get()) == "org.xfce.Xfconf.Error.PropertyNotFound")
            return Owned<GVariant>();
        return failure(Localization::format(tr("Xfce's settings (xfconfd) cannot be reached: %s"),
                                            {error->message}));
    }
    return result;
}

// Every last-image property under /backdrop, with its value.
Result<DesktopBackground::Setting> images() {
    auto reply = call("GetAllProperties", g_variant_new("(ss)", channel, "/backdrop"),
                      G_VARIANT_TYPE("(a{sv})"));
    if (!reply)
        return reply.error();
    DesktopBackground::Setting found;
    const Owned<GVariant> all(*reply ? g_variant_get_child_value(reply->get(), 0) : nullptr);
    GVariantIter iter;
    if (all)
        g_variant_iter_init(&iter, all.get());
    const gchar* property = nullptr;
    GVariant* raw = nullptr;
    while (all && g_variant_iter_next(&iter, "{&sv}", &property, &raw)) {
        const Owned<GVariant> value(raw);
        if (std::string_view(property).ends_with(imageProperty) &&
            g_variant_is_of_type(value.get(), G_VARIANT_TYPE_STRING))
            found[property] = g_variant_get_string(value.get(), nullptr);
    }
    if (found.empty())
        return failure(tr("Xfce has no background images to set yet (no last-image under "
                          "/backdrop in xfce4-desktop): open Desktop in Xfce's settings once"));
    return found;
}

Result<void> setImage(const std::string& property, const std::string& path) {
    auto reply =
        call("SetProperty",
             g_variant_new("(ssv)", channel, property.c_str(), g_variant_new_string(path.c_str())),
             nullptr);
    if (!reply)
        return reply.error();
    return {};
}

} // namespace

Result<void> XfconfBackground::set(const std::filesystem::path& picture) {
    auto found = images();
    if (!found)
        return found.error();
    for (const auto& [property, old] : *found)
        if (auto set = setImage(property, picture.string()); !set)
            return set;
    return {};
}

Result<DesktopBackground::Setting> XfconfBackground::current() {
    return images();
}

Result<void> XfconfBackground::restore(const Setting& setting) {
    for (const auto& [property, path] : setting)
        if (std::string_view(property).ends_with(imageProperty))
            if (auto set = setImage(property, path); !set)
                return set;
    return {};
}

} // namespace aerolune
