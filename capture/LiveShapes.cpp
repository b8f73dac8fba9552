#include "capture/LiveShapes.h"

#include "capture/CaptureWnd.h"

#include "measure/ArcDraw.h"
#include "measure/Geometry.h"
#include "measure/ShapePainter.h"
#include "measure/Units.h"

#include "capture/LiveViewState.h"

#include "platform/win/core/CString.h"
#include "platform/win/core/WString.h"
#include "platform/win/gdi/Gdi.h"

#include <cmath>

namespace {

// Toward zero; a value no pixel coordinate can hold (or NaN) becomes 0 rather than undefined.
int Trunc(double v) {
    return v > -1e9 && v < 1e9 ? static_cast<int>(v) : 0;
}

void Line(HDC dc, POINT a, POINT b) {
    MoveToEx(dc, a.x, a.y, nullptr);
    LineTo(dc, b.x, b.y);
}

// Keeps the DC's brush for the scope (the outlines below select the null brush).
class KeptBrush {
public:
    explicit KeptBrush(HDC dc) : m_dc(dc), m_brush(GetCurrentObject(dc, OBJ_BRUSH)) {}
    ~KeptBrush() { SelectObject(m_dc, m_brush); }
    KeptBrush(const KeptBrush&) = delete;
    KeptBrush& operator=(const KeptBrush&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_brush;
};

// ---- The shape being drawn ----

class DraftPainter {
public:
    DraftPainter(HDC dc, const CDraftShape& d, const RubberLine& rubber)
        : dc_(dc), d_(d), rubber_(rubber), n_(d.m_points.size()) {}

    void Draw() const;

private:
    POINT P(size_t i) const { return d_.m_points[i]; }
    void Segment(size_t a, size_t b) const { Line(dc_, P(a), P(b)); }
    void Cross(size_t i) const { DrawCross(dc_, P(i)); }
    void Hollow() const { SelectObject(dc_, GetStockObject(NULL_BRUSH)); }
    void Circle(POINT c, int r) const {
        Hollow();
        Ellipse(dc_, c.x - r, c.y - r, c.x + r, c.y + r);
    }
    // The segment and the dotted red band 6 pixels to either side of it.
    void Banded(POINT a, POINT b) const {
        Line(dc_, a, b);
        POINT a1{}, a2{}, b1{}, b2{};
        OffsetPerpendicular(a.x, a.y, b.x, b.y, a1, a2, b1, b2, 6);
        ScopedGdiObject band(dc_, CreatePen(PS_DOT, 1, RGB(255, 0, 0)));
        Line(dc_, a1, b1);
        Line(dc_, a2, b2);
    }
    bool HasLabels() const { return !d_.m_labels.empty(); }
    // Label lines 0 .. count - 1 (those the shape has) at point `anchor`, 12 pixels apart.
    void Labels(size_t anchor, size_t count) const {
        if (anchor >= n_)
            return;
        Labels(P(anchor), 0, count);
    }
    void Labels(POINT at, size_t first, size_t count) const {
        for (size_t k = 0; k < count && first + k < d_.m_labels.size(); ++k) {
            const CString& line = d_.m_labels[first + k];
            SetTextColor(dc_, d_.m_textColor);
            SetBkMode(dc_, TRANSPARENT);
            TextOutW(dc_, at.x, at.y + 12 * static_cast<int>(k), line.GetString(),
                     line.GetLength());
        }
    }

    void PassA() const;
    void PassB() const;
    // The shapes PassB draws, one each.
    void ContinualLineDraft(POINT cursor) const;
    void PolygonDraft(POINT cursor) const;
    void AngleDraft(POINT cursor) const;
    void FourPointAngleDraft(POINT cursor) const;
    void AutoEdgesDraft(POINT cursor) const;
    void ThreePointCircleDraft() const;
    void TwoCirclesDraft() const;
    void ArcDraft() const;
    void AutoFitDraft() const;

    HDC dc_;
    const CDraftShape& d_;
    const RubberLine& rubber_;
    size_t n_;
};

void DraftPainter::Draw() const {
    switch (d_.m_kind) {
    case LIVE_LINE:
    case LIVE_DOT_LINE:
    case LIVE_PARALLEL_LINE:
    case LIVE_RECTANGLE:
    case LIVE_ELLIPSE:
    case LIVE_RADIUS_CIRCLE:
    case LIVE_DIAMETER_CIRCLE:
    case LIVE_RULER:
        if (n_ >= 2)
            PassA();
        break;
    case LIVE_CONTINUAL_LINE:
    case LIVE_POLYGON:
    case LIVE_ANGLE:
    case LIVE_FOUR_POINT_ANGLE:
    case LIVE_AUTO_DISTANCE:
    case LIVE_AUTO_ANGLE:
        // Drawn only while the mouse drags their rubber line.
        if (n_ >= 1 && rubber_.active == 1)
            PassB();
        break;
    case LIVE_THREE_POINT_CIRCLE:
    case LIVE_TWO_CIRCLES:
    case LIVE_ARC:
    case LIVE_AUTO_CIRCLE:
    case LIVE_AUTO_LINE:
    case LIVE_AUTO_ARC:
        if (n_ >= 1)
            PassB();
        break;
    default: // labels, text and the guides draw nothing while being made
        break;
    }
}

void DraftPainter::PassA() const {
    KeptBrush brush(dc_);
    ScopedGdiObject pen(dc_, CreatePen(d_.m_penStyle, d_.m_penWidth, d_.m_lineColor));
    const POINT p0 = P(0), p1 = P(1);
    switch (d_.m_kind) {
    case LIVE_LINE:
        Segment(0, 1);
        if (HasLabels())
            Labels(2, 1);
        break;
    case LIVE_DOT_LINE:
        Segment(0, 1);
        if (HasLabels() && n_ >= 3) {
            POINT foot{};
            PerpendicularFoot(p0.x, p0.y, p1.x, p1.y, P(2).x, P(2).y, 1.0, 1.0, foot);
            Line(dc_, P(2), foot);
        }
        Labels(3, 1);
        break;
    case LIVE_PARALLEL_LINE: {
        Segment(0, 1);
        POINT a{}, b{}, c{}, d{};
        OffsetPerpendicular(p0.x, p0.y, p1.x, p1.y, a, b, c, d, 100);
        Line(dc_, a, b);
        Line(dc_, c, d);
        Labels(2, 1);
        break;
    }
    case LIVE_RECTANGLE:
        Hollow();
        Rectangle(dc_, p0.x, p0.y, p1.x, p1.y);
        Labels(2, 3);
        break;
    case LIVE_ELLIPSE:
        Hollow();
        Rectangle(dc_, p0.x, p0.y, p1.x, p1.y);
        Ellipse(dc_, p0.x, p0.y, p1.x, p1.y);
        Labels(2, 3);
        break;
    case LIVE_RADIUS_CIRCLE:
        Circle(p0, Trunc(Distance(p0, p1)));
        Segment(0, 1);
        Labels(2, 3);
        break;
    case LIVE_DIAMETER_CIRCLE:
        Circle(POINT{(p0.x + p1.x) / 2, (p0.y + p1.y) / 2}, Trunc(Distance(p0, p1)) / 2);
        Segment(0, 1);
        Labels(2, 3);
        break;
    case LIVE_RULER:
        Segment(0, 1);
        break;
    default:
        break;
    }
}

void DraftPainter::PassB() const {
    KeptBrush brush(dc_);
    ScopedGdiObject pen(dc_, CreatePen(d_.m_penStyle, d_.m_penWidth, d_.m_lineColor));
    const POINT cursor = rubber_.cursor;
    switch (d_.m_kind) {
    case LIVE_CONTINUAL_LINE:
        ContinualLineDraft(cursor);
        break;
    case LIVE_POLYGON:
        PolygonDraft(cursor);
        break;
    case LIVE_ANGLE:
        AngleDraft(cursor);
        break;
    case LIVE_FOUR_POINT_ANGLE:
        FourPointAngleDraft(cursor);
        break;
    case LIVE_AUTO_DISTANCE:
    case LIVE_AUTO_ANGLE:
        AutoEdgesDraft(cursor);
        break;
    case LIVE_THREE_POINT_CIRCLE:
        ThreePointCircleDraft();
        break;
    case LIVE_TWO_CIRCLES:
        TwoCirclesDraft();
        break;
    case LIVE_ARC:
        ArcDraft();
        break;
    case LIVE_AUTO_CIRCLE:
    case LIVE_AUTO_LINE:
    case LIVE_AUTO_ARC:
        AutoFitDraft();
        break;
    default:
        break;
    }
}

void DraftPainter::ContinualLineDraft(POINT cursor) const {
    if (n_ >= 2)
        Segment(0, 1);
    for (size_t i = 1; i + 2 < n_; i += 2)
        Segment(i, i + 2);
    Line(dc_, P(n_ < 3 ? 0 : n_ - 2), cursor);
    for (size_t k = 0; 2 * k + 2 < n_; ++k)
        Labels(P(2 * k + 2), k, 1);
}

void DraftPainter::PolygonDraft(POINT cursor) const {
    for (size_t i = 0; i + 1 < n_; ++i)
        if (P(i + 1).x != 0 && P(i + 1).y != 0)
            Segment(i, i + 1);
    Line(dc_, P(n_ - 1), cursor);
    if (HasLabels())
        Labels(n_ - 1, 1);
}

void DraftPainter::AngleDraft(POINT cursor) const {
    if (n_ >= 2)
        Segment(0, 1);
    if (n_ >= 3)
        Segment(1, 2);
    else
        Line(dc_, P(n_ - 1), cursor);
    Labels(3, 1);
}

void DraftPainter::FourPointAngleDraft(POINT cursor) const {
    if (n_ >= 2)
        Segment(0, 1);
    Line(dc_, P(n_ > 2 ? 2 : 0), cursor);
    Labels(4, 1);
}

void DraftPainter::AutoEdgesDraft(POINT cursor) const {
    if (n_ == 1) {
        Banded(P(0), cursor);
    } else if (n_ == 2) {
        Banded(P(0), P(1));
    } else {
        if (d_.m_kind == LIVE_AUTO_ANGLE) {
            Banded(P(0), P(1));
            if (n_ == 5)
                Banded(P(2), P(3));
        } else if (n_ == 3) {
            Segment(0, 1);
        }
        if (!HasLabels() && rubber_.line2 == 1)
            Banded(P(2), cursor);
    }
    Labels(d_.m_kind == LIVE_AUTO_ANGLE ? 4 : 2, 1);
}

void DraftPainter::ThreePointCircleDraft() const {
    for (size_t i = 0; i < 3 && i < n_; ++i)
        Cross(i);
    if (HasLabels() && n_ >= 3)
        Circle(P(2), Trunc(Distance(P(1), P(2)) + 0.5));
    Labels(3, 1);
}

void DraftPainter::TwoCirclesDraft() const {
    for (size_t i = 0; i < n_; ++i)
        if (i != 3 && i != 4 && i != 8 && i != 9 && i != 10)
            Cross(i);
    DrawTwoCirclesDraft(dc_, d_.m_points, d_.m_labels, d_.m_textColor);
}

void DraftPainter::ArcDraft() const {
    Cross(0);
    if (n_ >= 2)
        Cross(1);
    if (n_ >= 3) {
        Hollow();
        DrawArcThroughPoints(dc_, P(0).x, P(0).y, P(1).x, P(1).y, P(2).x, P(2).y);
    }
    if (HasLabels())
        Labels(3, 3);
}

void DraftPainter::AutoFitDraft() const {
    if (!HasLabels()) {
        for (size_t i = 0; i < n_; ++i)
            Cross(i);
    } else if (d_.m_kind == LIVE_AUTO_CIRCLE) {
        Circle(P(0), d_.m_radius);
        Labels(1, 1);
    } else if (d_.m_kind == LIVE_AUTO_LINE) {
        if (n_ >= 2)
            Segment(0, 1);
        Labels(2, 1);
    } else {
        if (n_ >= 3) {
            Hollow();
            DrawArcThroughPoints(dc_, P(0).x, P(0).y, P(1).x, P(1).y, P(2).x, P(2).y);
        }
        Labels(3, 3);
    }
}

// ---- Finished shapes ----

// The points a finished record of `kind` needs for its figure and labels; 0: not drawn.
size_t PointsOfLiveKind(int kind) {
    switch (kind) {
    case LIVE_CIRCLE_LABEL:
    case LIVE_SQUARE_LABEL:
    case LIVE_TEXT:
        return 1;
    case LIVE_CONTINUAL_LINE:
    case LIVE_POLYGON:
    case LIVE_AUTO_CIRCLE:
        return 2;
    case LIVE_LINE:
    case LIVE_PARALLEL_LINE:
    case LIVE_RECTANGLE:
    case LIVE_ELLIPSE:
    case LIVE_RADIUS_CIRCLE:
    case LIVE_DIAMETER_CIRCLE:
    case LIVE_AUTO_LINE:
    case LIVE_AUTO_DISTANCE:
        return 3;
    case LIVE_DOT_LINE:
    case LIVE_THREE_POINT_CIRCLE:
    case LIVE_ANGLE:
    case LIVE_ARC:
    case LIVE_AUTO_ARC:
        return 4;
    case LIVE_FOUR_POINT_ANGLE:
    case LIVE_AUTO_ANGLE:
        return 5;
    case LIVE_TWO_CIRCLES:
        return 11;
    default: // the guides' kinds are drawn as guide shapes
        return 0;
    }
}

// A circle of real radius r around stored point c, its box scaled corner by corner.
void ScaledCircle(const ShapePainter& p, POINT c, double r) {
    const ShapeMapping& m = p.m_;
    p.Circle(Trunc((c.x - r) * m.scaleX), Trunc((c.y - r) * m.scaleY), Trunc((c.x + r) * m.scaleX),
             Trunc((c.y + r) * m.scaleY));
}

void DrawLiveFigure(HDC dc, const ShapePainter& p, const LiveDrawContext& context) {
    const CMeasureRecord& r = p.r_;
    const ShapeMapping& m = p.m_;
    const POINT p0 = r.m_points[0];
    const size_t n = r.m_points.size();
    switch (r.m_kind) {
    case LIVE_LINE:
    case LIVE_PARALLEL_LINE: {
        p.Segment(0, 1);
        const POINT p1 = r.m_points[1];
        POINT a{}, b{}, c{}, d{};
        OffsetPerpendicular(p0.x, p0.y, p1.x, p1.y, a, b, c, d, r.m_kind == LIVE_LINE ? 10 : 100);
        p.Line(m.Map(a), m.Map(b));
        p.Line(m.Map(c), m.Map(d));
        break;
    }
    case LIVE_DOT_LINE: {
        p.Segment(0, 1);
        const POINT p1 = r.m_points[1], p2 = r.m_points[2];
        POINT foot{};
        PerpendicularFoot(p0.x, p0.y, p1.x, p1.y, p2.x, p2.y, context.scaleX, context.scaleY, foot);
        p.Line(p.P(2), foot);
        break;
    }
    case LIVE_POLYGON:
        for (size_t i = 0; i + 3 <= n; ++i)
            if (r.m_points[i + 1].x != 0 && r.m_points[i + 1].y != 0)
                p.Segment(i, i + 1);
        p.Segment(n - 2, 0);
        break;
    case LIVE_ELLIPSE: {
        const POINT a = p.P(0), b = p.P(1);
        p.Circle(a.x, a.y, b.x, b.y);
        break;
    }
    case LIVE_RADIUS_CIRCLE:
        ScaledCircle(p, p0, Trunc(Distance(p0, r.m_points[1])));
        p.Segment(0, 1);
        break;
    case LIVE_DIAMETER_CIRCLE: {
        const POINT p1 = r.m_points[1];
        const double radius = Trunc(Distance(p0, p1)) / 2;
        const double sx = m.scaleX, sy = m.scaleY;
        const double xs = static_cast<double>(p0.x) + p1.x;
        const double ys = static_cast<double>(p0.y) + p1.y;
        p.Circle(Trunc(xs * sx * 0.5 - radius * sx), Trunc(ys * sy * 0.5 - radius * sy),
                 Trunc((xs * 0.5 + radius) * sx), Trunc((ys * 0.5 + radius) * sy));
        p.Segment(0, 1);
        break;
    }
    case LIVE_THREE_POINT_CIRCLE:
        ScaledCircle(p, r.m_points[2], Distance(r.m_points[1], r.m_points[2]));
        break;
    case LIVE_TWO_CIRCLES:
        ScaledCircle(p, r.m_points[3], Distance(r.m_points[0], r.m_points[3]));
        ScaledCircle(p, r.m_points[8], Distance(r.m_points[5], r.m_points[8]));
        p.Segment(3, 8);
        break;
    case LIVE_SQUARE_LABEL: {
        const POINT c = p.P(0);
        p.Hollow();
        Rectangle(dc, c.x - 10, c.y - 10, c.x + 10, c.y + 10);
        break;
    }
    case LIVE_AUTO_CIRCLE:
        ScaledCircle(p, p0, r.m_radius);
        break;
    case LIVE_AUTO_LINE:
    case LIVE_AUTO_DISTANCE:
        p.Segment(0, 1);
        break;
    default:
        break;
    }
}

// The label places only the live view has: its records keep no ticks, and the label's point
// follows the points that fix the figure.
constexpr LabelPlace kLiveLabelPlaces[] = {
    {LIVE_LINE, 2, 1},          {LIVE_PARALLEL_LINE, 2, 1},      {LIVE_AUTO_LINE, 2, 1},
    {LIVE_AUTO_DISTANCE, 2, 1}, {LIVE_THREE_POINT_CIRCLE, 3, 1}, {LIVE_ELLIPSE, 2, 3},
    {LIVE_RADIUS_CIRCLE, 2, 3}, {LIVE_DIAMETER_CIRCLE, 2, 3},    {LIVE_AUTO_CIRCLE, 1, 1},
};

void DrawLiveLabels(const ShapePainter& p, ShapeKind kind) {
    if (DrawLabelsByPlace(p, kind, kLiveLabelPlaces))
        return;
    if (kind == LIVE_POLYGON)
        p.LabelAt(p.r_.m_points.size() - 1);
    else if (kind == LIVE_SQUARE_LABEL)
        p.NumberLabel();
}

// ---- Guide shapes ----

// The label font of the Length-Line and the coordinate angle: 14-pixel Arial, running
// downward (escapement 2700) for a vertical Length-Line.
HFONT CreateGuideFont(bool downward) {
    LOGFONTW lf{};
    lf.lfHeight = 14;
    lf.lfEscapement = downward ? 2700 : 0;
    lf.lfWeight = 400;
    lf.lfCharSet = 134;
    lf.lfOutPrecision = 3;
    lf.lfClipPrecision = 2;
    lf.lfQuality = 1;
    lf.lfPitchAndFamily = 0x32;
    ms::CopyBounded(lf.lfFaceName, LF_FACESIZE, u"Arial");
    return CreateFontIndirectW(&lf);
}

// Writes `text` at `at` in `colour` with the TRANSPARENT mode, putting both back afterwards.
void GuideText(HDC dc, POINT at, const CString& text, COLORREF colour) {
    const COLORREF oldColour = SetTextColor(dc, colour);
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    TextOutW(dc, at.x, at.y, text.GetString(), text.GetLength());
    SetBkMode(dc, oldMode);
    SetTextColor(dc, oldColour);
}

class GuidePainter {
public:
    GuidePainter(HDC dc, const CPolylineRecord& g, const LiveDrawContext& c)
        : dc_(dc), g_(g), c_(c) {}

    // A preview point, offsets already added, into the target.
    POINT S(int x, int y) const { return POINT{Trunc(x * c_.scaleX), Trunc(y * c_.scaleY)}; }
    POINT S(POINT p) const { return S(p.x, p.y); }
    void LengthLine() const;
    void CoordinateAngle() const;
    void ToleranceCircles() const;

private:
    HDC dc_;
    const CPolylineRecord& g_;
    const LiveDrawContext& c_;
};

void GuidePainter::LengthLine() const {
    const POINT p0 = g_.m_points[0], p1 = g_.m_points[1];
    const int x0 = p0.x, y0 = p0.y, x1 = p1.x, y1 = p1.y;
    const bool vertical = g_.m_vertical != 0;
    {
        ScopedGdiObject pen(dc_, CreatePen(g_.m_penStyle, g_.m_penWidth, g_.m_lineColor));
        const POINT horizontal[] = {
            {x0, y0 - 36}, {x0 - 18, y0}, {x0 - 18, y0 + 36}, {x1, y1 + 36}, {x1 + 36, y1 + 36},
            {x1 + 36, y1}, {x1 + 18, y1}, {x1, y1 - 36},      {x1, y1},      {x0, y0}};
        const POINT upright[] = {
            {x0 + 36, y0}, {x0, y0 - 18}, {x0 - 36, y0 - 18}, {x1 - 36, y1}, {x1 - 36, y1 + 36},
            {x1, y1 + 36}, {x1, y1 + 18}, {x1 + 36, y1},      {x1, y1},      {x0, y0}};
        const POINT* path = vertical ? upright : horizontal;
        const POINT start = S(p0);
        MoveToEx(dc_, start.x, start.y, nullptr);
        for (size_t i = 0; i < 10; ++i) {
            const POINT q = S(path[i]);
            LineTo(dc_, q.x, q.y);
        }
        Line(dc_, S(p1), vertical ? S(x1 - 36, y1) : S(x1, y0 + 36));
    }
    if (!(c_.liveZoom > 0.0))
        return; // no magnification yet: the outline without a value
    const double value = LengthLineValue(vertical ? std::abs(y0 - y1) : std::abs(x0 - x1), c_);
    CString label;
    label.Format(u"L:%.*f%s", c_.decimals, value, c_.unit.c_str());
    ScopedGdiObject font(dc_, CreateGuideFont(vertical));
    GuideText(dc_, POINT{Trunc(x0 * c_.scaleX), Trunc(y0 * c_.scaleY + 16)}, label, g_.m_textColor);
}

void GuidePainter::CoordinateAngle() const {
    const POINT v = S(g_.m_points[0]), p1 = S(g_.m_points[1]), p2 = S(g_.m_points[2]);
    {
        ScopedGdiObject pen(dc_, CreatePen(g_.m_penStyle, g_.m_penWidth, g_.m_lineColor));
        Line(dc_, v, p1);
        Line(dc_, v, p2);
        const double dx = static_cast<double>(p1.x) - v.x, dy = static_cast<double>(p1.y) - v.y;
        const int r = Trunc(0.3 * Trunc(std::sqrt(dx * dx + dy * dy)));
        const int oldDirection = SetArcDirection(dc_, AD_CLOCKWISE);
        Arc(dc_, v.x - r, v.y - r, v.x + r, v.y + r, p1.x, p1.y, p2.x, p2.y);
        SetArcDirection(dc_, oldDirection);
    }
    CString label;
    if (c_.picture) {
        label.Format(u"%.2f\u00B0", AngleBetweenLines(v.x, v.y, p1.x, p1.y, v.x, v.y, p2.x, p2.y));
        GuideText(dc_, POINT{v.x + 10, v.y - 30}, label, g_.m_textColor);
        return;
    }
    label.Format(u"%.2f\u00B0", RayAngle(p2.x, p2.y, v.x, v.y, p1.x, p1.y));
    ScopedGdiObject font(dc_, CreateGuideFont(false));
    GuideText(dc_, S(g_.m_points[0].x + 10, g_.m_points[0].y - 30), label, g_.m_textColor);
}

void GuidePainter::ToleranceCircles() const {
    const POINT c = g_.m_points[0];
    const int radius = g_.m_radiusPixels;
    KeptBrush brush(dc_);
    auto circle = [&](int r) {
        const POINT a = S(c.x - r, c.y - r), b = S(c.x + r, c.y + r);
        Ellipse(dc_, a.x, a.y, b.x, b.y);
    };
    {
        ScopedGdiObject pen(dc_, CreatePen(g_.m_penStyle, g_.m_penWidth, g_.m_lineColor));
        SelectObject(dc_, GetStockObject(NULL_BRUSH));
        circle(radius);
        Line(dc_, S(c), S(c.x + radius, c.y));
    }
    {
        ScopedGdiObject pen(dc_, c_.picture ? CreatePen(PS_DOT, 1, RGB(0, 255, 0))
                                            : CreatePen(PS_DASHDOT, 1, g_.m_lineColor));
        circle(radius + g_.m_plusPixels);
        circle(radius - g_.m_minusPixels);
    }
    const WCHAR* unit = c_.unit.c_str();
    const int decimals = c_.decimals;
    GuideText(dc_, S(c.x, c.y - 20),
              MeasureLabel(LabelKind::TolerancePlus, g_.m_radiusValue + g_.m_plusTolerance,
                           decimals, unit),
              g_.m_textColor);
    GuideText(dc_, S(c), MeasureLabel(LabelKind::Radius, g_.m_radiusValue, decimals, unit),
              g_.m_textColor);
    GuideText(dc_, S(c.x, c.y + 20),
              MeasureLabel(LabelKind::ToleranceMinus, g_.m_radiusValue - g_.m_minusTolerance,
                           decimals, unit),
              g_.m_textColor);
}

} // namespace

LiveDrawContext PictureDrawContext(double scaleX, double scaleY) {
    LiveDrawContext context;
    if (const CLiveViewState* state = g_captureWnd.LiveView()) {
        const LiveViewSnapshot shown = state->Snapshot();
        context.unit = shown.unitName;
        context.decimals = shown.decimalPlaces;
        context.liveZoom = shown.liveZoom;
    } else {
        context.unit = g_unitName;
        context.decimals = g_decimalPlaces;
    }
    context.scaleX = scaleX;
    context.scaleY = scaleY;
    context.has1600x1200 = g_has1600x1200;
    context.captureWidth = g_captureWidth;
    context.captureHeight = g_captureHeight;
    context.picture = true;
    return context;
}

LiveListsCopy CopyLiveLists() {
    LiveListsCopy copy;
    {
        LiveListsLock lock;
        copy.draft = lock.Draft();
        copy.shapes.reserve(static_cast<size_t>(lock.Shapes().GetSize()));
        for (const auto& shape : lock.Shapes())
            copy.shapes.push_back(*shape);
        copy.guides.reserve(static_cast<size_t>(lock.Polylines().GetSize()));
        for (const auto& guide : lock.Polylines())
            copy.guides.push_back(*guide);
    }
    copy.rubber.active = g_rubberActive.load();
    copy.rubber.line2 = g_rubberAuto.load();
    copy.rubber.cursor = g_rubberPoint.load();
    return copy;
}

void DrawDraftShape(HDC hdc, const CDraftShape& draft, const RubberLine& rubber) {
    DraftPainter(hdc, draft, rubber).Draw();
}

void DrawLiveRecord(HDC hdc, const CMeasureRecord& record, const LiveDrawContext& context) {
    const size_t needed = PointsOfLiveKind(record.m_kind);
    if (needed == 0 || record.m_points.size() < needed)
        return;
    const ShapeMapping mapping{true, 0, 0, context.scaleX, context.scaleY};
    if (record.m_kind == LIVE_TEXT) {
        DrawTextAnnotation(hdc, record, mapping, record.m_textColor);
        return;
    }
    const ShapePainter p(hdc, record, mapping);
    const auto kind = static_cast<ShapeKind>(record.m_kind); // one PointsOfLiveKind knows
    {
        KeptBrush brush(hdc);
        ScopedGdiObject pen(hdc,
                            CreatePen(record.m_penStyle, record.m_penWidth, record.m_lineColor));
        if (!DrawSharedFigure(p, kind))
            DrawLiveFigure(hdc, p, context);
    }
    if (!DrawSharedLabels(p, kind, context.decimals, context.unit.c_str()))
        DrawLiveLabels(p, kind);
}

void DrawLiveShapes(HDC hdc, const LiveListsCopy& lists, const LiveDrawContext& context) {
    DrawDraftShape(hdc, lists.draft, lists.rubber);
    for (const CMeasureRecord& record : lists.shapes)
        DrawLiveRecord(hdc, record, context);
}

void DrawGuideShape(HDC hdc, const CPolylineRecord& guide, const LiveDrawContext& context) {
    const GuidePainter p(hdc, guide, context);
    const size_t n = guide.m_points.size();
    switch (guide.m_kind) {
    case GUIDE_LENGTH_LINE:
        if (n >= 2)
            p.LengthLine();
        break;
    case GUIDE_COORDINATE_ANGLE:
        if (n >= 3)
            p.CoordinateAngle();
        break;
    case GUIDE_TOLERANCE_CIRCLE:
        if (n >= 1)
            p.ToleranceCircles();
        break;
    default:
        break;
    }
}

void DrawGuideShapes(HDC hdc, const std::vector<CPolylineRecord>& guides,
                     const LiveDrawContext& context) {
    for (const CPolylineRecord& guide : guides)
        DrawGuideShape(hdc, guide, context);
}

double LengthLineValue(int pixels, const LiveDrawContext& context) {
    if (!(context.liveZoom > 0.0))
        return 0.0;
    // The scale every live measurement uses, so that a ruler made for a typed length shows it.
    const double s = UnitScale(context.unit.c_str(), context.has1600x1200, context.captureWidth,
                               context.captureHeight);
    return RoundLengthLineValue(LengthFromPixels(pixels, s, context.liveZoom));
}

double RoundLengthLineValue(double v) {
    const double a = std::trunc(v * 100.0);
    const double b = std::trunc(v * 1000.0);
    if (std::fmod(a, 10.0) == 0.0)
        return a / 100.0;
    return std::trunc(b / 10.0) / 100.0 + (std::fmod(b, 10.0) >= 5.0 ? 0.01 : 0.0);
}

void CopyMeasureUnits(LiveViewSnapshot& state) {
    size_t n = 0;
    while (n < 12 && g_unitName[n])
        ++n;
    state.unitName.assign(g_unitName, n);
    state.decimalPlaces = g_decimalPlaces;
}
