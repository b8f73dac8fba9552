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

#include <functional>
#include <memory>
#include <span>
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
    // Session pixels per measuring pixel: a view that shows the picture larger than the one
    // where calibrations are made (the canvas at full size) measures in the pixels of that one.
    double viewScale = 1.0;
    // False: the shapes built from their clicks get empty labels and end with their last click
    // (the canvas's paint mode).
    bool labels = true;

    CString Label(LabelKind kind, double value) const;
    CString Length(double pixels) const; // "L:" of a pixel length
    // Session pixels to measuring pixels (viewScale).
    double Pixels(double sessionPixels) const;
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
    double pixels = 0.0;  // Calibrate: the measured length in session pixels
};

struct MoveOutcome {
    bool changed = false; // the draft or the rubber line changed
    bool cursor = false;  // the point at the mouse is a label's or handle's place
};

// Kind codes as each user stores and exports them. The live view stores ShapeKind itself; the
// photo-measure canvas keeps its own older numbering, mapped here both ways; Wavenor's still
// view stores its tool codes (1 line, 2 dot line, 6 to 13 the circles, arc, angles, fold line
// and polygon); Wavenor's canvas numbers its ten kinds 1 to 10 (WifiCanvas).
enum class KindCodes { Live, Canvas, Still, WifiCanvas };
int StoredKind(ShapeKind kind, KindCodes codes);
// SHAPE_NONE for a code the numbering does not have.
ShapeKind KindOfStored(int code, KindCodes codes);
// The kind of shape a tool of the photo-measure canvas (MeasureTool) draws; the selection and
// the magnifier are SHAPE_SELECT and SHAPE_MAGNIFIER, an unknown tool SHAPE_NONE.
ShapeKind KindOfCanvasTool(int tool);

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

// The record a user makes of its own type from a shape's clicks (Wavenor's still view: its
// items, with their points, labels, names and numbers), without pen or kind (the session sets
// those); null where the clicks give no result.
using MakeRecord = std::function<std::unique_ptr<CMeasureRecord>(
    ShapeKind kind, const std::vector<POINT>& clicks, const MeasureContext& ctx)>;

// A shape built from a fixed number of clicks, laid out the way one user keeps it: how many
// clicks it takes, the presses refused on top of the previous press and those whose drag from
// the previous press must give a search section (bit n: press n), and the construction of the
// record from the clicks, which fills points and labels (false: the clicks give no shape and
// the last one is refused). `calibrationPixels`, set to 0 or more, asks for a calibration of
// that length. `labelAlways`: the label follows even where the context wants no labels.
struct ClickRule {
    ShapeKind kind;
    int clicks;
    unsigned zeroLengthRefused;
    unsigned sectionNeeded;
    bool labelAlways;
    bool (*build)(const std::vector<POINT>& clicks, const MeasureContext& ctx,
                  CMeasureRecord& record, double& calibrationPixels);
};

// An automatic fit laid out by one user: the record from the edge points collected and the
// place of the press that asked for the fit; false where the points give no shape.
struct FitRule {
    ShapeKind kind;
    bool (*fit)(const std::vector<POINT>& edge, POINT at, const MeasureContext& ctx,
                CMeasureRecord& record);
};

// How one user's shapes differ from the live view's, as data. The default is the live view.
struct SessionRules {
    // Shapes of fixed clicks and fits built by these rules instead of the live view's presses.
    std::span<const ClickRule> clickRules;
    std::span<const FitRule> fitRules;
    // A shape of the rules above is listed with its last click or fit, and its label follows
    // the mouse until the next press places it.
    bool listBeforeLabel = false;
    // Set: the live view's presses collect the clicks, and the press or double click that
    // completes a shape's geometry asks `make` for its record (the polygon's and the continual
    // line's from the draft's points as collected). A null record refuses that press or double
    // click and the shape keeps the clicks it had. The record is listed at once and its label
    // follows the mouse until the next press places it; the continual line's label places are
    // all taken when its double click lists it.
    MakeRecord make;
    // The point of a listed record that is its label's place: false, the one LabelRuleOfKind
    // anchors for the stored kind, where the placing press inserts its point once more; true,
    // its last point, which the placing press moves.
    bool labelIsLastPoint = false;
    // A new record leaves what undo took back, so that a redo brings it after the new one.
    bool keepUndone = false;
    ShapeKind calibrates = LIVE_PARALLEL_LINE; // the two-point kind whose line calibrates
    bool labelsKeepPenFont = false;            // circle labels take the pen's label font
    int continualEndsAt = 3; // presses a continual line needs before a double click ends it
};

// The photo-measure canvas's rules (CanvasLayouts.cpp).
SessionRules CanvasSessionRules();

class MeasureSession {
public:
    MeasureSession(MeasureStore& store, KindCodes codes);
    MeasureSession(MeasureStore& store, KindCodes codes, const SessionRules& rules);
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
    // The same, where the press that asked for the fit is at `at` (a fit rule may place the
    // label there).
    PressOutcome FinishFit(POINT at, const MeasureContext& ctx);
    // The mouse at p while the chosen tool's shape is in progress: moves the draft's point of
    // the current click or runs the rubber line.
    MoveOutcome Move(POINT p);

    // Ends the shape in progress: its clicks are forgotten, the rubber line stops; the draft
    // is left to the caller (EmptyDraft). The tool stays.
    void End();
    // End, and a shape listed by the shape in progress whose label was not placed yet is
    // removed from the store.
    void Drop();
    // The record listed by the shape in progress whose label follows the mouse (see
    // SessionRules); null where there is none or it left the store. UI thread.
    CMeasureRecord* Listed() const;
    // The continual line's current segment start.
    POINT SegmentStart() const { return m_segmentStart; }
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
    // The press as the live view takes it, before any rule.
    PressOutcome ShapePress(POINT p, const MeasureContext& ctx);
    // A press of a user that makes its own records (SessionRules::make).
    PressOutcome MadePress(POINT p, const MeasureContext& ctx);
    // The record `make` gives for the clicks, with the session's pen and kind; null where it
    // gives none.
    std::unique_ptr<CMeasureRecord> Made(ShapeKind kind, const std::vector<POINT>& clicks,
                                         const MeasureContext& ctx) const;
    PressOutcome EndContinual(const MeasureContext& ctx);
    PressOutcome ClosePolygon(const MeasureContext& ctx);
    PressOutcome ListPolygon(const MeasureContext& ctx);
    // What a refused press of a made record restores.
    struct Saved;
    Saved Save() const;
    void Restore(const Saved& saved);
    const ClickRule* ClickRuleOf(ShapeKind kind) const;
    const FitRule* FitRuleOf(ShapeKind kind) const;
    PressOutcome RulePress(const ClickRule& rule, POINT p, const MeasureContext& ctx);
    PressOutcome RuleFit(const FitRule& rule, POINT at, const MeasureContext& ctx);
    PressOutcome ListForLabel(std::unique_ptr<CMeasureRecord> record, double calibrationPixels,
                              const MeasureContext& ctx);
    // Lists the record, whose label then follows the mouse until the next press places it.
    void List(std::unique_ptr<CMeasureRecord> record);
    // Adds a new record to the shapes and empties the draft; what undo took back goes, unless
    // the rules keep it.
    void Keep(std::unique_ptr<CMeasureRecord> record);
    PressOutcome PlaceLabel(POINT p);
    MoveOutcome MoveListed(POINT p);
    CMeasureRecord* ListedIn(const MeasureStore::Lock& lock) const;

    // Takes the press as click `index` and counts it.
    void Take(int index, POINT p);
    PressOutcome LabelsLeft(PressResult result = PressResult::LabelsOnly, double value = 0.0);
    // The session's kind, pen and scale on a record.
    void Dress(CMeasureRecord& record, ShapeKind kind, const MeasureContext& ctx) const;
    std::unique_ptr<CMeasureRecord> NewRecord(ShapeKind kind, bool labelStep,
                                              const MeasureContext& ctx) const;
    std::vector<POINT> DraftPoints() const;
    // The record from the draft's points and labels as they stand.
    std::unique_ptr<CMeasureRecord> RecordOfDraft(ShapeKind kind, bool labelStep,
                                                  const MeasureContext& ctx) const;
    PressOutcome Complete(std::unique_ptr<CMeasureRecord> record);

    MeasureStore& m_store;
    KindCodes m_codes;
    SessionRules m_rules;
    CMeasureRecord* m_listed = nullptr; // borrowed from the store; checked before each use
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
