#pragma once

#include "platform/AutostartEntry.h"
#include "platform/Registry.h"

namespace platform {

//! The "Quorlin" value of HKCU\Software\Microsoft\Windows\CurrentVersion\Run.
class RegistryAutostart : public AutostartEntry {
public:
    explicit RegistryAutostart(Registry& registry) : registry_(registry) {}

    //! Stores "\"<executable>\" -Min": unquoted, a path with spaces would start another program.
    void write(const std::u16string& executable) override;
    void remove() override;
    std::optional<std::u16string> read() override;

private:
    Registry& registry_;
};

} // namespace platform
