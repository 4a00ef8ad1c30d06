#include "maintenance/OptimizationBackup.h"

#include "platform/portable/RegistryStore.h"

#include <cstdio>

namespace {

using platform::RawRegistryValue;

std::u16string Ascii(const std::string& s)
{
    return std::u16string(s.begin(), s.end());
}

std::u16string Quoted(const std::u16string& s)
{
    std::u16string out = u"\"";
    for (const char16_t c : s) {
        if (c == u'"' || c == u'\\')
            out += u'\\';
        out += c;
    }
    return out + u"\"";
}

std::u16string Hex(const std::vector<std::uint8_t>& bytes)
{
    static const char16_t digits[] = u"0123456789abcdef";
    std::u16string out;
    for (const std::uint8_t b : bytes) {
        if (!out.empty())
            out += u',';
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

// REG_SZ data as a quoted string when the quoted form can hold it exactly: one terminator
// at the end and no control characters; anything else goes as hex(1).
std::optional<std::u16string> PlainText(const RawRegistryValue& raw)
{
    if (raw.data.size() < 2 || raw.data.size() % 2)
        return std::nullopt;
    std::u16string text;
    for (std::size_t i = 0; i < raw.data.size(); i += 2)
        text += char16_t(raw.data[i] | raw.data[i + 1] << 8);
    if (text.back() != u'\0')
        return std::nullopt;
    text.pop_back();
    for (const char16_t c : text)
        if (c < 0x20)
            return std::nullopt;
    return text;
}

std::u16string Data(const RawRegistryValue& raw)
{
    if (raw.type == 1)
        if (const auto text = PlainText(raw))
            return Quoted(*text);
    if (raw.type == 4 && raw.data.size() == 4) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "dword:%08x",
                      unsigned(raw.data[0] | raw.data[1] << 8 | raw.data[2] << 16 |
                               std::uint32_t(raw.data[3]) << 24));
        return Ascii(buf);
    }
    if (raw.type == 3)
        return u"hex:" + Hex(raw.data);
    char type[16];
    std::snprintf(type, sizeof type, "hex(%x):", unsigned(raw.type));
    return Ascii(type) + Hex(raw.data);
}

std::u16string KeyLine(const OptimizationGroup& group)
{
    return u"[" + Ascii(platform::registryRootName(group.root)) + u"\\" + group.path + u"]\r\n";
}

} // namespace

std::u16string OptimizationBackupText(platform::Registry& registry,
                                      const std::vector<OptimizationGroup>& table)
{
    std::u16string out = u"Windows Registry Editor Version 5.00\r\n";
    for (const OptimizationGroup& group : table) {
        if (group.deleteKey) {
            // Only its default value can be kept; a key that is not there needs nothing.
            if (!registry.openKey(group.root, group.path, false))
                continue;
            out += u"\r\n" + KeyLine(group);
            if (const auto raw = registry.readRaw(group.root, group.path, u""))
                out += u"@=" + Data(*raw) + u"\r\n";
            continue;
        }
        out += u"\r\n" + KeyLine(group);
        for (const auto& value : group.values) {
            const std::u16string& name = value.first;
            const auto raw = registry.readRaw(group.root, group.path, name);
            out += Quoted(name) + u"=" + (raw ? Data(*raw) : u"-") + u"\r\n";
        }
    }
    return out;
}

std::string RegistryFileBytes(const std::u16string& text)
{
    std::string bytes = "\xFF\xFE";
    for (const char16_t c : text) {
        bytes += char(c & 0xFF);
        bytes += char(c >> 8);
    }
    return bytes;
}
