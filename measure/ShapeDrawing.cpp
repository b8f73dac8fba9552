#include "measure/ShapeDrawing.h"

#include "measure/Geometry.h"
#include "measure/MeasureSession.h"

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

// The canvas's own figures: the small boxes at the points, and circles whose radius is
// measured on the screen or, in a file, in picture pixels.
void Box(const ShapePainter& p, size_t i) {
    const POINT c = p.P(i);
    p.Hollow();
    Rectangle(p.dc_, c.x - 1, c.y - 1, c.x + 1, c.y + 1);
}

// Circle with centre `c` (stored) through a radius measured on screen or in the file.
void CircleThrough(const ShapePainter& p, size_t centre, size_t through) {
    const ShapeMapping& m = p.m_;
    const POINT c = p.r_.m_points[centre];
    const POINT t = p.r_.m_points[through];
    if (!m.toFile) {
        const int radius = Trunc(Distance(c, t));
        const POINT pc = p.P(centre);
        p.Circle(pc.x - radius, pc.y - radius, pc.x + radius, pc.y + radius);
        return;
    }
    const double dx = (t.x - c.x) * m.scaleX;
    const double dy = (t.y - c.y) * m.scaleY;
    const int radius = Trunc(std::sqrt(dx * dx + dy * dy));
    const double cx = c.x * m.scaleX, cy = c.y * m.scaleY;
    p.Circle(Trunc(cx - radius), Trunc(cy - radius), Trunc(cx + radius), Trunc(cy + radius));
}

// The two-circles kind keeps its radius a real number.
void RealCircle(const ShapePainter& p, size_t centre, size_t through) {
    const ShapeMapping& m = p.m_;
    const POINT c = p.r_.m_points[centre];
    const double radius = Distance(c, p.r_.m_points[through]);
    if (!m.toFile) {
        const double cx = c.x - m.scrollX, cy = c.y - m.scrollY;
        p.Circle(Trunc(cx - radius), Trunc(cy - radius), Trunc(cx + radius), Trunc(cy + radius));
        return;
    }
    p.Circle(Trunc((c.x - radius) * m.scaleX), Trunc((c.y - radius) * m.scaleY),
             Trunc((c.x + radius) * m.scaleX), Trunc((c.y + radius) * m.scaleY));
}

// The label places only the canvas has: its lines keep their ticks before the label's point.
constexpr LabelPlace kCanvasLabelPlaces[] = {
    {LIVE_LINE, 6, 1},           {LIVE_PARALLEL_LINE, 6, 1},
    {LIVE_AUTO_DISTANCE, 6, 1},  {LIVE_THREE_POINT_CIRCLE, 4, 1},
    {SHAPE_AUTO_LINE_TWO, 2, 1},
};

void DrawCanvasLabels(const ShapePainter& p, ShapeKind kind, int decimals, const WCHAR* unit) {
    if (DrawSharedLabels(p, kind, decimals, unit) || DrawLabelsByPlace(p, kind, kCanvasLabelPlaces))
        return;
    // A saved picture writes the fitted circle's label at its centre.
    if (kind == LIVE_AUTO_CIRCLE)
        p.LabelAt(p.m_.toFile ? 0 : 1);
}

// The figures only the canvas draws so: its lines keep their ticks as points, its circles
// show the boxes of their presses.
void DrawCanvasFigure(const ShapePainter& p, ShapeKind kind) {
    const CMeasureRecord& r = p.r_;
    const ShapeMapping& m = p.m_;
    switch (kind) {
    case LIVE_LINE:
    case LIVE_PARALLEL_LINE:
    case LIVE_AUTO_DISTANCE:
        p.Segments({0, 1, 2, 3, 4, 5});
        break;
    case LIVE_THREE_POINT_CIRCLE:
        CircleThrough(p, 0, 1);
        p.Segment(0, 3);
        Box(p, 2);
        Box(p, 1);
        Box(p, 3);
        break;
    case LIVE_TWO_CIRCLES:
        for (size_t i : {0, 1, 2})
            Box(p, i);
        RealCircle(p, 3, 0);
        for (size_t i : {5, 6, 7})
            Box(p, i);
        RealCircle(p, 8, 5);
        p.Segment(3, 8);
        break;
    case LIVE_AUTO_CIRCLE: {
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
    case LIVE_DOT_LINE:
        p.Segment(0, 1);
        p.Line(p.P(2), m.Map(DotLineFoot(r.m_points[0], r.m_points[1], r.m_points[2])));
        break;
    case SHAPE_AUTO_LINE_TWO:
        p.Segment(0, 1);
        break;
    default:
        break;
    }
}

} // namespace

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
        COLORREF colour = r.m_textColor;
        if (r.m_selected)
            colour = m.toFile ? kSelectedFile : kSelectedScreen;
        DrawTextAnnotation(dc, r, m, colour);
        return;
    }
    COLORREF colour = r.m_lineColor;
    if (r.m_selected) {
        const bool keepsMagenta =
            r.m_kind == TOOL_AUTO_LINE_LENGTH2 || r.m_kind == TOOL_TWO_CIRCLES;
        colour = m.toFile && !keepsMagenta ? kSelectedFile : kSelectedScreen;
    }
    const ShapePainter p(dc, r, m);
    const ShapeKind kind = KindOfStored(r.m_kind, KindCodes::Canvas);
    {
        ScopedGdiObject pen(dc, CreatePen(r.m_penStyle, r.m_penWidth, colour));
        if (!DrawSharedFigure(p, kind))
            DrawCanvasFigure(p, kind);
    }
    DrawCanvasLabels(p, kind, decimals, unit);
}
