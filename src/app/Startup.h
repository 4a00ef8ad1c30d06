#pragma once

#include "core/ServerOverrides.h"

#include <QLocalServer>
#include <QStringList>

namespace platform {
struct Platform;
}
class QtUiServices;
class UiServices;

//! Whether the command line (without the program's own path) asks for a hidden start:
//! exactly one argument "-Min", letter case included.
bool IsHiddenStart(const QStringList& arguments);

//! The mark of a running copy that every session has, Wayland included: a local socket the
//! running copy listens on, in the user's runtime directory (XDG_RUNTIME_DIR), one per
//! display.
class InstanceLock {
public:
    //! The socket at `path`; empty: the default path, or none without a runtime directory.
    explicit InstanceLock(QString path = DefaultPath());
    //! False when another copy holds the lock; otherwise this copy holds it from now on
    //! (also when the socket cannot be made: nobody else holds it then either).
    bool Acquire();
    bool Held() const { return server_.isListening(); }
    static QString DefaultPath();

private:
    QString path_;
    QLocalServer server_;
};

//! True when another copy runs: it holds `lock`, or a window with the program's title
//! exists (shown or hidden in the tray); then the refusal "程序已经运行" has been shown.
bool RefuseSecondInstance(platform::Platform& platform, UiServices& ui, InstanceLock& lock);

//! The servers named in the environment (QUORLIN_PROBE_HOST, QUORLIN_TIME_SERVER,
//! QUORLIN_WEATHER_PAGE), read once at the start and handed to the features.
ServerOverrides ServerOverridesFromEnvironment();

//! The program from the single-instance test to the end of the message loop. Returns 0.
int RunQuorlin(const QStringList& arguments, platform::Platform& platform, QtUiServices& ui,
               const ServerOverrides& servers = {});
