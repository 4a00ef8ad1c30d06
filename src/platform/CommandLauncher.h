#pragma once

#include <string>

namespace platform {

//! Starts a command line (ANSI text) the way WinExec does. Results above 31 mean success;
//! 0 out of resources, 2 file not found, 3 path not found, 11 bad format.
class CommandLauncher {
public:
    enum ShowMode { Hide = 0, Normal = 1, Minimized = 2, Maximized = 3, MinNoActive = 7 };
    virtual ~CommandLauncher() = default;
    virtual unsigned launch(const std::string& commandLine, int showMode) = 0;
};

} // namespace platform
