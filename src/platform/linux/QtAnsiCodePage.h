#pragma once

#include "platform/AnsiCodePage.h"

namespace platform {

//! The narrow text of the files the program writes, through Qt's (ICU's) GB18030 converter:
//! the same bytes as code page 936 (GBK) for every character GBK has, four-byte sequences
//! for the rest, so nothing is lost.
class QtAnsiCodePage : public AnsiCodePage {
public:
    std::string fromUtf16(const std::u16string& text) const override;
    std::u16string toUtf16(const std::string& bytes) const override;
};

} // namespace platform
