#pragma once

// A Linux desktop of the test's own for the theme and wallpaper code: a home and a system
// share below a fresh folder, and stand-ins for the desktops' tools.

#include "TempDir.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

// What a shell command prints on its standard output (the desktops' own tools, read back).
inline std::string Output(const std::string& command)
{
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[512];
        while (std::fgets(buffer, sizeof buffer, pipe))
            out += buffer;
        pclose(pipe);
    }
    return out;
}

class DesktopSandbox : public ::testing::Test {
protected:
    TempDir dir;
    std::filesystem::path home = dir.path() / "home";
    std::filesystem::path share = dir.path() / "share"; // stands for /usr/share
    std::filesystem::path log = dir.path() / "calls.log";

    // GLib keeps the settings backend and folders it first saw, so each desktop is tried in a
    // child process with a home of its own. `apply`'s answer is the child's exit code (-1 when
    // it did not exit).
    int InChild(const std::string& desktop, const std::string& path,
                const std::function<int()>& apply)
    {
        std::filesystem::create_directories(home);
        const pid_t child = fork();
        if (child == 0) {
            setenv("XDG_CURRENT_DESKTOP", desktop.c_str(), 1);
            setenv("GSETTINGS_BACKEND", "keyfile", 1);
            setenv("HOME", home.c_str(), 1);
            setenv("XDG_CONFIG_HOME", (home / ".config").c_str(), 1);
            unsetenv("XDG_DATA_HOME");
            // The system's own folders stay: GLib finds the settings schemas there.
            setenv("XDG_DATA_DIRS", (share.string() + ":/usr/local/share:/usr/share").c_str(), 1);
            if (!path.empty())
                setenv("PATH", path.c_str(), 1);
            _exit(apply());
        }
        int status = 0;
        waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    static bool HasSchemaKey(const std::string& schema, const std::string& key)
    {
        return Output("gsettings list-keys " + schema).find(key) != std::string::npos;
    }
    std::string Gsettings(const std::string& schema, const std::string& key) const
    {
        return Output("GSETTINGS_BACKEND=keyfile XDG_CONFIG_HOME='" + (home / ".config").string() +
                      "' gsettings get " + schema + " " + key);
    }

    // A stand-in for a desktop tool: records its name and arguments, one call a line, and
    // prints `listing` when asked for a list (-l).
    void FakeTool(const std::string& name, const std::string& listing = "")
    {
        const auto file = dir.path() / "bin" / name;
        std::filesystem::create_directories(file.parent_path());
        writeBytes(
            file,
            "#!/bin/sh\nprintf '%s|' \"${0##*/}\" \"$@\" >> '" + log.string() + "'\necho >> '" +
                log.string() + "'\n" +
                (listing.empty() ? "" : "case \"$*\" in *-l*) printf '" + listing + "';; esac\n"));
        std::filesystem::permissions(file, std::filesystem::perms::owner_all);
    }
    std::string ToolPath() const { return (dir.path() / "bin").string() + ":/usr/bin:/bin"; }
    std::string NoTools() const { return (dir.path() / "empty").string(); }
};
