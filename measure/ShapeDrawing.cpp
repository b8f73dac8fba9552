#include "measure/ShapeDrawing.h"

#include "measure/ArcDraw.h"

#include "platform/win/core/CString.h"
#include "platform/win/core/WString.h"
#include "platform/win/gdi/Gdi.h"

#include <cmath>

namespace {

constexpr COLORREF kSelectedScreen = 0xFF00FF;
constexpr COLORREF kSelectedFile = 0x0000FF;

int Trunc(double v) {
    return static_cast<int>(v);
}

double Distance(POINT a, POINT b) {
    const double dx = static_cast<double>(a.x - b.x);
    const double dy = static_cast<double>(a.y - b.y);
    return std::sqrt(dx * dx + dy * dy);
}

// Selects a GDI object for the lifetime of the scope, then puts the previous one back and
// deletes its own.
class Selected {
public:
    Selected(HDC dc, HGDIOBJ object) : m_dc(dc), m_object(object) {
        m_old = SelectObject(dc, object);
    }
    ~Selected() {
        SelectObject(m_dc, m_old);
        DeleteObject(m_object);
    }
    Selected(const Selected&) = delete;
    Selected& operator=(const Selected&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_object;
    HGDIOBJ m_old;
};

class Painter {
public:
    Painter(HDC dc, const CMeasureRecord& r, const ShapeMapping& m) : dc_(dc), r_(r), m_(m) {}

    POINT P(size_t i) const { return m_.Map(r_.m_points[i]); }
    void Segment(size_t a, size_t b) const { Line(P(a), P(b)); }
    void Line(POINT a, POINT b) const {
        MoveToEx(dc_, a.x, a.y, nullptr);
        LineTo(dc_, b.x, b.y);
    }
    void Hollow() const { SelectObject(dc_, GetStockObject(NULL_BRUSH)); }
    void Box(size_t i) const {
        const POINT p = P(i);
        Hollow();
        Rectangle(dc_, p.x - 1, p.y - 1, p.x + 1, p.y + 1);
    }
    void Circle(int left, int top, int right, int bottom) const {
        Hollow();
        Ellipse(dc_, left, top, right, bottom);
    }
    // One line in the label font and colour, its left-top corner at `at`.
    void Write(POINT at, const CString& line) const {
        LOGFONTW font = r_.m_labelFont;
        Selected f(dc_, CreateFontIndirectW(&font));
        SetTextColor(dc_, r_.m_labelColor);
        SetBkMode(dc_, TRANSPARENT);
        TextOutW(dc_, at.x, at.y, line.GetString(), line.GetLength());
    }
    // Label lines first .. first + count - 1 (those the record holds) at the anchor, one
    // line step apart.
    void Labels(POINT anchor, size_t first, size_t count) const {
        for (size_t k = 0; k < count && first + k < r_.m_labels.size(); ++k)
            Write(POINT{anchor.x, anchor.y + static_cast<int>(k) * r_.m_fontSize},
                  r_.m_labels[first + k]);
    }
    void LabelAt(size_t anchor, size_t lines = 1) const { Labels(P(anchor), 0, lines); }

    // Circle with centre `c` (stored) through a radius measured on screen or in the file.
    void CircleThrough(size_t centre, size_t through) const {
        const POINT c = r_.m_points[centre];
        const POINT t = r_.m_points[through];
        if (!m_.toFile) {
            const int radius = Trunc(Distance(c, t));
            const POINT pc = P(centre);
            Circle(pc.x - radius, pc.y - radius, pc.x + radius, pc.y + radius);
            return;
        }
        const double dx = (t.x - c.x) * m_.scaleX;
        const double dy = (t.y - c.y) * m_.scaleY;
        const int radius = Trunc(std::sqrt(dx * dx + dy * dy));
        const double cx = c.x * m_.scaleX, cy = c.y * m_.scaleY;
        Circle(Trunc(cx - radius), Trunc(cy - radius), Trunc(cx + radius), Trunc(cy + radius));
    }
    // The two-circles kind keeps its radius a real number.
    void RealCircle(size_t centre, size_t through) const {
        const POINT c = r_.m_points[centre];
        const double radius = Distance(c, r_.m_points[through]);
        if (!m_.toFile) {
            const double cx = c.x - m_.scrollX, cy = c.y - m_.scrollY;
            Circle(Trunc(cx - radius), Trunc(cy - radius), Trunc(cx + radius), Trunc(cy + radius));
            return;
        }
        Circle(Trunc((c.x - radius) * m_.scaleX), Trunc((c.y - radius) * m_.scaleY),
               Trunc((c.x + radius) * m_.scaleX), Trunc((c.y + radius) * m_.scaleY));
    }

    HDC dc_;
    const CMeasureRecord& r_;
    const ShapeMapping& m_;
};

void DrawTextRecord(HDC dc, const CMeasureRecord& r, const ShapeMapping& m) {
    if (r.m_labels.empty())
        return;
    LOGFONTW font = r.m_textFont;
    Selected f(dc, CreateFontIndirectW(&font));
    COLORREF colour = r.m_textColor;
    if (r.m_selected)
        colour = m.toFile ? kSelectedFile : kSelectedScreen;
    SetTextColor(dc, colour);
    SetBkMode(dc, TRANSPARENT);
    const POINT p = m.Map(r.m_points[0]);
    TextOutW(dc, p.x, p.y, r.m_labels[0].GetString(), r.m_labels[0].GetLength());
}

// The labels of a continuous line and, after a closing label point, the total of the
// numbers its label lines start with.
void ContinuousLineLabels(const Painter& p, int decimals, const WCHAR* unit) {
    const size_t n = p.r_.m_points.size();
    double total = 0.0;
    for (size_t k = 0; 2 * k + 2 < n && k < p.r_.m_labels.size(); ++k) {
        p.Labels(p.P(2 * k + 2), k, 1);
        total += wcstod(p.r_.m_labels[k].GetString(), nullptr);
    }
    if (n % 2 == 1 && total != 0.0) {
        CString text;
        text.Format(u"T:%.*f%s", decimals, total, unit);
        const POINT last = p.P(n - 1);
        p.Write(POINT{last.x, last.y + p.r_.m_fontSize}, text);
    }
}

} // namespace

POINT ShapeMapping::Map(POINT p) const {
    if (toFile)
        return POINT{Trunc(p.x * scaleX), Trunc(p.y * scaleY)};
    return POINT{p.x - scrollX, p.y - scrollY};
}

size_t PointsOfKind(int kind, bool toFile) {
    switch (kind) {
    case CANVAS_KIND_LINE:
    case TOOL_PARALLEL_LINE:
    case TOOL_AUTO_LINE_SPACING:
        return 7;
    case CANVAS_KIND_RECTANGLE:
    case TOOL_AUTO_LINE_LENGTH2:
        return 3;
    case CANVAS_KIND_TEXT:
    case TOOL_CIRCLE_LABEL:
        return 1;
    case TOOL_ANGLE:
    case TOOL_DOT_LINE:
    case TOOL_ARC:
    case TOOL_AUTO_ARC:
        return 4;
    case TOOL_CONTINUOUS_LINE:
        return 2;
    case TOOL_THREE_POINT_CIRCLE:
    case TOOL_FOUR_POINT_ANGLE:
    case TOOL_AUTO_ANGLE:
        return 5;
    case TOOL_TWO_CIRCLES:
        return 11;
    case TOOL_AUTO_CIRCLE:
        return toFile ? 1 : 2;
    default:
        return 0;
    }
}

POINT DotLineFoot(POINT p0, POINT p1, POINT p2) {
    if (p0.x == p1.x)
        return POINT{p0.x, p2.y};
    if (p0.y == p1.y)
        return POINT{p2.x, p0.y};
    const double k = static_cast<double>(p1.y - p0.y) / (p1.x - p0.x);
    const double x = (p2.x + k * (p2.y - p0.y) + k * k * p0.x) / (1 + k * k);
    return POINT{Trunc(x + 0.5), Trunc(p2.y + (p2.x - x) / k + 0.5)};
}

void DrawMeasureRecord(HDC dc, const CMeasureRecord& r, const ShapeMapping& m, int decimals,
                       const WCHAR* unit) {
    const size_t needed = PointsOfKind(r.m_kind, m.toFile);
    if (needed == 0 || r.m_points.size() < needed)
        return;
    if (r.m_kind == CANVAS_KIND_TEXT) {
        DrawTextRecord(dc, r, m);
        return;
    }
    COLORREF colour = r.m_lineColor;
    if (r.m_selected) {
        const bool keepsMagenta =
            r.m_kind == TOOL_AUTO_LINE_LENGTH2 || r.m_kind == TOOL_TWO_CIRCLES;
        colour = m.toFile && !keepsMagenta ? kSelectedFile : kSelectedScreen;
    }
    const Painter p(dc, r, m);
    {
        Selected pen(dc, CreatePen(r.m_penStyle, r.m_penWidth, colour));
        switch (r.m_kind) {
        case CANVAS_KIND_LINE:
        case TOOL_PARALLEL_LINE:
        case TOOL_AUTO_LINE_SPACING:
            p.Segment(0, 1);
            p.Segment(2, 3);
            p.Segment(4, 5);
            break;
        case CANVAS_KIND_RECTANGLE: {
            const POINT a = p.P(0), b = p.P(1);
            p.Hollow();
            Rectangle(dc, a.x, a.y, b.x, b.y);
            break;
        }
        case TOOL_ANGLE:
            p.Segment(0, 1);
            p.Segment(1, 2);
            break;
        case TOOL_CONTINUOUS_LINE:
            p.Segment(0, 1);
            for (size_t i = 1; i + 2 < r.m_points.size(); i += 2)
                p.Segment(i, i + 2);
            break;
        case TOOL_THREE_POINT_CIRCLE:
            p.CircleThrough(0, 1);
            p.Segment(0, 3);
            p.Box(2);
            p.Box(1);
            p.Box(3);
            break;
        case TOOL_FOUR_POINT_ANGLE:
        case TOOL_AUTO_ANGLE:
            p.Segment(0, 1);
            p.Segment(2, 3);
            break;
        case TOOL_TWO_CIRCLES:
            for (size_t i : {0, 1, 2})
                p.Box(i);
            p.RealCircle(3, 0);
            for (size_t i : {5, 6, 7})
                p.Box(i);
            p.RealCircle(8, 5);
            p.Segment(3, 8);
            break;
        case TOOL_CIRCLE_LABEL: {
            const POINT c = p.P(0);
            p.Circle(c.x - 10, c.y - 10, c.x + 10, c.y + 10);
            break;
        }
        case TOOL_AUTO_CIRCLE: {
            const int radius = Trunc(r.m_radius + 0.5);
            const POINT c0 = r.m_points[0];
            if (!m.toFile) {
                const POINT c = p.P(0);
                p.Circle(c.x - radius, c.y - radius, c.x + radius, c.y + radius);
            } else {
                p.Circle(Trunc((c0.x - radius) * m.scaleX), Trunc((c0.y - radius) * m.scaleY),
                         Trunc((c0.x + radius) * m.scaleX), Trunc((c0.y + radius) * m.scaleY));
                p.Line(p.P(0), POINT{Trunc((c0.x + radius) * m.scaleX), Trunc(c0.y * m.scaleY)});
            }
            break;
        }
        case TOOL_DOT_LINE:
            p.Segment(0, 1);
            p.Line(p.P(2), m.Map(DotLineFoot(r.m_points[0], r.m_points[1], r.m_points[2])));
            break;
        case TOOL_AUTO_LINE_LENGTH2:
            p.Segment(0, 1);
            break;
        case TOOL_ARC:
        case TOOL_AUTO_ARC: {
            const POINT a = p.P(0), b = p.P(1), c = p.P(2);
            p.Hollow();
            DrawArcThroughPoints(dc, a.x, a.y, b.x, b.y, c.x, c.y);
            break;
        }
        default:
            break;
        }
    }
    switch (r.m_kind) {
    case CANVAS_KIND_LINE:
    case TOOL_PARALLEL_LINE:
    case TOOL_AUTO_LINE_SPACING:
        p.LabelAt(6);
        break;
    case CANVAS_KIND_RECTANGLE:
        p.LabelAt(2, 3);
        break;
    case TOOL_ANGLE:
    case TOOL_DOT_LINE:
        p.LabelAt(3);
        break;
    case TOOL_CONTINUOUS_LINE:
        ContinuousLineLabels(p, decimals, unit);
        break;
    case TOOL_THREE_POINT_CIRCLE:
    case TOOL_FOUR_POINT_ANGLE:
    case TOOL_AUTO_ANGLE:
        p.LabelAt(4);
        break;
    case TOOL_TWO_CIRCLES:
        p.Labels(p.P(4), 0, 1);
        p.Labels(p.P(9), 1, 1);
        p.Labels(p.P(10), 2, 1);
        break;
    case TOOL_CIRCLE_LABEL:
        if (!r.m_labels.empty()) {
            const POINT c = p.P(0);
            RECT box{c.x - 10, c.y - 10, c.x + 10, c.y + 10};
            SetTextColor(dc, r.m_labelColor);
            SetBkMode(dc, TRANSPARENT);
            DrawTextW(dc, r.m_labels[0].GetString(), r.m_labels[0].GetLength(), &box, DT_CENTER);
        }
        break;
    case TOOL_AUTO_CIRCLE:
        p.LabelAt(m.toFile ? 0 : 1);
        break;
    case TOOL_AUTO_LINE_LENGTH2:
        p.LabelAt(2);
        break;
    case TOOL_ARC:
    case TOOL_AUTO_ARC:
        p.LabelAt(3, 3);
        break;
    default:
        break;
    }
}
