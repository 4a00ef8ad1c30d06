#pragma once

// Applies a registry editor file ("Windows Registry Editor Version 5.00", UTF-16LE) to a
// registry as the editor's import does, for the systems that have no editor of their own.
// Understands what the program's backups use: [ROOT\key], "name"="text", "name"=dword:,
// "name"=hex:, "name"=hex(1): and "name"=- (delete); @ for the default value.

#include "platform/Registry.h"

#include <optional>
#include <string>

namespace regfile {

inline std::u16string decodeUtf16(const std::string& bytes)
{
    std::u16string out;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
        out += char16_t(std::uint8_t(bytes[i]) | std::uint8_t(bytes[i + 1]) << 8);
    return out;
}

inline std::optional<platform::RegistryRoot> rootOf(const std::u16string& name)
{
    using R = platform::RegistryRoot;
    if (name == u"HKEY_CURRENT_USER")
        return R::CurrentUser;
    if (name == u"HKEY_LOCAL_MACHINE")
        return R::LocalMachine;
    if (name == u"HKEY_USERS")
        return R::Users;
    if (name == u"HKEY_CLASSES_ROOT")
        return R::ClassesRoot;
    return std::nullopt;
}

// Reads "..." at `pos` with \\ and \" escapes.
inline std::u16string quoted(const std::u16string& line, std::size_t& pos)
{
    std::u16string out;
    for (++pos; pos < line.size() && line[pos] != u'"'; ++pos)
        out += line[pos] == u'\\' ? line[++pos] : line[pos];
    ++pos;
    return out;
}

inline std::vector<std::uint8_t> hexBytes(const std::u16string& s)
{
    std::vector<std::uint8_t> out;
    for (std::size_t i = 0; i + 2 <= s.size(); i += 3)
        out.push_back(
            std::uint8_t(std::stoul(std::string(s.begin() + i, s.begin() + i + 2), nullptr, 16)));
    return out;
}

//! False on a line it does not understand or a change the registry refuses.
inline bool import(platform::Registry& reg, const std::u16string& text)
{
    std::optional<platform::RegistryRoot> root;
    std::u16string path;
    std::size_t start = 0;
    bool first = true;
    while (start < text.size()) {
        std::size_t end = text.find(u"\r\n", start);
        if (end == std::u16string::npos)
            end = text.size();
        const std::u16string line = text.substr(start, end - start);
        start = end + 2;
        if (first) {
            first = false;
            if (line != u"Windows Registry Editor Version 5.00")
                return false;
            continue;
        }
        if (line.empty())
            continue;
        if (line.front() == u'[') {
            const std::u16string full = line.substr(1, line.size() - 2);
            const std::size_t cut = full.find(u'\\');
            root = rootOf(full.substr(0, cut));
            path = full.substr(cut + 1);
            if (!root || !reg.openKey(*root, path, true))
                return false;
            continue;
        }
        if (!root)
            return false;
        std::size_t pos = 0;
        std::u16string name;
        if (line.front() == u'@')
            pos = 1;
        else
            name = quoted(line, pos);
        if (pos >= line.size() || line[pos] != u'=')
            return false;
        const std::u16string data = line.substr(pos + 1);
        bool ok = false;
        if (data == u"-") {
            // A value that is not there is no error, as in the editor.
            ok = reg.deleteValue(*root, path, name) || !reg.readValue(*root, path, name);
        } else if (data.front() == u'"') {
            std::size_t at = 0;
            ok = reg.writeString(*root, path, name, quoted(data, at));
        } else if (data.rfind(u"dword:", 0) == 0) {
            ok = reg.writeNumber(
                *root, path, name,
                std::uint32_t(std::stoul(std::string(data.begin() + 6, data.end()), nullptr, 16)));
        } else if (data.rfind(u"hex:", 0) == 0) {
            ok = reg.writeBinary(*root, path, name, hexBytes(data.substr(4)));
        } else if (data.rfind(u"hex(1):", 0) == 0) {
            const auto bytes = hexBytes(data.substr(7));
            std::u16string s;
            for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
                s += char16_t(bytes[i] | bytes[i + 1] << 8);
            while (!s.empty() && s.back() == u'\0')
                s.pop_back();
            ok = reg.writeString(*root, path, name, s);
        }
        if (!ok)
            return false;
    }
    return true;
}

} // namespace regfile
