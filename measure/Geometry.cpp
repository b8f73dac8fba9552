#include "measure/Geometry.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>

namespace {

// Slope that stands for "vertical" in the bisector construction of the arc tools.
constexpr double kVerticalSlope = 1000000.0;
constexpr double kTwoPi = 6.2831854820251465;
constexpr double kDegreesPerRadian = 57.29577791868204;
constexpr double kDegreesPerRadianAcos = 57.295780490442965;

// Truncation toward zero that stays defined for any double: out-of-range values saturate
// and NaN becomes 0 (the guards keep NaN away; this is the last line of defence).
LONG Trunc(double v) {
    if (std::isnan(v))
        return 0;
    if (v >= static_cast<double>(std::numeric_limits<LONG>::max()))
        return std::numeric_limits<LONG>::max();
    if (v <= static_cast<double>(std::numeric_limits<LONG>::min()))
        return std::numeric_limits<LONG>::min();
    return static_cast<LONG>(v);
}

// Rounding as the WiFi views do it: add one half, then truncate.
LONG RoundHalfUp(double v) {
    return Trunc(v + 0.5);
}

POINT Pt(double x, double y) {
    return POINT{Trunc(x), Trunc(y)};
}

std::int64_t Cross(int x1, int y1, int x2, int y2, int x3, int y3) {
    return static_cast<std::int64_t>(x2 - x1) * (y3 - y1) -
           static_cast<std::int64_t>(x3 - x1) * (y2 - y1);
}

} // namespace

void OffsetPerpendicular(int x1, int y1, int x2, int y2, POINT& a1, POINT& a2, POINT& b1, POINT& b2,
                         int d) {
    if (x1 == x2) {
        a1 = Pt(double(x1) - d, y1);
        a2 = Pt(double(x1) + d, y1);
        b1 = Pt(double(x2) - d, y2);
        b2 = Pt(double(x2) + d, y2);
        return;
    }
    if (y1 == y2) {
        a1 = Pt(x1, double(y1) - d);
        a2 = Pt(x1, double(y1) + d);
        b1 = Pt(x2, double(y2) - d);
        b2 = Pt(x2, double(y2) + d);
        return;
    }
    const double k = double(y1 - y2) / double(x1 - x2);
    const double ox = std::sqrt(k * k / (k * k + 1.0)) * d;
    const double oy = ox / k;
    a1 = Pt(x1 + ox, y1 - oy);
    a2 = Pt(x1 - ox, y1 + oy);
    b1 = Pt(x2 + ox, y2 - oy);
    b2 = Pt(x2 - ox, y2 + oy);
}

void PerpendicularFoot(int x1, int y1, int x2, int y2, int px, int py, double sx, double sy,
                       POINT& foot) {
    const double X1 = x1 * sx, Y1 = y1 * sy, PX = px * sx, PY = py * sy;
    // A zero scale collapses the line onto an axis; treat it as that axis instead of
    // dividing by zero.
    if (x1 == x2 || sx == 0.0) {
        foot = Pt(X1, PY);
        return;
    }
    if (y1 == y2 || sy == 0.0) {
        foot = Pt(PX, Y1);
        return;
    }
    const double k = (double(y2 - y1) * sy) / (double(x2 - x1) * sx);
    const double n = (X1 * k + PY) * k + PX - Y1 * k;
    const double fx = n / (k * k + 1.0);
    const double fy = PX / k - n / ((k * k + 1.0) * k) + PY;
    foot = Pt(fx, fy);
}

bool LineSectionBox(POINT p1, POINT p2, RECT& box, int& orientation) {
    const LONG x1 = p1.x, y1 = p1.y, x2 = p2.x, y2 = p2.y;
    const std::int64_t dx = std::int64_t(x2) - x1, dy = std::int64_t(y2) - y1;
    const std::int64_t adx = std::llabs(dx), ady = std::llabs(dy);
    bool matched = false;
    RECT b{};
    int o = 0;
    auto set = [&](LONG l, LONG t, LONG r, LONG bt, int orient) {
        b = RECT{l, t, r, bt};
        o = orient;
        matched = true;
    };

    // First list: the drag runs downwards or to the right.
    if (x1 < x2 && y1 < y2 && adx > 20 && ady > 20)
        set(x1, y1, x2, y2, 1);
    else if (y1 < y2 && adx < 20)
        set(x1 - 20, y1, x2 + 20, y2, dx == 0 ? 3 : (dx > 0 ? 1 : 2));
    else if (x1 > x2 && y1 < y2 && adx > 20 && ady > 20)
        set(x2, y1, x1, y2, 2);
    else if (x1 < x2 && ady < 20)
        set(x1, y1 - 20, x2, y2 + 20, dy == 0 ? 4 : (dy < 0 ? 2 : 1));

    // Second list: the drag runs upwards or to the left; it overrides the first.
    if (x2 < x1 && y2 < y1 && adx > 20 && ady > 20)
        set(x2, y2, x1, y1, 1);
    else if (y2 < y1 && adx < 20)
        set(x2 - 20, y2, x1 + 20, y1, dx == 0 ? 3 : (x1 < x2 ? 1 : 2));
    else if (x2 > x1 && y2 < y1 && adx > 20 && ady > 20)
        set(x1, y2, x2, y1, 2);
    else if (x2 < x1 && ady < 20)
        set(x2, y2 + 20, x1, y1 - 20, dy == 0 ? 4 : (y2 > y1 ? 2 : 1));

    if (matched) {
        box = b;
        orientation = o;
    }
    return matched;
}

bool CircleCentre(int x1, int y1, int x2, int y2, int x3, int y3, POINT& centre) {
    if (Cross(x1, y1, x2, y2, x3, y3) == 0)
        return false;
    double cx, cy;
    if (x1 == x2) {
        // p1p2 vertical: its bisector is the horizontal line through the middle (x3 != x1,
        // or the points would be collinear).
        const LONG icy = (y1 + y2) / 2;
        const double k = double(y3 - y1) / double(x3 - x1);
        cx = RoundHalfUp((x1 + x3) / 2.0 + (y1 + y3) / 2.0 * k - icy * k);
        cy = icy;
    } else if (x3 == x1) {
        const LONG icy = (y1 + y3) / 2;
        const double k = double(y2 - y1) / double(x2 - x1);
        cx = RoundHalfUp((x1 + x2) / 2.0 + (y1 + y2) / 2.0 * k - icy * k);
        cy = icy;
    } else {
        const double k1 = double(y2 - y1) / double(x2 - x1);
        const double k2 = double(y3 - y1) / double(x3 - x1);
        if (k1 == k2)
            return false;
        cx = RoundHalfUp((((x1 + x2) + (y2 - y3) * k1) * k2 - (x1 + x3) * k1) / (2.0 * (k2 - k1)));
        if (k2 != 0.0) {
            cy = RoundHalfUp((y1 + y3) / 2.0 - (cx - (x1 + x3) / 2.0) / k2);
        } else {
            // A horizontal chord p1p3 has a vertical bisector; take cy from the bisector of
            // p1p2 instead (k1 != 0 here, else the points would be collinear).
            cy = RoundHalfUp((y1 + y2) / 2.0 - (cx - (x1 + x2) / 2.0) / k1);
        }
    }
    centre = POINT{Trunc(cx), Trunc(cy)};
    return true;
}

bool CircleThroughPoints(int x1, int y1, int x2, int y2, int x3, int y3, POINT& centre,
                         double& radius, int& orientation) {
    const std::int64_t cross = Cross(x1, y1, x2, y2, x3, y3);
    const double k1 = (y1 == y2) ? kVerticalSlope : -double(x1 - x2) / double(y1 - y2);
    const double k2 = (y3 == y2) ? kVerticalSlope : -double(x3 - x2) / double(y3 - y2);
    // Collinear or coincident points have no circle; parallel bisectors (k1 = k2) are the
    // same case seen by the construction.
    if (cross == 0 || k1 == k2)
        return false;
    const double m1x = (x1 + x2) * 0.5, m1y = (y1 + y2) * 0.5;
    const double m2x = (x3 + x2) * 0.5, m2y = (y3 + y2) * 0.5;
    double cx, cy;
    if (k1 == kVerticalSlope) {
        cx = m1x;
        cy = (m1x - m2x) * k2 + m2y;
    } else if (k2 == kVerticalSlope) {
        cx = m2x;
        cy = (m2x - m1x) * k1 + m1y;
    } else {
        cx = ((m2x * k2 - m1x * k1) - (m2y - m1y)) / (k2 - k1);
        cy = (cx - m2x) * k2 + m2y;
    }
    const double r = std::sqrt((cx - x1) * (cx - x1) + (cy - y1) * (cy - y1));
    if (!std::isfinite(r))
        return false;
    centre = Pt(cx, cy);
    radius = Trunc(r);
    orientation = cross < 0 ? 1 : 0;
    return true;
}

int FitCircle(const POINT* points, int count, double& cx, double& cy, double& r) {
    if (points == nullptr || count < 3)
        return 0;
    double sx = 0, sy = 0, sxx = 0, syy = 0, sxxx = 0, syyy = 0, sxy = 0, sxyy = 0, sxxy = 0;
    for (int i = 0; i < count; ++i) {
        const double x = points[i].x, y = points[i].y;
        sx += x;
        sy += y;
        sxx += x * x;
        syy += y * y;
        sxxx += x * x * x;
        syyy += y * y * y;
        sxy += x * y;
        sxyy += x * y * y;
        sxxy += x * x * y;
    }
    const double n = count;
    const double c = n * sxx - sx * sx;
    const double d = n * sxy - sx * sy;
    const double e = n * (sxxx + sxyy) - (sxx + syy) * sx;
    const double g = n * syy - sy * sy;
    const double h = n * (sxxy + syyy) - (sxx + syy) * sy;
    if (c * g - d * d == 0.0 || d * d - c * g == 0.0)
        return 0;
    const double a = (h * d - e * g) / (c * g - d * d);
    const double b = (h * c - e * d) / (d * d - c * g);
    const double cc = -(a * sx + b * sy + sxx + syy) / n;
    const double disc = a * a + b * b - 4.0 * cc;
    if (!(disc >= 0.0) || !std::isfinite(a) || !std::isfinite(b) || !std::isfinite(disc))
        return 0;
    cx = -a / 2.0;
    cy = -b / 2.0;
    r = std::sqrt(disc) / 2.0;
    return 1;
}

double AngleBetweenLines(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
    const double dx1 = double(x2) - x1, dy1 = double(y2) - y1;
    const double dx2 = double(x4) - x3, dy2 = double(y4) - y3;
    double ox, oy;
    if (dx1 == 0 && dx2 == 0)
        return (y2 < y1 && y1 < y4) ? 180.0 : 0.0;
    if (dx1 == 0) {
        ox = x1;
        oy = (double(x1) - x4) * dy2 / dx2 + y4;
    } else if (dx2 == 0) {
        ox = x3;
        oy = (double(x3) - x2) * dy1 / dx1 + y2;
    } else {
        const double k1 = dy1 / dx1, k2 = dy2 / dx2;
        if (k1 == k2)
            return (dy1 == 0 && dy2 == 0 && x2 < x1 && x1 < x4) ? 180.0 : 0.0;
        ox = (x4 * k2 - y4 - x2 * k1 + y2) / (k2 - k1);
        oy = (ox - x2) * k1 + y2;
    }
    auto dist2 = [&](int x, int y) { return (x - ox) * (x - ox) + (y - oy) * (y - oy); };
    const bool far1IsP1 = dist2(x1, y1) > dist2(x2, y2);
    const bool far2IsP3 = dist2(x3, y3) > dist2(x4, y4);
    const double ux = (far1IsP1 ? x1 : x2) - ox, uy = (far1IsP1 ? y1 : y2) - oy;
    const double vx = (far2IsP3 ? x3 : x4) - ox, vy = (far2IsP3 ? y3 : y4) - oy;
    const double len = std::sqrt(ux * ux + uy * uy) * std::sqrt(vx * vx + vy * vy);
    if (!(len > 0.0) || !std::isfinite(len))
        return 0.0;
    double cosine = (ux * vx + uy * vy) / len;
    if (cosine > 1.0)
        cosine = 1.0;
    else if (cosine < -1.0)
        cosine = -1.0;
    return std::acos(cosine) * kDegreesPerRadianAcos;
}

double RayAngle(int x1, int y1, int vx, int vy, int x2, int y2) {
    const double a2 = std::atan2(double(vy) - y2, double(x2) - vx);
    const double a1 = std::atan2(double(vy) - y1, double(x1) - vx);
    double d = a2 - a1;
    if (d <= 0.0)
        d += kTwoPi;
    return d * kDegreesPerRadian;
}

double Distance(POINT a, POINT b) {
    const double dx = double(a.x) - b.x, dy = double(a.y) - b.y;
    return std::sqrt(dx * dx + dy * dy);
}

double ArcAngle(POINT a, POINT centre, POINT b, int orientation) {
    const double angle = RayAngle(a.x, a.y, centre.x, centre.y, b.x, b.y);
    return orientation == 0 ? 360.0 - angle : angle;
}

size_t NearestToCircle(const POINT* points, size_t count, double cx, double cy, double r,
                       double* deviation) {
    size_t nearest = 0;
    double best = INFINITY;
    for (size_t i = 1; i + 1 < count; ++i) {
        const double d = std::fabs(std::hypot(points[i].x - cx, points[i].y - cy) - r);
        if (d < best) {
            best = d;
            nearest = i;
        }
    }
    if (nearest && deviation)
        *deviation = best;
    return nearest;
}
