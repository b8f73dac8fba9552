#include "platform/win/core/Format.h"

#include "platform/win/core/CString.h"

#include <clocale>
#include <cstring>
#include <gtest/gtest.h>
#include <string>

namespace {

std::string U8(const std::u16string& s) {
    return ms::ToUtf8(s);
}

// One table for every conversion the system's texts use; run in "C" and in a German locale,
// where the C library itself would write "3,142".
void CheckTable() {
    const WCHAR* mm = u"mm";
    EXPECT_EQ(U8(ms::Format(u"L:%.*f%s", 3, 63.83, mm)), "L:63.830mm");
    EXPECT_EQ(U8(ms::Format(u"[%3d]", 7)), "[  7]");
    EXPECT_EQ(U8(ms::Format(u"[%3d]", 12345)), "[12345]");
    EXPECT_EQ(U8(ms::Format(u"%4d.%2d", 2024, 5)), "2024. 5");
    EXPECT_EQ(U8(ms::Format(u"%02d:%02d", 9, 5)), "09:05");
    EXPECT_EQ(U8(ms::Format(u"%s|%-6s|%6s", u"Größe", u"ab", u"ab")), "Größe|ab    |    ab");
    EXPECT_EQ(U8(ms::Format(u"%.2f°", 45.678)), "45.68°");
    EXPECT_EQ(U8(ms::Format(u"%f %e %g", 1.5, 1234.5, 0.0001)), "1.500000 1.234500e+03 0.0001");
    EXPECT_EQ(U8(ms::Format(u"%+d % d %-4d|", 5, 5, 5)), "+5  5 5   |");
    EXPECT_EQ(U8(ms::Format(u"%u %x %X %#x %o", 4000000000u, 255u, 255u, 255u, 8u)),
              "4000000000 ff FF 0xff 10");
    EXPECT_EQ(U8(ms::Format(u"%ld %lu %I64d %lld", LONG(-7), DWORD(7), LONGLONG(1) << 40,
                            -(LONGLONG(1) << 40))),
              "-7 7 1099511627776 -1099511627776");
    EXPECT_EQ(U8(ms::Format(u"%c%c%C", WCHAR(u'ä'), WCHAR(u'b'), 'c')), "äbc");
    EXPECT_EQ(U8(ms::Format(u"%S|%hs|%ls", "äx", "y", u"z")), "äx|y|z");
    EXPECT_EQ(U8(ms::Format(u"%*d|%-*d|%.3s", 4, 1, 3, 2, u"abcdef")), "   1|2  |abc");
    EXPECT_EQ(U8(ms::Format(u"100%% %s", static_cast<const WCHAR*>(nullptr))), "100% (null)");
    EXPECT_EQ(U8(ms::Format(u"%p", reinterpret_cast<void*>(0x1234))), "0000000000001234");
    EXPECT_EQ(U8(ms::Format(u"%y %")), "%y %");
}

} // namespace

TEST(Format, TableInCLocale) {
    CheckTable();
}

TEST(Format, TableUnderGermanLocaleStillUsesPoint) {
    std::string old = std::setlocale(LC_ALL, nullptr);
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
        GTEST_SKIP() << "locale de_DE.UTF-8 is not installed (localedef -i de_DE -f UTF-8)";
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 1.5);
    EXPECT_STREQ(probe, "1,5"); // the locale is really in effect
    CheckTable();
    EXPECT_DOUBLE_EQ(_wtof(u"3.25"), 3.25);
    std::setlocale(LC_ALL, old.c_str());
}

TEST(Format, BoundedCallsTerminateAndReportCuts) {
    WCHAR buf[6];
    EXPECT_EQ(swprintf(buf, 6, u"%d", 12345), 5);
    EXPECT_EQ(std::u16string(buf), u"12345");
    EXPECT_EQ(swprintf(buf, 6, u"%d", 123456), -1);
    EXPECT_EQ(std::u16string(buf), u"12345");
    EXPECT_EQ(_snwprintf(buf, 3, u"%s", u"abcdef"), -1);
    EXPECT_EQ(std::u16string(buf), u"ab");

    WCHAR big[1100];
    std::u16string longText(2000, u'x');
    EXPECT_EQ(wsprintf(big, u"%s", longText.c_str()), 1023);
    EXPECT_EQ(wcslen(big), 1023u);
}

TEST(Format, PrecisionReadsNoFurtherThanItAllows) {
    const WCHAR fixed[3] = {u'a', u'b', u'c'}; // a fixed field without terminator
    const char narrow[2] = {'x', 'y'};
    EXPECT_EQ(U8(ms::Format(u"%.3s|%.2S", fixed, narrow)), "abc|xy");
}

TEST(Format, CStringFormatAndAppend) {
    const CString unit(u"mm");
    const std::u16string name = u"Line";
    WCHAR label[32];
    EXPECT_EQ(swprintf(label, 32, u"%s %.1f%s", name, 2.4, unit), 10); // text objects as %s
    EXPECT_EQ(std::u16string(label), u"Line 2.4mm");
    CString s;
    s.Format(u"%d/%s", 3, u"4");
    s.AppendFormat(u"=%.2f", 0.75);
    EXPECT_EQ(s, u"3/4=0.75");
    CString longOne;
    longOne.Format(u"%0500d", 1); // longer than any small buffer inside
    EXPECT_EQ(longOne.GetLength(), 500);
    EXPECT_EQ(longOne.Right(2), u"01");
}
