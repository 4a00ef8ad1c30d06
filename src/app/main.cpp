#include "app/Startup.h"
#include "platform/Platform.h"
#include "ui/QtUiServices.h"
#include "weather/WeatherView.h"

#include <QApplication>
#include <QTimer>

#ifdef Q_OS_UNIX
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {

// Ends every running event loop, also one that starts later (a signal during the splash
// ends the splash's loop before the main one runs). The window's close steps then run when
// the main loop is left (TMainForm::EndSession).
void EndEventLoops()
{
    QCoreApplication::exit(0);
    auto* again = new QTimer(qApp);
    QObject::connect(again, &QTimer::timeout, qApp, [] { QCoreApplication::exit(0); });
    again->start(100);
}

#ifdef Q_OS_UNIX
int signalSocket[2] = {-1, -1};

void OnSessionSignal(int)
{
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalSocket[1], &byte, 1);
    errno = saved;
}

// At logout and shutdown the program gets SIGTERM (and SIGHUP from its session). The signal
// only writes a byte; the loop reads it and ends on the UI thread, where the close steps run.
void EndOnSessionSignals()
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalSocket) != 0)
        return;
    // A flood of signals must never block the handler.
    ::fcntl(signalSocket[1], F_SETFL, ::fcntl(signalSocket[1], F_GETFL) | O_NONBLOCK);
    auto* notifier = new QSocketNotifier(signalSocket[0], QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, qApp, [notifier] {
        char byte = 0;
        [[maybe_unused]] const ssize_t got = ::read(signalSocket[0], &byte, 1);
        notifier->setEnabled(false);
        EndEventLoops();
    });
    struct sigaction action = {};
    action.sa_handler = OnSessionSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGHUP, &action, nullptr);
}
#endif

} // namespace

int main(int argc, char* argv[])
{
    UseWebEngineForWeather();
    QApplication app(argc, argv);
#ifdef Q_OS_UNIX
    EndOnSessionSignals();
#endif
    std::unique_ptr<platform::Platform> platform = platform::createSystemPlatform();
    QtUiServices ui;
    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    return RunQuorlin(arguments, *platform, ui, ServerOverridesFromEnvironment());
}
