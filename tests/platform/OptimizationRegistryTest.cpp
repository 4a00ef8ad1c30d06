// The optimisation table and its backup against the registry binding: the Windows registry
// under wine (imported back with the system's own reg.exe), the registry store natively.

#include "../support/RegFileImport.h"
#include "PlatformUnderTest.h"
#include "TempDir.h"
#include "maintenance/OptimizationBackup.h"
#include "maintenance/OptimizationTable.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

namespace {

using platform::RawRegistryValue;
using platform::RegistryRoot;

const std::u16string kNameSpace =
    u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RemoteComputer\\NameSpace\\"
    u"{D6277990-4C6A-11CF-8D87-00AA0060F5BF}";

std::string narrow(const std::u16string& s)
{
    return std::string(s.begin(), s.end());
}

bool importBackup(platform::Registry& reg, const std::filesystem::path& file)
{
#ifdef _WIN32
    (void)reg;
    const std::wstring command = L"reg import \"" + file.wstring() + L"\" >NUL 2>&1";
    return _wsystem(command.c_str()) == 0;
#else
    return regfile::import(reg, regfile::decodeUtf16(readBytes(file)));
#endif
}

TEST(OptimizationRegistry, WritesTheWholeTableAndItsBackupPutsEverythingBack)
{
    TempDir dir;
    under_test::Registry reg{dir.path()};
    const auto table = OptimizationTable(2048, u"C:");

    // Some values the user had, some not there at all, and the key that is deleted.
    constexpr auto HKCU = RegistryRoot::CurrentUser;
    constexpr auto HKLM = RegistryRoot::LocalMachine;
    ASSERT_TRUE(reg.writeString(HKCU, u"Control Panel\\Desktop", u"MenuShowDelay", u"400"));
    ASSERT_TRUE(reg.writeString(HKCU, u"Control Panel\\Desktop", u"HungAppTimeout", u"a \"q\" \\"));
    ASSERT_TRUE(reg.writeNumber(HKLM, u"SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters",
                                u"DefaultTTL", 64));
    ASSERT_TRUE(reg.writeBinary(HKCU, u"Control Panel\\Desktop", u"UserPreferencesMask",
                                {0x9E, 0x3E, 0x07, 0x80, 0x12, 0, 0, 0}));
    reg.deleteValue(HKLM, u"SYSTEM\\CurrentControlSet\\Control\\Update", u"UpdateMode");
    ASSERT_TRUE(reg.writeString(HKLM, kNameSpace, u"", u"Scheduled Tasks"));

    std::vector<std::optional<RawRegistryValue>> before;
    for (const auto& group : table)
        for (const auto& value : group.values)
            before.push_back(reg.readRaw(group.root, group.path, value.first));

    const auto backup = dir.path() / "OptimizeBackup.reg";
    {
        const std::string bytes = RegistryFileBytes(OptimizationBackupText(reg, table));
        std::ofstream(backup, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
    }

    ASSERT_EQ(WriteOptimization(reg, table), std::nullopt);
    int values = 0;
    for (const auto& group : table)
        for (const auto& [name, value] : group.values) {
            ++values;
            EXPECT_EQ(reg.readValue(group.root, group.path, name), value) << narrow(name);
        }
    EXPECT_EQ(values, 44);
    EXPECT_FALSE(reg.openKey(HKLM, kNameSpace, false));

    ASSERT_TRUE(importBackup(reg, backup));
    std::size_t i = 0;
    for (const auto& group : table)
        for (const auto& value : group.values)
            EXPECT_EQ(reg.readRaw(group.root, group.path, value.first), before[i++])
                << narrow(group.path) << " " << narrow(value.first);
    EXPECT_EQ(reg.readValue(HKLM, kNameSpace, u""),
              platform::RegistryValue(std::u16string(u"Scheduled Tasks")));
    EXPECT_EQ(reg.readValue(HKLM, u"SYSTEM\\CurrentControlSet\\Control\\Update", u"UpdateMode"),
              std::nullopt);
}

} // namespace
