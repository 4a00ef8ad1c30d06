#pragma once

#include "platform/Registry.h"

namespace platform {

//! The advapi32 registry functions.
class WinRegistry : public Registry {
public:
    bool openKey(RegistryRoot root, const std::u16string& path, bool create) override;
    bool writeString(RegistryRoot root, const std::u16string& path, const std::u16string& name,
                     const std::u16string& data) override;
    bool writeNumber(RegistryRoot root, const std::u16string& path, const std::u16string& name,
                     std::uint32_t data) override;
    bool writeBinary(RegistryRoot root, const std::u16string& path, const std::u16string& name,
                     const std::vector<std::uint8_t>& data) override;
    bool deleteValue(RegistryRoot root, const std::u16string& path,
                     const std::u16string& name) override;
    //! Refuses an empty path, which would delete every key under the root.
    bool deleteKeyTree(RegistryRoot root, const std::u16string& path) override;
    std::optional<RegistryValue> readValue(RegistryRoot root, const std::u16string& path,
                                           const std::u16string& name) override;
    std::optional<RawRegistryValue> readRaw(RegistryRoot root, const std::u16string& path,
                                            const std::u16string& name) override;
};

} // namespace platform
