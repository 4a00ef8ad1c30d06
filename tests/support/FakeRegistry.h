#pragma once

#include "platform/Registry.h"

#include <map>
#include <tuple>
#include <vector>

//! A registry in memory that records string writes in order and can refuse one value name.
class FakeRegistry : public platform::Registry {
public:
    using Key = std::pair<std::u16string, std::u16string>; // key path, value name
    struct Write {
        std::u16string key, name, data;
        bool operator==(const Write&) const = default;
    };

    std::vector<Write> writes;
    std::map<Key, platform::RegistryValue> values;
    std::u16string refuse = u"\x01none";

    bool openKey(platform::RegistryRoot, const std::u16string&, bool) override { return true; }
    bool writeString(platform::RegistryRoot, const std::u16string& path, const std::u16string& name,
                     const std::u16string& data) override
    {
        if (name == refuse)
            return false;
        writes.push_back({path, name, data});
        values[{path, name}] = data;
        return true;
    }
    bool writeNumber(platform::RegistryRoot, const std::u16string& path, const std::u16string& name,
                     std::uint32_t data) override
    {
        values[{path, name}] = data;
        return true;
    }
    bool writeBinary(platform::RegistryRoot, const std::u16string& path, const std::u16string& name,
                     const std::vector<std::uint8_t>& data) override
    {
        values[{path, name}] = data;
        return true;
    }
    bool deleteValue(platform::RegistryRoot, const std::u16string& path,
                     const std::u16string& name) override
    {
        return values.erase({path, name}) > 0;
    }
    bool deleteKeyTree(platform::RegistryRoot, const std::u16string&) override { return true; }
    std::optional<platform::RegistryValue> readValue(platform::RegistryRoot,
                                                     const std::u16string& path,
                                                     const std::u16string& name) override
    {
        const auto it = values.find({path, name});
        if (it == values.end())
            return std::nullopt;
        return it->second;
    }

    //! The text value last written, or empty.
    std::u16string Text(const std::u16string& path, const std::u16string& name) const
    {
        const auto it = values.find({path, name});
        if (it == values.end())
            return {};
        const auto* s = std::get_if<std::u16string>(&it->second);
        return s ? *s : std::u16string();
    }
};
