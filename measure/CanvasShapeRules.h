// What the canvas tools know about each kind of shape, kept as tables: where a select click
// hits it, where its label is anchored, which handle follows the cursor when it is moved and
// which outline shows it meanwhile. Also the few constructions of the tools that need no
// window (the automatic line fit). Points are canvas points unless a function says otherwise.
#pragma once

#include "measure/MeasureRecords.h"

#include "platform/win/WinTypes.h"

#include <vector>

// ---- Select clicks ----

// True when a select click at `p` hits the shape. A band is the quadrilateral around a
// segment, 3 pixels to each side across its longer extent; a ring is hit when the click's
// distance from the centre and the radius, both truncated, differ by less than 3 pixels; a
// rectangle only within 2 pixels of its border. Four-point angles (and unknown kinds) are
// never hit here.
bool HitsShape(const CMeasureRecord& shape, POINT p);
// The picking of four-point angles: the bands of all pairs of consecutive points.
bool HitsFourPointAngle(const CMeasureRecord& shape, POINT p);
// The band test on its own, for the tests of the tables.
bool InSegmentBand(POINT a, POINT b, POINT p);

// ---- Labels ----

// Where the label of a freshly made shape is anchored while it follows the cursor, and how
// far before the cursor the repainted area starts.
struct LabelRule {
    int kind;
    int anchor; // index in the record's points
    int margin; // 30, or 20 for the round shapes
};
// Null for a kind whose label does not follow the cursor.
const LabelRule* LabelRuleOfKind(int kind);

// ---- Moving a shape ----

enum class MoveAnchor {
    Mid01,        // the midpoint of points 0 and 1
    Point0,       // point 0
    Point3,       // point 3 (the first centre of the two circles)
    MidFirstLast, // the midpoint of the first and the last point
};

enum class MoveOutline {
    Segments,   // the pairs listed in the rule
    Rectangle,  // the rectangle of points 0 and 1
    Polyline,   // 0-1, then every odd point to the one two further on
    Circle,     // centred on point 0 through point 1
    TwoCircles, // around point 3 through 0 and around 8 through 7, and 8-3
    LabelRing,  // radius 10 around point 0
    AutoCircle, // around point 0 with the record's radius, and the radius to the right
    DotLine,    // 0-1 and the perpendicular from point 2 onto it
    Arc,        // the arc through points 0, 1, 2
    CircleRadius, // centred on point 0 through point 1, and the segment 0-1
    Polygon,      // the edges between consecutive points up to the one before the last
                  // (the label's), and from there back to point 0
};

struct MoveRule {
    int kind;
    MoveAnchor reference;    // the handle that lands on the cursor
    MoveAnchor cursorTarget; // where the cursor is put when the move begins
    bool recentred;          // rectangle and text: corners laid around the reference
    MoveOutline outline;
    int segments[3][2]; // MoveOutline::Segments: up to three pairs, unused ones -1
};
// Null for a kind that cannot be moved (the four-point angle outside its own picking mode).
const MoveRule* MoveRuleOfKind(int kind);
// The rule of a four-point angle picked in its own mode.
const MoveRule& FourPointAngleMoveRule();

POINT MoveAnchorOf(MoveAnchor anchor, const std::vector<POINT>& handles);
// Shifts the handles so that the rule's reference lands on c. A recentred shape keeps its
// half width and half height around c, and its label anchor (point 2) goes to c.
void MoveHandlesTo(const MoveRule& rule, std::vector<POINT>& handles, POINT c);
// Draws the outline of the handles with the DC's pen (the caller selects pen, brush and
// raster operation). `radius` is the automatic circle's.
void DrawMoveOutline(HDC dc, const MoveRule& rule, const std::vector<POINT>& handles,
                     double radius);

// ---- Automatic line ----

// The straight line that fits the points best (least squares across the line) and the two
// extreme projections of the points onto it, in the order of the line's direction. False when
// the points define no direction (fewer than two distinct points).
bool FitLineEnds(const std::vector<POINT>& points, double& x1, double& y1, double& x2, double& y2);
