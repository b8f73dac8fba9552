#include "measure/CanvasShapeRules.h"

#include "measure/ArcDraw.h"
#include "measure/Geometry.h"

#include "platform/win/gdi/Gdi.h"

#include <cmath>
#include <cstdlib>
#include <iterator>

namespace {

constexpr int kBand = 3; // half width of a segment's band
constexpr int kRing = 3; // a ring is hit within this many whole pixels of its radius

bool OnRing(POINT centre, int radius, POINT p) {
    return std::abs(static_cast<int>(Distance(centre, p)) - radius) < kRing;
}

bool InBox(const RECT& r, POINT p) {
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

bool InPolylineBands(const std::vector<POINT>& pts, POINT p) {
    for (size_t i = 0; i + 1 < pts.size(); ++i)
        if (InSegmentBand(pts[i], pts[i + 1], p))
            return true;
    return false;
}

// The arc's centre comes from its three points, wherever the record keeps its copy.
bool ArcCentre(const std::vector<POINT>& pts, POINT& centre) {
    double radius = 0.0;
    int orientation = 0;
    return pts.size() >= 3 && CircleThroughPoints(pts[0].x, pts[0].y, pts[1].x, pts[1].y, pts[2].x,
                                                  pts[2].y, centre, radius, orientation);
}

enum class Hit {
    Never,
    Segment,
    Angle,
    Polyline,
    Ring,
    TwoCircles,
    ArcRing,
    AutoRing,
    Border,
    TextBox,
    LabelSquare
};

struct HitRule {
    int kind;
    Hit hit;
    size_t points; // the points the test reads
};

constexpr HitRule kHitRules[] = {
    {CANVAS_KIND_LINE, Hit::Segment, 2},
    {TOOL_PARALLEL_LINE, Hit::Segment, 2},
    {TOOL_AUTO_LINE_SPACING, Hit::Segment, 2},
    {TOOL_AUTO_ANGLE, Hit::Segment, 2},
    {TOOL_DOT_LINE, Hit::Segment, 2},
    {TOOL_AUTO_LINE_LENGTH2, Hit::Segment, 2},
    {TOOL_ANGLE, Hit::Angle, 3},
    {TOOL_CONTINUOUS_LINE, Hit::Polyline, 2},
    {TOOL_THREE_POINT_CIRCLE, Hit::Ring, 2},
    {TOOL_TWO_CIRCLES, Hit::TwoCircles, 4},
    {TOOL_ARC, Hit::ArcRing, 3},
    {TOOL_AUTO_ARC, Hit::ArcRing, 3},
    {TOOL_AUTO_CIRCLE, Hit::AutoRing, 1},
    {CANVAS_KIND_RECTANGLE, Hit::Border, 2},
    {CANVAS_KIND_TEXT, Hit::TextBox, 2},
    {TOOL_CIRCLE_LABEL, Hit::LabelSquare, 1},
    {WIFI_KIND_RADIUS_CIRCLE, Hit::Ring, 2},
    {WIFI_KIND_POLYGON, Hit::Polyline, 2},
    {WIFI_KIND_DIAMETER_CIRCLE, Hit::Ring, 2},
};

constexpr LabelRule kLabelRules[] = {
    {CANVAS_KIND_LINE, 6, 30},
    {TOOL_DOT_LINE, 3, 30},
    {TOOL_PARALLEL_LINE, 6, 30},
    {TOOL_ANGLE, 3, 30},
    {CANVAS_KIND_RECTANGLE, 2, 30},
    {TOOL_THREE_POINT_CIRCLE, 4, 20},
    {TOOL_ARC, 3, 20},
    {TOOL_FOUR_POINT_ANGLE, 4, 30},
    {TOOL_AUTO_LINE_SPACING, 6, 30},
    {TOOL_AUTO_ANGLE, 4, 30},
    {TOOL_AUTO_CIRCLE, 1, 30},
    {TOOL_AUTO_ARC, 3, 30},
    {TOOL_AUTO_LINE_LENGTH2, 2, 30},
};

using A = MoveAnchor;
using O = MoveOutline;

constexpr MoveRule kMoveRules[] = {
    {CANVAS_KIND_LINE, A::Mid01, A::Mid01, false, O::Segments, {{0, 1}, {2, 3}, {4, 5}}},
    {TOOL_PARALLEL_LINE, A::Mid01, A::Mid01, false, O::Segments, {{0, 1}, {2, 3}, {4, 5}}},
    {TOOL_AUTO_LINE_SPACING, A::Mid01, A::Mid01, false, O::Segments, {{0, 1}, {2, 3}, {4, 5}}},
    {CANVAS_KIND_RECTANGLE, A::Mid01, A::Mid01, true, O::Rectangle, {{-1, -1}, {-1, -1}, {-1, -1}}},
    {CANVAS_KIND_TEXT, A::Mid01, A::Mid01, true, O::Rectangle, {{-1, -1}, {-1, -1}, {-1, -1}}},
    {TOOL_ANGLE, A::Mid01, A::Mid01, false, O::Segments, {{0, 1}, {1, 2}, {-1, -1}}},
    {TOOL_CONTINUOUS_LINE,
     A::Mid01,
     A::MidFirstLast,
     false,
     O::Polyline,
     {{-1, -1}, {-1, -1}, {-1, -1}}},
    {TOOL_THREE_POINT_CIRCLE,
     A::Point0,
     A::Point0,
     false,
     O::Circle,
     {{-1, -1}, {-1, -1}, {-1, -1}}},
    {TOOL_TWO_CIRCLES, A::Point3, A::Point0, false, O::TwoCircles, {{-1, -1}, {-1, -1}, {-1, -1}}},
    {TOOL_CIRCLE_LABEL, A::Point0, A::Point0, false, O::LabelRing, {{-1, -1}, {-1, -1}, {-1, -1}}},
    {TOOL_AUTO_CIRCLE, A::Point0, A::Point0, false, O::AutoCircle, {{-1, -1}, {-1, -1}, {-1, -1}}},
    {TOOL_AUTO_ANGLE, A::Mid01, A::Mid01, false, O::Segments, {{0, 1}, {2, 3}, {-1, -1}}},
    {TOOL_DOT_LINE, A::Mid01, A::Mid01, false, O::DotLine, {{-1, -1}, {-1, -1}, {-1, -1}}},
    {TOOL_AUTO_LINE_LENGTH2, A::Mid01, A::Mid01, false, O::Segments, {{0, 1}, {-1, -1}, {-1, -1}}},
    {TOOL_ARC, A::Point0, A::Point0, false, O::Arc, {{-1, -1}, {-1, -1}, {-1, -1}}},
    {TOOL_AUTO_ARC, A::Point0, A::Point0, false, O::Arc, {{-1, -1}, {-1, -1}, {-1, -1}}},
    {WIFI_KIND_RADIUS_CIRCLE,
     A::Point0,
     A::Point0,
     false,
     O::CircleRadius,
     {{-1, -1}, {-1, -1}, {-1, -1}}},
    {WIFI_KIND_POLYGON, A::Mid01, A::MidFirstLast, false, O::Polygon, {{-1, -1}, {-1, -1}, {-1, -1}}},
    {WIFI_KIND_DIAMETER_CIRCLE,
     A::Point0,
     A::Point0,
     false,
     O::CircleRadius,
     {{-1, -1}, {-1, -1}, {-1, -1}}},
};

constexpr MoveRule kFourPointAngleRule = {
    TOOL_FOUR_POINT_ANGLE, A::Mid01, A::Mid01, false, O::Segments, {{0, 1}, {2, 3}, {-1, -1}}};

// What each outline reads, so that a short record draws nothing rather than reading past it.
size_t OutlinePoints(const MoveRule& rule) {
    switch (rule.outline) {
    case O::Segments: {
        size_t n = 0;
        for (const auto& s : rule.segments)
            for (int i : s)
                if (i >= 0 && size_t(i) + 1 > n)
                    n = size_t(i) + 1;
        return n;
    }
    case O::TwoCircles:
        return 9;
    case O::DotLine:
    case O::Arc:
        return 3;
    case O::Rectangle:
    case O::Polyline:
    case O::Circle:
    case O::CircleRadius:
    case O::Polygon:
        return 2;
    default:
        return 1;
    }
}

void Line(HDC dc, POINT a, POINT b) {
    MoveToEx(dc, a.x, a.y, nullptr);
    LineTo(dc, b.x, b.y);
}

void CircleAround(HDC dc, POINT c, int r) {
    Ellipse(dc, c.x - r, c.y - r, c.x + r, c.y + r);
}

} // namespace

bool InSegmentBand(POINT a, POINT b, POINT p) {
    const long dx = long(b.x) - a.x, dy = long(b.y) - a.y;
    if (dx == 0 && dy == 0)
        return false;
    if (std::labs(dx) > std::labs(dy)) {
        // The band reaches 3 pixels above and below the segment, between its two ends.
        if (p.x < std::min(a.x, b.x) || p.x > std::max(a.x, b.x))
            return false;
        const double y = a.y + double(dy) * (p.x - a.x) / double(dx);
        return std::fabs(p.y - y) <= kBand;
    }
    if (p.y < std::min(a.y, b.y) || p.y > std::max(a.y, b.y))
        return false;
    const double x = a.x + double(dx) * (p.y - a.y) / double(dy);
    return std::fabs(p.x - x) <= kBand;
}

bool HitsShape(const CMeasureRecord& r, POINT p) {
    const auto rule = std::find_if(std::begin(kHitRules), std::end(kHitRules),
                                   [&](const HitRule& h) { return h.kind == r.m_kind; });
    if (rule == std::end(kHitRules) || r.m_points.size() < rule->points)
        return false;
    const std::vector<POINT>& pt = r.m_points;
    switch (rule->hit) {
    case Hit::Segment:
        return InSegmentBand(pt[0], pt[1], p);
    case Hit::Angle:
        return InSegmentBand(pt[0], pt[1], p) || InSegmentBand(pt[1], pt[2], p);
    case Hit::Polyline:
        return InPolylineBands(pt, p);
    case Hit::Ring:
        return OnRing(pt[0], static_cast<int>(Distance(pt[0], pt[1])), p);
    case Hit::TwoCircles:
        return OnRing(pt[3], static_cast<int>(Distance(pt[3], pt[0])), p);
    case Hit::ArcRing: {
        POINT centre{};
        return ArcCentre(pt, centre) &&
               OnRing(centre, static_cast<int>(Distance(centre, pt[0])), p);
    }
    case Hit::AutoRing:
        return std::fabs(Distance(pt[0], p) - r.m_radius) < 3.0;
    case Hit::Border: {
        const RECT outer{std::min(pt[0].x, pt[1].x) - 2, std::min(pt[0].y, pt[1].y) - 2,
                         std::max(pt[0].x, pt[1].x) + 2, std::max(pt[0].y, pt[1].y) + 2};
        const RECT inner{outer.left + 4, outer.top + 4, outer.right - 4, outer.bottom - 4};
        return InBox(outer, p) && !InBox(inner, p);
    }
    case Hit::TextBox:
        return InBox(RECT{std::min(pt[0].x, pt[1].x), std::min(pt[0].y, pt[1].y),
                          std::max(pt[0].x, pt[1].x), std::max(pt[0].y, pt[1].y)},
                     p);
    case Hit::LabelSquare:
        return InBox(RECT{pt[0].x - 18, pt[0].y - 18, pt[0].x + 2, pt[0].y + 2}, p);
    case Hit::Never:
        break;
    }
    return false;
}

bool HitsFourPointAngle(const CMeasureRecord& r, POINT p) {
    return r.m_kind == TOOL_FOUR_POINT_ANGLE && InPolylineBands(r.m_points, p);
}

const LabelRule* LabelRuleOfKind(int kind) {
    for (const LabelRule& rule : kLabelRules)
        if (rule.kind == kind)
            return &rule;
    return nullptr;
}

const MoveRule* MoveRuleOfKind(int kind) {
    for (const MoveRule& rule : kMoveRules)
        if (rule.kind == kind)
            return &rule;
    return nullptr;
}

const MoveRule& FourPointAngleMoveRule() {
    return kFourPointAngleRule;
}

POINT MoveAnchorOf(MoveAnchor anchor, const std::vector<POINT>& h) {
    auto mid = [](POINT a, POINT b) { return POINT{(a.x + b.x) / 2, (a.y + b.y) / 2}; };
    switch (anchor) {
    case A::Mid01:
        return h.size() >= 2 ? mid(h[0], h[1]) : (h.empty() ? POINT{0, 0} : h[0]);
    case A::Point3:
        return h.size() >= 4 ? h[3] : (h.empty() ? POINT{0, 0} : h[0]);
    case A::MidFirstLast:
        return h.empty() ? POINT{0, 0} : mid(h.front(), h.back());
    case A::Point0:
        break;
    }
    return h.empty() ? POINT{0, 0} : h[0];
}

void MoveHandlesTo(const MoveRule& rule, std::vector<POINT>& h, POINT c) {
    if (h.empty())
        return;
    if (rule.recentred && h.size() >= 2) {
        const int halfW = std::abs(h[1].x - h[0].x) / 2, halfH = std::abs(h[1].y - h[0].y) / 2;
        h[0] = POINT{c.x - halfW, c.y - halfH};
        h[1] = POINT{c.x + halfW, c.y + halfH};
        for (size_t i = 2; i < h.size(); ++i)
            h[i] = c;
        return;
    }
    const POINT ref = MoveAnchorOf(rule.reference, h);
    const LONG dx = c.x - ref.x, dy = c.y - ref.y;
    for (POINT& p : h) {
        p.x += dx;
        p.y += dy;
    }
}

void DrawMoveOutline(HDC dc, const MoveRule& rule, const std::vector<POINT>& h, double radius) {
    if (h.size() < OutlinePoints(rule))
        return;
    switch (rule.outline) {
    case O::Segments:
        for (const auto& s : rule.segments)
            if (s[0] >= 0 && s[1] >= 0)
                Line(dc, h[size_t(s[0])], h[size_t(s[1])]);
        break;
    case O::Rectangle:
        Rectangle(dc, h[0].x, h[0].y, h[1].x, h[1].y);
        break;
    case O::Polyline:
        Line(dc, h[0], h[1]);
        for (size_t i = 1; i + 2 < h.size(); i += 2)
            Line(dc, h[i], h[i + 2]);
        break;
    case O::Circle:
        CircleAround(dc, h[0], static_cast<int>(Distance(h[0], h[1])));
        break;
    case O::TwoCircles:
        CircleAround(dc, h[3], static_cast<int>(Distance(h[3], h[0])));
        CircleAround(dc, h[8], static_cast<int>(Distance(h[8], h[7])));
        Line(dc, h[8], h[3]);
        break;
    case O::LabelRing:
        CircleAround(dc, h[0], 10);
        break;
    case O::AutoCircle: {
        const int r = static_cast<int>(radius);
        CircleAround(dc, h[0], r);
        Line(dc, h[0], POINT{h[0].x + r, h[0].y});
        break;
    }
    case O::DotLine: {
        POINT foot{};
        PerpendicularFoot(h[0].x, h[0].y, h[1].x, h[1].y, h[2].x, h[2].y, 1.0, 1.0, foot);
        Line(dc, h[0], h[1]);
        Line(dc, h[2], foot);
        break;
    }
    case O::Arc:
        DrawArcThroughPoints(dc, h[0].x, h[0].y, h[1].x, h[1].y, h[2].x, h[2].y);
        break;
    case O::CircleRadius:
        CircleAround(dc, h[0], static_cast<int>(Distance(h[0], h[1])));
        Line(dc, h[0], h[1]);
        break;
    case O::Polygon:
        for (size_t i = 0; i + 2 < h.size(); ++i)
            Line(dc, h[i], h[i + 1]);
        Line(dc, h[h.size() - 2], h[0]);
        break;
    }
}

bool FitLineEnds(const std::vector<POINT>& points, double& x1, double& y1, double& x2, double& y2) {
    if (points.size() < 2)
        return false;
    const double n = double(points.size());
    double mx = 0, my = 0;
    for (const POINT& p : points) {
        mx += p.x;
        my += p.y;
    }
    mx /= n;
    my /= n;
    double sxx = 0, syy = 0, sxy = 0;
    for (const POINT& p : points) {
        const double dx = p.x - mx, dy = p.y - my;
        sxx += dx * dx;
        syy += dy * dy;
        sxy += dx * dy;
    }
    if (sxx == 0.0 && syy == 0.0)
        return false;
    // The direction of least squares across the line: the main axis of the scatter.
    const double angle = 0.5 * std::atan2(2.0 * sxy, sxx - syy);
    const double vx = std::cos(angle), vy = std::sin(angle);
    double lo = 0, hi = 0;
    bool first = true;
    for (const POINT& p : points) {
        const double t = (p.x - mx) * vx + (p.y - my) * vy;
        if (first || t < lo)
            lo = t;
        if (first || t > hi)
            hi = t;
        first = false;
    }
    x1 = mx + lo * vx;
    y1 = my + lo * vy;
    x2 = mx + hi * vx;
    y2 = my + hi * vy;
    return std::isfinite(x1) && std::isfinite(y1) && std::isfinite(x2) && std::isfinite(y2);
}
