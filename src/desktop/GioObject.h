#pragma once

// GLib's objects and values owned the C++ way: each let go with its own
// unref (or free) when its owner goes, so that no path through a function
// leaks one.

#include <gio/gio.h>
#include <memory>

namespace aerolune::gio {

struct Unref {
    void operator()(gpointer object) const { g_object_unref(object); }
    void operator()(GVariant* value) const { g_variant_unref(value); }
    void operator()(GError* error) const { g_error_free(error); }
    void operator()(GSettingsSchema* schema) const { g_settings_schema_unref(schema); }
    void operator()(GSettingsSchemaKey* key) const { g_settings_schema_key_unref(key); }
    void operator()(gchar* text) const { g_free(text); }
};

template <typename T> using Owned = std::unique_ptr<T, Unref>;

} // namespace aerolune::gio
