#include "desktop/GSettingsBackground.h"

#include "desktop/GioObject.h"
#include "platform/core/Localization.h"

// The backend's kind is asked for below; GIO keeps that part of its API apart.
#define G_SETTINGS_ENABLE_BACKEND
#include <cstring>
#include <gio/gsettingsbackend.h>

namespace aerolune {
namespace {

using gio::Owned;

constexpr const char* optionsKey = "picture-options";

Owned<GSettingsSchema> lookUp(const char* schema) {
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    return Owned<GSettingsSchema>(source ? g_settings_schema_source_lookup(source, schema, TRUE)
                                         : nullptr);
}

// dconf writes through the session's D-Bus and, without one, only warns that
// it could not: ask for the bus first, and say so plainly.
Result<void> checkBackend() {
    GSettingsBackend* backend = g_settings_backend_get_default();
    const bool dconf = std::strcmp(G_OBJECT_TYPE_NAME(backend), "DConfSettingsBackend") == 0;
    g_object_unref(backend);
    if (!dconf)
        return {};
    GError* raw = nullptr;
    Owned<GDBusConnection> bus(g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &raw));
    const Owned<GError> error(raw);
    if (!bus)
        return failure(Localization::format(
            tr("no D-Bus session to write the desktop's settings through (%s)"),
            {error ? error->message : "?"}));
    return {};
}

} // namespace

std::unique_ptr<GSettingsBackground> GSettingsBackground::gnome() {
    return std::unique_ptr<GSettingsBackground>(
        new GSettingsBackground("gnome", "GNOME", "org.gnome.desktop.background",
                                {{"picture-uri", Form::uri}, {"picture-uri-dark", Form::uri}}));
}

std::unique_ptr<GSettingsBackground> GSettingsBackground::cinnamon() {
    return std::unique_ptr<GSettingsBackground>(new GSettingsBackground(
        "cinnamon", "Cinnamon", "org.cinnamon.desktop.background", {{"picture-uri", Form::uri}}));
}

std::unique_ptr<GSettingsBackground> GSettingsBackground::mate() {
    return std::unique_ptr<GSettingsBackground>(new GSettingsBackground(
        "mate", "MATE", "org.mate.background", {{"picture-filename", Form::path}}));
}

std::vector<std::string> GSettingsBackground::keys() const {
    std::vector<std::string> keys;
    const auto schema = lookUp(schema_);
    for (const Key& key : pictureKeys_)
        if (schema && g_settings_schema_has_key(schema.get(), key.name))
            keys.push_back(key.name);
    if (schema && g_settings_schema_has_key(schema.get(), optionsKey))
        keys.push_back(optionsKey);
    return keys;
}

Result<void> GSettingsBackground::set(const std::filesystem::path& picture) {
    Setting values;
    for (const Key& key : pictureKeys_) {
        const Owned<gchar> uri(g_filename_to_uri(picture.c_str(), nullptr, nullptr));
        const std::string text = key.form == Form::uri ? (uri ? uri.get() : "") : picture.string();
        const Owned<GVariant> value(g_variant_ref_sink(g_variant_new_string(text.c_str())));
        const Owned<gchar> quoted(g_variant_print(value.get(), FALSE));
        values[key.name] = quoted.get();
    }
    values[optionsKey] = "'zoom'";
    return write(values);
}

Error GSettingsBackground::notInstalled() const {
    return failure(Localization::format(
        tr("the GSettings schema %s is not installed, so %s's background cannot be set"),
        {schema_, name_}));
}

Result<DesktopBackground::Setting> GSettingsBackground::current() {
    const auto schema = lookUp(schema_);
    if (!schema)
        return notInstalled();
    const Owned<GSettings> settings(g_settings_new_full(schema.get(), nullptr, nullptr));
    Setting setting;
    for (const std::string& key : keys()) {
        const Owned<GVariant> value(g_settings_get_value(settings.get(), key.c_str()));
        const Owned<gchar> text(g_variant_print(value.get(), FALSE));
        setting[key] = text.get();
    }
    return setting;
}

Result<void> GSettingsBackground::restore(const Setting& setting) {
    return write(setting);
}

Result<void> GSettingsBackground::write(const Setting& values) {
    const auto schema = lookUp(schema_);
    if (!schema)
        return notInstalled();
    if (auto backend = checkBackend(); !backend)
        return backend;
    const Owned<GSettings> settings(g_settings_new_full(schema.get(), nullptr, nullptr));
    // All at once or not at all, for anyone watching the keys.
    g_settings_delay(settings.get());
    for (const std::string& key : keys()) {
        const auto found = values.find(key);
        if (found == values.end())
            continue;
        const Owned<GSettingsSchemaKey> schemaKey(
            g_settings_schema_get_key(schema.get(), key.c_str()));
        GError* raw = nullptr;
        const Owned<GVariant> value(
            g_variant_parse(g_settings_schema_key_get_value_type(schemaKey.get()),
                            found->second.c_str(), nullptr, nullptr, &raw));
        const Owned<GError> error(raw);
        if (!value || !g_settings_schema_key_range_check(schemaKey.get(), value.get()))
            return failure(
                Localization::format(tr("%s's %s cannot take %s"), {name_, key, found->second}));
        if (!g_settings_set_value(settings.get(), key.c_str(), value.get()))
            return failure(Localization::format(
                tr("%s's %s is locked: the background cannot be set"), {name_, key}));
    }
    g_settings_apply(settings.get());
    g_settings_sync();
    return {};
}

} // namespace aerolune
