#include "QtAnsiCodePage.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <type_traits>

namespace platform {

namespace {

// GB18030 holds every byte sequence of GBK with the same meaning, and every other Unicode
// character as well: files written before stay readable, and a name such as "jörg" or
// "Übersicht" is no longer written as '?'.
constexpr const char* kCodec = "GB18030";

// The two single bytes code page 936 gives a meaning that GB18030 does not: 0x80, the euro
// sign, and 0xFF, which Windows reads as a private-use character. They keep those bytes, so
// older files read as before and a rewrite gives back the bytes it read.
struct SingleByte {
    unsigned char byte;
    char16_t character;
};
constexpr SingleByte kSingleBytes[] = {{0x80, u'\u20AC'}, {0xFF, u'\uF8F5'}};

const SingleByte* singleByteOf(char16_t c)
{
    for (const auto& s : kSingleBytes)
        if (s.character == c)
            return &s;
    return nullptr;
}

const SingleByte* singleByteOf(unsigned char b)
{
    for (const auto& s : kSingleBytes)
        if (s.byte == b)
            return &s;
    return nullptr;
}

// ASCII is the same in GB18030; most profile lines are ASCII, so they skip the converter.
// One pass without a branch per character: the compiler does it a vector at a time.
template <typename To, typename From> bool asciiOnly(const From& in, To& out)
{
    using Unit = std::make_unsigned_t<typename From::value_type>;
    Unit seen = 0;
    for (const auto c : in)
        seen |= static_cast<Unit>(c);
    if (seen >= 0x80)
        return false;
    out.resize(in.size());
    for (std::size_t i = 0; i < in.size(); ++i)
        out[i] = static_cast<typename To::value_type>(in[i]);
    return true;
}

bool isTrail(unsigned char b)
{
    return b >= 0x40 && b <= 0xFE && b != 0x7F;
}

bool isDigit(unsigned char b)
{
    return b >= 0x30 && b <= 0x39;
}

//! The length of the character that starts at `i`: 1, 2 or 4 bytes. A byte that starts no
//! valid sequence counts as one, as the converter resumes after it.
std::size_t sequenceLength(const std::string& bytes, std::size_t i)
{
    const auto at = [&](std::size_t k) {
        return k < bytes.size() ? static_cast<unsigned char>(bytes[k]) : 0;
    };
    const unsigned char lead = at(i);
    if (lead < 0x81 || lead == 0xFF)
        return 1;
    if (isTrail(at(i + 1)))
        return 2;
    if (isDigit(at(i + 1)) && at(i + 2) >= 0x81 && at(i + 2) <= 0xFE && isDigit(at(i + 3)))
        return 4;
    return 1;
}

} // namespace

std::string QtAnsiCodePage::fromUtf16(const std::u16string& text) const
{
    if (std::string ascii; asciiOnly(text, ascii))
        return ascii;
    // Opening the converter costs more than converting a line: one per thread, reused.
    // Stateless, so a lead byte cut off at the end of one piece never joins the next piece.
    thread_local QStringEncoder encoder(kCodec, QStringConverter::Flag::Stateless);
    std::string out;
    std::size_t start = 0;
    const auto flush = [&](std::size_t end) {
        if (end == start)
            return;
        const QByteArray bytes =
            encoder.encode(QStringView(text.data() + start, qsizetype(end - start)));
        out.append(bytes.constData(), std::size_t(bytes.size()));
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const SingleByte* single = singleByteOf(text[i]);
        if (!single)
            continue;
        flush(i);
        out += char(single->byte);
        start = i + 1;
    }
    flush(text.size());
    return out;
}

std::u16string QtAnsiCodePage::toUtf16(const std::string& bytes) const
{
    if (std::u16string ascii; asciiOnly(bytes, ascii))
        return ascii;
    thread_local QStringDecoder decoder(kCodec, QStringConverter::Flag::Stateless);
    std::u16string out;
    std::size_t start = 0;
    const auto flush = [&](std::size_t end) {
        if (end == start)
            return;
        const QString text =
            decoder.decode(QByteArrayView(bytes.data() + start, qsizetype(end - start)));
        out.append(reinterpret_cast<const char16_t*>(text.utf16()), std::size_t(text.size()));
    };
    // 0x80 is a trail byte inside many pairs; only where a character starts is it the euro.
    for (std::size_t i = 0; i < bytes.size();) {
        if (const SingleByte* single = singleByteOf(static_cast<unsigned char>(bytes[i]))) {
            flush(i);
            out += single->character;
            start = ++i;
            continue;
        }
        i += sequenceLength(bytes, i);
    }
    flush(bytes.size());
    return out;
}

} // namespace platform
