#include "RegistryStore.h"

#include "AtomicFile.h"
#include "TextRules.h"

#include <charconv>
#include <cstdio>
#include <map>
#include <sstream>

namespace platform {

struct RegistryStore::Tree {
    struct Key {
        std::u16string path; // as first created
        std::vector<std::pair<std::u16string, RegistryValue>> values;

        template <typename Self> static auto findIn(Self& values, const std::u16string& name)
        {
            auto it = values.begin();
            while (it != values.end() && !text::equalNoCase(it->first, name))
                ++it;
            return it;
        }
        auto find(const std::u16string& name) { return findIn(values, name); }
        auto find(const std::u16string& name) const { return findIn(values, name); }
    };
    std::map<std::u16string, Key> keys; // by folded path; parents precede their subkeys

    //! The key, made with its parents when missing, each under the caller's spelling.
    Key& create(const std::u16string& folded, const std::u16string& display)
    {
        for (std::size_t pos = 0;;) {
            const std::size_t stop = display.find(u'\\', pos);
            auto& key = keys[folded.substr(0, stop)];
            if (key.path.empty())
                key.path = display.substr(0, stop);
            if (stop == std::u16string::npos)
                return key;
            pos = stop + 1;
        }
    }
};

namespace {

// Hex digits at `pos` of `s`; false on anything else, so a damaged file never throws.
template <typename T> bool parseHex(const std::string& s, std::size_t pos, std::size_t len, T& out)
{
    if (pos + len > s.size())
        return false;
    const auto r = std::from_chars(s.data() + pos, s.data() + pos + len, out, 16);
    return r.ec == std::errc() && r.ptr == s.data() + pos + len;
}

// UTF-8 in the file; UTF-16 in the interface.
std::string toUtf8(std::u16string_view s)
{
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        char32_t c = s[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < s.size() && s[i + 1] >= 0xDC00 &&
            s[i + 1] < 0xE000)
            c = 0x10000 + ((c - 0xD800) << 10) + (s[++i] - 0xDC00);
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += char(0xE0 | (c >> 12));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        } else {
            out += char(0xF0 | (c >> 18));
            out += char(0x80 | ((c >> 12) & 0x3F));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::u16string fromUtf8(std::string_view s)
{
    std::u16string out;
    for (std::size_t i = 0; i < s.size();) {
        const unsigned char b = s[i];
        const int extra = b < 0x80 ? 0 : b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : -1;
        char32_t c = extra == 0 ? b : extra == 1 ? b & 0x1F : extra == 2 ? b & 0x0F : b & 0x07;
        bool ok = extra >= 0 && i + std::size_t(extra) < s.size() + (extra ? 0 : 1);
        for (int k = 1; ok && k <= extra; ++k) {
            ok = (static_cast<unsigned char>(s[i + k]) & 0xC0) == 0x80;
            c = (c << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        }
        // Overlong forms (a line feed spelt in two bytes) and surrogates are not text.
        static constexpr char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
        if (!ok || c > 0x10FFFF || (extra > 0 && c < kLeast[extra]) ||
            (c >= 0xD800 && c < 0xE000)) {
            out += u'\uFFFD';
            ++i;
            continue;
        }
        i += std::size_t(extra) + 1;
        if (c >= 0x10000) {
            out += char16_t(0xD800 + ((c - 0x10000) >> 10));
            out += char16_t(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += char16_t(c);
        }
    }
    return out;
}

// Quotes and backslashes escaped as regedit does; line breaks and other control
// characters too, so no value can break the line structure of the file.
std::string quotedText(std::u16string_view s)
{
    std::string out = "\"";
    for (const char c : toUtf8(s)) {
        static const char hex[] = "0123456789abcdef";
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            out += "\\x";
            out += hex[c >> 4];
            out += hex[c & 15];
        } else {
            out += c;
        }
    }
    return out + "\"";
}

// Reads a quoted string at `pos`, leaving `pos` after the closing quote.
bool unquote(const std::string& line, std::size_t& pos, std::u16string& out)
{
    if (pos >= line.size() || line[pos] != '"')
        return false;
    std::string bytes;
    for (++pos; pos < line.size(); ++pos) {
        char c = line[pos];
        if (c == '"') {
            ++pos;
            out = fromUtf8(bytes);
            return true;
        }
        if (c == '\\' && pos + 1 < line.size()) {
            c = line[++pos];
            unsigned char code = 0;
            if (c == 'x' && parseHex(line, pos + 1, 2, code)) {
                c = char(code);
                pos += 2;
            }
        }
        bytes += c;
    }
    return false;
}

// The path's folded form, or nothing when advapi32 would refuse it (a leading backslash).
// Empty components ("a\\\\b", a trailing backslash) are skipped as Windows does.
std::optional<std::u16string> normalised(const std::u16string& path,
                                         std::u16string* display = nullptr)
{
    if (!path.empty() && path.front() == u'\\')
        return std::nullopt;
    // A control character in a name would break the line of its key in the file.
    for (const char16_t c : path)
        if (c < 0x20 || c == 0x7F)
            return std::nullopt;
    std::u16string out;
    for (std::size_t pos = 0; pos <= path.size();) {
        std::size_t stop = path.find(u'\\', pos);
        if (stop == std::u16string::npos)
            stop = path.size();
        if (stop > pos)
            out += (out.empty() ? u"" : u"\\") + path.substr(pos, stop - pos);
        pos = stop + 1;
    }
    if (display)
        *display = out;
    return text::folded(out);
}

} // namespace

const char* registryRootName(RegistryRoot root)
{
    switch (root) {
    case RegistryRoot::ClassesRoot:
        return "HKEY_CLASSES_ROOT";
    case RegistryRoot::CurrentUser:
        return "HKEY_CURRENT_USER";
    case RegistryRoot::LocalMachine:
        return "HKEY_LOCAL_MACHINE";
    case RegistryRoot::Users:
        return "HKEY_USERS";
    case RegistryRoot::CurrentConfig:
        return "HKEY_CURRENT_CONFIG";
    }
    return "HKEY_CURRENT_USER";
}

std::filesystem::path RegistryStore::fileOf(RegistryRoot root) const
{
    return directory_ / (std::string(registryRootName(root)) + ".reg");
}

bool RegistryStore::load(RegistryRoot root, Tree& tree) const
{
    const auto known = parsed(root);
    if (known)
        tree = *known;
    return known != nullptr;
}

std::shared_ptr<const RegistryStore::Tree> RegistryStore::parsed(RegistryRoot root) const
{
    bool missing = false;
    const auto bytes = files_.read(fileOf(root), &missing);
    if (!bytes && !missing)
        return nullptr;
    const std::string text = bytes.value_or(std::string());
    if (auto known = last_.find(text, int(root)))
        return known;
    auto result = std::make_shared<Tree>();
    Tree& tree = *result;
    tree.keys[u""]; // the root itself always exists
    const std::string prefix = std::string("[") + registryRootName(root);
    std::istringstream in(text);
    Tree::Key* key = nullptr;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        // "[HKEY_CURRENT_USER]" or "[HKEY_CURRENT_USER\\...]"; "[HKEY_CURRENT_USERS\\...]" is
        // no key of this root.
        if (line.rfind(prefix, 0) == 0 && line.size() > prefix.size() && line.back() == ']' &&
            (line[prefix.size()] == '\\' || line.size() == prefix.size() + 1)) {
            std::u16string display;
            const auto folded =
                normalised(fromUtf8(line.substr(prefix.size(), line.size() - prefix.size() - 1))
                               .substr(line[prefix.size()] == '\\' ? 1 : 0),
                           &display);
            key = folded ? &tree.keys[*folded] : nullptr;
            if (key && key->path.empty())
                key->path = display;
            continue;
        }
        if (!key)
            continue;
        std::size_t pos = 0;
        std::u16string name;
        if (line.rfind("@=", 0) == 0)
            pos = 1;
        else if (!unquote(line, pos, name))
            continue;
        if (pos >= line.size() || line[pos] != '=')
            continue;
        const std::string data = line.substr(++pos);
        RegistryValue value;
        std::u16string textValue;
        if (std::size_t at = 0; unquote(data, at, textValue)) {
            value = textValue;
        } else if (std::uint32_t n = 0;
                   data.rfind("dword:", 0) == 0 && data.size() == 14 && parseHex(data, 6, 8, n)) {
            value = n;
        } else if (data.rfind("hex:", 0) == 0) {
            std::vector<std::uint8_t> bin;
            std::uint8_t b = 0;
            for (std::size_t p = 4; parseHex(data, p, 2, b); p += 3)
                bin.push_back(b);
            value = bin;
        } else {
            continue;
        }
        if (key->find(name) == key->values.end())
            key->values.emplace_back(name, std::move(value));
    }
    last_.keep(text, result, int(root));
    return result;
}

bool RegistryStore::save(RegistryRoot root, const Tree& tree) const
{
    std::string out = "REGEDIT4\r\n";
    for (const auto& [folded, key] : tree.keys) {
        if (folded.empty() && key.values.empty())
            continue;
        out += std::string("\r\n[") + registryRootName(root) + (folded.empty() ? "" : "\\") +
               toUtf8(key.path) + "]\r\n";
        for (const auto& [name, value] : key.values) {
            out += name.empty() ? std::string("@") : quotedText(name);
            out += '=';
            if (const auto* s = std::get_if<std::u16string>(&value)) {
                out += quotedText(*s);
            } else if (const auto* n = std::get_if<std::uint32_t>(&value)) {
                char buf[16];
                std::snprintf(buf, sizeof buf, "dword:%08x", unsigned(*n));
                out += buf;
            } else {
                out += "hex:";
                char buf[4];
                for (const auto b : std::get<std::vector<std::uint8_t>>(value)) {
                    std::snprintf(buf, sizeof buf, "%02x,", unsigned(b));
                    out += buf;
                }
                if (out.back() == ',')
                    out.pop_back();
            }
            out += "\r\n";
        }
    }
    std::error_code ec;
    std::filesystem::create_directories(directory_, ec);
    return files_.write(fileOf(root), out);
}

bool RegistryStore::openKey(RegistryRoot root, const std::u16string& path, bool create)
{
    std::u16string display;
    const auto folded = normalised(path, &display);
    const auto known = folded ? parsed(root) : nullptr;
    if (!known)
        return false;
    if (known->keys.count(*folded))
        return !create || !refused(root); // creation asks for write access, as on Windows
    if (!create || refused(root))
        return false;
    Tree tree = *known;
    tree.create(*folded, display);
    return save(root, tree);
}

bool RegistryStore::write(RegistryRoot root, const std::u16string& path, const std::u16string& name,
                          RegistryValue value)
{
    std::u16string display;
    const auto folded = normalised(path, &display);
    Tree tree;
    if (refused(root) || !folded || !load(root, tree))
        return false;
    auto& key = tree.create(*folded, display);
    if (auto it = key.find(name); it != key.values.end())
        it->second = std::move(value);
    else
        key.values.emplace_back(name, std::move(value));
    return save(root, tree);
}

bool RegistryStore::writeString(RegistryRoot root, const std::u16string& path,
                                const std::u16string& name, const std::u16string& data)
{
    return write(root, path, name, data);
}

bool RegistryStore::writeNumber(RegistryRoot root, const std::u16string& path,
                                const std::u16string& name, std::uint32_t data)
{
    return write(root, path, name, data);
}

bool RegistryStore::writeBinary(RegistryRoot root, const std::u16string& path,
                                const std::u16string& name, const std::vector<std::uint8_t>& data)
{
    return write(root, path, name, data);
}

bool RegistryStore::deleteValue(RegistryRoot root, const std::u16string& path,
                                const std::u16string& name)
{
    const auto folded = normalised(path);
    Tree tree;
    if (refused(root) || !folded || !load(root, tree))
        return false;
    const auto key = tree.keys.find(*folded);
    if (key == tree.keys.end())
        return false;
    const auto value = key->second.find(name);
    if (value == key->second.values.end())
        return false;
    key->second.values.erase(value);
    return save(root, tree);
}

bool RegistryStore::deleteKeyTree(RegistryRoot root, const std::u16string& path)
{
    const auto folded = normalised(path);
    Tree tree;
    // Never the whole root: an empty path would wipe every key of it.
    if (refused(root) || !folded || folded->empty() || !load(root, tree) ||
        !tree.keys.count(*folded))
        return false;
    const std::u16string below = *folded + u"\\";
    for (auto it = tree.keys.begin(); it != tree.keys.end();)
        it = it->first == *folded || it->first.rfind(below, 0) == 0 ? tree.keys.erase(it)
                                                                    : std::next(it);
    return save(root, tree);
}

std::optional<RegistryValue> RegistryStore::readValue(RegistryRoot root, const std::u16string& path,
                                                      const std::u16string& name)
{
    const auto folded = normalised(path);
    const auto tree = folded ? parsed(root) : nullptr;
    if (!tree)
        return std::nullopt;
    auto key = tree->keys.find(*folded);
    if (key == tree->keys.end())
        return std::nullopt;
    const auto value = key->second.find(name);
    if (value == key->second.values.end())
        return std::nullopt;
    return value->second;
}

} // namespace platform
