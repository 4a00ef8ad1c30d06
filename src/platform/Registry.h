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

//! A value exactly as stored: its registry type number (REG_SZ 1, REG_EXPAND_SZ 2,
//! REG_BINARY 3, REG_DWORD 4, REG_MULTI_SZ 7, ...) and its bytes, strings as UTF-16LE with
//! their terminator. What a backup needs to put any value back as it was.
struct RawRegistryValue {
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
    bool operator==(const RawRegistryValue&) const = default;
};

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
    //! The value with its true type. A store that holds only the three kinds above
    //! derives it from readValue.
    virtual std::optional<RawRegistryValue> readRaw(RegistryRoot root, const std::u16string& path,
                                                    const std::u16string& name)
    {
        const auto value = readValue(root, path, name);
        if (!value)
            return std::nullopt;
        RawRegistryValue raw;
        if (const auto* text = std::get_if<std::u16string>(&*value)) {
            raw.type = 1;
            for (const char16_t c : *text + u'\0') {
                raw.data.push_back(std::uint8_t(c & 0xFF));
                raw.data.push_back(std::uint8_t(c >> 8));
            }
        } else if (const auto* number = std::get_if<std::uint32_t>(&*value)) {
            raw.type = 4;
            for (int shift = 0; shift < 32; shift += 8)
                raw.data.push_back(std::uint8_t(*number >> shift));
        } else {
            raw.type = 3;
            raw.data = std::get<std::vector<std::uint8_t>>(*value);
        }
        return raw;
    }
};

} // namespace platform
