#include "WinAnsiCodePage.h"

#include <windows.h>

namespace platform {

std::string WinAnsiCodePage::fromUtf16(const std::u16string& text) const
{
    if (text.empty())
        return {};
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    const int n = WideCharToMultiByte(936, 0, wide, int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(std::size_t(n > 0 ? n : 0), '\0');
    WideCharToMultiByte(936, 0, wide, int(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::u16string WinAnsiCodePage::toUtf16(const std::string& bytes) const
{
    if (bytes.empty())
        return {};
    const int n = MultiByteToWideChar(936, 0, bytes.data(), int(bytes.size()), nullptr, 0);
    std::u16string out(std::size_t(n > 0 ? n : 0), u'\0');
    MultiByteToWideChar(936, 0, bytes.data(), int(bytes.size()),
                        reinterpret_cast<wchar_t*>(out.data()), n);
    return out;
}

} // namespace platform
