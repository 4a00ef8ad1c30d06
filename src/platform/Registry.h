#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace platform {

enum class RegistryRoot { ClassesRoot, CurrentUser, LocalMachine, Users, CurrentConfig };

//! A registry value as stored: text (REG_SZ), number (REG_DWORD) or bytes (REG_BINARY).
using RegistryValue = std::variant<std::u16string, std::uint32_t, std::vector<std::uint8_t>>;

//! Registry operations. Key paths use backslashes and no leading backslash
//! ("Software\\Microsoft\\Windows\\CurrentVersion\\Run"); an empty value name is the
//! key's default value. Every call returns false when the system refuses it.
class Registry {
public:
    virtual ~Registry() = default;

    //! Opens the key, creating it (and its parents) when `create` is set.
    virtual bool openKey(RegistryRoot root, const std::u16string& path, bool create) = 0;
    //! The writes create the key (and its parents) as needed.
    virtual bool writeString(RegistryRoot root, const std::u16string& path,
                             const std::u16string& name, const std::u16string& data) = 0;
    virtual bool writeNumber(RegistryRoot root, const std::u16string& path,
                             const std::u16string& name, std::uint32_t data) = 0;
    virtual bool writeBinary(RegistryRoot root, const std::u16string& path,
                             const std::u16string& name, const std::vector<std::uint8_t>& data) = 0;
    virtual bool deleteValue(RegistryRoot root, const std::u16string& path,
                             const std::u16string& name) = 0;
    //! Deletes the key with all its subkeys and values. An empty path (the whole root) is refused.
    virtual bool deleteKeyTree(RegistryRoot root, const std::u16string& path) = 0;
    virtual std::optional<RegistryValue> readValue(RegistryRoot root, const std::u16string& path,
                                                   const std::u16string& name) = 0;
};

} // namespace platform
