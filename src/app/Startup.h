#pragma once

#include <QStringList>

namespace platform {
struct Platform;
}
class QtUiServices;
class UiServices;

//! Whether the command line (without the program's own path) asks for a hidden start:
//! exactly one argument "-Min", letter case included.
bool IsHiddenStart(const QStringList& arguments);

//! True when a window with the program's title already exists (shown or hidden in the
//! tray); then the refusal "程序已经运行" has been shown.
bool RefuseSecondInstance(platform::Platform& platform, UiServices& ui);

//! The program from the single-instance test to the end of the message loop. Returns 0.
int RunQuorlin(const QStringList& arguments, platform::Platform& platform, QtUiServices& ui);
