// The still view's tools: their codes, what the main window's buttons tell the view, and the
// items each tool makes from its clicks (points, labels, name and quantities), as the still
// view's rules for the measuring session.
//
// Lengths are taken in the measuring space (see StillViewSpace): the view passes a unit scale
// that already holds the stored-to-measuring factor, so a length reads the same fitted and at
// actual size. Geometry with no result (three points on one line, an angle arm of no length or
// a dotted line's base line of no length) makes no item: the session refuses that click and
// keeps the clicks it had. A measured line of no length is a measurement of 0.
#pragma once

#include "measure/MeasureSession.h"

#include "platform/win/WinTypes.h"

#include <memory>
#include <vector>

class CMeasureItem;

// The still view's tool codes, the values of g_stillTool and the kinds of its items.
enum StillTool {
    STILL_NONE = 0,
    STILL_LINE = 1,
    STILL_DOT_LINE = 2,
    STILL_RADIUS_CIRCLE = 6,
    STILL_DIAMETER_CIRCLE = 7,
    STILL_THREE_POINT_CIRCLE = 8,
    STILL_ARC = 9,
    STILL_THREE_POINT_ANGLE = 10,
    STILL_FOUR_POINT_ANGLE = 11,
    STILL_FOLD_LINE = 12,
    STILL_POLYGON = 13,
};

// Written by the main window's tool buttons, cleared by the view's cancel (UI thread).
extern int g_stillTool;
// 1 from the Calibration button until the view has finished the calibration line.
extern BYTE g_stillCalibrating;
// The magnification the calibration is made under (the main window reads it).
extern double g_calibrationZoom;

// The session's kind of a still tool code; SHAPE_NONE for codes that make nothing.
ShapeKind ShapeOfStillTool(int tool);

// S of Wavenor's labels, in the still view and on the canvas alike: the length in the current
// unit of one view pixel at magnification 10 (UnitPerMicron x 63.829787234), for every picture
// size.
double StillPixelScale();

// The still view's item of `kind` from the shape's clicks (stored points; the polygon's
// vertices, the fold line's collected points), or null where the geometry gives nothing.
// A line made while `ctx.calibrating` gets an empty label, which the calibration fills.
std::unique_ptr<CMeasureItem> MakeStillItem(ShapeKind kind, const std::vector<POINT>& clicks,
                                            const MeasureContext& ctx);

// The still view's rules for its measuring session: each shape becomes a MakeStillItem item,
// numbered on from `itemCount` (borrowed; it counts the items made), listed as soon as its
// geometry is complete and its label (its last point) placed by the next press; a new item
// leaves the redo list; the line calibrates; a double click ends the fold line once it has a
// segment.
SessionRules StillSessionRules(int& itemCount);

// The fold line's segment texts: three decimals, no unit, whatever the settings say.
inline constexpr int kFoldDecimals = 3;
