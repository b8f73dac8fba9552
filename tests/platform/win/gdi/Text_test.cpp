#include "GdiTestEnv.h"
#include "platform/win/gdi/RecordingDC.h"

#include <QFontInfo>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

using namespace gdi_test;
using ::testing::HasSubstr;

namespace {

HFONT ArialFont(int height, int escapement = 0) {
    LOGFONTW lf{};
    lf.lfHeight = height;
    lf.lfWeight = FW_NORMAL;
    lf.lfEscapement = escapement;
    const char16_t face[] = u"Arial";
    std::copy(std::begin(face), std::end(face), lf.lfFaceName);
    return CreateFontIndirect(&lf);
}

TEST(GdiText, FaceTableMapsWindowsFaces) {
    EXPECT_EQ(ms::MapFontFace(u"Arial"), "Liberation Sans");
    EXPECT_EQ(ms::MapFontFace(u"arial"), "Liberation Sans");
    EXPECT_EQ(ms::MapFontFace(u"SimSun"), "Noto Sans CJK SC");
    EXPECT_EQ(ms::MapFontFace(u"Arial Unicode MS"), "DejaVu Sans");
    EXPECT_EQ(ms::MapFontFace(u""), "DejaVu Sans");
    LOGFONTW lf{};
    ASSERT_EQ(GetObject(GetStockObject(ANSI_FIXED_FONT), sizeof lf, &lf), int(sizeof lf));
    EXPECT_EQ(ms::MapFontFace(lf.lfFaceName), "DejaVu Sans Mono");
    HFONT f = ArialFont(-14);
    EXPECT_EQ(QFontInfo(ms::QFontOfHandle(f)).family(), "Liberation Sans");
    DeleteObject(f);
    // A LOGFONT read from a file may fill its face name to the end: the font keeps a
    // terminated name.
    LOGFONTW full{};
    full.lfHeight = -12;
    std::fill(std::begin(full.lfFaceName), std::end(full.lfFaceName), u'A');
    f = CreateFontIndirect(&full);
    LOGFONTW back{};
    GetObject(f, sizeof back, &back);
    EXPECT_EQ(back.lfFaceName[LF_FACESIZE - 1], 0);
    EXPECT_EQ(back.lfFaceName[LF_FACESIZE - 2], u'A');
    DeleteObject(f);
}

struct HeightCase {
    int lfHeight;
    int minCell, maxCell;
};

// Negative heights give the character height, positive ones the cell height.
TEST(GdiText, FontHeightsFollowTheLogfontSign) {
    const HeightCase cases[] = {{-20, 21, 26}, {20, 19, 21}, {14, 13, 15}, {0, 12, 20}};
    for (const auto& c : cases) {
        MemDC dc(10, 10);
        HFONT f = ArialFont(c.lfHeight);
        HGDIOBJ old = SelectObject(dc, f);
        TEXTMETRIC tm{};
        ASSERT_TRUE(GetTextMetrics(dc, &tm));
        EXPECT_GE(tm.tmHeight, c.minCell) << c.lfHeight;
        EXPECT_LE(tm.tmHeight, c.maxCell) << c.lfHeight;
        EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
        SIZE one{}, two{};
        GetTextExtentPoint32(dc, u"L:5.930mm", 9, &one);
        GetTextExtentPoint32(dc, u"L:5.930mmL:5.930mm", 18, &two);
        EXPECT_EQ(one.cy, tm.tmHeight);
        EXPECT_GT(one.cx, 0);
        EXPECT_EQ(two.cx, 2 * one.cx);
        SelectObject(dc, old);
        DeleteObject(f);
    }
}

// No anti-aliasing: transparent text changes pixels only to the text colour; an opaque
// background fills the text's cell.
TEST(GdiText, TextOutDrawsCrispTextAndOpaqueCells) {
    MemDC dc(120, 40);
    HFONT f = ArialFont(-16);
    HGDIOBJ old = SelectObject(dc, f);
    SetTextColor(dc, RGB(255, 0, 0));
    SetBkMode(dc, TRANSPARENT);
    TextOut(dc, 5, 5, u"Measure 12", 10);
    const int red = dc.Count(RGB(255, 0, 0));
    EXPECT_GT(red, 20);
    EXPECT_EQ(red + dc.Count(kWhite), 120 * 40);
    SIZE ext{};
    GetTextExtentPoint32(dc, u"Measure 12", 10, &ext);
    MemDC opaque(120, 40);
    SelectObject(opaque, f);
    SetBkColor(opaque, RGB(0, 0, 255));
    TextOut(opaque, 5, 5, u"Measure 12", 10);
    QRect box;
    const int blue = opaque.Count(RGB(0, 0, 255), &box);
    EXPECT_EQ(box, QRect(5, 5, ext.cx, ext.cy));
    EXPECT_EQ(blue + opaque.Count(kBlack), ext.cx * ext.cy);
    SelectObject(dc, old);
    DeleteObject(f);
}

TEST(GdiText, EscapementTurnsTextDownwards) {
    MemDC dc(60, 120);
    HFONT f = ArialFont(-14, 2700);
    SelectObject(dc, f);
    SetBkMode(dc, TRANSPARENT);
    TextOut(dc, 30, 5, u"L:12.5mm", 8);
    QRect box;
    EXPECT_GT(dc.Count(kBlack, &box), 0);
    EXPECT_GT(box.height(), 2 * box.width());
    EXPECT_LE(box.right(), 30) << "text turned 270 degrees runs down on the left of its origin";
    EXPECT_GE(box.top(), 5);
    SelectObject(dc, GetStockObject(SYSTEM_FONT));
    DeleteObject(f);
}

TEST(GdiText, DrawTextMeasuresAlignsAndStripsPrefixes) {
    MemDC dc(200, 60);
    HFONT f = ArialFont(-14);
    SelectObject(dc, f);
    SIZE file{};
    GetTextExtentPoint32(dc, u"File", 4, &file);
    RECT calc{10, 10, 10, 10};
    const int h = DrawText(dc, u"&File", -1, &calc, DT_SINGLELINE | DT_CALCRECT);
    EXPECT_EQ(h, file.cy);
    EXPECT_EQ(calc.right - calc.left, file.cx);
    EXPECT_EQ(calc.bottom - calc.top, file.cy);
    EXPECT_EQ(dc.Count(kBlack), 0) << "DT_CALCRECT draws nothing";
    // Three lines when broken at words, each one text height.
    RECT wrap{0, 0, 30, 0};
    EXPECT_EQ(DrawText(dc, u"one two three", -1, &wrap, DT_WORDBREAK | DT_CALCRECT), 3 * file.cy);
    // Centred in both directions: the drawn pixels sit around the rectangle's centre.
    SetBkMode(dc, TRANSPARENT);
    RECT r{0, 0, 200, 60};
    DrawText(dc, u"Centre", -1, &r, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    QRect box;
    dc.Count(kBlack, &box);
    EXPECT_NEAR(box.center().x(), 100, 3);
    EXPECT_NEAR(box.center().y(), 30, 4);
    // A label wider than its 20-pixel box is centred on it and spills over both sides.
    MemDC label(200, 40);
    SelectObject(label, f);
    RECT small{90, 10, 110, 30};
    DrawText(label, u"Label 123456", -1, &small, DT_CENTER);
    label.Count(kBlack, &box);
    EXPECT_LT(box.left(), 90);
    EXPECT_GT(box.right(), 110);
    EXPECT_NEAR(box.center().x(), 100, 3);
    SelectObject(label, GetStockObject(SYSTEM_FONT));
    SelectObject(dc, GetStockObject(SYSTEM_FONT));
    DeleteObject(f);
}

TEST(GdiText, RecordingDcListsTheCallsWithTheirArguments) {
    HDC dc = ms::CreateRecordingDC(50, 50);
    HPEN pen = CreatePen(PS_DOT, 1, RGB(255, 0, 0));
    HGDIOBJ old = SelectObject(dc, pen);
    SelectObject(dc, old);
    DeleteObject(pen);
    MoveToEx(dc, 100, 100, nullptr);
    LineTo(dc, 300, 100);
    SetTextColor(dc, RGB(0, 255, 0));
    TextOut(dc, 150, 80, u"L:5.930mm", 9);
    RECT r{0, 0, 20, 20};
    DrawText(dc, u"A", -1, &r, DT_CENTER);
    const std::string calls = ms::ToString(ms::TakeRecordedCalls(dc));
    EXPECT_THAT(calls, HasSubstr("SelectObject(1,2,1,255)\nSelectObject(1,0,1,0)\n"));
    EXPECT_THAT(calls, HasSubstr("MoveToEx(100,100)\nLineTo(300,100)\n"));
    EXPECT_THAT(calls, HasSubstr("SetTextColor(65280)\nTextOut(150,80,\"L:5.930mm\")\n"));
    EXPECT_THAT(calls, HasSubstr("DrawText(0,0,20,20,1,\"A\")"));
    EXPECT_TRUE(ms::TakeRecordedCalls(dc).empty());
    DeleteDC(dc);
}

} // namespace

namespace {

struct FontCase {
    LONG height;
    LONG escapement;
    LONG weight;
    BYTE italic, underline;
    const char16_t* face;
};

// The picture a set of text calls leaves on a striped background, in one font, background
// mode and clip; `mono` draws into a monochrome bitmap.
QImage TextPicture(const FontCase& f, int bkMode, bool clip, bool mono) {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bmp = mono ? CreateBitmap(200, 100, 1, 1, nullptr)
                       : CreateCompatibleBitmap(dc, 200, 100);
    HGDIOBJ oldBmp = SelectObject(dc, bmp);
    for (int i = 0; i < 5; ++i) {
        HBRUSH b = CreateSolidBrush(RGB(40 * i, 255 - 50 * i, 90));
        RECT stripe{40 * i, 0, 40 * i + 40, 100};
        FillRect(dc, &stripe, b);
        DeleteObject(b);
    }
    LOGFONTW lf{};
    lf.lfHeight = f.height;
    lf.lfEscapement = f.escapement;
    lf.lfWeight = f.weight;
    lf.lfItalic = f.italic;
    lf.lfUnderline = f.underline;
    for (int i = 0; f.face[i] && i < LF_FACESIZE - 1; ++i)
        lf.lfFaceName[i] = f.face[i];
    HFONT font = CreateFontIndirect(&lf);
    HGDIOBJ oldFont = SelectObject(dc, font);
    SetTextColor(dc, RGB(200, 30, 40));
    SetBkColor(dc, RGB(10, 120, 250));
    SetBkMode(dc, bkMode);
    if (clip) {
        IntersectClipRect(dc, 15, 12, 150, 80);
        ExcludeClipRect(dc, 40, 30, 60, 50);
    }
    struct Place {
        int x, y;
        UINT align;
    };
    const Place places[] = {{20, 20, TA_LEFT | TA_TOP},
                            {100, 50, TA_CENTER | TA_BASELINE},
                            {195, 95, TA_RIGHT | TA_BOTTOM},
                            {-7, -3, TA_LEFT | TA_TOP},
                            {185, 60, TA_LEFT | TA_TOP}};
    const std::u16string texts[] = {u"L:5.926mm", u"87.32\u00B0", u"Wg|", u"\u6D4B\u91CF 12"};
    for (const std::u16string& text : texts)
        for (const Place& p : places) {
            SetTextAlign(dc, p.align);
            TextOut(dc, p.x, p.y, text.c_str(), static_cast<int>(text.size()));
        }
    SetTextAlign(dc, TA_LEFT | TA_TOP);
    RECT box{30, 60, 90, 75};
    ExtTextOut(dc, 25, 58, ETO_CLIPPED, &box, u"clipped text", 12, nullptr);
    RECT label{90, 10, 110, 30};
    DrawText(dc, u"&File 12", -1, &label, DT_CENTER);
    SelectObject(dc, oldFont);
    DeleteObject(font);
    SelectObject(dc, oldBmp);
    const QImage picture = ms::ImageOfBitmap(bmp);
    DeleteObject(bmp);
    DeleteDC(dc);
    return picture;
}

// Text drawn from the cache of runs is the picture Qt draws, pixel for pixel: the first time
// (the run is taken) and the second (drawn from its spans), in every face, turn, alignment,
// background mode, clip and target, also partly outside the picture.
TEST(GdiText, CachedRunsDrawQtsOwnPixels) {
    const FontCase fonts[] = {
        {-14, 0, FW_NORMAL, 0, 0, u"Arial"},   {14, 0, FW_BOLD, 0, 0, u"Arial"},
        {20, 0, FW_NORMAL, 1, 1, u"Times"},    {-14, 2700, FW_NORMAL, 0, 0, u"Arial"},
        {-16, 900, FW_BOLD, 0, 0, u"Courier"}, {-12, 450, FW_NORMAL, 0, 0, u"Arial"},
        {-70, 0, FW_NORMAL, 0, 0, u"Arial"},   {-13, 0, FW_NORMAL, 0, 0, u"SimSun"},
    };
    struct Mode {
        int bkMode;
        bool clip, mono;
    };
    const Mode modes[] = {{TRANSPARENT, false, false},
                          {OPAQUE, false, false},
                          {TRANSPARENT, true, false},
                          {OPAQUE, true, false},
                          {TRANSPARENT, false, true}};
    for (const FontCase& f : fonts)
        for (const Mode& m : modes) {
            ms::SetTextRunCache(false);
            const QImage qt = TextPicture(f, m.bkMode, m.clip, m.mono);
            ms::SetTextRunCache(true);
            const QImage first = TextPicture(f, m.bkMode, m.clip, m.mono);
            const QImage cached = TextPicture(f, m.bkMode, m.clip, m.mono);
            const std::string what = QString::fromStdU16String(f.face).toStdString() + " " +
                                     std::to_string(f.height) + " turned " +
                                     std::to_string(f.escapement) + " mode " +
                                     std::to_string(m.bkMode) + (m.clip ? " clipped" : "") +
                                     (m.mono ? " mono" : "");
            EXPECT_TRUE(first == qt) << what;
            EXPECT_TRUE(cached == qt) << what;
        }
}

// A font is built per thread underneath: the UI thread, the capture thread and the still writer
// draw labels with the same font objects at once (a stock font is every DC's default), and
// each draws the pixels the UI thread draws.
TEST(GdiText, FontsDrawAlikeOnSeveralThreadsAtOnce) {
    const HFONT arial = ArialFont(-14);
    auto draw = [arial] {
        MemDC dc(200, 60);
        SetTextColor(dc, RGB(255, 0, 0));
        SetBkMode(dc, TRANSPARENT);
        TextOut(dc, 2, 2, u"-12.50 mm", 9); // the DC's default font
        HGDIOBJ old = SelectObject(dc, arial);
        TextOut(dc, 2, 30, u"L:63.830mm", 10);
        SelectObject(dc, old);
        return dc.Image();
    };
    const QImage expected = draw(); // built on this thread first
    int red = 0;
    for (int y = 0; y < expected.height(); ++y)
        for (int x = 0; x < expected.width(); ++x)
            red += expected.pixel(x, y) == qRgb(255, 0, 0);
    ASSERT_GT(red, 40) << "both labels drawn";
    constexpr int kThreads = 4, kRounds = 5;
    std::vector<QImage> drawn(kThreads * kRounds);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            for (int r = 0; r < kRounds; ++r)
                drawn[static_cast<size_t>(t * kRounds + r)] = draw();
        });
    for (int r = 0; r < kRounds; ++r)
        EXPECT_TRUE(draw() == expected) << "this thread, round " << r;
    for (std::thread& thread : threads)
        thread.join();
    for (size_t i = 0; i < drawn.size(); ++i)
        EXPECT_TRUE(drawn[i] == expected) << "thread " << i / kRounds << ", round " << i % kRounds;
    DeleteObject(arial);
}

} // namespace
