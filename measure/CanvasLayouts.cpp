// The photo-measure canvas's shapes as its measuring session builds them: the canvas keeps the
// ticks of its lines, its circles' centres and its label places in points of its own order
// (CanvasShapeRules reads them in that order to select, move and label a shape), lists a shape
// with its last click and lets its label follow the mouse until the next click places it.
// Points are canvas points (client points plus the scroll position); lengths are measured in
// the pixels of the fixed view (MeasureContext::viewScale).
#include "measure/MeasureSession.h"

#include "measure/CanvasShapeRules.h"
#include "measure/Geometry.h"

#include <cmath>
#include <iterator>

namespace {

// [v]: one half added, then truncated toward zero.
LONG Round(double v) {
    return static_cast<LONG>(v + 0.5);
}

bool Same(POINT a, POINT b) {
    return a.x == b.x && a.y == b.y;
}

// A pixel coordinate an int holds; the fits refuse anything else.
bool Pixel(double v) {
    return std::isfinite(v) && std::fabs(v) <= 1e7;
}

// The end ticks of the straight line (half length 10), the parallel line (100) and the
// automatic spacing (10).
constexpr int kLineTick = 10;
constexpr int kParallelTick = 100;
constexpr int kSpacingTick = 10;

// Label texts where the context wants labels, empty ones in the paint mode.
struct Labels {
    const MeasureContext& x;
    CString operator()(const CString& text) const { return x.labels ? text : CString(); }
    CString Length(double pixels) const { return (*this)(x.Length(pixels)); }
    double Value(double pixels) const { return x.Pixels(pixels); }
};

bool BuildLine(const std::vector<POINT>& k, const MeasureContext& x, CMeasureRecord& r,
               double& calibration, int tick, bool calibrates) {
    POINT a1, a2, b1, b2;
    OffsetPerpendicular(k[0].x, k[0].y, k[1].x, k[1].y, a1, a2, b1, b2, tick);
    r.m_points = {k[0], k[1], a1, a2, b1, b2, k.back()};
    const double d = Distance(k[0], k[1]);
    if (calibrates && x.labels && x.calibrating) {
        r.m_labels = {CString()}; // the label waits for the calibration's result
        calibration = d;
    } else {
        r.m_labels = {Labels{x}.Length(d)};
    }
    return true;
}

bool StraightLine(const std::vector<POINT>& k, const MeasureContext& x, CMeasureRecord& r,
                  double& calibration) {
    return BuildLine(k, x, r, calibration, kLineTick, false);
}

bool ParallelLine(const std::vector<POINT>& k, const MeasureContext& x, CMeasureRecord& r,
                  double& calibration) {
    return BuildLine(k, x, r, calibration, kParallelTick, true);
}

// The distance from the third click to the line through the first two.
bool DotLine(const std::vector<POINT>& k, const MeasureContext& x, CMeasureRecord& r, double&) {
    POINT foot{};
    PerpendicularFoot(k[0].x, k[0].y, k[1].x, k[1].y, k[2].x, k[2].y, 1.0, 1.0, foot);
    r.m_points = {k[0], k[1], k[2], k[2]};
    r.m_labels = {Labels{x}.Length(Distance(k[2], foot))};
    return true;
}

bool Rectangle(const std::vector<POINT>& k, const MeasureContext& x, CMeasureRecord& r, double&) {
    const Labels label{x};
    const double w = label.Value(std::fabs(double(k[1].x) - k[0].x));
    const double h = label.Value(std::fabs(double(k[1].y) - k[0].y));
    const double S = x.unitScale, m = x.magnification;
    r.m_fontSize = x.pen.labelStep;
    r.m_points = {k[0], k[1], k[1]};
    r.m_labels = {label(x.Label(LabelKind::Area, AreaFromPixels(w * h, S, m))),
                  label(x.Label(LabelKind::Width, LengthFromPixels(w, S, m))),
                  label(x.Label(LabelKind::Height, LengthFromPixels(h, S, m)))};
    return true;
}

// The centre first, then the clicks (the second first), then the label's place.
bool ThreePointCircle(const std::vector<POINT>& k, const MeasureContext& x, CMeasureRecord& r,
                      double&) {
    POINT centre{};
    if (!CircleCentre(k[0].x, k[0].y, k[1].x, k[1].y, k[2].x, k[2].y, centre))
        return false; // clicks on one straight line
    const Labels label{x};
    r.m_fontSize = x.pen.labelStep;
    r.m_points = {centre, k[1], k[0], k[2], k[2]};
    r.m_labels = {
        label(x.Label(LabelKind::Diameter, DiameterFromRadius(label.Value(Distance(centre, k[0])),
                                                              x.unitScale, x.magnification)))};
    return true;
}

bool Arc(const std::vector<POINT>& k, const MeasureContext& x, CMeasureRecord& r, double&) {
    POINT centre{};
    double radius = 0.0;
    int orientation = 0;
    if (!CircleThroughPoints(k[0].x, k[0].y, k[1].x, k[1].y, k[2].x, k[2].y, centre, radius,
                             orientation))
        return false;
    const double angle = ArcAngle(k[0], centre, k[2], orientation);
    const Labels label{x};
    const double S = x.unitScale, m = x.magnification;
    r.m_fontSize = x.pen.labelStep;
    r.m_points = {k[0], k[1], k[2], k[2], centre};
    r.m_labels = {
        label(x.Label(LabelKind::Radius, LengthFromPixels(label.Value(radius), S, m))),
        label(ArcAngleLabel(angle)),
        label(x.Label(LabelKind::Arc, ArcLengthFromAngle(angle, label.Value(radius), S, m)))};
    return true;
}

// End, vertex, end.
bool Angle(const std::vector<POINT>& k, const MeasureContext& x, CMeasureRecord& r, double&) {
    const POINT e1 = k[0], v = k[1], e2 = k[2];
    r.m_points = {e1, v, e2, e2};
    r.m_labels = {
        Labels{x}(AngleLabel(AngleBetweenLines(v.x, v.y, e1.x, e1.y, v.x, v.y, e2.x, e2.y)))};
    return true;
}

bool FourPointAngle(const std::vector<POINT>& k, const MeasureContext& x, CMeasureRecord& r,
                    double&) {
    r.m_points = {k[0], k[1], k[2], k[3], k[3]};
    r.m_labels = {Labels{x}(AngleLabel(
        AngleBetweenLines(k[0].x, k[0].y, k[1].x, k[1].y, k[2].x, k[2].y, k[3].x, k[3].y)))};
    return true;
}

// The line the edge finder sees in the section dragged from a to b, in frame pixels.
bool SectionEdge(const MeasureContext& x, POINT a, POINT b, POINT& e1, POINT& e2) {
    RECT box;
    int orientation = 0;
    if (!LineSectionBox(a, b, box, orientation) || !x.edges)
        return false;
    const POINT from = x.ToFrame(POINT{box.left, box.top});
    const POINT to = x.ToFrame(POINT{box.right, box.bottom});
    return x.edges->EdgeInSection(from, to, orientation, e1, e2) && !Same(e1, e2);
}

// The foot of the perpendicular from m on the line through a and b (frame pixels).
POINT FootOnEdge(POINT a, POINT b, POINT m) {
    if (a.x == b.x)
        return POINT{a.x, m.y};
    const double slope = double(b.y - a.y) / double(b.x - a.x);
    const double cut = a.y - slope * a.x;
    const double q = slope * slope + 1.0;
    return POINT{Round((m.x + slope * (m.y - cut)) / q),
                 Round((slope * m.x + slope * slope * m.y + cut) / q)};
}

// Both sections of the automatic spacing or angle are dragged: the lines found in them make
// the shape; without a line in both the sections stand in, by their centres (spacing) or
// their drags (angle).
bool Sections(const std::vector<POINT>& k, const MeasureContext& x, CMeasureRecord& r,
              double& calibration, bool spacing) {
    POINT found[2][2]{};
    bool has[2]{};
    for (int s = 0; s < 2; ++s)
        has[s] = SectionEdge(x, k[size_t(2 * s)], k[size_t(2 * s + 1)], found[s][0], found[s][1]);
    const bool both = has[0] && has[1];
    r.m_fontSize = x.pen.labelStep;
    if (!spacing) {
        POINT g[4];
        for (int i = 0; i < 4; ++i)
            g[i] = both ? x.ToSession(found[i / 2][i % 2]) : k[size_t(i)];
        r.m_points = {g[0], g[1], g[2], g[3], k[3]};
        r.m_labels = {AngleLabel(
            AngleBetweenLines(g[0].x, g[0].y, g[1].x, g[1].y, g[2].x, g[2].y, g[3].x, g[3].y))};
        return true;
    }
    POINT g0{(k[0].x + k[1].x) / 2, (k[0].y + k[1].y) / 2};
    POINT g1{(k[2].x + k[3].x) / 2, (k[2].y + k[3].y) / 2};
    if (both) {
        // From the middle of the first edge across to the line of the second.
        const POINT m{(found[0][0].x + found[0][1].x) / 2, (found[0][0].y + found[0][1].y) / 2};
        g0 = x.ToSession(m);
        g1 = x.ToSession(FootOnEdge(found[1][0], found[1][1], m));
    }
    POINT a1, a2, b1, b2;
    OffsetPerpendicular(g0.x, g0.y, g1.x, g1.y, a1, a2, b1, b2, kSpacingTick);
    r.m_points = {g0, g1, a1, a2, b1, b2, k[3]};
    const double d = Distance(g0, g1);
    if (x.calibrating) {
        r.m_labels = {CString()};
        calibration = d;
    } else {
        r.m_labels = {x.Length(d)};
    }
    return true;
}

bool Spacing(const std::vector<POINT>& k, const MeasureContext& x, CMeasureRecord& r,
             double& calibration) {
    return Sections(k, x, r, calibration, true);
}

bool SectionAngle(const std::vector<POINT>& k, const MeasureContext& x, CMeasureRecord& r,
                  double& calibration) {
    return Sections(k, x, r, calibration, false);
}

// The fitted circle: its centre and the place of the right click, the label's until it is
// placed.
bool CircleFit(const std::vector<POINT>& f, POINT at, const MeasureContext& x, CMeasureRecord& r) {
    double cx = 0, cy = 0, radius = 0;
    if (!FitCircle(f.data(), int(f.size()), cx, cy, radius) || !Pixel(cx) || !Pixel(cy) ||
        !Pixel(radius))
        return false;
    r.m_points = {POINT{static_cast<LONG>(cx), static_cast<LONG>(cy)}, at};
    r.m_radius = radius;
    r.m_labels = {x.Label(LabelKind::Diameter,
                          DiameterFromRadius(x.Pixels(radius), x.unitScale, x.magnification))};
    return true;
}

// The line through two or more edge points, its ends in the order of its direction.
bool LineFit(const std::vector<POINT>& f, POINT, const MeasureContext& x, CMeasureRecord& r) {
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    if (!FitLineEnds(f, x1, y1, x2, y2) || !Pixel(x1) || !Pixel(y1) || !Pixel(x2) || !Pixel(y2))
        return false;
    const POINT a{Round(x1), Round(y1)};
    const POINT b{Round(x2), Round(y2)};
    r.m_points = {a, b, b};
    r.m_labels = {x.Length(Distance(a, b))};
    return true;
}

// The arc: the middle point is the inner edge point closest to the fitted circle, taken only
// within the fitted radius of it; the circle through the first, middle and last point gives
// the centre, radius and angle, the fitted radius the length.
bool ArcFit(const std::vector<POINT>& f, POINT, const MeasureContext& x, CMeasureRecord& r) {
    double cx = 0, cy = 0, fitted = 0;
    if (!FitCircle(f.data(), int(f.size()), cx, cy, fitted))
        return false;
    double deviation = fitted;
    const size_t middle = NearestToCircle(f.data(), f.size(), cx, cy, fitted, &deviation);
    POINT centre{};
    double radius = 0.0;
    int orientation = 0;
    const POINT a = f.front(), m = f[middle], b = f.back();
    if (middle == 0 || !(deviation < fitted) ||
        !CircleThroughPoints(a.x, a.y, m.x, m.y, b.x, b.y, centre, radius, orientation))
        return false;
    const double angle = ArcAngle(a, centre, b, orientation);
    const double S = x.unitScale, mag = x.magnification;
    r.m_points = {a, m, b, centre, centre};
    r.m_labels = {x.Label(LabelKind::Radius, LengthFromPixels(x.Pixels(radius), S, mag)),
                  ArcAngleLabel(angle),
                  x.Label(LabelKind::Arc, ArcLengthFromAngle(angle, x.Pixels(fitted), S, mag))};
    return true;
}

constexpr unsigned Press(int n) {
    return 1u << n;
}

constexpr ClickRule kCanvasClickRules[] = {
    {LIVE_LINE, 2, 0, 0, false, StraightLine},
    {LIVE_PARALLEL_LINE, 2, 0, 0, false, ParallelLine},
    {LIVE_RECTANGLE, 2, 0, 0, false, Rectangle},
    {LIVE_DOT_LINE, 3, Press(2), 0, false, DotLine},
    {LIVE_ANGLE, 3, Press(2) | Press(3), 0, false, Angle},
    {LIVE_THREE_POINT_CIRCLE, 3, 0, 0, false, ThreePointCircle},
    {LIVE_ARC, 3, 0, 0, false, Arc},
    {LIVE_FOUR_POINT_ANGLE, 4, Press(2) | Press(4), 0, false, FourPointAngle},
    {LIVE_AUTO_DISTANCE, 4, 0, Press(2) | Press(4), true, Spacing},
    {LIVE_AUTO_ANGLE, 4, 0, Press(2) | Press(4), true, SectionAngle},
};

constexpr FitRule kCanvasFitRules[] = {
    {LIVE_AUTO_CIRCLE, CircleFit},
    {SHAPE_AUTO_LINE_TWO, LineFit},
    {LIVE_AUTO_ARC, ArcFit},
};

} // namespace

SessionRules CanvasSessionRules() {
    SessionRules rules;
    rules.clickRules = kCanvasClickRules;
    rules.fitRules = kCanvasFitRules;
    rules.listBeforeLabel = true;
    rules.labelsKeepPenFont = true;
    // The canvas ends its continual line once it has a segment.
    rules.continualEndsAt = 2;
    return rules;
}
