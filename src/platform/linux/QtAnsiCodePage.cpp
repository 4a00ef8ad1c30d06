#include "QtAnsiCodePage.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <type_traits>

namespace platform {

// ASCII is the same in GBK; most profile lines are ASCII, so they skip the converter.
template <typename To, typename From> bool asciiOnly(const From& in, To& out)
{
    for (const auto c : in)
        if (static_cast<std::make_unsigned_t<typename From::value_type>>(c) >= 0x80)
            return false;
    out.assign(in.begin(), in.end());
    return true;
}

std::string QtAnsiCodePage::fromUtf16(const std::u16string& text) const
{
    if (std::string ascii; asciiOnly(text, ascii))
        return ascii;
    // Opening the converter costs more than converting a line: one per thread, reused.
    // Stateless, so a lead byte cut off at the end of one piece never joins the next piece.
    thread_local QStringEncoder encoder("GBK", QStringConverter::Flag::Stateless);
    const QByteArray bytes = encoder.encode(QStringView(text.data(), qsizetype(text.size())));
    return std::string(bytes.constData(), std::size_t(bytes.size()));
}

std::u16string QtAnsiCodePage::toUtf16(const std::string& bytes) const
{
    if (std::u16string ascii; asciiOnly(bytes, ascii))
        return ascii;
    thread_local QStringDecoder decoder("GBK", QStringConverter::Flag::Stateless);
    const QString text = decoder.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()),
                          std::size_t(text.size()));
}

} // namespace platform
