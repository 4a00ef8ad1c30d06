#include "PlatformUnderTest.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

#ifndef _WIN32
#include <cerrno>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

using namespace std::chrono_literals;
using platform::CommandLauncher;

bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit = 10000ms)
{
    for (const auto end = std::chrono::steady_clock::now() + limit;
         std::chrono::steady_clock::now() < end; std::this_thread::sleep_for(20ms))
        if (condition())
            return true;
    return condition();
}

// Waits for the program to end so that no handle or zombie is left behind.
void reap(CommandLauncher& launcher, const CommandLauncher::Result& result)
{
    EXPECT_TRUE(waitFor([&] { return launcher.hasExited(result.process); }));
}

#ifdef _WIN32

TEST(CommandLauncherTest, StartsABatchFileInAFolderWithSpacesAndReportsItsEnd)
{
    TempDir dir;
    const auto folder = dir.path() / "dir with space";
    std::filesystem::create_directories(folder);
    writeBytes(folder / "write marker.bat", "@echo off\r\necho ok> \"%~dp0marker.txt\"\r\n");
    // A program named like the first word must not be the one started.
    writeBytes(dir.path() / "dir.bat", "@echo off\r\necho wrong> \"%~dp0wrong.txt\"\r\n");
    under_test::CommandLauncher launcher;
    const auto result =
        launcher.launch((folder / "write marker.bat").u16string(), CommandLauncher::MinNoActive);
    ASSERT_TRUE(result.started()) << result.code;
    EXPECT_TRUE(waitFor([&] { return std::filesystem::exists(folder / "marker.txt"); }));
    reap(launcher, result);
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "wrong.txt"));
}

TEST(CommandLauncherTest, MissingFileAndMissingFolderGiveTheirCodes)
{
    TempDir dir;
    under_test::CommandLauncher launcher;
    const struct {
        std::filesystem::path path;
        unsigned code;
    } rows[] = {
        {dir.path() / "no such program.exe", 2},
        {dir.path() / "no such folder" / "a.exe", 3},
    };
    for (const auto& row : rows) {
        const auto result = launcher.launch(row.path.u16string(), CommandLauncher::MinNoActive);
        EXPECT_EQ(result.code, row.code) << row.path;
        EXPECT_FALSE(result.started());
        EXPECT_TRUE(launcher.hasExited(result.process));
    }
}

#else

void writeScript(const std::filesystem::path& file, const std::string& body, bool executable)
{
    writeBytes(file, body);
    chmod(file.c_str(), executable ? 0755 : 0644);
}

TEST(CommandLauncherTest, StartsScriptsByTheirExactPathInASessionOfTheirOwn)
{
    TempDir dir;
    const auto folder = dir.path() / "带 空格 folder";
    std::filesystem::create_directories(folder);
    // Launched by the first word of the path, this one would run instead.
    writeScript(dir.path() / "带", "#!/bin/sh\ntouch \"$0.wrong\"\n", true);
    // A descriptor of ours without close-on-exec: the program must not receive it.
    const int ours = open("/dev/null", O_RDONLY);
    ASSERT_GE(ours, 0);
    ASSERT_EQ(dup2(ours, 17), 17);
    // The session is the fourth field after the command name in /proc/PID/stat.
    const std::string body = "sed 's/.*) //' /proc/$$/stat | cut -d' ' -f4 > \"$0.sid\"\n"
                             "[ -e /proc/$$/fd/17 ] && echo leaked > \"$0.fd\"\n"
                             "echo $$ > \"$0.done\"\n";
    const struct {
        const char* name;
        bool executable;
        std::string text;
    } rows[] = {
        {"有执行位 a.sh", true, "#!/bin/sh\n" + body},
        {"无执行位 b.sh", false, body},
        {"no-suffix", true, "#!/bin/sh\n" + body},
    };
    under_test::CommandLauncher launcher;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const auto file = folder / row.name;
        writeScript(file, row.text, row.executable);
        const auto result = launcher.launch(file.u16string(), CommandLauncher::MinNoActive);
        ASSERT_TRUE(result.started()) << result.code;
        ASSERT_GT(result.process, 0);
        const std::string done = file.string() + ".done";
        ASSERT_TRUE(waitFor([&] { return readBytes(done).size() > 1; }));
        reap(launcher, result);
        const std::string pid = readBytes(done);
        EXPECT_EQ(std::stoll(readBytes(file.string() + ".sid")), std::stoll(pid));
        EXPECT_FALSE(std::filesystem::exists(file.string() + ".fd"));
    }
    close(17);
    close(ours);
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "带.wrong"));
}

TEST(CommandLauncherTest, FailuresGiveTheCodesAndCausesOfTheirReason)
{
    using Cause = CommandLauncher::Cause;
    TempDir dir;
    writeScript(dir.path() / "plain.txt", "echo hi\n", false);
    writeScript(dir.path() / "Tool.AppImage",
                "\x7f"
                "ELF",
                false);
    writeScript(dir.path() / "garbage", std::string("\x7f\x01\x02\x03 not a program", 19), true);
    const std::string desktop = "[Desktop Entry]\nType=Application\nExec=true\n";
    writeScript(dir.path() / "firefox.desktop", desktop, false);
    writeScript(dir.path() / "trusted.desktop", desktop, true);
    const struct {
        std::filesystem::path path;
        unsigned code;
        int error;
        Cause cause;
    } rows[] = {
        {dir.path() / "no such program", 2, ENOENT, Cause::Unknown},
        {dir.path() / "no such folder" / "a.sh", 3, ENOENT, Cause::Unknown},
        {dir.path() / "plain.txt" / "a.sh", 3, ENOTDIR, Cause::Unknown}, // a file as a folder
        {dir.path() / "plain.txt", 5, EACCES, Cause::NotExecutable},
        {dir.path() / "Tool.AppImage", 5, EACCES, Cause::NotExecutable},
        {dir.path(), 5, EACCES, Cause::Folder},
        {dir.path() / "firefox.desktop", 5, EACCES, Cause::DesktopFile},
        {dir.path() / "trusted.desktop", 11, ENOEXEC, Cause::DesktopFile},
        {dir.path() / "garbage", 11, ENOEXEC, Cause::Unknown},
        {"", 2, ENOENT, Cause::Unknown},
    };
    under_test::CommandLauncher launcher;
    for (const auto& row : rows) {
        const auto result = launcher.launch(row.path.u16string(), CommandLauncher::MinNoActive);
        EXPECT_EQ(result.code, row.code) << row.path;
        EXPECT_EQ(result.error, row.error) << row.path;
        EXPECT_EQ(result.cause, row.cause) << row.path;
        EXPECT_FALSE(result.started());
        EXPECT_EQ(result.process, 0);
        EXPECT_TRUE(launcher.hasExited(result.process));
    }
}

// A program on a file system mounted noexec: tried in a child with a mount of its own, so
// nothing outside the test sees the mount.
TEST(CommandLauncherTest, AProgramOnANoexecMountSaysSo)
{
    TempDir dir;
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(pipeFds[0]);
        int answer[3] = {-1, 0, 0};
        if (unshare(CLONE_NEWNS) == 0 &&
            mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
            mount("tmpfs", dir.path().c_str(), "tmpfs", MS_NOEXEC, "size=1m") == 0) {
            writeScript(dir.path() / "tool", "#!/bin/sh\nexit 0\n", true);
            writeScript(dir.path() / "run.sh", "exit 0\n", true);
            under_test::CommandLauncher launcher;
            const auto tool = launcher.launch((dir.path() / "tool").u16string(), 7);
            // A script is read by /bin/sh, which a noexec mount does not stop.
            const auto script = launcher.launch((dir.path() / "run.sh").u16string(), 7);
            answer[0] = int(tool.code);
            answer[1] = int(tool.cause);
            answer[2] =
                script.started() && waitFor([&] { return launcher.hasExited(script.process); });
        }
        [[maybe_unused]] const auto n = write(pipeFds[1], answer, sizeof answer);
        _exit(0);
    }
    close(pipeFds[1]);
    int answer[3] = {};
    const auto n = read(pipeFds[0], answer, sizeof answer);
    close(pipeFds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_EQ(n, ssize_t(sizeof answer));
    if (answer[0] == -1)
        GTEST_SKIP() << "no private mount namespace here (needs root)";
    EXPECT_EQ(answer[0], 5);
    EXPECT_EQ(CommandLauncher::Cause(answer[1]), CommandLauncher::Cause::NoExecMount);
    EXPECT_EQ(answer[2], 1);
}

#endif

} // namespace
