#include "platform/win/core/Profile.h"

#include "platform/win/core/Files.h"
#include "platform/win/core/WString.h"

#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <string>

namespace {

class ProfileTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/ms-ini-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        dir_ = ms::FromUtf8(tmpl);
        file_ = dir_ + u"/test.ini";
    }
    void TearDown() override { std::system(("rm -rf " + ms::ToUtf8(dir_)).c_str()); }
    void Write(std::string_view bytes) { ASSERT_TRUE(ms::WriteFileAtomic(file_, bytes)); }
    std::string Bytes() { return ms::ReadFileBytes(file_).value_or("<none>"); }
    std::u16string Get(LPCWSTR section, LPCWSTR key, LPCWSTR def = u"DEF", DWORD size = 64,
                       DWORD* ret = nullptr) {
        WCHAR buf[64];
        DWORD n = GetPrivateProfileString(section, key, def, buf, size, file_.c_str());
        if (ret)
            *ret = n;
        return std::u16string(buf, n);
    }
    std::u16string dir_, file_;
};

} // namespace

TEST_F(ProfileTest, StringRules) {
    Write("; comment\r\n"
          "orphan=before any section\r\n"
          "[Rontage]\r\n"
          "TipMeasure=Measure\r\n"
          "  Spaced Key  =   padded value   \r\n"
          "Quoted=\"  keeps inner blanks  \"\r\n"
          "Single='x'\r\n"
          "Half=\"open\r\n"
          "Empty=\r\n"
          ";Commented=no\r\n"
          "Equals=a=b\r\n"
          "  [ other ]  trailing\r\n"
          "TipMeasure=second section\r\n");
    struct Case {
        LPCWSTR section, key, def;
        std::u16string expected;
    };
    const Case cases[] = {
        {u"Rontage", u"TipMeasure", u"D", u"Measure"},
        {u"RONTAGE", u"tipmeasure", u"D", u"Measure"},
        {u"Rontage", u"Spaced Key", u"D", u"padded value"},
        {u"Rontage", u"Quoted", u"D", u"  keeps inner blanks  "},
        {u"Rontage", u"Single", u"D", u"x"},
        {u"Rontage", u"Half", u"D", u"\"open"},
        {u"Rontage", u"Empty", u"D", u""}, // present but empty: no default
        {u"Rontage", u"Commented", u"D", u"D"},
        {u"Rontage", u"Equals", u"D", u"a=b"},
        {u"Rontage", u"Missing", u"Default  ", u"Default"}, // default loses trailing blanks
        {u"Rontage", u"Missing", nullptr, u""},
        {u"Other", u"TipMeasure", u"D", u"second section"},
        {u"Nowhere", u"TipMeasure", u"D", u"D"},
        {u"Rontage", u"orphan", u"D", u"D"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ms::ToUtf8(c.key));
        EXPECT_EQ(Get(c.section, c.key, c.def), c.expected);
    }
    DWORD n = 0;
    EXPECT_EQ(Get(u"Rontage", u"TipMeasure", u"", 5, &n), u"Meas"); // cut to size-1
    EXPECT_EQ(n, 4u);
    EXPECT_EQ(Get(u"Rontage", u"Missing", u"Snapshot", 4, &n), u"Sna");
    EXPECT_EQ(GetPrivateProfileString(u"Rontage", u"TipMeasure", u"", nullptr, 10, file_.c_str()),
              0u);

    const std::u16string none = dir_ + u"/none.ini";
    WCHAR buf[16];
    EXPECT_EQ(GetPrivateProfileString(u"Rontage", u"TipMeasure", u"Measure", buf, 16, none.c_str()),
              7u);
    EXPECT_EQ(std::u16string(buf), u"Measure");
    EXPECT_EQ(GetPrivateProfileInt(u"a", u"b", 42, none.c_str()), 42u);
}

TEST_F(ProfileTest, NameListsAndIntegers) {
    Write("[A]\nx=1\ny=-5\nz=12abc\nw=abc\n[B]\n");
    WCHAR buf[16];
    DWORD n = GetPrivateProfileString(u"A", nullptr, u"", buf, 16, file_.c_str());
    EXPECT_EQ(std::u16string(buf, n + 1), std::u16string(u"x\0y\0z\0w\0", 9));
    n = GetPrivateProfileString(nullptr, nullptr, u"", buf, 16, file_.c_str());
    EXPECT_EQ(std::u16string(buf, n + 1), std::u16string(u"A\0B\0", 5));
    n = GetPrivateProfileString(u"A", nullptr, u"", buf, 5, file_.c_str());
    EXPECT_EQ(n, 3u); // cut: size-2, ending in two terminators
    EXPECT_EQ(std::u16string(buf, 5), std::u16string(u"x\0y\0\0", 5));
    EXPECT_EQ(GetPrivateProfileInt(u"a", u"X", 7, file_.c_str()), 1u);
    EXPECT_EQ(static_cast<int>(GetPrivateProfileInt(u"A", u"y", 7, file_.c_str())), -5);
    EXPECT_EQ(GetPrivateProfileInt(u"A", u"z", 7, file_.c_str()), 12u);
    EXPECT_EQ(GetPrivateProfileInt(u"A", u"w", 7, file_.c_str()), 0u);
}

TEST_F(ProfileTest, WritesKeepTheRestOfTheFile) {
    EXPECT_TRUE(WritePrivateProfileString(u"60.0", u"60.0", u"59.87", file_.c_str()));
    EXPECT_EQ(Bytes(), "[60.0]\r\n60.0=59.87\r\n");
    Write("; calibrations\r\n[A]\r\nk=1\r\n\r\n[B]\r\nk=2\r\n");
    EXPECT_TRUE(WritePrivateProfileString(u"a", u"K", u"10", file_.c_str()));
    EXPECT_TRUE(WritePrivateProfileString(u"A", u"new", u"n", file_.c_str()));
    EXPECT_TRUE(WritePrivateProfileString(u"C", u"c", u"3", file_.c_str()));
    EXPECT_EQ(Bytes(),
              "; calibrations\r\n[A]\r\nK=10\r\nnew=n\r\n\r\n[B]\r\nk=2\r\n[C]\r\nc=3\r\n");
    EXPECT_TRUE(WritePrivateProfileString(u"A", u"new", nullptr, file_.c_str()));
    EXPECT_TRUE(WritePrivateProfileString(u"B", nullptr, nullptr, file_.c_str()));
    EXPECT_TRUE(WritePrivateProfileString(u"Z", u"gone", nullptr, file_.c_str()));
    EXPECT_EQ(Bytes(), "; calibrations\r\n[A]\r\nK=10\r\n\r\n[C]\r\nc=3\r\n");
    EXPECT_FALSE(WritePrivateProfileString(u"A", u"k", u"v", (dir_ + u"/no/such.ini").c_str()));

    // Nothing written can add lines or sections of its own.
    const std::string before = Bytes();
    EXPECT_FALSE(WritePrivateProfileString(u"A", u"k", u"1\r\n[Evil]\r\nx=2", file_.c_str()));
    EXPECT_FALSE(WritePrivateProfileString(u"A", u"a=b", u"1", file_.c_str()));
    EXPECT_FALSE(WritePrivateProfileString(u"A]x", u"k", u"1", file_.c_str()));
    EXPECT_FALSE(WritePrivateProfileString(u"A", u";k", u"1", file_.c_str()));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(Bytes(), before);
}

// Names with blanks around them are the names without: a write replaces the one entry
// instead of adding a copy that no read finds.
TEST_F(ProfileTest, BlanksAroundNamesAreTrimmedOnBothSides) {
    for (const char* value : {"1", "2", "3"})
        EXPECT_TRUE(WritePrivateProfileString(u" Unit\t", u"\tunit  ", ms::FromUtf8(value).c_str(),
                                              file_.c_str()));
    EXPECT_EQ(Bytes(), "[Unit]\r\nunit=3\r\n");
    EXPECT_EQ(Get(u"  unit ", u" UNIT\t"), u"3");
    EXPECT_EQ(GetPrivateProfileInt(u"Unit ", u" unit", 0, file_.c_str()), 3u);
    EXPECT_TRUE(WritePrivateProfileString(u"Unit", u" unit ", nullptr, file_.c_str()));
    EXPECT_EQ(Bytes(), "[Unit]\r\n");
}

// The font of the text tool is kept as a struct: 92 bytes, 184 hex digits, then the checksum.
TEST_F(ProfileTest, StructEncodingOfLogfont) {
    LOGFONTW lf{};
    lf.lfHeight = 14;
    lf.lfWeight = 400;
    lf.lfCharSet = 134;
    lf.lfOutPrecision = 3;
    lf.lfClipPrecision = 2;
    lf.lfQuality = 1;
    lf.lfPitchAndFamily = 0x32;
    ms::CopyBounded(lf.lfFaceName, LF_FACESIZE, u"Arial");
    ASSERT_TRUE(WritePrivateProfileStruct(u"FONT", u"LOGFONT", &lf, sizeof lf, file_.c_str()));
    std::string text = Bytes();
    const std::string prefix = "[FONT]\r\nLOGFONT=";
    ASSERT_EQ(text.compare(0, prefix.size(), prefix), 0) << text;
    std::string value = text.substr(prefix.size(), text.size() - prefix.size() - 2);
    ASSERT_EQ(value.size(), 186u);
    EXPECT_EQ(value.substr(0, 16), "0E00000000000000");
    EXPECT_EQ(value.substr(184), "46");
    EXPECT_EQ(value.find_first_not_of("0123456789ABCDEF"), std::string::npos);

    LOGFONTW back{};
    ASSERT_TRUE(GetPrivateProfileStruct(u"font", u"logfont", &back, sizeof back, file_.c_str()));
    EXPECT_EQ(std::memcmp(&lf, &back, sizeof lf), 0);

    // A wrong checksum, length or digit fails and leaves the struct as it was.
    const std::string bad[] = {value.substr(0, 184) + "47", value.substr(2),
                               value.substr(0, 10) + "G" + value.substr(11)};
    for (const auto& b : bad) {
        Write("[FONT]\r\nLOGFONT=" + b + "\r\n");
        LOGFONTW keep{};
        keep.lfHeight = 99;
        EXPECT_FALSE(
            GetPrivateProfileStruct(u"FONT", u"LOGFONT", &keep, sizeof keep, file_.c_str()));
        EXPECT_EQ(keep.lfHeight, 99);
    }
    LOGFONTW missing{};
    EXPECT_FALSE(GetPrivateProfileStruct(u"FONT", u"LOGFONT", &missing, sizeof missing,
                                         (dir_ + u"/logfont.ini").c_str()));
}

TEST_F(ProfileTest, EncodingsByMarkOrNamedCodePage) {
    Write("\xEF\xBB\xBF[Rontage]\r\nSize=Gr\xC3\xB6\xC3\x9F"
          "e\r\n");
    EXPECT_EQ(Get(u"Rontage", u"Size"), u"Größe");
    EXPECT_TRUE(WritePrivateProfileString(u"Rontage", u"k", u"µ", file_.c_str()));
    EXPECT_EQ(Bytes(), "\xEF\xBB\xBF[Rontage]\r\nSize=Gr\xC3\xB6\xC3\x9F"
                       "e\r\nk=\xC2\xB5\r\n");

    std::string le = "\xFF\xFE";
    for (char16_t c : std::u16string(u"[Rontage]\r\nSize=中文\r\n"))
        le += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    Write(le);
    EXPECT_EQ(Get(u"Rontage", u"Size"), u"中文");
    EXPECT_TRUE(WritePrivateProfileString(u"Rontage", u"Size", u"x", file_.c_str()));
    EXPECT_EQ(Bytes().substr(0, 4), std::string("\xFF\xFE[\0", 4));

    // No mark: the code page named for the file decides; writes keep it.
    Write("[Rontage]\r\nSize=Gr\xF6\xDF"
          "e\r\n");
    ms::SetProfileCodePage(file_.c_str(), 1252);
    EXPECT_EQ(Get(u"Rontage", u"Size"), u"Größe");
    EXPECT_TRUE(WritePrivateProfileString(u"Rontage", u"k", u"ä中", file_.c_str()));
    EXPECT_EQ(Bytes(), "[Rontage]\r\nSize=Gr\xF6\xDF"
                       "e\r\nk=\xE4?\r\n");
    Write("[Rontage]\r\nSize=\xD6\xD0\xCE\xC4\r\n");
    ms::SetProfileCodePage(file_.c_str(), 936);
    EXPECT_EQ(Get(u"Rontage", u"Size"), u"中文");
    ms::SetProfileCodePage(file_.c_str(), 0);
    EXPECT_EQ(Get(u"Rontage", u"Size"), u"\uFFFD\uFFFD\uFFFD\uFFFD"); // read as UTF-8
}
