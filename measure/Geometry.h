// Measurement geometry shared by the live view, the photo-measure canvas and the WiFi
// program's views. Integer screen pixels in (y grows downwards), double precision inside;
// pixel results are truncated toward zero unless a function says otherwise.
//
// Geometry that has no defined result (collinear points, a drag that fits no section
// rule, a degenerate fit) returns false/0 and leaves its outputs as they were, so that a
// tool can refuse the click; no NaN or division by zero reaches an output.
#pragma once

#include "platform/win/WinTypes.h"

#include <cstddef>

// The straight distance of two points, in double precision.
double Distance(POINT a, POINT b);

// The points at distance d on both sides of the line's ends, on the perpendiculars through
// them: a1/a2 at (x1, y1), b1/b2 at (x2, y2). a1 and b1 lie on one side, a2 and b2 on the other.
void OffsetPerpendicular(int x1, int y1, int x2, int y2, POINT& a1, POINT& a2, POINT& b1, POINT& b2,
                         int d);

// Foot of the perpendicular from (px, py) onto the line through (x1, y1) and (x2, y2), in
// coordinates scaled by sx and sy (the drawing's zoom factors; 1.0 where there is none).
void PerpendicularFoot(int x1, int y1, int x2, int y2, int px, int py, double sx, double sy,
                       POINT& foot);

// The search section of the automatic line detection between two clicked points, and its
// orientation code: 1 falling diagonal, 2 rising diagonal, 3 vertical band, 4 horizontal band.
// The box is not normalised (one rule yields top > bottom); the detection orders it.
// Returns false, outputs untouched, when no rule matches (for example a difference of exactly
// 20 pixels in one direction while the other exceeds 20, or p1 = p2).
bool LineSectionBox(POINT p1, POINT p2, RECT& box, int& orientation);

// Centre of the circle through three points, rounded to the nearest pixel (the WiFi views).
// False for collinear or coincident points.
bool CircleCentre(int x1, int y1, int x2, int y2, int x3, int y3, POINT& centre);

// Circle through three points from the perpendicular bisectors of p1p2 and p3p2: centre and
// radius truncated to whole pixels; orientation is 1 when p1, p2, p3 run counter-clockwise on
// the screen ((x2 - x1)(y3 - y1) - (x3 - x1)(y2 - y1) < 0, y downwards), else 0. False, outputs
// untouched, for collinear or coincident points.
bool CircleThroughPoints(int x1, int y1, int x2, int y2, int x3, int y3, POINT& centre,
                         double& radius, int& orientation);

// Algebraic least-squares circle through count points. Returns 1 with the centre and radius,
// 0 (outputs untouched) for fewer than three points or points that define no circle.
int FitCircle(const POINT* points, int count, double& cx, double& cy, double& r);

// Angle in degrees, 0 to 180, between the line p1-p2 and the line p3-p4, measured at their
// intersection between the far ends of the two lines. Parallel lines give 0 or 180. A line of
// zero length, or an end that lies on the intersection, gives 0.0 (never NaN).
double AngleBetweenLines(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);

// Counter-clockwise angle on the screen, in degrees, from the ray vertex->(x1, y1) to the ray
// vertex->(x2, y2); greater than 0 and at most 360 (equal directions give 360).
double RayAngle(int x1, int y1, int vx, int vy, int x2, int y2);

// The angle in degrees that the arc from a to b about `centre` spans, for the orientation flag
// of CircleThroughPoints (1: a, middle, b run counter-clockwise on the screen).
double ArcAngle(POINT a, POINT centre, POINT b, int orientation);

// Among the inner points (all but the first and the last), the one whose distance from the
// centre differs least from r (the first of equals), and that difference. Returns 0 and leaves
// the deviation alone when there is no inner point.
size_t NearestToCircle(const POINT* points, size_t count, double cx, double cy, double r,
                       double* deviation);
