#include "platform/win/core/WString.h"

#include <gtest/gtest.h>

// Parsing stops at the first character that is not part of the number, whatever follows.
TEST(WString, ParsingTable) {
    struct Case {
        const WCHAR* text;
        int i;
        double d;
        int dLen; // characters wcstod consumed
    };
    const Case cases[] = {
        {u"3abc", 3, 3.0, 1},
        {u"  -12.5mm", -12, -12.5, 7},
        {u"+7", 7, 7.0, 2},
        {u"", 0, 0.0, 0},
        {u"abc", 0, 0.0, 0},
        {u"1e3x", 1, 1000.0, 3},
        {u"0.25", 0, 0.25, 4},
        {u"3,5", 3, 3.0, 1},
        {u"99999999999", 2147483647, 99999999999.0, 11},
        {u"-99999999999", -2147483648, -99999999999.0, 12},
        {u"12°", 12, 12.0, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ms::ToUtf8(c.text));
        EXPECT_EQ(_wtoi(c.text), c.i);
        WCHAR* end = nullptr;
        EXPECT_DOUBLE_EQ(wcstod(c.text, &end), c.d);
        EXPECT_EQ(end - c.text, c.dLen);
        EXPECT_DOUBLE_EQ(_wtof(c.text), c.d);
    }
    EXPECT_EQ(_wtoi(nullptr), 0);
    WCHAR* end = nullptr;
    EXPECT_EQ(wcstol(u"0x1Fz", &end, 16), 31);
    EXPECT_EQ(*end, u'z');
    EXPECT_EQ(wcstol(u"077", nullptr, 0), 63);
    EXPECT_EQ(wcstoul(u"4000000000", nullptr, 10), 4000000000u);
}

TEST(WString, BoundedCopiesAlwaysTerminate) {
    WCHAR buf[4] = {u'x', u'x', u'x', u'x'};
    EXPECT_EQ(ms::CopyBounded(buf, 4, u"abcdef"), 3u);
    EXPECT_EQ(std::u16string(buf), u"abc");
    EXPECT_EQ(ms::CopyBounded(buf, 4, static_cast<const WCHAR*>(nullptr)), 0u);
    EXPECT_EQ(buf[0], 0);
    lstrcpyn(buf, u"wxyz", 4);
    EXPECT_EQ(std::u16string(buf), u"wxy");
    EXPECT_EQ(lstrlen(nullptr), 0);
}

TEST(WString, ComparisonsAndSearch) {
    EXPECT_EQ(_wcsicmp(u"Größe", u"GRÖSSE") != 0, true);
    EXPECT_EQ(_wcsicmp(u"Größe.INI", u"gRÖße.ini"), 0);
    EXPECT_EQ(_wcsicmp(u"ПРИВЕТ", u"привет"), 0);
    EXPECT_LT(wcscmp(u"a", u"b"), 0);
    EXPECT_GT(_wcsicmp(u"b", u"A"), 0);
    EXPECT_EQ(wcsncmp(u"abcx", u"abcy", 3), 0);
    const WCHAR* path = u"/a/b.c/d.bmp";
    EXPECT_EQ(wcsrchr(path, u'.') - path, 8);
    EXPECT_EQ(wcschr(path, u'b') - path, 3);
    EXPECT_EQ(wcsstr(path, u"d.b") - path, 7);
    EXPECT_EQ(wcsstr(path, u"zz"), nullptr);
    WCHAR buf[16] = u"ab";
    wcscat(buf, u"cd");
    EXPECT_EQ(std::u16string(_wcsupr(buf)), u"ABCD");
}

TEST(WString, Utf8RoundTripAndBadInput) {
    const std::u16string text = u"µm ° 中文 😀";
    EXPECT_EQ(ms::FromUtf8(ms::ToUtf8(text)), text);
    EXPECT_EQ(ms::ToUtf8(u"°"), "\xC2\xB0");
    EXPECT_EQ(ms::FromUtf8("a\xFF"
                           "b"),
              u"a\uFFFDb");
    EXPECT_EQ(ms::FromUtf8("a\xE4"
                           "b"),
              u"a\uFFFDb");                               // Latin-1 byte inside UTF-8
    EXPECT_EQ(ms::FromUtf8("\xC0\xAF"), u"\uFFFD\uFFFD"); // overlong
    EXPECT_EQ(ms::FromUtf8("x\xE2\x82"), u"x\uFFFD");     // cut at the end
    const WCHAR lone[] = {0xD800, u'a', 0};
    EXPECT_EQ(ms::ToUtf8(lone), "\xEF\xBF\xBD"
                                "a");
}
