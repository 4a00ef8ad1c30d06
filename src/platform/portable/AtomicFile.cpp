#include "AtomicFile.h"

#include <fstream>
#include <iterator>
#include <system_error>

#ifndef _WIN32
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace platform {

std::optional<std::string> readWholeFile(const std::filesystem::path& path, bool* missing)
{
    std::error_code ec;
    const bool exists = std::filesystem::exists(path, ec);
    if (missing)
        *missing = !exists && !ec;
    if (!exists)
        return std::nullopt;
    if (!std::filesystem::is_regular_file(path, ec))
        return std::nullopt;
    try {
        std::ifstream in(path, std::ios::binary);
        if (!in)
            return std::nullopt;
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (in.bad())
            return std::nullopt;
        return bytes;
    } catch (const std::exception&) { // libstdc++ throws on some read errors
        return std::nullopt;
    }
}

#ifndef _WIN32

bool writeFileAtomically(const std::filesystem::path& path, const std::string& bytes)
{
    std::string temp = path.string() + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return false;
    // mkstemp creates 0600; keep the mode the file had, or the usual one for a new file.
    struct stat old {};
    ::fchmod(fd, ::stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644);
    bool ok = true;
    for (std::size_t done = 0; ok && done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        ok = n > 0;
        done += ok ? std::size_t(n) : 0;
    }
    ok = ::fsync(fd) == 0 && ok;
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(temp.c_str(), path.c_str()) == 0;
    if (!ok)
        ::unlink(temp.c_str());
    return ok;
}

#else

bool writeFileAtomically(const std::filesystem::path& path, const std::string& bytes)
{
    std::filesystem::path temp = path;
    temp += L".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), std::streamsize(bytes.size()));
        out.flush();
        if (!out) {
            std::error_code ec;
            std::filesystem::remove(temp, ec);
            return false;
        }
    }
    std::error_code ec;
    std::filesystem::rename(temp, path, ec);
    if (ec)
        std::filesystem::remove(temp, ec);
    return !ec;
}

#endif

} // namespace platform
