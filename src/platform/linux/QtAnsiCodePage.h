#pragma once

#include "platform/AnsiCodePage.h"

namespace platform {

//! Code page 936 through Qt's (ICU's) GBK converter.
class QtAnsiCodePage : public AnsiCodePage {
public:
    std::string fromUtf16(const std::u16string& text) const override;
    std::u16string toUtf16(const std::string& bytes) const override;
};

} // namespace platform
