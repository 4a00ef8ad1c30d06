#include "PlatformUnderTest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdlib>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

namespace {

using namespace std::chrono_literals;

bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit = 5000ms)
{
    for (const auto end = std::chrono::steady_clock::now() + limit;
         std::chrono::steady_clock::now() < end; std::this_thread::sleep_for(20ms))
        if (condition())
            return true;
    return condition();
}

std::u16string uniqueTag()
{
    const std::string id =
        std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
    return u"quorlin" + std::u16string(id.begin(), id.end());
}

#ifdef _WIN32

TEST(WindowsByTitleTest, FindsAHiddenWindowByExactTitleAndClosesIt)
{
    const std::u16string title = u"提醒 " + uniqueTag();
    const HWND window =
        CreateWindowW(L"STATIC", reinterpret_cast<const wchar_t*>(title.c_str()),
                      WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    if (!window)
        GTEST_SKIP() << "no window station (wine without a display)";
    under_test::WindowsByTitle windows;
    EXPECT_TRUE(windows.exists(title));
    EXPECT_FALSE(windows.exists(title.substr(0, title.size() - 1)));
    EXPECT_FALSE(windows.exists(title + u"x"));
    EXPECT_FALSE(windows.exists(u""));
    ASSERT_TRUE(windows.requestClose(title));
    EXPECT_TRUE(waitFor([&] {
        for (MSG msg; PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);)
            DispatchMessageW(&msg);
        return !IsWindow(window);
    }));
    EXPECT_FALSE(windows.exists(title));
    EXPECT_FALSE(windows.requestClose(title));
}

#else

// A real other program: xmessage, titled in Chinese, found and closed over X11.
class X11WindowsByTitleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY") || !*std::getenv("DISPLAY"))
            GTEST_SKIP() << "no X display";
    }
    void TearDown() override
    {
        if (pid > 0 && waitpid(pid, nullptr, WNOHANG) == 0) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
    }
    static int run(std::vector<std::string> args, pid_t* child = nullptr)
    {
        // xmessage sets a Chinese title only in a locale that can encode it.
        args.insert(args.begin(), {"env", "LC_ALL=zh_CN.UTF-8"});
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        pid_t p = 0;
        if (posix_spawnp(&p, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
            return -1;
        if (child) {
            *child = p;
            return 0;
        }
        int status = 0;
        waitpid(p, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    bool exited() { return waitpid(pid, nullptr, WNOHANG) == pid && (pid = 0) == 0; }

    pid_t pid = 0;
};

TEST_F(X11WindowsByTitleTest, FindsByExactTitleAlsoUnmappedAndClosesPolitely)
{
    const std::u16string tag = uniqueTag();
    const std::u16string title = u"Quorlin 提醒 " + tag;
    const std::string utf8Tag(tag.begin(), tag.end());
    ASSERT_EQ(run({"xmessage", "-title", "Quorlin 提醒 " + utf8Tag, "闹钟"}, &pid), 0);
    under_test::WindowsByTitle windows;
    ASSERT_TRUE(waitFor([&] { return windows.exists(title); })) << "xmessage never appeared";
    EXPECT_FALSE(windows.exists(title.substr(0, title.size() - 1)));
    EXPECT_FALSE(windows.exists(u"Quorlin 提醒"));
    EXPECT_FALSE(windows.exists(title + u"x"));
    EXPECT_FALSE(windows.exists(u""));

    // xdotool dies on a window that other tests on this display destroy during its search;
    // that says nothing of ours, so it gets a few tries.
    ASSERT_TRUE(waitFor([&] {
        return run({"xdotool", "search", "--sync", "--name", utf8Tag, "windowunmap", "--sync",
                    "%@"}) == 0;
    }));
    EXPECT_TRUE(windows.exists(title));

    ASSERT_TRUE(windows.requestClose(title));
    EXPECT_TRUE(waitFor([&] { return exited(); })) << "xmessage did not close";
    EXPECT_FALSE(windows.exists(title));
    EXPECT_FALSE(windows.requestClose(title));
}

TEST_F(X11WindowsByTitleTest, OneLookClosesTheFirstWindowOfEachTitleAndNeverWaitsForIt)
{
    const std::u16string tag = uniqueTag();
    const std::string utf8Tag(tag.begin(), tag.end());
    pid_t second = 0, hung = 0;
    ASSERT_EQ(run({"xmessage", "-title", "无标题 - 记事本 " + utf8Tag, "甲"}, &pid), 0);
    ASSERT_EQ(run({"xmessage", "-title", "系统监视器 " + utf8Tag, "乙"}, &second), 0);
    ASSERT_EQ(run({"xmessage", "-title", "挂起 " + utf8Tag, "丙"}, &hung), 0);
    under_test::WindowsByTitle windows;
    const std::u16string a = u"无标题 - 记事本 " + tag, b = u"系统监视器 " + tag,
                         h = u"挂起 " + tag;
    ASSERT_TRUE(
        waitFor([&] { return windows.exists(a) && windows.exists(b) && windows.exists(h); }));
    // A program that no longer answers: the request goes out and the call returns.
    kill(hung, SIGSTOP);
    const auto start = std::chrono::steady_clock::now();
    auto closed = windows.requestCloseEach({h, u"没有这个窗口 " + tag, b, a});
    const auto took = std::chrono::steady_clock::now() - start;
    std::vector<std::u16string> expected{h, b, a};
    std::sort(closed.begin(), closed.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(closed, expected);
    EXPECT_LT(took, 2s) << "must not wait for the stopped program";
    EXPECT_TRUE(waitFor([&] { return exited(); }));
    EXPECT_TRUE(waitFor([&] { return waitpid(second, nullptr, WNOHANG) == second; }));
    kill(hung, SIGCONT);
    EXPECT_TRUE(waitFor([&] { return waitpid(hung, nullptr, WNOHANG) == hung; }))
        << "the request waited in its queue";
}

TEST(X11WindowsByTitleNoDisplay, FindsNothingWithoutADisplay)
{
    const char* old = std::getenv("DISPLAY");
    const std::string saved = old ? old : "";
    setenv("DISPLAY", ":9999", 1); // nothing listens there
    under_test::WindowsByTitle windows;
    EXPECT_FALSE(windows.exists(u"anything"));
    EXPECT_FALSE(windows.requestClose(u"anything"));
    if (old)
        setenv("DISPLAY", saved.c_str(), 1);
    else
        unsetenv("DISPLAY");
}

#endif

} // namespace
