// Lines, shapes and rectangles.
#include "gdi/Raster.h"

#include <algorithm>
#include <cmath>

using namespace ms::gdi;

namespace {

void FillRows(const std::vector<Row>& rows, SpanSet& out) {
    for (const Row& r : rows)
        out.Add(r.y, r.x0, r.x1 + 1);
}

void FillWithBrush(Canvas& c, SpanSet& spans) {
    const Brush& br = *c.st.brush;
    if (br.style == BS_NULL)
        return;
    spans.Apply(c, c.Color(br.color), c.st.rop2);
}

void Stroke(Canvas& c, const std::vector<POINT>& pts, bool closed) {
    SpanSet on, gaps;
    StrokePath(pts, closed, *c.st.pen, Visible(c), on, gaps);
    DrawStroke(c, on, gaps, *c.st.pen);
}

// Box coordinates beyond any picture are pulled in, so that box arithmetic cannot overflow.
void Limit(int& l, int& t, int& r, int& b) {
    for (int* v : {&l, &t, &r, &b})
        *v = std::clamp(*v, -(1 << 28), 1 << 28);
}

// A poly call's points, also added to its record's arguments after the count.
std::vector<POINT> RecordedPath(Call& call, const POINT* pts, int count) {
    std::vector<POINT> path(pts, pts + count);
    if (call.dc->rec) {
        std::lock_guard lock(call.dc->rec->m);
        std::vector<long>& args = call.dc->rec->calls.back().args;
        for (const POINT& p : path) {
            args.push_back(p.x);
            args.push_back(p.y);
        }
    }
    return path;
}

double Norm(double a) {
    const double two = 2 * M_PI;
    a = std::fmod(a, two);
    return a < 0 ? a + two : a;
}

} // namespace

BOOL MoveToEx(HDC hdc, int x, int y, LPPOINT old) {
    Call call(hdc, "MoveToEx", {x, y});
    if (!call)
        return FALSE;
    if (old)
        *old = call.dc->st.pos;
    call.dc->st.pos = POINT{x, y};
    return TRUE;
}

BOOL GetCurrentPositionEx(HDC hdc, LPPOINT pt) {
    std::lock_guard lock(TableMutex());
    auto dc = LookupAs<Dc>(hdc, Kind::Dc);
    if (!dc || !pt)
        return FALSE;
    *pt = dc->st.pos;
    return TRUE;
}

BOOL LineTo(HDC hdc, int x, int y) {
    Call call(hdc, "LineTo", {x, y});
    if (!call)
        return FALSE;
    const POINT from = std::exchange(call.dc->st.pos, POINT{x, y});
    Canvas c = call.Pixels();
    if (c)
        Stroke(c, {from, POINT{x, y}}, false);
    return TRUE;
}

BOOL Polyline(HDC hdc, const POINT* pts, int count) {
    Call call(hdc, "Polyline", {count});
    if (!call || !pts || count < 2)
        return FALSE;
    const std::vector<POINT> path = RecordedPath(call, pts, count);
    Canvas c = call.Pixels();
    if (c)
        Stroke(c, path, false);
    return TRUE;
}

BOOL Polygon(HDC hdc, const POINT* pts, int count) {
    Call call(hdc, "Polygon", {count});
    if (!call || !pts || count < 2)
        return FALSE;
    const std::vector<POINT> path = RecordedPath(call, pts, count);
    Canvas c = call.Pixels();
    if (!c)
        return TRUE;
    std::vector<QPointF> poly;
    for (const POINT& p : path)
        poly.emplace_back(p.x, p.y);
    SpanSet fill;
    PolygonSpans(poly, c.st.fillMode == WINDING, Visible(c), fill);
    FillWithBrush(c, fill);
    Stroke(c, path, true);
    return TRUE;
}

BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom) {
    Call call(hdc, "Rectangle", {left, top, right, bottom});
    if (!call)
        return FALSE;
    Canvas c = call.Pixels();
    if (!c)
        return TRUE;
    Limit(left, top, right, bottom);
    OrderBox(left, top, right, bottom);
    const bool pen = c.st.pen->style != PS_NULL;
    SpanSet fill;
    // With a null pen the filled area is one pixel smaller to the right and bottom.
    const int in = pen ? 1 : 0;
    const QRect vis = Visible(c);
    const int x0 = std::clamp(left + in, vis.left() - 1, vis.right() + 1);
    const int x1 = std::clamp(right - 1, vis.left() - 1, vis.right() + 1);
    for (int y = std::max(top + in, vis.top()); y < bottom - 1 && y <= vis.bottom(); ++y)
        fill.Add(y, x0, x1);
    FillWithBrush(c, fill);
    if (pen && right - left >= 2 && bottom - top >= 2)
        Stroke(c, {{left, top}, {right - 1, top}, {right - 1, bottom - 1}, {left, bottom - 1}},
               true);
    return TRUE;
}

BOOL Ellipse(HDC hdc, int left, int top, int right, int bottom) {
    Call call(hdc, "Ellipse", {left, top, right, bottom});
    if (!call)
        return FALSE;
    Canvas c = call.Pixels();
    if (!c)
        return TRUE;
    Limit(left, top, right, bottom);
    const Pen& pen = *c.st.pen;
    SpanSet outline, fill;
    if (pen.style == PS_NULL) {
        OrderBox(left, top, right, bottom);
        FillRows(EllipseBoxRows(left, top, right - 1, bottom - 1, Visible(c)), fill);
        FillWithBrush(c, fill);
        return TRUE;
    }
    EllipseOutline(left, top, right, bottom, pen.width, Visible(c), outline);
    if (c.st.brush->style != BS_NULL) {
        // Interior: the ellipse's pixels less the outline.
        SpanSet all;
        FillRows(EllipseBoxRows(left, top, right, bottom, Visible(c)), all);
        std::vector<std::pair<int, std::pair<int, int>>> ol;
        outline.ForEach([&](int y, int x0, int x1) { ol.push_back({y, {x0, x1}}); });
        size_t k = 0;
        all.ForEach([&](int y, int x0, int x1) {
            int x = x0;
            while (k < ol.size() && ol[k].first < y)
                ++k;
            for (size_t j = k; j < ol.size() && ol[j].first == y; ++j) {
                fill.Add(y, x, std::min(x1, ol[j].second.first));
                x = std::max(x, ol[j].second.second);
            }
            fill.Add(y, x, x1);
        });
        FillWithBrush(c, fill);
    }
    SpanSet none;
    DrawStroke(c, outline, none, pen);
    return TRUE;
}

BOOL Arc(HDC hdc, int left, int top, int right, int bottom, int xStart, int yStart, int xEnd,
         int yEnd) {
    Call call(hdc, "Arc", {left, top, right, bottom, xStart, yStart, xEnd, yEnd});
    if (!call)
        return FALSE;
    Canvas c = call.Pixels();
    if (!c)
        return TRUE;
    Limit(left, top, right, bottom);
    const Pen& pen = *c.st.pen;
    if (pen.style == PS_NULL)
        return TRUE;
    OrderBox(left, top, right, bottom);
    const double cx = (double(left) + right - 1) / 2.0, cy = (double(top) + bottom - 1) / 2.0;
    // Angles as seen on the screen: counterclockwise is positive, y grows downwards.
    auto angle = [&](double x, double y) { return std::atan2(-(y - cy), x - cx); };
    const double s = angle(xStart, yStart), e = angle(xEnd, yEnd);
    const bool ccw = c.st.arcDir != AD_CLOCKWISE;
    const double span = ccw ? Norm(e - s) : Norm(s - e);
    const bool full = span < 1e-12;
    // The arc runs counterclockwise from angle lo to hi, `span` apart. A pixel clearly on one
    // side of both end rays is decided by two cross products; only those within a millionth
    // of a radian of an end, or any pixel of an arc of nearly half a turn, ask atan2, which
    // decides every pixel as it always did.
    const double lo = ccw ? s : e, hi = ccw ? e : s;
    const double lox = std::cos(lo), loy = std::sin(lo), hix = std::cos(hi), hiy = std::sin(hi);
    const bool small = span < M_PI - 1e-3, large = span > M_PI + 1e-3;
    auto inside = [&](int x, int y) {
        if (full)
            return true;
        const double vx = x - cx, vy = -(y - cy);
        const double tol = 1e-6 * (std::abs(vx) + std::abs(vy));
        const double fromLo = lox * vy - loy * vx; // |v| sin(a - lo)
        const double toHi = vx * hiy - vy * hix;   // |v| sin(hi - a)
        if (small) {
            if (fromLo > tol && toHi > tol)
                return true;
            if (fromLo < -tol || toHi < -tol)
                return false;
        } else if (large) { // the gap from hi round to lo is under half a turn
            if (-toHi > tol && -fromLo > tol)
                return false;
            if (-toHi < -tol || -fromLo < -tol)
                return true;
        }
        const double a = angle(x, y);
        const double d = ccw ? Norm(a - s) : Norm(s - a);
        return d <= span + 1e-9;
    };
    SpanSet ring, arc, none;
    EllipseOutline(left, top, right, bottom, pen.width, Visible(c), ring);
    ring.ForEach([&](int y, int x0, int x1) {
        for (int x = x0; x < x1; ++x)
            if (inside(x, y))
                arc.Pixel(x, y);
    });
    DrawStroke(c, arc, none, pen);
    return TRUE;
}

COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color) {
    Call call(hdc, "SetPixel", {x, y, static_cast<long>(color)});
    if (!call)
        return CLR_INVALID;
    Canvas c = call.Pixels();
    if (!c || !c.img->rect().contains(x, y))
        return CLR_INVALID;
    const QRgb v = c.Color(color);
    c.Span(y, x, x + 1, v, R2_COPYPEN);
    return ToColorref(v);
}

COLORREF GetPixel(HDC hdc, int x, int y) {
    Call call(hdc, nullptr, {}); // a query: not recorded
    if (!call)
        return CLR_INVALID;
    Canvas c = call.Pixels();
    if (!c.img || !c.img->rect().contains(x, y))
        return CLR_INVALID;
    return ToColorref(c.img->pixel(x, y));
}

static void FillBox(Canvas& c, int l, int t, int r, int b, QRgb color, int rop2) {
    for (int y = std::max(t, 0); y < std::min(b, c.img->height()); ++y)
        c.Span(y, l, r, color, rop2);
}

int FillRect(HDC hdc, const RECT* rect, HBRUSH brush) {
    if (!rect)
        return 0;
    Call call(hdc, "FillRect", {rect->left, rect->top, rect->right, rect->bottom});
    if (!call)
        return 0;
    auto br = BrushOf(brush);
    if (!br)
        return 0;
    Canvas c = call.Pixels();
    if (c && br->style != BS_NULL)
        FillBox(c, rect->left, rect->top, rect->right, rect->bottom, c.Color(br->color),
                R2_COPYPEN);
    return 1;
}

int FrameRect(HDC hdc, const RECT* rect, HBRUSH brush) {
    if (!rect)
        return 0;
    Call call(hdc, "FrameRect", {rect->left, rect->top, rect->right, rect->bottom});
    if (!call)
        return 0;
    auto br = BrushOf(brush);
    if (!br)
        return 0;
    Canvas c = call.Pixels();
    const RECT& r = *rect;
    if (!c || br->style == BS_NULL || r.right <= r.left || r.bottom <= r.top)
        return 1;
    SpanSet s;
    s.Add(r.top, r.left, r.right);
    s.Add(r.bottom - 1, r.left, r.right);
    for (int y = r.top + 1; y < r.bottom - 1; ++y) {
        s.Pixel(r.left, y);
        s.Pixel(r.right - 1, y);
    }
    s.Apply(c, c.Color(br->color), R2_COPYPEN);
    return 1;
}

BOOL InvertRect(HDC hdc, const RECT* rect) {
    if (!rect)
        return FALSE;
    Call call(hdc, "InvertRect", {rect->left, rect->top, rect->right, rect->bottom});
    if (!call)
        return FALSE;
    Canvas c = call.Pixels();
    if (c)
        FillBox(c, rect->left, rect->top, rect->right, rect->bottom, 0, R2_NOT);
    return TRUE;
}

BOOL DrawFocusRect(HDC hdc, const RECT* rect) {
    if (!rect)
        return FALSE;
    Call call(hdc, "DrawFocusRect", {rect->left, rect->top, rect->right, rect->bottom});
    if (!call)
        return FALSE;
    Canvas c = call.Pixels();
    const RECT& r = *rect;
    if (!c || r.right <= r.left || r.bottom <= r.top)
        return TRUE;
    // Every other pixel of the frame inverted: drawing it twice removes it.
    SpanSet s;
    auto dot = [&](int x, int y) {
        if (((x + y) & 1) == 0)
            s.Pixel(x, y);
    };
    for (int x = r.left; x < r.right; ++x) {
        dot(x, r.top);
        dot(x, r.bottom - 1);
    }
    for (int y = r.top; y < r.bottom; ++y) {
        dot(r.left, y);
        dot(r.right - 1, y);
    }
    s.Apply(c, 0, R2_NOT);
    return TRUE;
}

BOOL DrawEdge(HDC hdc, LPRECT rect, UINT edge, UINT flags) {
    if (!rect)
        return FALSE;
    Call call(hdc, "DrawEdge",
              {rect->left, rect->top, rect->right, rect->bottom, static_cast<long>(edge),
               static_cast<long>(flags)});
    if (!call)
        return FALSE;
    Canvas c = call.Pixels();
    RECT r = *rect;
    auto border = [&](COLORREF tl, COLORREF br) {
        if (r.right <= r.left || r.bottom <= r.top)
            return;
        if (flags & BF_TOP)
            FillBox(c, r.left, r.top, r.right, r.top + 1, c.Color(tl), R2_COPYPEN);
        if (flags & BF_LEFT)
            FillBox(c, r.left, r.top, r.left + 1, r.bottom, c.Color(tl), R2_COPYPEN);
        if (flags & BF_BOTTOM)
            FillBox(c, r.left, r.bottom - 1, r.right, r.bottom, c.Color(br), R2_COPYPEN);
        if (flags & BF_RIGHT)
            FillBox(c, r.right - 1, r.top, r.right, r.bottom, c.Color(br), R2_COPYPEN);
        if (flags & BF_LEFT)
            ++r.left;
        if (flags & BF_TOP)
            ++r.top;
        if (flags & BF_RIGHT)
            --r.right;
        if (flags & BF_BOTTOM)
            --r.bottom;
    };
    const bool draw = static_cast<bool>(c);
    if (draw) {
        if (edge & BDR_RAISEDOUTER)
            border(SysColor(COLOR_3DLIGHT), SysColor(COLOR_3DDKSHADOW));
        else if (edge & BDR_SUNKENOUTER)
            border(SysColor(COLOR_3DSHADOW), SysColor(COLOR_3DHIGHLIGHT));
        if (edge & BDR_RAISEDINNER)
            border(SysColor(COLOR_3DHIGHLIGHT), SysColor(COLOR_3DSHADOW));
        else if (edge & BDR_SUNKENINNER)
            border(SysColor(COLOR_3DDKSHADOW), SysColor(COLOR_3DLIGHT));
    }
    if (flags & BF_ADJUST)
        *rect = r;
    return TRUE;
}
