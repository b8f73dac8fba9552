// The overlays burnt into a snapshot, checked by their pixels on a black picture: the cross
// line, the scale bar's centre lines and ticks at the spacing of the picture size, the circle
// template's rings, a zero spacing that leaves the ticks out, and a DC left as it was found.
#include "shell/SnapshotOverlays.h"

#include "platform/win/gdi/Gdi.h"
#include "platform/win/window/TestSeams.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);

class Picture {
public:
    Picture(int width, int height) : width_(width), height_(height) {
        ms::EnsureApplication();
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreateCompatibleBitmap(dc_, width, height);
        old_ = SelectObject(dc_, bitmap_);
        RECT all{0, 0, width, height};
        FillRect(dc_, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    }
    ~Picture() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    HDC dc() const { return dc_; }
    COLORREF At(int x, int y) const { return GetPixel(dc_, x, y) & 0xFFFFFF; }
    // Counted on one copy of the bits: a GetPixel per pixel made a count of a large picture
    // take seconds under the sanitizers.
    int Count(COLORREF color, int left, int top, int right, int bottom) const {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width_;
        info.bmiHeader.biHeight = -height_; // top-down
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        std::vector<DWORD> bits(static_cast<size_t>(width_) * height_);
        SelectObject(dc_, old_); // a bitmap selected into a DC is not handed to GetDIBits
        const int rows = GetDIBits(dc_, bitmap_, 0, height_, bits.data(), &info, DIB_RGB_COLORS);
        SelectObject(dc_, bitmap_);
        EXPECT_EQ(rows, height_);
        const DWORD bgr = ((color & 0xFF) << 16) | (color & 0xFF00) | ((color >> 16) & 0xFF);
        int n = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
                n += (bits[static_cast<size_t>(y) * width_ + x] & 0xFFFFFF) == bgr;
        return n;
    }
    int Count(COLORREF color) const { return Count(color, 0, 0, width_, height_); }

private:
    int width_, height_;
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_;
};

SnapshotOverlays Overlays(int width, int height, double liveScale, double zoom,
                          const WCHAR* unit = u"mm") {
    SnapshotOverlays o;
    o.width = width;
    o.height = height;
    o.liveScale = liveScale;
    o.zoomRate = zoom;
    o.unit = unit;
    return o;
}

TEST(SnapshotOverlays, AllSwitchesOffLeaveThePictureAsItWas) {
    Picture p(640, 480);
    SnapshotOverlays o = Overlays(640, 480, 25, 20);
    o.crossLine = o.scaleBar = o.circleTemplate = 2; // only exactly 1 switches an overlay on
    DrawSnapshotOverlays(p.dc(), o);
    EXPECT_EQ(p.Count(kBlack), 640 * 480);
}

TEST(SnapshotOverlays, TheCrossLineRunsThroughThePictureCentreInWhite) {
    Picture p(640, 480);
    SnapshotOverlays o = Overlays(640, 480, 25, 20);
    o.crossLine = 1;
    DrawSnapshotOverlays(p.dc(), o);
    EXPECT_EQ(p.Count(kWhite, 0, 240, 640, 241), 640);
    EXPECT_EQ(p.Count(kWhite, 320, 0, 321, 480), 480);
    EXPECT_EQ(p.Count(kWhite), 640 + 479);
}

// The scale bar's ticks stand every d pixels from the centre (W / 2, H / 2), 6 pixels above
// and 5 below the horizontal line (the segment's end pixel is left out).
// `gaps`: also check that nothing lies between the ticks (not where the vertical ruler's
// labels, drawn every 4 ticks, crowd the horizontal one on a small picture).
void ExpectTicks(const Picture& p, int cx, int cy, int d, int count, bool gaps) {
    for (int k = 1; k <= count; ++k) {
        for (int x : {cx + k * d, cx - k * d}) {
            EXPECT_EQ(p.At(x, cy - 6), kRed) << "tick " << k << " at x " << x;
            EXPECT_EQ(p.At(x, cy + 5), kRed) << "tick " << k << " at x " << x;
            if (gaps && k * d > 7) { // clear of the vertical ruler's own ticks
                EXPECT_NE(p.At(x, cy + 6), kRed) << x;
                EXPECT_NE(p.At(x + 1, cy - 6), kRed) << x; // nothing between the ticks
            }
        }
        EXPECT_EQ(p.At(cx - 6, cy + k * d), kRed) << "vertical tick " << k;
        EXPECT_EQ(p.At(cx + 5, cy - k * d), kRed) << "vertical tick " << k;
    }
}

TEST(SnapshotOverlays, TheScaleBarsTicksFollowTheUnitLengthOfThePictureSize) {
    const struct {
        int width, height;
        double zoom;
        int tick; // d: unit length x 0.25 (x 0.05 above a magnification of 30), rounded
        bool gaps;
    } cases[] = {
        {640, 480, 20, 6, true},    // s = 25
        {640, 480, 30, 6, true},    // exactly 30 still uses the coarse spacing
        {640, 480, 30.5, 1, false}, // finer: 25 x 0.05 + 0.5
        {1280, 1024, 20, 13, true}, // s = 50
        {320, 240, 20, 3, false},   // s = 12.5
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " zoom " << c.zoom);
        Picture p(c.width, c.height);
        SnapshotOverlays o = Overlays(c.width, c.height, 25, c.zoom);
        o.scaleBar = 1;
        DrawSnapshotOverlays(p.dc(), o);
        const int cx = c.width / 2, cy = c.height / 2;
        EXPECT_EQ(p.Count(kRed, 0, cy, c.width, cy + 1), c.width);
        EXPECT_EQ(p.Count(kRed, cx, 0, cx + 1, c.height), c.height);
        if (c.tick > 1)
            ExpectTicks(p, cx, cy, c.tick, 5, c.gaps);
        // Labels are drawn in red beside the ruler; nothing else is.
        EXPECT_EQ(p.Count(kWhite), 0);
        EXPECT_GT(p.Count(kRed, cx + 4 * c.tick - 6, cy + 17, cx + 4 * c.tick + 30, cy + 34), 0);
    }
}

TEST(SnapshotOverlays, AZeroSpacingLeavesTheCentreLinesAloneAndEnds) {
    // "mil" at a low magnification: the unit length 0.3 rounds to no spacing at all.
    Picture p(640, 480);
    SnapshotOverlays o = Overlays(640, 480, 0.3, 5, u"mil");
    o.scaleBar = 1;
    o.circleTemplate = 1;
    DrawSnapshotOverlays(p.dc(), o);
    EXPECT_EQ(p.Count(kRed), 640 + 479);
}

TEST(SnapshotOverlays, TheCircleTemplateDrawsRingsOfTheUnitLengthUpToTheHalfHeight) {
    Picture p(640, 480);
    SnapshotOverlays o = Overlays(640, 480, 25, 20);
    o.circleTemplate = 1;
    DrawSnapshotOverlays(p.dc(), o);
    // On the row 5 pixels above the centre a ring of radius r crosses at x = 320 - sqrt(r^2-25).
    const int row = 235;
    for (int r = 25; r <= 225; r += 25) {
        const int x = 320 - static_cast<int>(std::sqrt(r * r - 25.0) + 0.5);
        EXPECT_GT(p.Count(kRed, x - 2, row, x + 3, row + 1), 0) << "ring " << r;
    }
    EXPECT_EQ(p.Count(kRed, 272, row, 294, row + 1), 0); // between rings 25 and 50
    EXPECT_EQ(p.Count(kRed, 0, row, 92, row + 1), 0);    // no ring of radius 250
    EXPECT_EQ(p.Count(kRed, 0, 240, 640, 241), 640);     // the centre lines stay
}

TEST(SnapshotOverlays, TheDeviceContextIsLeftAsItWasFound) {
    Picture p(640, 480);
    HPEN pen = CreatePen(PS_SOLID, 3, RGB(1, 2, 3));
    HGDIOBJ oldPen = SelectObject(p.dc(), pen);
    SetTextColor(p.dc(), RGB(4, 5, 6));
    SetBkMode(p.dc(), OPAQUE);
    const HGDIOBJ brush = GetCurrentObject(p.dc(), OBJ_BRUSH);
    SnapshotOverlays o = Overlays(640, 480, 25, 20);
    o.crossLine = o.scaleBar = o.circleTemplate = 1;
    DrawSnapshotOverlays(p.dc(), o);
    EXPECT_EQ(GetCurrentObject(p.dc(), OBJ_PEN), pen);
    EXPECT_EQ(GetCurrentObject(p.dc(), OBJ_BRUSH), brush);
    EXPECT_EQ(GetTextColor(p.dc()), RGB(4, 5, 6));
    EXPECT_EQ(GetBkMode(p.dc()), OPAQUE);
    SelectObject(p.dc(), oldPen);
    DeleteObject(pen);
}

} // namespace
