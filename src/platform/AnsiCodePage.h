#pragma once

#include <string>

namespace platform {

//! Conversion between UTF-16 and the system's narrow ANSI code page (936, GBK).
//! Bytes that do not decode become U+FFFD; characters GBK lacks become '?'.
class AnsiCodePage {
public:
    virtual ~AnsiCodePage() = default;
    virtual std::string fromUtf16(const std::u16string& text) const = 0;
    virtual std::u16string toUtf16(const std::string& bytes) const = 0;
};

} // namespace platform
