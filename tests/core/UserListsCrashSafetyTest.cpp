#include "support/KilledRewrites.h"
#include "support/TestEnvironment.h"

#include "appearance/SystemTheme.h"
#include "core/ListFile.h"
#include "platform/portable/RegistryStore.h"
#include "programs/AutoRunPrograms.h"
#include "programs/DisbleProcesses.h"

#include <gtest/gtest.h>

#include <QStringEncoder>
#include <QTableWidget>

#include <iostream>

namespace {

// What one kind of rewrite needs: the file it rewrites and a step to the new content and
// back, through the code a user's click runs or the list layer under it.
struct Rewrites {
    QString path;
    std::function<void(bool)> rewrite;
    int rounds = 250;
};

struct ListRow {
    const char* name;
    std::function<Rewrites(TestEnvironment&)> start;
};

void PrintTo(const ListRow& row, std::ostream* out)
{
    *out << row.name;
}

QString Lines(const QString& line, int count, const char* end)
{
    QString text;
    for (int i = 0; i < count; ++i)
        text += line.arg(i) + QString::fromLatin1(end);
    return text;
}

// Deleting the last program and adding it again: 200 lines, then 199, then 200 again.
Rewrites StartupPrograms(TestEnvironment& env)
{
    env.WriteProgramFile("AutoRunApplication", Lines("/opt/工具/程序 %1", 200, "\n"));
    AutoRunPrograms& f = env.Start<AutoRunPrograms>();
    return {f.ListPath(), [&env, &f](bool toNew) {
                const int last = f.AutoRunStringGrid->rowCount() - 1;
                if (toNew) {
                    f.DeleteAutoRunRow(last);
                } else {
                    env.ui.fileAnswers = {QStringLiteral("/opt/工具/程序 199")};
                    f.AddAutoRunButtonClick();
                }
            }};
}

Rewrites BlockedPrograms(TestEnvironment& env)
{
    QDir().mkpath(env.ProgramDir());
    QFile list(env.ProgramDir() + "DisbleProcessList");
    list.open(QIODevice::WriteOnly);
    list.write(QStringEncoder("GBK").encode(
        Lines("无标题 - 记事本 %1 星期一 星期五 8:00:00 17:00:00", 200, "\n")));
    list.close();
    DisbleProcesses& f = env.Start<DisbleProcesses>();
    return {f.ListPath(), [&f](bool toNew) {
                const int last = f.DisbleProcessStringGrid->rowCount() - 1;
                if (toNew)
                    f.DeleteDisbleProcessRow(last);
                else
                    f.AppendDisbleProcess(
                        {"无标题 - 记事本 199", "星期一", "星期五", "8:00:00", "17:00:00"});
            }};
}

// The theme and wallpaper lists are only added to and cleared: cleared (one empty line),
// then one entry added. An add appends to what the file holds, so a round starts with the
// clear, whatever the kill before it left.
Rewrites Themes(TestEnvironment& env)
{
    SystemTheme& f = env.Start<SystemTheme>();
    f.ClearThemeButtonClick();
    return {env.ProgramDir() + "Themes", [&env, &f](bool toNew) {
                if (toNew) {
                    f.ClearThemeButtonClick();
                } else {
                    env.ui.fileAnswers = {QStringLiteral("C:\\Themes\\我的主题.theme")};
                    f.SystemThemeButtonClick();
                }
            }};
}

Rewrites Wallpapers(TestEnvironment& env)
{
    SystemTheme& f = env.Start<SystemTheme>();
    f.ClearWallpaperButtonClick();
    return {env.ProgramDir() + "Wallpapers", [&env, &f](bool toNew) {
                if (toNew) {
                    f.ClearWallpaperButtonClick();
                } else {
                    env.ui.fileAnswers = {QStringLiteral("D:\\Pictures\\海边.jpg")};
                    f.WallpaperButtonClick();
                }
            }};
}

// The registry as the text store keeps it, with the values a used program leaves.
Rewrites RegistryFile(TestEnvironment& env)
{
    QDir().mkpath(env.ProgramDir() + "registry");
    auto store =
        std::make_shared<platform::RegistryStore>((env.ProgramDir() + "registry").toStdU16String());
    const std::u16string key = u"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer";
    for (int i = 0; i < 100; ++i)
        store->writeString(platform::RegistryRoot::CurrentUser, key,
                           u"Value" + QString::number(i).toStdU16String(), u"数据");
    return {env.ProgramDir() + "registry/HKEY_CURRENT_USER.reg", [store, key](bool toNew) {
                if (toNew)
                    store->writeNumber(platform::RegistryRoot::CurrentUser, key,
                                       u"NoDriveTypeAutoRun", 145);
                else
                    store->deleteValue(platform::RegistryRoot::CurrentUser, key,
                                       u"NoDriveTypeAutoRun");
            }};
}

// Deleting row 100 of 200 straight through the list layer, in one of the layouts the
// memorandum and the timed radio give their files.
Rewrites DeleteFromList(TestEnvironment& env, ListFile::Layout layout, const char* line)
{
    QDir().mkpath(env.ProgramDir());
    auto list = std::make_shared<ListFile>(*env.platform.ansi, env.ui, env.ProgramDir() + "List",
                                           "列表文件", layout);
    ListFile::Records all;
    for (int i = 0; i < 200; ++i)
        all.push_back(list->Split(QString::fromUtf8(line).arg(i)));
    ListFile::Records deleted = all;
    deleted.erase(deleted.begin() + 100);
    return {list->Path(),
            [list, all, deleted](bool toNew) {
                if (!list->Rewrite(toNew ? deleted : all, QString()))
                    throw std::runtime_error("list not written");
            },
            300};
}

Rewrites MemorandumLayout(TestEnvironment& env)
{
    return DeleteFromList(env, {3, ListFile::Rest::Drop, "\r\n"},
                          "2026/12/%1 19:00:00 晚上给爸妈打电话");
}

Rewrites TimingsLayout(TestEnvironment& env)
{
    return DeleteFromList(env, {3, ListFile::Rest::IntoLast, "\r\n"},
                          "星期三 7:%1:00 BBC World Service");
}

class ListKilledDuringRewrite : public ::testing::TestWithParam<ListRow> {};

// Killed at any moment of a rewrite, a list is the one before it or the one after it, never
// a part of either.
TEST_P(ListKilledDuringRewrite, LeavesExactlyTheOldOrTheNewFile)
{
    TestEnvironment env;
    const Rewrites r = GetParam().start(env);
    const KilledRewrites k = KillDuringRewrites(r.path, r.rewrite, r.rounds);
    std::cout << GetParam().name << ": " << k.Summary() << std::endl;
    EXPECT_EQ(k.rounds, r.rounds);
    EXPECT_EQ(k.broken, 0) << k.firstBroken.toStdString();
    EXPECT_GT(k.sawOld, 0);
    EXPECT_GT(k.sawNew, 0);
    EXPECT_GT(k.killedInside, k.rounds / 4) << "kills missed the writes";
}

INSTANTIATE_TEST_SUITE_P(
    Lists, ListKilledDuringRewrite,
    ::testing::Values(ListRow{"startup programs", StartupPrograms},
                      ListRow{"blocked programs", BlockedPrograms}, ListRow{"themes", Themes},
                      ListRow{"wallpapers", Wallpapers}, ListRow{"registry", RegistryFile},
                      ListRow{"memorandum", MemorandumLayout}, ListRow{"timings", TimingsLayout}));

} // namespace
