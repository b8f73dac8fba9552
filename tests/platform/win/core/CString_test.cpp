#include "platform/win/core/CString.h"

#include <gtest/gtest.h>
#include <map>

TEST(CString, SearchAndSlicesClampLikeWindows) {
    CString s(u"Picture_001.bmp");
    EXPECT_EQ(s.GetLength(), 15);
    EXPECT_EQ(s.Find(u'_'), 7);
    EXPECT_EQ(s.Find(u"bmp"), 12);
    EXPECT_EQ(s.Find(u'x'), -1);
    EXPECT_EQ(s.Find(u'P', 1), -1);
    EXPECT_EQ(s.Find(u"p", 100), -1);
    EXPECT_EQ(s.ReverseFind(u'.'), 11);
    EXPECT_EQ(s.FindOneOf(u"._"), 7);
    EXPECT_EQ(s.Left(7), u"Picture");
    EXPECT_EQ(s.Mid(8, 3), u"001");
    EXPECT_EQ(s.Mid(12), u"bmp");
    EXPECT_EQ(s.Mid(40), u"");
    EXPECT_EQ(s.Mid(-3, 2), u"Pi");
    EXPECT_EQ(s.Right(3), u"bmp");
    EXPECT_EQ(s.Right(99), s);
    EXPECT_EQ(s.Left(-1), u"");
    EXPECT_EQ(s.SpanIncluding(u"Pictrue"), u"Picture");
    EXPECT_EQ(s.SpanExcluding(u"_."), u"Picture");
    EXPECT_EQ(s[0], u'P');
    EXPECT_EQ(s.GetAt(14), u'p');
}

TEST(CString, EditingAndCase) {
    CString s(u"  12,5 mm\t");
    s.Trim();
    EXPECT_EQ(s, u"12,5 mm");
    EXPECT_EQ(s.Replace(u',', u'.'), 1);
    EXPECT_EQ(s.Replace(u" mm", u""), 1);
    EXPECT_EQ(s, u"12.5");
    EXPECT_EQ(s.Insert(0, u"L:"), 6);
    EXPECT_EQ(s.Delete(0, 2), 4);
    EXPECT_EQ(s.Remove(u'.'), 1);
    EXPECT_EQ(s, u"125");
    CString t(u"xxAbCxx");
    t.Trim(u'x');
    EXPECT_EQ(t, u"AbC");
    EXPECT_EQ(CString(t).MakeUpper(), u"ABC");
    EXPECT_EQ(t.MakeLower(), u"abc");
    EXPECT_EQ(CString(u"Äpfel").CompareNoCase(u"äPFEL"), 0);
    EXPECT_NE(CString(u"a").Compare(u"b"), 0);
    EXPECT_TRUE(CString(u"a") < CString(u"b"));
    CString joined = u"a" + CString(u"b") + u'c' + u"d";
    EXPECT_EQ(joined, u"abcd");
    EXPECT_TRUE(u"abcd" == joined);
    EXPECT_TRUE(joined != u"abc");
    std::map<CString, int> byName{{CString(u"b"), 2}, {CString(u"a"), 1}};
    EXPECT_EQ(byName.begin()->second, 1);
}

TEST(CString, BufferFillAndRelease) {
    CString s(u"abc");
    WCHAR* p = s.GetBuffer(260);
    ms::CopyBounded(p, 261, u"/home/user/pictures");
    s.ReleaseBuffer();
    EXPECT_EQ(s, u"/home/user/pictures");
    p = s.GetBufferSetLength(3);
    p[2] = u'X';
    s.ReleaseBuffer(3);
    EXPECT_EQ(s, u"/hX");
    EXPECT_EQ(wcslen(static_cast<LPCWSTR>(s)), 3u);
}

TEST(CString, Utf8AndStringResources) {
    CString s = CString::FromUtf8("Größe °");
    EXPECT_EQ(s.GetLength(), 7);
    EXPECT_EQ(s.ToUtf8(), "Größe °");

    CString r(u"unchanged");
    EXPECT_FALSE(r.LoadString(100));
    ms::SetStringLoader([](UINT id, std::u16string& out) {
        if (id != 100)
            return false;
        out = u"Save success";
        return true;
    });
    EXPECT_FALSE(r.LoadString(101));
    EXPECT_EQ(r, u"unchanged");
    EXPECT_TRUE(r.LoadString(100));
    EXPECT_EQ(r, u"Save success");
    ms::SetStringLoader(nullptr);
}
