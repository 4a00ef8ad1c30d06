#pragma once

#include "platform/AutostartEntry.h"

#include <filesystem>

namespace platform {

//! $XDG_CONFIG_HOME/autostart/Quorlin.desktop (default ~/.config/autostart).
class XdgAutostart : public AutostartEntry {
public:
    //! Writes the command line `"<executable>" -Min` quoted by the Desktop Entry rules.
    void write(const std::u16string& executable) override;
    void remove() override;
    //! The Exec command line, as the desktop parses it (quotes and field-code escapes kept).
    std::optional<std::u16string> read() override;

    static std::filesystem::path entryPath();
};

} // namespace platform
