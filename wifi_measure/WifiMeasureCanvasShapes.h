// The window-free part of Wavenor's photo-measure canvas: its tool codes and the measuring
// session's shape for each, the items a finished shape becomes (points and label lines in the
// canvas's layout), the measuring space of its two view modes, select clicks, and the one
// painter of its items for the screen and for saved pictures.
//
// Item layouts (stored points, the label anchor last):
//   1 line: start, end, start tick A, start tick B, end tick A, end tick B, label  "L:"
//   2 radius circle: centre, rim, label                                          "A:" "R:" "G:"
//   3 rectangle: corner, corner, label                                           "A:" "W:" "H:"
//   4 text: top left, top left + (60, 60)                                        the text
//   5 angle: first point, vertex, third point, label                             "%.2f°"
//   6 continuous line: first vertex, then per segment its end and its label's place
//   7 polygon: the vertices, then the label                                      "A:"
//   8 diameter circle: centre, first end, second end, label                      "A:" "D:" "G:"
//   9 three-point circle: centre, second, first, third press, label              "A:" "R:" "G:"
//  10 four-point angle: the two lines' ends, label                               "%.2f°"
#pragma once

#include "measure/MeasureSession.h"
#include "measure/ShapePainter.h"

#include "platform/win/WinTypes.h"

#include <vector>

// The tools of Wavenor's canvas that Tessary's MeasureTool does not name. Any value the canvas
// has no tool for (the Measure popup sets 11 until an entry is chosen) starts nothing.
constexpr MeasureTool TOOL_RADIUS_CIRCLE = static_cast<MeasureTool>(1);
constexpr MeasureTool TOOL_POLYGON = static_cast<MeasureTool>(7);
constexpr MeasureTool TOOL_DIAMETER_CIRCLE = static_cast<MeasureTool>(8);
constexpr MeasureTool TOOL_WIFI_NO_TOOL = static_cast<MeasureTool>(11);

// The session's shape for a measuring tool of the canvas; SHAPE_NONE for select, text and any
// other value.
ShapeKind ShapeOfWifiTool(int tool);

// How the canvas shows its picture and where lengths are measured. Lengths are measured in
// the fitted display's pixels in both view modes, so one feature reads one length fitted and
// at actual size; a saved picture maps stored points by picture size / display size per axis.
struct CanvasSpace {
    int displayWidth = 640; // the fitted display: 640 x 512 for 1280 x 1024, else 640 x 480
    int displayHeight = 480;
    double toPictureX = 1.0; // picture pixels per stored unit (saving)
    double toPictureY = 1.0;
    double toFitted = 1.0; // fitted display pixels per stored unit (lengths)
};
// viewMode 1 fitted, 2 actual size. A picture without size maps one to one.
CanvasSpace CanvasSpaceOf(int pictureWidth, int pictureHeight, int viewMode);

// The ends of the 10-pixel tick across the line at `at`, the line's other end being `other`:
// a horizontal tick on a vertical line (and on a line of no length), a vertical one on a
// horizontal line, else perpendicular, truncated.
void LineTick(POINT at, POINT other, POINT& a, POINT& b);

// The item a shape of the session becomes once its presses are all taken: `clicks` are the
// session's presses in order, `draftLabels` the labels the session measured. The label anchor
// starts at the last press. False for a kind the canvas does not make or presses that give no
// shape (the three-point circle of presses on one line).
bool MakeCanvasItem(ShapeKind kind, const std::vector<POINT>& clicks,
                    const std::vector<CString>& draftLabels, const MeasureContext& ctx,
                    CMeasureRecord& item);

// True when a select click at p (stored coordinates) hits the item: the bands, rings and
// borders of the shared tables, and a text's box widened by 8 pixels on every side.
bool HitsCanvasItem(const CMeasureRecord& item, POINT p);

// How items are painted: on the screen (less the scroll position) or into a saved picture
// (points times the picture scale). A selected item is drawn in `selectedColor` (green on the
// screen, red in a file).
struct CanvasPaint {
    ShapeMapping mapping;
    COLORREF selectedColor = 0x00FF00;
    int textRight = 640; // a text annotation wraps inside its position to this corner
    int textBottom = 480;
    int decimals = 3; // the continuous line's total
    const WCHAR* unit = u"mm";
};
void PaintCanvasItem(HDC dc, const CMeasureRecord& item, const CanvasPaint& paint);

// The pen a new item takes: the current line settings, the 12-pixel label step and the DC's
// default font.
MeasurePen WifiCanvasPen();
