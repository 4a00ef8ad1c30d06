#include "app/Startup.h"

#include "app/CSkinPPDynamicCallDll.h"
#include "app/Logohint.h"
#include "app/Main.h"
#include "radio/MediaBackend.h"
#include "ui/AppTitle.h"
#include "ui/Guarded.h"
#include "ui/QtUiServices.h"

#include <QApplication>
#include <QDir>
#include <QLocalSocket>
#include <QLockFile>
#include <QRegularExpression>

bool IsHiddenStart(const QStringList& arguments)
{
    return arguments.join(u' ') == QStringLiteral("-Min");
}

InstanceLock::InstanceLock(QString path) : path_(std::move(path)) {}

QString InstanceLock::DefaultPath()
{
    // Not the shared temporary folder: anyone could make the socket there first.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtime.isEmpty() || !QDir::isAbsolutePath(runtime))
        return {};
    // One copy per desktop: the runtime directory is the user's, shared by all their
    // sessions. In a Wayland session X clients see WAYLAND_DISPLAY too, so a copy on
    // XWayland and a native one meet at the same socket.
    QString display = qEnvironmentVariable("WAYLAND_DISPLAY");
    if (display.isEmpty())
        display = qEnvironmentVariable("DISPLAY");
    display.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9._-]")), QStringLiteral("_"));
    return QDir(runtime).filePath(QStringLiteral("Quorlin-%1.instance").arg(display));
}

bool InstanceLock::Acquire()
{
    if (path_.isEmpty() || server_.isListening())
        return true;
    // Two copies started at once must not both find the socket free; the lock file is
    // held only for this short check.
    QLockFile starting(path_ + QStringLiteral(".lock"));
    starting.tryLock(3000);
    QLocalSocket probe;
    probe.connectToServer(path_);
    if (probe.waitForConnected(1000))
        return false;
    // Whatever is left at the path belongs to a copy that ended without removing it.
    QLocalServer::removeServer(path_);
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    server_.listen(path_);
    return true;
}

bool RefuseSecondInstance(platform::Platform& platform, UiServices& ui, InstanceLock& lock)
{
    // The title search finds a copy hidden in the tray as well, but sees nothing of a
    // copy that runs natively on Wayland: the socket does.
    if (lock.Acquire() &&
        (!platform.windows || !platform.windows->exists(AppTitle().toStdU16String())))
        return false;
    ui.ShowMessage(QStringLiteral("程序已经运行"));
    return true;
}

ServerOverrides ServerOverridesFromEnvironment()
{
    return {qEnvironmentVariable("QUORLIN_PROBE_HOST"), qEnvironmentVariable("QUORLIN_TIME_SERVER"),
            qEnvironmentVariable("QUORLIN_WEATHER_PAGE")};
}

int RunQuorlin(const QStringList& arguments, platform::Platform& platform, QtUiServices& ui,
               const ServerOverrides& servers)
{
    InstanceLock lock;
    if (RefuseSecondInstance(platform, ui, lock))
        return 0;

    Guarded(ui, [&] {
        MediaBackend media;
        CSkinPPDynamicCallDll skin;
        qApp->setQuitOnLastWindowClosed(false);
        qApp->setApplicationName(QStringLiteral("Quorlin"));

        // Asks the session bus about its tray now: loading may already bring a notice.
        ui.Notices();
        TMainForm form(platform, ui, servers);
        ui.SetParent(&form);
        ui.SetTrayIcon(form.TrayIcon);

        skin.LoadSkin(form.ProgramDir + QStringLiteral("PixOS.ssk"), *platform.ansi);

        TLogo logo;
        logo.exec();

        form.StartHidden = IsHiddenStart(arguments);
        form.show();
        QApplication::exec();
        skin.Free();
    });
    return 0;
}
