#include "PlatformUnderTest.h"

#include <gtest/gtest.h>

namespace {

TEST(AnsiCodePageTest, ConvertsBothWaysInCodePage936)
{
    const under_test::AnsiCodePage ansi;
    const struct {
        std::u16string text;
        std::string bytes;
    } rows[] = {
        {u"", ""},
        {u"Quorlin 1.0", "Quorlin 1.0"},
        {u"中文", "\xd6\xd0\xce\xc4"},
        {u"闹钟=7:30", "\xc4\xd6\xd6\xd3=7:30"},
        {u"€", "\x80"},
        {u"ǎ", "\xa8\xa3"}, // pinyin letters are in GBK
#ifndef _WIN32
        // Characters outside GBK survive as four-byte sequences.
        {u"/home/jörg/Übersicht.sh", "/home/j\x81\x30\x8b\x32rg/\x81\x30\x89\x35"
                                     "bersicht.sh"},
        {u"Straße", "Stra\x81\x30\x89\x38"
                    "e"},
        {u"café 한국 😀", "caf\xa8\xa6 \x83\x36\x84\x33\x82\x37\xf4\x30 \x94\x39\xfc\x36"},
        {u"\u0E01€", "\x81\x32\xce\x39\x80"},
#endif
    };
    for (const auto& row : rows) {
        EXPECT_EQ(ansi.fromUtf16(row.text), row.bytes);
        EXPECT_EQ(ansi.toUtf16(row.bytes), row.text);
    }
#ifdef _WIN32
    // The system's code page has no four-byte sequences.
    EXPECT_EQ(ansi.fromUtf16(u"x\u0E01y\u05D0z"), "x?y?z");
#else
    // 0x80 is the euro only where a character starts; as a trail byte it is part of a pair.
    EXPECT_EQ(ansi.toUtf16("\x81\x80\x80"), u"\u4E90€");
    EXPECT_EQ(ansi.toUtf16("\xa2\xe3"), u"€");
#endif
}

TEST(AnsiCodePageTest, TextAroundInvalidBytesSurvives)
{
    const under_test::AnsiCodePage ansi;
    for (const std::string bytes : {"ab\x81\x20\xd6\xd0", "ab\xff\xd6\xd0", "ab\x80\x7f\xd6\xd0"}) {
        const std::u16string text = ansi.toUtf16(bytes);
        EXPECT_EQ(text.substr(0, 2), u"ab");
        EXPECT_EQ(text.back(), u'中');
    }
    EXPECT_EQ(ansi.toUtf16("ab\xd6").substr(0, 2), u"ab"); // lead byte cut off at the end
    EXPECT_EQ(ansi.toUtf16("\xd0x").find(u'中'), std::u16string::npos); // and not carried over
#ifndef _WIN32
    // A four-byte sequence cut off at the end is not joined to the next piece either.
    EXPECT_EQ(ansi.toUtf16("ab\x81\x30").substr(0, 2), u"ab");
    EXPECT_EQ(ansi.toUtf16("\x8b\x32x").find(u'ö'), std::u16string::npos);
#endif
}

} // namespace
