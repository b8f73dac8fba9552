#include "wifi_measure/WifiMeasureCanvasShapes.h"

#include "measure/CanvasShapeRules.h"
#include "measure/Geometry.h"
#include "measure/MeasureSettings.h"
#include "measure/Units.h"

#include "platform/win/gdi/Gdi.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

struct ToolShape {
    int tool;
    ShapeKind shape;
};
constexpr ToolShape kToolShapes[] = {
    {TOOL_LINE, LIVE_LINE},
    {TOOL_RADIUS_CIRCLE, LIVE_RADIUS_CIRCLE},
    {TOOL_RECTANGLE, LIVE_RECTANGLE},
    {TOOL_ANGLE, LIVE_ANGLE},
    {TOOL_CONTINUOUS_LINE, LIVE_CONTINUAL_LINE},
    {TOOL_POLYGON, LIVE_POLYGON},
    {TOOL_DIAMETER_CIRCLE, LIVE_DIAMETER_CIRCLE},
    {TOOL_THREE_POINT_CIRCLE, LIVE_THREE_POINT_CIRCLE},
    {TOOL_FOUR_POINT_ANGLE, LIVE_FOUR_POINT_ANGLE},
};

int Truncated(double v) {
    return static_cast<int>(v);
}

// The whole pixels of a distance, as the circles are drawn with.
int WholeDistance(POINT a, POINT b) {
    return Truncated(Distance(a, b));
}

std::vector<CString> CircleLabels(double radius, const MeasureContext& x) {
    const double S = x.unitScale, m = x.magnification;
    return {x.Label(LabelKind::Area, CircleAreaFromRadius(radius, S, m)),
            x.Label(LabelKind::Radius, LengthFromPixels(radius, S, m)),
            x.Label(LabelKind::Girth, CircumferenceFromRadius(radius, S, m))};
}

void Cross(HDC dc, POINT p) {
    MoveToEx(dc, p.x - 6, p.y, nullptr);
    LineTo(dc, p.x + 6, p.y);
    MoveToEx(dc, p.x, p.y + 6, nullptr);
    LineTo(dc, p.x, p.y - 6);
}

void CircleAround(const ShapePainter& s, POINT c, int r) {
    s.Circle(c.x - r, c.y - r, c.x + r, c.y + r);
}

// The angle's arc: clockwise on the screen around the vertex p1, 0.3 of the first arm's
// length, from the ray towards p0 to the ray towards p2.
void AngleArc(HDC dc, POINT p0, POINT p1, POINT p2) {
    const int r = Truncated(0.3 * WholeDistance(p1, p0));
    if (r <= 0)
        return;
    const int old = SetArcDirection(dc, AD_CLOCKWISE);
    Arc(dc, p1.x - r, p1.y - r, p1.x + r, p1.y + r, p0.x, p0.y, p2.x, p2.y);
    SetArcDirection(dc, old);
}

void TextAnnotation(HDC dc, const CMeasureRecord& r, const CanvasPaint& paint) {
    if (r.m_labels.empty() || r.m_points.empty())
        return;
    LOGFONTW font = r.m_textFont;
    ScopedGdiObject f(dc, CreateFontIndirectW(&font));
    SetTextColor(dc, r.m_selected ? paint.selectedColor : r.m_textColor);
    SetBkMode(dc, TRANSPARENT);
    const POINT p = paint.mapping.Map(r.m_points[0]);
    RECT box{p.x, p.y, paint.textRight, paint.textBottom};
    DrawTextW(dc, r.m_labels[0].GetString(), r.m_labels[0].GetLength(), &box, DT_WORDBREAK);
}

// The points each kind's drawing reads, so that a short item draws nothing.
size_t PointsOfKind(int kind) {
    switch (kind) {
    case 1:
        return 7;
    case 2:
    case 3:
        return 3;
    case 5:
    case 8:
        return 4;
    case 9:
    case 10:
        return 5;
    case 4:
    case 6:
    case 7:
        return 1;
    default:
        return SIZE_MAX;
    }
}

} // namespace

ShapeKind ShapeOfWifiTool(int tool) {
    for (const ToolShape& t : kToolShapes)
        if (t.tool == tool)
            return t.shape;
    return SHAPE_NONE;
}

CanvasSpace CanvasSpaceOf(int pictureWidth, int pictureHeight, int viewMode) {
    CanvasSpace space;
    space.displayHeight = pictureWidth == 1280 && pictureHeight == 1024 ? 512 : 480;
    if (pictureWidth <= 0 || pictureHeight <= 0)
        return space;
    const double x = static_cast<double>(pictureWidth) / space.displayWidth;
    const double y = static_cast<double>(pictureHeight) / space.displayHeight;
    if (viewMode == 2) {
        // One length for both axes: exact for every picture the fitted display keeps in
        // proportion (4:3, and 1280 x 1024 in its 640 x 512 display).
        space.toFitted = 1.0 / std::sqrt(x * y);
    } else {
        space.toPictureX = x;
        space.toPictureY = y;
    }
    return space;
}

void LineTick(POINT at, POINT other, POINT& a, POINT& b) {
    if (other.x == at.x) {
        a = POINT{at.x - 10, at.y};
        b = POINT{at.x + 10, at.y};
        return;
    }
    if (other.y == at.y) {
        a = POINT{at.x, at.y - 10};
        b = POINT{at.x, at.y + 10};
        return;
    }
    const double slope = (double(at.y) - other.y) / (double(at.x) - other.x);
    const double d = std::sqrt(slope * slope / (slope * slope + 1.0)) * 10.0;
    a = POINT{Truncated(at.x + d), Truncated(at.y - d / slope)};
    b = POINT{Truncated(at.x - d), Truncated(at.y + d / slope)};
}

bool MakeCanvasItem(ShapeKind kind, const std::vector<POINT>& c, const std::vector<CString>& labels,
                    const MeasureContext& x, CMeasureRecord& item) {
    const int code = StoredKind(kind, KindCodes::WifiCanvas);
    if (code <= 0 || c.empty())
        return false;
    item.m_kind = code;
    item.m_penWidth = x.pen.width;
    item.m_penStyle = x.pen.style;
    item.m_lineColor = x.pen.lineColor;
    item.m_labelColor = x.pen.labelColor;
    item.m_labelFont = x.pen.labelFont;
    item.m_fontSize = x.pen.labelStep;
    item.m_selected = 0;
    item.m_unitsPerPixel = UnitsPerPixel(x.unitScale, x.magnification);
    item.m_labels = labels;
    switch (kind) {
    case LIVE_LINE: {
        if (c.size() < 2)
            return false;
        POINT s1{}, s2{}, e1{}, e2{};
        LineTick(c[0], c[1], s1, s2);
        LineTick(c[1], c[0], e1, e2);
        item.m_points = {c[0], c[1], s1, s2, e1, e2, c[1]};
        item.m_labels.resize(1);
        return true;
    }
    case LIVE_RADIUS_CIRCLE:
    case LIVE_RECTANGLE:
        if (c.size() < 2)
            return false;
        item.m_points = {c[0], c[1], c[1]};
        item.m_labels.resize(3);
        return true;
    case LIVE_DIAMETER_CIRCLE: {
        if (c.size() < 2)
            return false;
        const double d = Distance(c[0], c[1]);
        const POINT centre{(c[0].x + c[1].x) / 2, (c[0].y + c[1].y) / 2};
        const double S = x.unitScale, m = x.magnification;
        item.m_points = {centre, c[0], c[1], c[1]};
        item.m_labels = {x.Label(LabelKind::Area, CircleAreaFromRadius(d * 0.5, S, m)),
                         x.Label(LabelKind::Diameter, LengthFromPixels(d, S, m)),
                         x.Label(LabelKind::Girth, CircumferenceFromDiameter(d, S, m))};
        return true;
    }
    case LIVE_THREE_POINT_CIRCLE: {
        double cx = 0.0, cy = 0.0;
        // Presses on one straight line have no circle; two on one vertical are solved like any
        // others.
        if (c.size() < 3 || !CircleCentreOfPresses(c[0], c[1], c[2], cx, cy) ||
            std::fabs(cx) > 1e7 || std::fabs(cy) > 1e7)
            return false;
        const POINT centre{Truncated(cx + 0.5), Truncated(cy + 0.5)};
        item.m_points = {centre, c[1], c[0], c[2], c[2]};
        item.m_labels = CircleLabels(std::hypot(cx - c[2].x, cy - c[2].y), x);
        return true;
    }
    case LIVE_ANGLE:
        if (c.size() < 3)
            return false;
        item.m_points = {c[0], c[1], c[2], c[2]};
        item.m_labels.resize(1);
        return true;
    case LIVE_FOUR_POINT_ANGLE:
        if (c.size() < 4)
            return false;
        item.m_points = {c[0], c[1], c[2], c[3], c[3]};
        item.m_labels.resize(1);
        return true;
    case LIVE_POLYGON:
    case LIVE_CONTINUAL_LINE:
        // Already in the canvas's layout: the vertices (and segment label places), the label.
        item.m_points = c;
        return true;
    default:
        return false;
    }
}

bool HitsCanvasItem(const CMeasureRecord& item, POINT p) {
    if (item.m_kind == CANVAS_KIND_TEXT) {
        if (item.m_points.size() < 2)
            return false;
        const POINT a = item.m_points[0], b = item.m_points[1];
        return p.x >= std::min(a.x, b.x) - 8 && p.x < std::max(a.x, b.x) + 8 &&
               p.y >= std::min(a.y, b.y) - 8 && p.y < std::max(a.y, b.y) + 8;
    }
    if (item.m_kind == TOOL_FOUR_POINT_ANGLE)
        return HitsFourPointAngle(item, p);
    return HitsShape(item, p);
}

void PaintCanvasItem(HDC dc, const CMeasureRecord& r, const CanvasPaint& paint) {
    const size_t n = r.m_points.size();
    if (n < PointsOfKind(r.m_kind))
        return;
    if (r.m_kind == CANVAS_KIND_TEXT) {
        TextAnnotation(dc, r, paint);
        return;
    }
    const COLORREF colour = r.m_selected ? paint.selectedColor : r.m_lineColor;
    ScopedGdiObject pen(dc, CreatePen(r.m_penStyle, r.m_penWidth, colour));
    const ShapePainter s(dc, r, paint.mapping);
    switch (r.m_kind) {
    case 1:
        s.Segments({0, 1, 2, 3, 4, 5});
        s.LabelAt(6);
        break;
    case 2:
        CircleAround(s, s.P(0), WholeDistance(s.P(0), s.P(1)));
        s.Segment(0, 1);
        s.Labels(s.P(2), 0, 3);
        break;
    case 3:
        s.Frame(0, 1);
        s.Labels(s.P(2), 0, 3);
        break;
    case 5:
        s.Segments({0, 1, 1, 2});
        AngleArc(dc, s.P(0), s.P(1), s.P(2));
        s.LabelAt(3);
        break;
    case 6:
        if (n >= 2)
            s.ContinuousLine();
        s.ContinuousLineLabels(paint.decimals, paint.unit);
        break;
    case 7:
        // A vertex at x or y 0 counts as unset: the edge into it is left out.
        for (size_t k = 1; k + 1 < n; ++k)
            if (r.m_points[k].x != 0 && r.m_points[k].y != 0)
                s.Segment(k - 1, k);
        if (n >= 2)
            s.Segment(n - 2, 0);
        s.LabelAt(n - 1);
        break;
    case 8:
        CircleAround(s, s.P(0), WholeDistance(s.P(0), s.P(1)));
        s.Segment(1, 2);
        s.Labels(s.P(3), 0, 3);
        break;
    case 9:
        CircleAround(s, s.P(0), WholeDistance(s.P(0), s.P(1)));
        s.Segment(0, 3);
        Cross(dc, s.P(2));
        Cross(dc, s.P(1));
        Cross(dc, s.P(3));
        s.Labels(s.P(4), 0, 3);
        break;
    case 10:
        s.Segments({0, 1, 2, 3});
        s.LabelAt(4);
        break;
    default:
        break;
    }
}

MeasurePen WifiCanvasPen() {
    MeasurePen pen;
    pen.width = g_lineWidth;
    pen.style = g_lineType;
    pen.lineColor = g_lineColor;
    pen.labelColor = g_lineColor;
    pen.labelFont = LOGFONTW{};
    pen.labelStep = 12;
    return pen;
}
