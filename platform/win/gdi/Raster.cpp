#include "gdi/Raster.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace ms::gdi {

void SpanSet::Merge() {
    if (spans_.size() < 2)
        return;
    // Outlines are mostly made row by row, already in order; spans with equal starts merge
    // alike in any order.
    const auto before = [](const Span& a, const Span& b) {
        return a.y != b.y ? a.y < b.y : a.x0 < b.x0;
    };
    if (!std::is_sorted(spans_.begin(), spans_.end(), before))
        std::sort(spans_.begin(), spans_.end(), before);
    size_t w = 0;
    for (size_t i = 1; i < spans_.size(); ++i) {
        Span& cur = spans_[w];
        const Span& s = spans_[i];
        if (s.y == cur.y && s.x0 <= cur.x1)
            cur.x1 = std::max(cur.x1, s.x1);
        else
            spans_[++w] = s;
    }
    spans_.resize(w + 1);
}

void SpanSet::Apply(Canvas& c, QRgb color, int rop2) {
    if (!c.img || spans_.empty())
        return;
    uchar* bits = c.img->bits();
    const int rows = c.img->height();
    ForEach([&](int y, int x0, int x1) {
        if (y >= 0 && y < rows)
            c.Span(bits, y, x0, x1, color, rop2);
    });
}

void PolygonSpans(const std::vector<QPointF>& pts, bool winding, const QRect& vis, SpanSet& out) {
    const size_t n = pts.size();
    if (n < 3 || vis.isEmpty())
        return;
    double minY = pts[0].y(), maxY = pts[0].y();
    for (const auto& p : pts) {
        minY = std::min(minY, p.y());
        maxY = std::max(maxY, p.y());
    }
    struct Cross {
        double x;
        int dir;
    };
    std::vector<Cross> xs;
    // Only the visible rows are scanned, so a far-away corner costs nothing.
    const int yFirst =
        std::max(vis.top(), ClampToInt(std::ceil(minY), vis.top(), vis.bottom() + 1));
    for (int y = yFirst; y < maxY && y <= vis.bottom(); ++y) {
        xs.clear();
        for (size_t i = 0; i < n; ++i) {
            QPointF a = pts[i], b = pts[(i + 1) % n];
            int dir = 1;
            if (a.y() > b.y()) {
                std::swap(a, b);
                dir = -1;
            }
            if (!(a.y() <= y && y < b.y()))
                continue;
            const double x = a.x() + (y - a.y()) * (b.x() - a.x()) / (b.y() - a.y());
            xs.push_back({x, dir});
        }
        std::sort(xs.begin(), xs.end(), [](const Cross& a, const Cross& b) { return a.x < b.x; });
        int wind = 0;
        for (size_t i = 0; i + 1 < xs.size(); ++i) {
            wind += winding ? xs[i].dir : 1;
            const bool inside = winding ? wind != 0 : (wind & 1) != 0;
            if (!inside)
                continue;
            // Pixel centres x with xa <= x < xb.
            const int lo = vis.left() - 1, hi = vis.right() + 2;
            const int x0 = ClampToInt(std::ceil(xs[i].x - 1e-9), lo, hi);
            const int x1 = ClampToInt(std::ceil(xs[i + 1].x - 1e-9), lo, hi);
            out.Add(y, x0, x1);
        }
    }
}

std::vector<Row> EllipseRows(double cx, double cy, double a, double b, const QRect& vis) {
    std::vector<Row> rows;
    if (!(a > 0) || !(b > 0) || vis.isEmpty())
        return rows;
    // One row beyond the visible ones on each side, so outlines know their neighbours.
    const int top = vis.top() - 1, bottom = vis.bottom() + 1;
    const int y0 = ClampToInt(std::ceil(cy - b - 1e-9), top, bottom + 1);
    const int y1 = ClampToInt(std::floor(cy + b + 1e-9), top - 1, bottom);
    const int lo = vis.left() - 2, hi = vis.right() + 2;
    for (int y = y0; y <= y1; ++y) {
        const double dy = (y - cy) / b;
        const double q = 1.0 - dy * dy;
        if (q < -1e-9)
            continue;
        const double half = a * std::sqrt(std::max(q, 0.0));
        const int x0 = ClampToInt(std::ceil(cx - half - 1e-9), lo, hi);
        const int x1 = ClampToInt(std::floor(cx + half + 1e-9), lo, hi);
        if (x0 <= x1)
            rows.push_back({y, x0, x1});
    }
    return rows;
}

std::vector<Row> EllipseBoxRows(int l, int t, int r, int b, const QRect& vis) {
    OrderBox(l, t, r, b);
    // The box excludes its right and bottom edge: pixels l..r-1 and t..b-1. The semi-axes
    // reach the outer edges of those pixels, so the extreme pixels are always inside.
    const double cx = (double(l) + r - 1) / 2.0, cy = (double(t) + b - 1) / 2.0;
    return EllipseRows(cx, cy, (double(r) - l) / 2.0, (double(b) - t) / 2.0, vis);
}

namespace {

// Row boundary of a filled region given as one interval per consecutive row: the pixels of a
// row that are at its ends or have no pixel above or below them.
void Boundary(const std::vector<Row>& rows, SpanSet& out) {
    for (size_t i = 0; i < rows.size(); ++i) {
        const Row& r = rows[i];
        const bool hasPrev = i > 0 && rows[i - 1].y == r.y - 1;
        const bool hasNext = i + 1 < rows.size() && rows[i + 1].y == r.y + 1;
        if (!hasPrev || !hasNext) {
            out.Add(r.y, r.x0, r.x1 + 1);
            continue;
        }
        const int innerL = std::max(rows[i - 1].x0, rows[i + 1].x0);
        const int innerR = std::min(rows[i - 1].x1, rows[i + 1].x1);
        out.Add(r.y, r.x0, std::max(r.x0 + 1, innerL));
        out.Add(r.y, std::min(r.x1, innerR + 1), r.x1 + 1);
    }
}

// Calls f(i, x, y) for pixel i of the line from (x0, y0) towards (x1, y1), the end pixel left
// out: one pixel per step along the major axis, the minor coordinate rounded to the nearest.
// Only steps whose major coordinate lies in vis (widened by a pixel) are visited.
template <class F> void LinePixels(int x0, int y0, int x1, int y1, const QRect& vis, F f) {
    const long long dx = static_cast<long long>(x1) - x0, dy = static_cast<long long>(y1) - y0;
    const long long adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
    const long long n = std::max(adx, ady);
    if (n == 0)
        return;
    const int sx = dx < 0 ? -1 : 1, sy = dy < 0 ? -1 : 1;
    const bool xMajor = adx >= ady;
    const long long start = xMajor ? x0 : y0;
    const int step = xMajor ? sx : sy;
    const long long a = (xMajor ? vis.left() : vis.top()) - 1LL;
    const long long b = (xMajor ? vis.right() : vis.bottom()) + 1LL;
    long long lo = 0, hi = n - 1;
    if (step > 0) {
        lo = std::max(lo, a - start);
        hi = std::min(hi, b - start);
    } else {
        lo = std::max(lo, start - b);
        hi = std::min(hi, start - a);
    }
    const long long minorD = xMajor ? ady : adx;
    for (long long i = lo; i <= hi; ++i) {
        const long long minor = (2 * i * minorD + n) / (2 * n);
        const long long x = xMajor ? x0 + i * sx : x0 + minor * sx;
        const long long y = xMajor ? y0 + minor * sy : y0 + i * sy;
        if (x < INT_MIN / 2 || x > INT_MAX / 2 || y < INT_MIN / 2 || y > INT_MAX / 2)
            continue;
        f(i, static_cast<int>(x), static_cast<int>(y));
    }
}

const std::vector<int>& Pattern(int style) {
    static const std::vector<int> dash{18, 6}, dot{3, 3}, dashdot{9, 6, 3, 6},
        dashdotdot{9, 3, 3, 3, 3, 3}, solid{};
    switch (style) {
    case PS_DASH:
        return dash;
    case PS_DOT:
        return dot;
    case PS_DASHDOT:
        return dashdot;
    case PS_DASHDOTDOT:
        return dashdotdot;
    default:
        return solid;
    }
}

void Disc(double cx, double cy, double radius, const QRect& vis, SpanSet& out) {
    for (const Row& r : EllipseRows(cx, cy, radius, radius, vis))
        out.Add(r.y, r.x0, r.x1 + 1);
}

} // namespace

void EllipseOutline(int l, int t, int r, int b, int width, const QRect& vis, SpanSet& out) {
    if (width <= 1) {
        Boundary(EllipseBoxRows(l, t, r, b, vis), out);
        return;
    }
    OrderBox(l, t, r, b);
    const double cx = (double(l) + r - 1) / 2.0, cy = (double(t) + b - 1) / 2.0;
    const double a = (double(r) - l) / 2.0, bb = (double(b) - t) / 2.0, h = width / 2.0;
    const auto outer = EllipseRows(cx, cy, a + h - 0.5, bb + h - 0.5, vis);
    const auto inner = EllipseRows(cx, cy, a - h - 0.5, bb - h - 0.5, vis);
    size_t j = 0;
    for (const Row& o : outer) {
        while (j < inner.size() && inner[j].y < o.y)
            ++j;
        if (j < inner.size() && inner[j].y == o.y && inner[j].x0 <= inner[j].x1) {
            out.Add(o.y, o.x0, inner[j].x0);
            out.Add(o.y, inner[j].x1 + 1, o.x1 + 1);
        } else {
            out.Add(o.y, o.x0, o.x1 + 1);
        }
    }
}

void StrokePath(const std::vector<POINT>& pts, bool closed, const Pen& pen, const QRect& vis,
                SpanSet& on, SpanSet& gaps) {
    if (pen.style == PS_NULL || pts.empty())
        return;
    std::vector<POINT> path = pts;
    if (closed && path.size() > 1)
        path.push_back(path.front());
    if (pen.width <= 1) {
        const auto& pat = Pattern(pen.style);
        int period = 0;
        for (int v : pat)
            period += v;
        long long pos = 0; // the style runs on from segment to segment
        for (size_t i = 0; i + 1 < path.size(); ++i) {
            const POINT a = path[i], b = path[i + 1];
            LinePixels(a.x, a.y, b.x, b.y, vis, [&](long long k, int x, int y) {
                if (period == 0) {
                    on.Pixel(x, y);
                    return;
                }
                int r = static_cast<int>((pos + k) % period), seg = 0;
                while (r >= pat[static_cast<size_t>(seg)])
                    r -= pat[static_cast<size_t>(seg++)];
                ((seg % 2) == 0 ? on : gaps).Pixel(x, y);
            });
            pos += std::max(std::abs(static_cast<long long>(b.x) - a.x),
                            std::abs(static_cast<long long>(b.y) - a.y));
        }
        return;
    }
    // A wide pen draws solid whatever its style, as on Windows. Even widths sit half a pixel
    // up and left, so a width-2 horizontal line covers its own row and the one above.
    const double h = pen.width / 2.0;
    const double off = (pen.width % 2 == 0) ? -0.5 : 0.0;
    for (size_t i = 0; i < path.size(); ++i) {
        const double x = path[i].x + off, y = path[i].y + off;
        Disc(x, y, h, vis, on);
        if (i + 1 == path.size())
            break;
        const double x2 = path[i + 1].x + off, y2 = path[i + 1].y + off;
        const double dx = x2 - x, dy = y2 - y, len = std::hypot(dx, dy);
        if (len == 0)
            continue;
        const double nx = -dy / len * h, ny = dx / len * h;
        PolygonSpans({QPointF(x + nx, y + ny), QPointF(x2 + nx, y2 + ny), QPointF(x2 - nx, y2 - ny),
                      QPointF(x - nx, y - ny)},
                     true, vis, on);
    }
}

QRect Visible(const Canvas& c) {
    QRect r;
    for (const QRect& rc : c.clip)
        r = r.united(rc);
    return r;
}

void DrawStroke(Canvas& c, SpanSet& on, SpanSet& gaps, const Pen& pen) {
    if (c.st.bkMode == OPAQUE && !gaps.Empty())
        gaps.Apply(c, c.Color(c.st.bk), c.st.rop2);
    on.Apply(c, c.Color(pen.color), c.st.rop2);
}

} // namespace ms::gdi
