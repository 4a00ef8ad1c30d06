#include "maintenance/KeyOptimization.h"

#include "maintenance/OptimizationSystem.h"
#include "maintenance/OptimizationTable.h"
#include "platform/portable/RegistryStore.h"
#include "support/RegFileImport.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using platform::RegistryRoot;
using platform::RegistryValue;
using Bytes = std::vector<std::uint8_t>;
constexpr auto HKCU = RegistryRoot::CurrentUser;
constexpr auto HKLM = RegistryRoot::LocalMachine;
constexpr auto HKU = RegistryRoot::Users;

//! Records every change on its way to the store below.
class RecordingRegistry : public platform::RegistryStore {
public:
    using RegistryStore::RegistryStore;
    QStringList changes;

    bool writeString(RegistryRoot root, const std::u16string& path, const std::u16string& name,
                     const std::u16string& data) override
    {
        changes << Line(root, path, name) + " = sz " + QString::fromStdU16String(data);
        return RegistryStore::writeString(root, path, name, data);
    }
    bool writeNumber(RegistryRoot root, const std::u16string& path, const std::u16string& name,
                     std::uint32_t data) override
    {
        changes << Line(root, path, name) + " = dword " + QString::number(data);
        return RegistryStore::writeNumber(root, path, name, data);
    }
    bool writeBinary(RegistryRoot root, const std::u16string& path, const std::u16string& name,
                     const Bytes& data) override
    {
        QByteArray hex =
            QByteArray(reinterpret_cast<const char*>(data.data()), qsizetype(data.size()))
                .toHex(' ');
        changes << Line(root, path, name) + " = hex " + QString::fromLatin1(hex);
        return RegistryStore::writeBinary(root, path, name, data);
    }
    bool deleteKeyTree(RegistryRoot root, const std::u16string& path) override
    {
        changes << "delete " + Line(root, path, u"");
        return RegistryStore::deleteKeyTree(root, path);
    }

private:
    static QString Line(RegistryRoot root, const std::u16string& path, const std::u16string& name)
    {
        const char* roots[] = {"HKCR", "HKCU", "HKLM", "HKU", "HKCC"};
        QString out =
            QString::fromLatin1(roots[int(root)]) + '\\' + QString::fromStdU16String(path);
        if (!name.empty())
            out += " " + QString::fromStdU16String(name);
        return out;
    }
};

const QString kQuestion =
    QStringLiteral("一键优化完成!需要重新启动您的电脑才能发挥性能!\n是否现在重启?");

class KeyOptimizationTest : public ::testing::Test {
protected:
    TestEnvironment env;
    RecordingRegistry* registry = nullptr;

    void UseRegistry(bool administrator)
    {
        auto store = std::make_unique<RecordingRegistry>(
            (env.ProgramDir() + "registry").toStdU16String(), administrator);
        registry = store.get();
        env.platform.registry = std::move(store);
    }
    KeyOptimizationTest()
    {
        env.platform.windowsRegistry = true; // the table tunes Windows only
        UseRegistry(true);
        env.systemInfo->memoryStatus.totalPhysical = 2048ull * 1024 * 1024;
    }
    void Press()
    {
        QTest::mouseClick(env.Feature<KeyOptimization>().KeyOptimizationButton, Qt::LeftButton);
    }
    QString BackupPath() const { return env.ProgramDir() + "OptimizeBackup.reg"; }
};

TEST_F(KeyOptimizationTest, WritesTheWholeTableInOrderThenAsksToRestart)
{
    const QString desktop = "HKCU\\Control Panel\\Desktop";
    const QString currentUser = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\";
    const QString policies = "HKCU\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer ";
    const QString control = "HKLM\\SYSTEM\\CurrentControlSet\\Control";
    const QString memory = control + "\\Session Manager\\Memory Management";
    const QString services = "HKLM\\SYSTEM\\CurrentControlSet\\Services\\";
    const QString tcpip = services + "Tcpip\\Parameters ";
    const QString lanman = services + "LanmanServer\\Parameters ";
    const std::u16string nameSpace =
        u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RemoteComputer\\NameSpace\\"
        u"{D6277990-4C6A-11CF-8D87-00AA0060F5BF}";
    const QStringList expected = {
        desktop + " AutoEndTasks = sz 1",
        desktop + " HungAppTimeout = sz 200",
        desktop + " WaitToKillAppTimeout = sz 1000",
        desktop + " UserPreferencesMask = hex be 12 00 80",
        desktop + " MenuShowDelay = sz 0",
        desktop + "\\WindowMetrics MinAnimate = sz 0",
        currentUser + "Explorer\\Advanced ShowInfoTip = dword 0",
        currentUser + "Explorer\\Advanced MapNetDrvBtn = dword 1",
        policies + "MemCheckBoxInRunDlg = dword 1",
        policies + "NoLowDiskSpaceChecks = dword 1",
        currentUser + "Internet Settings MaxConnectionsPerServer = dword 8",
        currentUser + "Internet Settings MaxConnectionsPer1_0Server = dword 8",
        control + " HungAppTimeout = sz 200",
        control + " WaitToKillAppTimeout = sz 1000",
        control + " WaitToKillServiceTimeout = sz 1000",
        services + "VXD\\MSTCP DefauleRcvWindow = dword 6400",
        services + "VXD\\MSTCP DefaultTTL = dword 128",
        services + "Class\\NetTrans MaxMTU = sz 576",
        services + "Class\\NetTrans MaxMSS = sz 536",
        "HKLM\\SYSTEM\\ControlSet001\\Control SystemStartOptions = sz Nodetect",
        "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer AlwaysUNloadDLL = dword 1",
        "HKLM\\SOFTWARE\\Microsoft\\Dfrg\\BootOptimizeFunction Enable = sz Y",
        memory + " IoPageLockLimit = dword 134217728",
        memory + " IoPageLimit = dword 32768",
        memory + " pagingFiles = sz C:\\pagefile.sys 3072 4096",
        control + "\\Session Manager AutoChkTimeOut = dword 3",
        control + "\\FileSystem NaMeCache = dword 50",
        control + "\\FileSystem ContigFileAllocSize = dword 500",
        lanman + "AutoShareServer = dword 0",
        lanman + "AutoShareWks = dword 0",
        control + "\\Lsa restrictanonymous = dword 1",
        services + "NetBT\\Parameters SMBDeviceEnable = dword 0",
        tcpip + "DefaultTTL = dword 128",
        tcpip + "EnablePMTUBHDetect = dword 0",
        tcpip + "EnablePMTUDiscovery = dword 1",
        tcpip + "GlobalMaxDupAcks = dword 32767",
        tcpip + "TcpMaxDupAcks = dword 2",
        tcpip + "SackOpts = dword 1",
        tcpip + "Tcp1323Opts = dword 1",
        tcpip + "TcpWindowSize = dword 32767",
        "HKLM\\SOFTWARE\\Policies\\Microsoft\\Windows\\Psched NonBestEffortLimit = dword 0",
        control + "\\Update UpdateMode = dword 0",
        memory + "\\PrefetchParameters EnablePrefetcher = dword 5",
        "delete HKLM\\" + QString::fromStdU16String(nameSpace),
        "HKU\\.DEFAULT\\Control Panel\\Desktop AutoEndTasks = sz 1",
    };
    ASSERT_TRUE(registry->writeString(HKLM, nameSpace + u"\\Sub", u"v", u"x"));
    registry->changes.clear();
    env.Start<KeyOptimization>();
    for (const bool yes : {false, true}) {
        registry->changes.clear();
        env.ui.Clear();
        env.ui.yesNoAnswers = {yes};
        Press();
        EXPECT_EQ(registry->changes, expected); // the second press writes the same again
        EXPECT_EQ(registry->changes.size(), 45);
        ASSERT_EQ(env.ui.Texts("yesno").size(), 1);
        EXPECT_TRUE(env.ui.Texts("yesno")[0].startsWith(kQuestion));
        EXPECT_TRUE(env.ui.Texts("yesno")[0].contains(BackupPath()));
        EXPECT_EQ(env.ui.Count("error"), 0);
        EXPECT_EQ(env.power->requests, yes ? std::vector<unsigned>{1} : std::vector<unsigned>{});
    }
    EXPECT_FALSE(registry->openKey(HKLM, nameSpace, false));
    EXPECT_EQ(registry->readValue(HKLM, u"SYSTEM\\ControlSet001\\Control", u"SystemStartOptions"),
              RegistryValue(std::u16string(u"Nodetect")));
}

TEST_F(KeyOptimizationTest, WithoutAdministratorItStopsAtTheFirstMachineValue)
{
    UseRegistry(false);
    env.Start<KeyOptimization>();
    Press();
    ASSERT_EQ(env.ui.Texts("error").size(), 1);
    EXPECT_TRUE(env.ui.Texts("error")[0].contains("HungAppTimeout"));
    EXPECT_EQ(env.ui.Count("yesno"), 0);
    EXPECT_TRUE(env.power->requests.empty());
    ASSERT_EQ(registry->changes.size(), 13);
    EXPECT_TRUE(registry->changes.last().startsWith("HKLM\\SYSTEM\\CurrentControlSet\\Control "
                                                    "HungAppTimeout"));
    EXPECT_EQ(registry->readValue(HKCU, u"Control Panel\\Desktop", u"MenuShowDelay"),
              RegistryValue(std::u16string(u"0")));
    EXPECT_EQ(registry->readValue(HKU, u".DEFAULT\\Control Panel\\Desktop", u"AutoEndTasks"),
              std::nullopt);
}

TEST_F(KeyOptimizationTest, PagingFileIsSizedFromThe64BitMemoryCount)
{
    const struct {
        std::uint64_t bytes;
        const char16_t* windows;
        const char16_t* value;
    } rows[] = {
        {1023ull << 20, nullptr, u"C:\\pagefile.sys 1534 2046"},
        {(1024ull << 20) + (1 << 20) - 1, nullptr, u"C:\\pagefile.sys 1536 2048"},
        {2048ull << 20, u"D:\\WINDOWS", u"D:\\pagefile.sys 3072 4096"},
        {16ull << 30, u"c:\\Windows", u"C:\\pagefile.sys 24576 32768"},
        {6ull << 40, nullptr, u"C:\\pagefile.sys 9437184 12582912"},
    };
    env.Start<KeyOptimization>();
    for (const auto& row : rows) {
        env.systemInfo->memoryStatus.totalPhysical = row.bytes;
        if (row.windows)
            qputenv("SystemRoot", QString::fromUtf16(row.windows).toUtf8());
        else
            qunsetenv("SystemRoot");
        Press();
        EXPECT_EQ(registry->readValue(
                      HKLM,
                      u"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management",
                      u"pagingFiles"),
                  RegistryValue(std::u16string(row.value)));
    }
    qunsetenv("SystemRoot");
}

TEST_F(KeyOptimizationTest, TheFileTheQuestionNamesFirstRestoresTheSystemAsItWas)
{
    // What the user had: some values of other kinds and contents, most not there at all.
    ASSERT_TRUE(registry->writeString(HKCU, u"Control Panel\\Desktop", u"MenuShowDelay", u"400"));
    ASSERT_TRUE(registry->writeNumber(HKCU, u"Control Panel\\Desktop", u"AutoEndTasks", 7));
    ASSERT_TRUE(registry->writeString(HKLM, u"SYSTEM\\CurrentControlSet\\Control\\Lsa",
                                      u"restrictanonymous", u"\"0\" \\ 说明"));
    ASSERT_TRUE(registry->writeBinary(HKU, u".DEFAULT\\Control Panel\\Desktop", u"AutoEndTasks",
                                      Bytes{1, 2, 3}));
    const auto snapshot = [this] {
        std::vector<std::optional<RegistryValue>> values;
        for (const auto& group : OptimizationTable(2048, u"C:"))
            for (const auto& value : group.values)
                values.push_back(registry->readValue(group.root, group.path, value.first));
        return values;
    };
    const auto original = snapshot();
    env.Start<KeyOptimization>();
    Press();
    Press();
    Press();
    EXPECT_EQ(env.ui.Count("error"), 0);
    ASSERT_EQ(env.ui.Count("yesno"), 3);
    const QString second = env.ProgramDir() + "OptimizeBackup-2.reg";
    const QString third = env.ProgramDir() + "OptimizeBackup-3.reg";
    EXPECT_TRUE(QFile::exists(second));
    EXPECT_TRUE(QFile::exists(third));
    EXPECT_FALSE(QFile::exists(env.ProgramDir() + "OptimizeBackup-1.reg"));
    // Each question names the first file as the way back; a later one also its own file.
    EXPECT_FALSE(env.ui.Texts("yesno")[0].contains("OptimizeBackup-"));
    EXPECT_TRUE(env.ui.Texts("yesno")[2].contains("第一次优化之前的设置保存在 " + BackupPath()));
    EXPECT_TRUE(env.ui.Texts("yesno")[2].contains("本次优化之前的设置保存在 " + third));
    EXPECT_NE(snapshot(), original);

    QFile file(BackupPath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    ASSERT_TRUE(bytes.startsWith("\xFF\xFE"));
    const std::u16string text = regfile::decodeUtf16(bytes.toStdString());
    EXPECT_NE(text.find(u"\"UpdateMode\"=-\r\n"), std::u16string::npos);
    EXPECT_NE(text.find(u"\"MenuShowDelay\"=\"400\"\r\n"), std::u16string::npos);
    ASSERT_TRUE(regfile::import(*registry, text));
    EXPECT_EQ(snapshot(), original);
}

TEST_F(KeyOptimizationTest, BackupsOfEarlierVersionsAreRenamedSoTheFirstIsUnnumbered)
{
    // Two presses of an earlier version: the originals in "-1", the latest unnumbered.
    env.WriteProgramFile("OptimizeBackup-1.reg", "originals");
    env.WriteProgramFile("OptimizeBackup.reg", "before the second press");
    env.Start<KeyOptimization>();
    Press();
    EXPECT_EQ(env.ReadProgramFile("OptimizeBackup.reg"), "originals");
    EXPECT_EQ(env.ReadProgramFile("OptimizeBackup-2.reg"), "before the second press");
    EXPECT_FALSE(QFile::exists(env.ProgramDir() + "OptimizeBackup-1.reg"));
    ASSERT_EQ(env.ui.Count("yesno"), 1);
    EXPECT_TRUE(env.ui.Texts("yesno")[0].contains(env.ProgramDir() + "OptimizeBackup-3.reg"));
}

TEST_F(KeyOptimizationTest, WhereTheRegistryIsNotWindowsTheButtonIsOffAndNothingHappens)
{
    env.platform.windowsRegistry = false;
    KeyOptimization& f = env.Start<KeyOptimization>();
    EXPECT_FALSE(f.KeyOptimizationButton->isEnabled());
    EXPECT_EQ(f.KeyOptimizationButton->toolTip(), "此功能仅适用于 Windows 系统");
    env.ui.yesNoAnswers = {true};
    Press();
    f.KeyOptimizationButtonClick();
    EXPECT_TRUE(registry->changes.isEmpty());
    EXPECT_TRUE(env.ui.calls.empty());
    EXPECT_TRUE(env.power->requests.empty());
    EXPECT_FALSE(QFile::exists(BackupPath()));
}

TEST_F(KeyOptimizationTest, NoBackupNoChange)
{
    // The backup's place is taken by a folder that is not ours: it cannot be written.
    QFile::remove(BackupPath());
    ASSERT_TRUE(QDir(env.ProgramDir()).mkpath("OptimizeBackup.reg/locked"));
    env.Start<KeyOptimization>();
    Press();
    ASSERT_EQ(env.ui.Count("error"), 1);
    EXPECT_TRUE(env.ui.Texts("error")[0].contains("OptimizeBackup"));
    EXPECT_TRUE(registry->changes.isEmpty());
    EXPECT_EQ(env.ui.Count("yesno"), 0);
}

} // namespace
