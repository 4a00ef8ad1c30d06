#include "AtomicFile.h"

#include <chrono>
#include <fstream>
#include <iterator>
#include <mutex>
#include <set>
#include <system_error>

#ifndef _WIN32
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace platform {

#ifndef _WIN32
namespace {

// A name no user gives a file of their own, so that only our temporaries are ever removed.
constexpr char kTemporaryMark[] = ".quorlin-tmp.";
constexpr std::size_t kMarkSize = sizeof kTemporaryMark - 1;

// The name, the mark and mkstemp's six characters.
bool isTemporaryOf(const std::string& name, const std::string& candidate)
{
    const std::size_t stem = name.size() + kMarkSize;
    if (candidate.size() != stem + 6 || candidate.compare(0, name.size(), name) != 0 ||
        candidate.compare(name.size(), kMarkSize, kTemporaryMark) != 0)
        return false;
    for (std::size_t i = stem; i < candidate.size(); ++i) {
        const char c = candidate[i];
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')))
            return false;
    }
    return true;
}

} // namespace
#endif

void removeStaleTemporaries(const std::filesystem::path& path)
{
#ifndef _WIN32
    static std::mutex lock;
    static std::set<std::filesystem::path> looked;
    {
        const std::lock_guard guard(lock);
        if (!looked.insert(path).second)
            return;
    }
    // A write under way takes milliseconds; one untouched for a minute belongs to no one.
    const auto before = std::filesystem::file_time_type::clock::now() - std::chrono::minutes(1);
    const std::string name = path.filename().string();
    std::error_code ec;
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        std::error_code one;
        if (!isTemporaryOf(name, it->path().filename().string()) || !it->is_regular_file(one) ||
            it->is_symlink(one))
            continue;
        const auto written = std::filesystem::last_write_time(it->path(), one);
        if (!one && written < before)
            std::filesystem::remove(it->path(), one);
    }
#else
    (void)path; // the Windows temporary has one fixed name, replaced by the next write
#endif
}

std::optional<std::string> readWholeFile(const std::filesystem::path& path, bool* missing)
{
    removeStaleTemporaries(path);
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
    removeStaleTemporaries(path);
    std::string temp = path.string() + kTemporaryMark + "XXXXXX";
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
