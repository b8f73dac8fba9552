#include "platform/win/gdi/Raster.h"

#include <algorithm>
#include <cmath>

namespace ms::gdi {

void SpanSet::Merge() {
    if (spans_.size() < 2)
        return;
    std::sort(spans_.begin(), spans_.end(),
              [](const Span& a, const Span& b) { return a.y != b.y ? a.y < b.y : a.x0 < b.x0; });
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
    ForEach([&](int y, int x0, int x1) {
        if (c.img && y >= 0 && y < c.img->height())
            c.Span(y, x0, x1, color, rop2);
    });
}

void PolygonSpans(const std::vector<QPointF>& pts, bool winding, SpanSet& out) {
    const size_t n = pts.size();
    if (n < 3)
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
    for (int y = static_cast<int>(std::ceil(minY)); y < maxY; ++y) {
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
            const int x0 = static_cast<int>(std::ceil(xs[i].x - 1e-9));
            const int x1 = static_cast<int>(std::ceil(xs[i + 1].x - 1e-9));
            out.Add(y, x0, x1);
        }
    }
}

std::vector<Row> EllipseRows(double cx, double cy, double a, double b) {
    std::vector<Row> rows;
    if (a <= 0 || b <= 0)
        return rows;
    const int y0 = static_cast<int>(std::ceil(cy - b - 1e-9));
    const int y1 = static_cast<int>(std::floor(cy + b + 1e-9));
    for (int y = y0; y <= y1; ++y) {
        const double dy = (y - cy) / b;
        const double q = 1.0 - dy * dy;
        if (q < -1e-9)
            continue;
        const double half = a * std::sqrt(std::max(q, 0.0));
        const int x0 = static_cast<int>(std::ceil(cx - half - 1e-9));
        const int x1 = static_cast<int>(std::floor(cx + half + 1e-9));
        if (x0 <= x1)
            rows.push_back({y, x0, x1});
    }
    return rows;
}

std::vector<Row> EllipseBoxRows(int l, int t, int r, int b) {
    if (l > r)
        std::swap(l, r);
    if (t > b)
        std::swap(t, b);
    // The box excludes its right and bottom edge: pixels l..r-1 and t..b-1. The semi-axes
    // reach the outer edges of those pixels, so the extreme pixels are always inside.
    const double cx = (l + r - 1) / 2.0, cy = (t + b - 1) / 2.0;
    return EllipseRows(cx, cy, (r - l) / 2.0, (b - t) / 2.0);
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

template <class F> void LinePixels(int x0, int y0, int x1, int y1, F f) {
    const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    while (x0 != x1 || y0 != y1) { // the end pixel is left out
        f(x0, y0);
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y0 += sy;
        }
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

void Disc(double cx, double cy, double radius, SpanSet& out) {
    for (const Row& r : EllipseRows(cx, cy, radius, radius))
        out.Add(r.y, r.x0, r.x1 + 1);
}

} // namespace

void EllipseOutline(int l, int t, int r, int b, int width, SpanSet& out) {
    if (width <= 1) {
        Boundary(EllipseBoxRows(l, t, r, b), out);
        return;
    }
    if (l > r)
        std::swap(l, r);
    if (t > b)
        std::swap(t, b);
    const double cx = (l + r - 1) / 2.0, cy = (t + b - 1) / 2.0;
    const double a = (r - l) / 2.0, bb = (b - t) / 2.0, h = width / 2.0;
    const auto outer = EllipseRows(cx, cy, a + h - 0.5, bb + h - 0.5);
    const auto inner = EllipseRows(cx, cy, a - h - 0.5, bb - h - 0.5);
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

void StrokePath(const std::vector<POINT>& pts, bool closed, const Pen& pen, SpanSet& on,
                SpanSet& gaps) {
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
        int pos = 0;
        for (size_t i = 0; i + 1 < path.size(); ++i) {
            LinePixels(path[i].x, path[i].y, path[i + 1].x, path[i + 1].y, [&](int x, int y) {
                if (period == 0) {
                    on.Pixel(x, y);
                    return;
                }
                int k = pos % period, seg = 0;
                while (k >= pat[static_cast<size_t>(seg)])
                    k -= pat[static_cast<size_t>(seg++)];
                ((seg % 2) == 0 ? on : gaps).Pixel(x, y);
                ++pos;
            });
        }
        return;
    }
    // A wide pen draws solid whatever its style, as on Windows. Even widths sit half a pixel
    // up and left, so a width-2 horizontal line covers its own row and the one above.
    const double h = pen.width / 2.0;
    const double off = (pen.width % 2 == 0) ? -0.5 : 0.0;
    for (size_t i = 0; i < path.size(); ++i) {
        const double x = path[i].x + off, y = path[i].y + off;
        Disc(x, y, h, on);
        if (i + 1 == path.size())
            break;
        const double x2 = path[i + 1].x + off, y2 = path[i + 1].y + off;
        const double dx = x2 - x, dy = y2 - y, len = std::hypot(dx, dy);
        if (len == 0)
            continue;
        const double nx = -dy / len * h, ny = dx / len * h;
        PolygonSpans({QPointF(x + nx, y + ny), QPointF(x2 + nx, y2 + ny), QPointF(x2 - nx, y2 - ny),
                      QPointF(x - nx, y - ny)},
                     true, on);
    }
}

void DrawStroke(Canvas& c, SpanSet& on, SpanSet& gaps, const Pen& pen) {
    if (c.st.bkMode == OPAQUE && !gaps.Empty())
        gaps.Apply(c, c.Color(c.st.bk), c.st.rop2);
    on.Apply(c, c.Color(pen.color), c.st.rop2);
}

} // namespace ms::gdi
