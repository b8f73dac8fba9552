// Pixel rasterisation with GDI's rules, over spans of a Canvas. Internal to platform/win/gdi.
#pragma once
#ifndef MS_PLATFORM_INTERNAL
#error "internal to the platform layer; tests use platform/win/window/TestSeams.h"
#endif

#include "gdi/GdiPriv.h"

#include <QPointF>
#include <utility>
#include <vector>

namespace ms::gdi {

// Pixels collected for one primitive; overlapping spans are merged before they are written,
// so an inverting ROP2 touches every pixel exactly once (drawing twice restores).
class SpanSet {
public:
    void Add(int y, int x0, int x1) { // [x0, x1)
        if (x0 < x1)
            spans_.push_back({y, x0, x1});
    }
    void Pixel(int x, int y) { Add(y, x, x + 1); }
    bool Empty() const { return spans_.empty(); }
    void Apply(Canvas& c, QRgb color, int rop2);
    // Calls f(y, x0, x1) for the merged spans.
    template <class F> void ForEach(F f) {
        Merge();
        for (const auto& s : spans_)
            f(s.y, s.x0, s.x1);
    }

private:
    struct Span {
        int y, x0, x1;
    };
    void Merge();
    std::vector<Span> spans_;
};

// Every rasteriser takes the visible area (vis): work outside it is skipped, so shapes with
// far-away or huge coordinates cost no more than the pixels they can touch; coordinates are
// clamped just outside vis before they are narrowed to int.
inline int ClampToInt(double v, int lo, int hi) {
    if (!(v > lo)) // also NaN
        return lo;
    if (v > hi)
        return hi;
    return static_cast<int>(v);
}
// Puts a box's corners in order: left <= right, top <= bottom.
inline void OrderBox(int& l, int& t, int& r, int& b) {
    if (l > r)
        std::swap(l, r);
    if (t > b)
        std::swap(t, b);
}
// Pixel centres (integer coordinates) inside the polygon; left and top edges included.
void PolygonSpans(const std::vector<QPointF>& pts, bool winding, const QRect& vis, SpanSet& out);
// Interior of the ellipse in the pixel box [l, r) x [t, b), one interval per row.
struct Row {
    int y, x0, x1; // inclusive
};
std::vector<Row> EllipseRows(double cx, double cy, double a, double b, const QRect& vis);
std::vector<Row> EllipseBoxRows(int l, int t, int r, int b, const QRect& vis);
// Pixels of the ellipse's boundary (thin for width 1, a ring for wider pens).
void EllipseOutline(int l, int t, int r, int b, int width, const QRect& vis, SpanSet& out);
// Strokes a path with a pen: cosmetic (1 pixel, styled, end pixels left out) or wide (solid,
// round joins and caps). Off pixels of styled pens go to gaps (drawn in the background colour
// when the DC is OPAQUE).
void StrokePath(const std::vector<POINT>& pts, bool closed, const Pen& pen, const QRect& vis,
                SpanSet& on, SpanSet& gaps);
// The area a canvas can change: the bounding box of its clip.
QRect Visible(const Canvas& c);
// Draws pen output (and gap pixels) onto the canvas with the DC's ROP2.
void DrawStroke(Canvas& c, SpanSet& on, SpanSet& gaps, const Pen& pen);

} // namespace ms::gdi
