#pragma once

#include "platform/Registry.h"
#include "platform/portable/AtomicFile.h"
#include "platform/portable/LastParse.h"

#include <filesystem>

namespace platform {

//! The registry kept as one REGEDIT4-style text file per root (UTF-8, so any name survives),
//! for example "HKEY_CURRENT_USER.reg" in the folder given. Keys compare without case; every
//! change rewrites the file atomically. Follows advapi32: opening or deleting what is not
//! there fails; writes create the key as RegCreateKeyExW would. Without `machineWritable`,
//! every change under HKEY_LOCAL_MACHINE is refused, as Windows refuses it to a user who is
//! not an administrator.
class RegistryStore : public Registry {
public:
    explicit RegistryStore(std::u16string directory, bool machineWritable = true,
                           const FileBytes& files = FileBytes::disk())
        : directory_(std::move(directory)), machineWritable_(machineWritable), files_(files)
    {
    }

    bool openKey(RegistryRoot root, const std::u16string& path, bool create) override;
    bool writeString(RegistryRoot root, const std::u16string& path, const std::u16string& name,
                     const std::u16string& data) override;
    bool writeNumber(RegistryRoot root, const std::u16string& path, const std::u16string& name,
                     std::uint32_t data) override;
    bool writeBinary(RegistryRoot root, const std::u16string& path, const std::u16string& name,
                     const std::vector<std::uint8_t>& data) override;
    bool deleteValue(RegistryRoot root, const std::u16string& path,
                     const std::u16string& name) override;
    bool deleteKeyTree(RegistryRoot root, const std::u16string& path) override;
    std::optional<RegistryValue> readValue(RegistryRoot root, const std::u16string& path,
                                           const std::u16string& name) override;

private:
    struct Tree;
    std::filesystem::path fileOf(RegistryRoot root) const;
    //! The root's file parsed; null when it cannot be read.
    std::shared_ptr<const Tree> parsed(RegistryRoot root) const;
    bool load(RegistryRoot root, Tree& tree) const;
    bool save(RegistryRoot root, const Tree& tree) const;
    bool write(RegistryRoot root, const std::u16string& path, const std::u16string& name,
               RegistryValue value);

    bool refused(RegistryRoot root) const
    {
        return root == RegistryRoot::LocalMachine && !machineWritable_;
    }

    std::filesystem::path directory_;
    bool machineWritable_;
    const FileBytes& files_;
    LastParse<Tree> last_;
};

//! The root's name as regedit writes it ("HKEY_CURRENT_USER").
const char* registryRootName(RegistryRoot root);

} // namespace platform
