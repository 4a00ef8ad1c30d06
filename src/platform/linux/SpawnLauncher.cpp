#include "SpawnLauncher.h"

#include <QString>

#include <cerrno>
#include <csignal>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace platform {

namespace {

constexpr unsigned started = 33;

unsigned codeOf(int error)
{
    switch (error) {
    case ENOENT:
        return 2;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
        return 3; // the path cannot be followed
    case ENOEXEC:
        return 11;
    case EACCES:
        return 5;
    case ENOMEM:
    case EAGAIN:
    case EMFILE:
    case ENFILE:
        return 0;
    default:
        // Codes from 32 up would read as success.
        return error > 0 && error < 32 ? unsigned(error) : 31;
    }
}

bool endsWith(const std::string& path, const std::string& suffix)
{
    return path.size() > suffix.size() &&
           path.compare(path.size() - suffix.size(), suffix.size(), suffix) == 0;
}

bool endsWithSh(const std::string& path)
{
    return endsWith(path, ".sh");
}

CommandLauncher::Result failure(int error, CommandLauncher::Cause cause = {})
{
    return {codeOf(error), 0, error, cause};
}

//! Why a file that exists could not be run, as far as the file itself tells.
CommandLauncher::Cause causeOf(const std::string& file, const struct stat& info, int error)
{
    using Cause = CommandLauncher::Cause;
    if (endsWith(file, ".desktop"))
        return Cause::DesktopFile;
    if (error != EACCES || !S_ISREG(info.st_mode))
        return Cause::Unknown;
    if ((info.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH)) == 0)
        return Cause::NotExecutable;
    // Before access(): on such a mount it refuses X_OK whatever the permissions say.
    struct statvfs fs {};
    if (statvfs(file.c_str(), &fs) == 0 && (fs.f_flag & ST_NOEXEC))
        return Cause::NoExecMount;
    return access(file.c_str(), X_OK) != 0 ? Cause::NotExecutable : Cause::Unknown;
}

// Owns the spawn attributes and file actions for one launch.
struct SpawnSetup {
    posix_spawnattr_t attr;
    posix_spawn_file_actions_t actions;

    SpawnSetup()
    {
        posix_spawnattr_init(&attr);
        posix_spawn_file_actions_init(&actions);
        // A session of its own: our end or a signal to our group does not take it along.
        short flags = POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
        posix_spawnattr_setflags(&attr, flags);
        sigset_t none, all;
        sigemptyset(&none);
        sigfillset(&all);
        posix_spawnattr_setsigmask(&attr, &none);
        posix_spawnattr_setsigdefault(&attr, &all);
        // No keyboard input from us; our other descriptors (X connection, files) stay ours.
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    }
    ~SpawnSetup()
    {
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attr);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;
};

} // namespace

CommandLauncher::Result SpawnLauncher::launch(const std::u16string& path, int /*showMode*/)
{
    if (path.empty())
        return failure(ENOENT);
    std::string file =
        QString::fromUtf16(path.data(), qsizetype(path.size())).toUtf8().toStdString();
    if (file.find('\0') != std::string::npos)
        return failure(ENOENT);
    struct stat info {};
    if (stat(file.c_str(), &info) != 0) {
        const int error = errno;
        // As on Windows: a missing folder is another reason than a missing file in it.
        const auto slash = file.rfind('/');
        struct stat folder {};
        if (error == ENOENT && slash != std::string::npos && slash > 0 &&
            stat(file.substr(0, slash).c_str(), &folder) != 0)
            return {3, 0, error};
        return failure(error);
    }
    if (S_ISDIR(info.st_mode))
        return failure(EACCES, Cause::Folder);

    std::vector<std::string> args;
    if (S_ISREG(info.st_mode) && access(file.c_str(), X_OK) != 0 && endsWithSh(file)) {
        // sh would take a leading '-' for an option.
        args = {"/bin/sh", file.front() == '-' ? "./" + file : file};
    } else {
        args = {file};
    }
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    SpawnSetup setup;
    pid_t pid = 0;
    const int error = posix_spawn(&pid, argv[0], &setup.actions, &setup.attr, argv.data(), environ);
    if (error != 0)
        return failure(error, causeOf(file, info, error));
    return {started, pid};
}

bool SpawnLauncher::hasExited(std::int64_t process)
{
    if (process <= 0)
        return true;
    int status = 0;
    const pid_t r = waitpid(pid_t(process), &status, WNOHANG);
    return r != 0; // the pid itself once reaped, -1 when it is not (or no longer) our child
}

} // namespace platform
