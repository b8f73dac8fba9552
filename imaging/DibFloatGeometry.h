// Floating-point point and rectangle used by the area lookups of the image library.
#pragma once

#include <algorithm>
#include <cmath>

struct CDibFloatPoint {
    float x = 0;
    float y = 0;

    CDibFloatPoint() = default;
    CDibFloatPoint(float px, float py) : x(px), y(py) {}

    float Distance(float px, float py) const {
        return std::sqrt((x - px) * (x - px) + (y - py) * (y - py));
    }
};

// top is smaller than bottom.
struct CDibFloatRect {
    float left = 0;
    float top = 0;
    float right = 0;
    float bottom = 0;

    CDibFloatRect() = default;
    CDibFloatRect(float l, float t, float r, float b) : left(l), top(t), right(r), bottom(b) {}

    float Width() const { return right - left; }
    float Height() const { return bottom - top; }
    float Area() const { return (bottom - top) * (right - left); }
    CDibFloatPoint Center() const {
        return CDibFloatPoint((left + right) * 0.5f, (top + bottom) * 0.5f);
    }
    // Rectangles that only touch share an edge of area 0; disjoint ones give the zero rectangle.
    CDibFloatRect Intersect(const CDibFloatRect& o) const {
        CDibFloatRect r(std::max(left, o.left), std::max(top, o.top), std::min(right, o.right),
                        std::min(bottom, o.bottom));
        if (r.left > r.right || r.top > r.bottom)
            return CDibFloatRect();
        return r;
    }
};
