#pragma once

#include <string>
#include <string_view>

namespace platform::text {

//! Case folding for names the system compares without case. Covers ASCII, Latin-1,
//! Greek and Cyrillic; CJK names have no case.
inline char16_t fold(char16_t c)
{
    if ((c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7) ||
        (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) || (c >= 0x430 && c <= 0x44F))
        return char16_t(c - 0x20);
    if (c >= 0x450 && c <= 0x45F)
        return char16_t(c - 0x50);
    return c;
}

inline std::u16string folded(std::u16string_view s)
{
    std::u16string out(s);
    for (auto& c : out)
        c = fold(c);
    return out;
}

inline bool equalNoCase(std::u16string_view a, std::u16string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (fold(a[i]) != fold(b[i]))
            return false;
    return true;
}

inline bool isBlank(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\v' || c == u'\f';
}

inline std::u16string_view trimmed(std::u16string_view s)
{
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

} // namespace platform::text
