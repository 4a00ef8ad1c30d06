#include "maintenance/OptimizationTable.h"

#include <string>

namespace {

using platform::RegistryRoot;
using platform::RegistryValue;
using Bytes = std::vector<std::uint8_t>;

RegistryValue Text(const char16_t* text)
{
    return std::u16string(text);
}
RegistryValue Number(std::uint32_t n)
{
    return n;
}

std::u16string Decimal(std::uint64_t n)
{
    const std::string digits = std::to_string(n);
    return std::u16string(digits.begin(), digits.end());
}

} // namespace

std::u16string PagingFilesValue(std::uint64_t physicalMB, const std::u16string& systemDrive)
{
    return systemDrive + u"\\pagefile.sys " + Decimal(physicalMB + physicalMB / 2) + u" " +
           Decimal(2 * physicalMB);
}

std::vector<OptimizationGroup> OptimizationTable(std::uint64_t physicalMB,
                                                 const std::u16string& systemDrive)
{
    constexpr auto HKCU = RegistryRoot::CurrentUser;
    constexpr auto HKLM = RegistryRoot::LocalMachine;
    // Numbers in quotes are strings on purpose: Windows reads these values as text.
    return {
        {HKCU,
         u"Control Panel\\Desktop",
         {{u"AutoEndTasks", Text(u"1")},
          {u"HungAppTimeout", Text(u"200")},
          {u"WaitToKillAppTimeout", Text(u"1000")},
          {u"UserPreferencesMask", Bytes{0xBE, 0x12, 0x00, 0x80}},
          {u"MenuShowDelay", Text(u"0")}}},
        {HKCU, u"Control Panel\\Desktop\\WindowMetrics", {{u"MinAnimate", Text(u"0")}}},
        {HKCU,
         u"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced",
         {{u"ShowInfoTip", Number(0)}, {u"MapNetDrvBtn", Number(1)}}},
        // Directly under the root, without a Software level, as it always has been.
        {HKCU,
         u"Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer",
         {{u"MemCheckBoxInRunDlg", Number(1)}, {u"NoLowDiskSpaceChecks", Number(1)}}},
        {HKCU,
         u"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings",
         {{u"MaxConnectionsPerServer", Number(8)}, {u"MaxConnectionsPer1_0Server", Number(8)}}},
        {HKLM,
         u"SYSTEM\\CurrentControlSet\\Control",
         {{u"HungAppTimeout", Text(u"200")},
          {u"WaitToKillAppTimeout", Text(u"1000")},
          {u"WaitToKillServiceTimeout", Text(u"1000")}}},
        {HKLM,
         u"SYSTEM\\CurrentControlSet\\Services\\VXD\\MSTCP",
         {{u"DefauleRcvWindow", Number(6400)}, {u"DefaultTTL", Number(128)}}},
        {HKLM,
         u"SYSTEM\\CurrentControlSet\\Services\\Class\\NetTrans",
         {{u"MaxMTU", Text(u"576")}, {u"MaxMSS", Text(u"536")}}},
        {HKLM, u"SYSTEM\\ControlSet001\\Control", {{u"SystemStartOptions", Text(u"Nodetect")}}},
        {HKLM,
         u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer",
         {{u"AlwaysUNloadDLL", Number(1)}}},
        {HKLM, u"SOFTWARE\\Microsoft\\Dfrg\\BootOptimizeFunction", {{u"Enable", Text(u"Y")}}},
        {HKLM,
         u"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management",
         {{u"IoPageLockLimit", Number(128u * 1048576u)},
          {u"IoPageLimit", Number(0x8000)},
          {u"pagingFiles", PagingFilesValue(physicalMB, systemDrive)}}},
        {HKLM,
         u"SYSTEM\\CurrentControlSet\\Control\\Session Manager",
         {{u"AutoChkTimeOut", Number(3)}}},
        {HKLM,
         u"SYSTEM\\CurrentControlSet\\Control\\FileSystem",
         {{u"NaMeCache", Number(50)}, {u"ContigFileAllocSize", Number(500)}}},
        {HKLM,
         u"SYSTEM\\CurrentControlSet\\Services\\LanmanServer\\Parameters",
         {{u"AutoShareServer", Number(0)}, {u"AutoShareWks", Number(0)}}},
        {HKLM, u"SYSTEM\\CurrentControlSet\\Control\\Lsa", {{u"restrictanonymous", Number(1)}}},
        {HKLM,
         u"SYSTEM\\CurrentControlSet\\Services\\NetBT\\Parameters",
         {{u"SMBDeviceEnable", Number(0)}}},
        {HKLM,
         u"SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters",
         {{u"DefaultTTL", Number(128)},
          {u"EnablePMTUBHDetect", Number(0)},
          {u"EnablePMTUDiscovery", Number(1)},
          {u"GlobalMaxDupAcks", Number(0x7FFF)},
          {u"TcpMaxDupAcks", Number(2)},
          {u"SackOpts", Number(1)},
          {u"Tcp1323Opts", Number(1)},
          {u"TcpWindowSize", Number(0x7FFF)}}},
        {HKLM,
         u"SOFTWARE\\Policies\\Microsoft\\Windows\\Psched",
         {{u"NonBestEffortLimit", Number(0)}}},
        {HKLM, u"SYSTEM\\CurrentControlSet\\Control\\Update", {{u"UpdateMode", Number(0)}}},
        {HKLM,
         u"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory "
         u"Management\\PrefetchParameters",
         {{u"EnablePrefetcher", Number(5)}}},
        {HKLM,
         u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RemoteComputer\\NameSpace\\"
         u"{D6277990-4C6A-11CF-8D87-00AA0060F5BF}",
         {},
         true},
        {RegistryRoot::Users, u".DEFAULT\\Control Panel\\Desktop", {{u"AutoEndTasks", Text(u"1")}}},
    };
}

std::optional<std::u16string> WriteOptimization(platform::Registry& registry,
                                                const std::vector<OptimizationGroup>& table)
{
    for (const OptimizationGroup& group : table) {
        if (group.deleteKey) {
            registry.deleteKeyTree(group.root, group.path);
            continue;
        }
        // A key that cannot be made shows up as the refusal of its first value.
        registry.openKey(group.root, group.path, true);
        for (const auto& [name, value] : group.values) {
            bool written = false;
            if (const auto* text = std::get_if<std::u16string>(&value))
                written = registry.writeString(group.root, group.path, name, *text);
            else if (const auto* number = std::get_if<std::uint32_t>(&value))
                written = registry.writeNumber(group.root, group.path, name, *number);
            else
                written = registry.writeBinary(group.root, group.path, name,
                                               std::get<std::vector<std::uint8_t>>(value));
            if (!written)
                return name;
        }
    }
    return std::nullopt;
}
