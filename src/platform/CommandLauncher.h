#pragma once

#include <cstdint>
#include <string>

namespace platform {

//! Starts a program by its exact path: never through a shell, never split at spaces.
//! On Linux an executable file is started itself and a non-executable "*.sh" through
//! /bin/sh; on Windows ShellExecuteW opens the file.
class CommandLauncher {
public:
    enum ShowMode { Hide = 0, Normal = 1, Minimized = 2, Maximized = 3, MinNoActive = 7 };

    //! What a failed start found about the file, where the code alone cannot tell the user
    //! what to do about it.
    enum class Cause {
        Unknown,
        //! A regular file without the execute permission (and not a script we can run).
        NotExecutable,
        //! An executable file on a file system mounted without the right to run programs.
        NoExecMount,
        //! A folder, not a program.
        Folder,
        //! A desktop launcher (".desktop"), a description of a program rather than one.
        DesktopFile,
    };

    //! Codes as WinExec gives them: above 31 success; 0 out of resources, 2 file not found,
    //! 3 path not found, 5 access denied, 11 bad format; other failures their own number.
    struct Result {
        unsigned code = 0;
        //! What hasExited() asks about; 0 when the started program cannot be watched.
        std::int64_t process = 0;
        //! The system's error number behind a failure (errno), 0 when there is none to tell.
        int error = 0;
        Cause cause = Cause::Unknown;
        bool started() const { return code > 31; }
    };

    virtual ~CommandLauncher() = default;
    virtual Result launch(const std::u16string& path, int showMode) = 0;
    //! Never waits. True once the program has ended (or cannot be watched); its handle is
    //! released then, so ask about each process until it says true, and not after.
    virtual bool hasExited(std::int64_t process) = 0;
};

} // namespace platform
