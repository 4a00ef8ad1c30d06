#pragma once

#include <string>

namespace platform {

//! Conversion between UTF-16 and the narrow text of the files the program writes: code
//! page 936 (GBK) on Windows, where characters GBK lacks become '?'; GB18030 elsewhere, which
//! reads every GBK file the same and keeps every character. Bytes that do not decode become
//! a replacement character (U+FFFD through ICU; '?' or a private-use character through
//! Windows); the text around them is kept.
class AnsiCodePage {
public:
    virtual ~AnsiCodePage() = default;
    virtual std::string fromUtf16(const std::u16string& text) const = 0;
    virtual std::u16string toUtf16(const std::string& bytes) const = 0;
};

} // namespace platform
