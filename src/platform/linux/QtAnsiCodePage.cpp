#include "QtAnsiCodePage.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace platform {

// Stateless: a lead byte cut off at the end of one piece must not swallow the next piece.
std::string QtAnsiCodePage::fromUtf16(const std::u16string& text) const
{
    QStringEncoder encoder("GBK", QStringConverter::Flag::Stateless);
    const QByteArray bytes = encoder.encode(QStringView(text.data(), qsizetype(text.size())));
    return std::string(bytes.constData(), std::size_t(bytes.size()));
}

std::u16string QtAnsiCodePage::toUtf16(const std::string& bytes) const
{
    QStringDecoder decoder("GBK", QStringConverter::Flag::Stateless);
    const QString text = decoder.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()),
                          std::size_t(text.size()));
}

} // namespace platform
