#include "WinProfile.h"

#include "platform/portable/ProfileEngine.h"

#include <windows.h>

namespace platform {

namespace {

const wchar_t* w(const std::u16string& s)
{
    return reinterpret_cast<const wchar_t*>(s.c_str());
}

// The profile functions cut at the buffer without saying so: a result that fills the buffer
// (minus `reserve` terminators) may have been cut, so the call is repeated with more room.
template <typename Call>
std::u16string grownResult(std::size_t first, std::size_t limit, DWORD reserve, Call call)
{
    std::u16string buf;
    for (std::size_t size = first;; size = size * 2 < limit ? size * 2 : limit) {
        buf.assign(size, u'\0');
        const DWORD n = call(reinterpret_cast<wchar_t*>(buf.data()), DWORD(size));
        if (n + reserve < size || size >= limit) {
            buf.resize(n);
            return buf;
        }
    }
}

std::vector<std::u16string> splitNulls(const std::u16string& list)
{
    std::vector<std::u16string> out;
    for (std::size_t pos = 0; pos < list.size();) {
        const std::size_t stop = list.find(u'\0', pos);
        const std::size_t end = stop == std::u16string::npos ? list.size() : stop;
        if (end > pos)
            out.push_back(list.substr(pos, end - pos));
        pos = end + 1;
    }
    return out;
}

constexpr std::size_t listLimit = 1 << 24;

} // namespace

std::u16string WinProfile::readString(const std::u16string& file, const std::u16string& section,
                                      const std::u16string& key, const std::u16string& fallback,
                                      std::size_t maxChars)
{
    const std::size_t limit = maxChars < listLimit ? maxChars + 1 : listLimit;
    return grownResult(limit < 4096 ? limit : 4096, limit, 1, [&](wchar_t* buf, DWORD size) {
        return GetPrivateProfileStringW(w(section), w(key), w(fallback), buf, size, w(file));
    });
}

bool WinProfile::writeString(const std::u16string& file, const std::u16string& section,
                             const std::u16string& key, const std::u16string& value)
{
    return profileWriteIsSafe(section, key, &value) &&
           WritePrivateProfileStringW(w(section), w(key), w(value), w(file));
}

bool WinProfile::deleteKey(const std::u16string& file, const std::u16string& section,
                           const std::u16string& key)
{
    return profileWriteIsSafe(section, key, nullptr) &&
           WritePrivateProfileStringW(w(section), w(key), nullptr, w(file));
}

std::vector<std::u16string> WinProfile::sectionNames(const std::u16string& file)
{
    return splitNulls(grownResult(4096, listLimit, 2, [&](wchar_t* buf, DWORD size) {
        return GetPrivateProfileSectionNamesW(buf, size, w(file));
    }));
}

std::vector<Profile::Entry> WinProfile::sectionEntries(const std::u16string& file,
                                                       const std::u16string& section)
{
    std::vector<Entry> entries;
    for (const auto& line :
         splitNulls(grownResult(4096, listLimit, 2, [&](wchar_t*buf, DWORD size) {
             return GetPrivateProfileSectionW(w(section), buf, size, w(file));
         }))) {
        const std::size_t eq = line.find(u'=');
        if (eq == std::u16string::npos)
            entries.emplace_back(line, std::u16string());
        else
            entries.emplace_back(line.substr(0, eq), line.substr(eq + 1));
    }
    return entries;
}

} // namespace platform
