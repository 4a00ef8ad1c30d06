#include "GioBackground.h"

#include <gio/gio.h>

namespace platform::gio {

bool SetTextKeys(const char* schemaId, const std::vector<const char*>& keys,
                 const std::string& value)
{
    // g_settings_new() aborts the process on a missing schema, so it is looked up first.
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    GSettingsSchema* schema =
        source ? g_settings_schema_source_lookup(source, schemaId, TRUE) : nullptr;
    if (!schema)
        return false;
    GSettings* settings = g_settings_new_full(schema, nullptr, nullptr);
    bool written = false;
    bool refused = false;
    for (const char* key : keys) {
        if (!g_settings_schema_has_key(schema, key))
            continue;
        if (g_settings_set_string(settings, key, value.c_str()))
            written = true;
        else
            refused = true;
    }
    g_settings_sync();
    g_object_unref(settings);
    g_settings_schema_unref(schema);
    return written && !refused;
}

std::string FileUri(const std::string& path)
{
    gchar* uri = g_filename_to_uri(path.c_str(), nullptr, nullptr);
    if (!uri)
        return {};
    std::string out(uri);
    g_free(uri);
    return out;
}

} // namespace platform::gio
