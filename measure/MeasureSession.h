// One measuring session: the tool chosen, the shape in progress as the index of its next click
// plus its clicks, and the records it makes, without any window.
//
// What it holds: the tool (a ShapeKind), the kind of the shape in progress and how many of its
// clicks were taken (Next(): 0 while none is), the clicks themselves, and the label texts the
// shape measured so far. The draft, the finished, the undone records and the guides are those of
// its MeasureStore, changed there under the store's lock, one short lock per step.
//
// Who calls it: one user, on one thread (the UI thread of the window that owns it). A user turns
// its mouse messages into Press, DoubleClick, FinishFit and Move, passes the MeasureContext of
// that moment (unit, decimals, magnification, scales, capture size, pen, edge finder) as a value,
// and acts on the PressOutcome: hold or free the mouse, run a calibration or ruler dialog, show
// the new record. The session never opens a dialog and reads no global setting; the counters of
// the circle and square labels are the only shared state it touches (they number labels across
// every view).
//
// Threads: a painter on another thread reads the store only (MeasureStore::Lock, or the store's
// rubber line, which is atomic); it never calls the session.
//
// Geometry with no defined result refuses the click (PressResult::Refused): the shape keeps the
// clicks and the draft it had, and nothing reaches a label, a record or a pixel.
#pragma once

#include "measure/MeasureRecords.h"
#include "measure/Units.h"

#include "platform/win/WinTypes.h"
#include "platform/win/core/CString.h"

#include <memory>
#include <vector>

// Finds edges on the still picture the automatic tools measure, in frame pixels. The user
// supplies one over its frozen picture; without one the press points stand for the edges.
class EdgeFinder {
public:
    virtual ~EdgeFinder() = default;
    // The edge point nearest to `at` within the search range; false where there is none.
    virtual bool EdgeNear(POINT at, POINT& edge) = 0;
    // The straight edge in the section from `from` to `to` of the given orientation (see
    // LineSectionBox); false where none is found.
    virtual bool EdgeInSection(POINT from, POINT to, int orientation, POINT& e1, POINT& e2) = 0;
};

// The look a new record takes.
struct MeasurePen {
    int width = 1;
    int style = 0;
    COLORREF lineColor = 0x0000FF;
    COLORREF labelColor = 0x0000FF;
    LOGFONTW labelFont{};
    int labelStep = 12; // label line step of the shapes whose labels stack (FontSizeFromHeight)
};

// What the tools read, passed in with each call.
struct MeasureContext {
    double unitScale = 1.0;     // S: one tenth of a pixel's length at magnification 1
    double magnification = 0.0; // m; 0 or below measures 0
    CString unit = u"mm";       // the unit text of the labels
    int decimals = 3;           // digits after the point in the labels
    double xScale = 1.0;        // frame pixels per session pixel, for the edge finder
    double yScale = 1.0;
    int frameWidth = 640;  // the picture the edge finder searches
    int frameHeight = 480;
    bool calibrating = false; // the parallel line or automatic distance was chosen to calibrate
    MeasurePen pen;
    EdgeFinder* edges = nullptr;

    CString Label(LabelKind kind, double value) const;
    CString Length(double pixels) const; // "L:" of a pixel length
    // Session point to frame pixel (rounded, clamped to the frame) and back (rounded).
    POINT ToFrame(POINT p) const;
    POINT ToSession(POINT q) const;
};

// How a press ended.
enum class PressResult {
    Ignored,   // no tool took it
    Refused,   // the geometry gave nothing: the shape keeps what it had
    Started,   // a shape began or took a point: it holds the mouse
    Took,      // the shape took the press and keeps going
    LabelsOnly, // the points are all taken; only the place of the labels is left
    Calibrate, // as LabelsOnly, and the line waits for a calibration of `value` (S x 10 x pixels)
    Ruler,     // the ruler's two presses are taken: the Length-Line dialog decides
    Listed,    // a record was added at once (circle and square labels)
    Completed, // the shape became a finished record; the draft is empty
};

struct PressOutcome {
    PressResult result = PressResult::Ignored;
    double value = 0.0;   // Calibrate: the calibration distance
    bool cursor = false;  // the press was the place of a label that followed the mouse
};

struct MoveOutcome {
    bool changed = false; // the draft or the rubber line changed
    bool cursor = false;  // the point at the mouse is a label's or handle's place
};

// Kind codes as each user stores and exports them. The live view stores ShapeKind itself; the
// photo-measure canvas keeps its own older numbering, mapped here both ways.
enum class KindCodes { Live, Canvas };
int StoredKind(ShapeKind kind, KindCodes codes);
// SHAPE_NONE for a code the numbering does not have.
ShapeKind KindOfStored(int code, KindCodes codes);

// An automatic shape fitted to collected edge points: its points (the last is where its label
// goes, which then follows the mouse), its label lines and the rounded radius of a circle or
// arc fit.
struct FittedShape {
    std::vector<POINT> points;
    std::vector<CString> labels;
    int radius = 0;
};
// The least-squares circle: [centre, centre], "D:". False for fewer than three points or
// points that give no circle a pixel can hold.
bool FitAutoCircle(const std::vector<POINT>& edge, const MeasureContext& ctx, FittedShape& out);
// The arc: the fitted circle chooses the middle point (the inner point nearest to it), the
// circle through the first, middle and last point gives the centre, radius and angle:
// [first, middle, last, centre], "R:", "Angle:", "Arc:" (the arc over the fitted radius).
bool FitAutoArc(const std::vector<POINT>& edge, const MeasureContext& ctx, FittedShape& out);
// The straight line across the points: its ends are the outermost projections of the points
// on the fitted direction, the left one (the upper one of a vertical line) first:
// [E1, E2, E2], "L:". False when the points give no direction.
bool FitAutoLine(const std::vector<POINT>& edge, const MeasureContext& ctx, FittedShape& out);

// The centre of the circle through three presses, where the perpendicular bisectors of a-b and
// a-c meet (either may be vertical or horizontal). False, outputs untouched, for presses on one
// straight line.
bool CircleCentreOfPresses(POINT a, POINT b, POINT c, double& cx, double& cy);

// The number of pixels inside a closed polygon (its region's pixels, alternate filling).
double PolygonAreaPixels(const std::vector<POINT>& points);

class MeasureSession {
public:
    MeasureSession(MeasureStore& store, KindCodes codes);
    MeasureSession(const MeasureSession&) = delete;
    MeasureSession& operator=(const MeasureSession&) = delete;

    MeasureStore& Store() const { return m_store; }

    // ---- The tool ----
    ShapeKind Tool() const { return m_tool; }
    // Chooses the tool; a shape in progress is left as it is (End drops it).
    void Choose(ShapeKind tool) { m_tool = tool; }
    // The kind of the shape in progress, SHAPE_NONE when none is.
    ShapeKind Shape() const { return m_shape; }
    // How many clicks the shape in progress took: the index of its next click.
    int Next() const { return m_next; }
    // The shape's click i (session points); {0, 0} for one not taken.
    POINT Click(int i) const;
    // The next press starts a shape (or the second pair of a two-pair shape, or adds an edge
    // point) rather than continuing the shape in progress.
    bool NextIsFirst() const;
    // Its points are all taken: only the place of its labels is left.
    bool LabelsOnly() const { return m_labelsOnly; }
    // An automatic fit collects points and enough are there for the right button to fit them.
    bool FitReady() const;
    // An automatic fit is in progress (collecting or placing its label).
    bool FitInProgress() const;

    // ---- The mouse ----
    PressOutcome Press(POINT p, const MeasureContext& ctx);
    // Ends the continual line (once a label of it is placed) or closes the polygon.
    PressOutcome DoubleClick(const MeasureContext& ctx);
    // Fits the automatic circle, arc or line to the points collected (the right button).
    // Refused while the points give no shape; the tool keeps collecting.
    PressOutcome FinishFit(const MeasureContext& ctx);
    // The mouse at p while the chosen tool's shape is in progress: moves the draft's point of
    // the current click or runs the rubber line.
    MoveOutcome Move(POINT p);

    // Ends the shape in progress: its clicks are forgotten, the rubber line stops; the draft
    // is left to the caller (EmptyDraft). The tool stays.
    void End();
    // End, and no tool.
    void Reset() {
        End();
        m_tool = SHAPE_NONE;
    }
    // The first label of the shape in progress, as the calibration settled it: the draft shows
    // it, and the record takes it.
    void SetFirstLabel(const CString& text);
    const CString& FirstLabel() const { return m_labels[0]; }

private:
    PressOutcome FirstPress(POINT p, const MeasureContext& ctx);
    PressOutcome LaterPress(POINT p, const MeasureContext& ctx);
    PressOutcome Start(POINT p, std::vector<POINT> draft);
    PressOutcome StartPair(POINT p);
    PressOutcome AutoEdgePress(POINT p, const MeasureContext& ctx);
    PressOutcome LabelPress(POINT p, const MeasureContext& ctx);
    PressOutcome TwoPointPress(POINT p, const MeasureContext& ctx);
    PressOutcome DotLinePress(POINT p, const MeasureContext& ctx);
    PressOutcome ContinualPress(POINT p, const MeasureContext& ctx);
    PressOutcome PolygonPress(POINT p, const MeasureContext& ctx);
    PressOutcome ArcPress(POINT p, const MeasureContext& ctx);
    PressOutcome ThreePointCirclePress(POINT p, const MeasureContext& ctx);
    PressOutcome TwoCirclesPress(POINT p, const MeasureContext& ctx);
    PressOutcome AnglePress(POINT p, const MeasureContext& ctx);
    PressOutcome FourPointAnglePress(POINT p, const MeasureContext& ctx);
    PressOutcome SectionsPress(POINT p, const MeasureContext& ctx);
    PressOutcome SectionsEdges(POINT p, const MeasureContext& ctx);
    PressOutcome AutoLabelPress(const MeasureContext& ctx);
    PressOutcome RulerPress(POINT p);

    // Takes the press as click `index` and counts it.
    void Take(int index, POINT p);
    PressOutcome LabelsLeft(PressResult result = PressResult::LabelsOnly, double value = 0.0);
    std::unique_ptr<CMeasureRecord> NewRecord(ShapeKind kind, bool labelStep,
                                              const MeasureContext& ctx) const;
    // The record from the draft's points and labels as they stand.
    std::unique_ptr<CMeasureRecord> RecordOfDraft(ShapeKind kind, bool labelStep,
                                                  const MeasureContext& ctx) const;
    PressOutcome Complete(std::unique_ptr<CMeasureRecord> record);

    MeasureStore& m_store;
    KindCodes m_codes;
    ShapeKind m_tool = SHAPE_NONE;
    ShapeKind m_shape = SHAPE_NONE;
    int m_next = 0;
    bool m_labelsOnly = false;
    bool m_fitted = false;
    std::vector<POINT> m_clicks;
    POINT m_segmentStart{};  // the continual line's current segment start
    POINT m_firstCentre{};   // the two circles' first centre
    POINT m_found[4]{};      // the automatic distance and angle's result points
    CString m_labels[3];
};
