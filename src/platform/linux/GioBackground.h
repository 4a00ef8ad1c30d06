#pragma once

#include <string>
#include <vector>

// Kept apart from Qt: the GLib headers and Qt's keywords do not mix in one unit.
namespace platform::gio {

//! Sets each of `keys` (text keys; those the schema lacks are left out) of `schema` to `value`
//! and waits until the settings backend has them. False when the schema is not installed,
//! has none of the keys, or a write is refused.
bool SetTextKeys(const char* schema, const std::vector<const char*>& keys,
                 const std::string& value);

//! The file:// address of an absolute path, as the desktops store pictures.
std::string FileUri(const std::string& path);

} // namespace platform::gio
