#include "support/TestEnvironment.h"

#include "app/Startup.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

namespace {

// A socket file left by a copy that was killed: bound, never unlinked, nobody listening.
bool LeaveStaleSocket(const QString& path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
    const bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return bound && QFileInfo::exists(path);
}

TEST(InstanceLock, ASecondCopyIsRefusedWhileTheFirstRunsAndNotAfterItEndedOrCrashed)
{
    QTemporaryDir runtime;
    const QString path = runtime.filePath("Quorlin.instance");
    // A socket left by a killed copy does not keep the program from starting.
    ASSERT_TRUE(LeaveStaleSocket(path));
    {
        InstanceLock first(path);
        ASSERT_TRUE(first.Acquire());
        EXPECT_TRUE(first.Held());
        // Only the user may reach it.
        EXPECT_FALSE(QFileInfo(path).permissions() &
                     (QFile::ReadOther | QFile::WriteOther | QFile::ReadGroup | QFile::WriteGroup));

        TestEnvironment env;
        InstanceLock second(path);
        EXPECT_TRUE(RefuseSecondInstance(env.platform, env.ui, second));
        EXPECT_FALSE(second.Held());
        EXPECT_EQ(env.ui.Texts("message"), QStringList{"程序已经运行"});
    }
    InstanceLock afterExit(path);
    EXPECT_TRUE(afterExit.Acquire());
    EXPECT_TRUE(afterExit.Held());
}

TEST(InstanceLock, OneCopyPerDisplayInTheUsersRuntimeDirectory)
{
    std::vector<std::pair<const char*, QByteArray>> saved;
    for (const char* name : {"XDG_RUNTIME_DIR", "DISPLAY", "WAYLAND_DISPLAY"})
        saved.emplace_back(name, qEnvironmentVariableIsSet(name) ? qgetenv(name) : QByteArray());
    const auto restore = qScopeGuard([saved] {
        for (const auto& [name, value] : saved)
            value.isNull() ? qunsetenv(name) : qputenv(name, value);
    });
    QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
    qputenv("DISPLAY", ":7");
    qputenv("WAYLAND_DISPLAY", "wayland-1");
    // A copy on XWayland sees both; it must meet the native one.
    const QString inWayland = InstanceLock::DefaultPath();
    EXPECT_EQ(inWayland, runtime.filePath("Quorlin-wayland-1.instance"));
    qunsetenv("WAYLAND_DISPLAY");
    EXPECT_EQ(InstanceLock::DefaultPath(), runtime.filePath("Quorlin-_7.instance"));
    qputenv("XDG_RUNTIME_DIR", "relative/dir");
    EXPECT_EQ(InstanceLock::DefaultPath(), QString())
        << "no lock rather than one in the working folder";
}

} // namespace
