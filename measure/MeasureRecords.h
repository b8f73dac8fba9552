// Measurement records, the tool and kind codes, the label counters and the store that holds a
// measuring session's records behind its lock.
//
// Threads: the live view's store (LiveMeasureStore) is drawn on the capture thread while the
// user-interface thread changes it. Every read or change of a store holds its lock (a
// MeasureStore::Lock, or LiveListsLock for the live view's); keep it short (no dialog, message
// box or file work inside it) and never take it twice on one thread. A canvas owns its own
// CMeasureRecordList (one per photo-measure window) and uses it on the UI thread only, as
// g_edgePoints is.
#pragma once

#include "platform/win/WinTypes.h"
#include "platform/win/core/CString.h"

#include <array>
#include <atomic>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

// Tool of the photo-measure canvas. Values 1, 7, 8, 14, 15, 17 and 23 are not used.
enum MeasureTool {
    TOOL_LINE = 0,
    TOOL_RECTANGLE = 2,
    TOOL_TEXT = 3,
    TOOL_SELECT = 4,
    TOOL_ANGLE = 5,
    TOOL_CONTINUOUS_LINE = 6,
    TOOL_THREE_POINT_CIRCLE = 9,
    TOOL_FOUR_POINT_ANGLE = 10,
    TOOL_TWO_CIRCLES = 11,
    TOOL_PARALLEL_LINE = 12,
    TOOL_CIRCLE_LABEL = 13,
    TOOL_MAGNIFIER = 16,
    TOOL_AUTO_LINE_SPACING = 18,
    TOOL_AUTO_CIRCLE = 19,
    TOOL_EDGE_PORTION = 20,
    TOOL_AUTO_ANGLE = 21,
    TOOL_DOT_LINE = 22,
    TOOL_AUTO_LINE_LENGTH2 = 24,
    TOOL_NONE = 111,
    TOOL_ARC = 222,
    TOOL_AUTO_ARC = 333,
};

enum ToolMode {
    TOOL_MODE_PAINT = 0,   // paint-menu shapes, drawn without labels; also the magnifier
    TOOL_MODE_MEASURE = 1, // measuring tools
    TOOL_MODE_IDLE = 11,   // no drawing (TOOL_NONE, TOOL_SELECT)
};

// The one set of shape kinds: the tool of a measuring session, the kind of its draft and of
// every record it makes. The live view stores these codes as they are; the canvas stores its
// own numbering (StoredKind in MeasureSession.h maps them).
enum ShapeKind {
    SHAPE_NONE = 0,
    LIVE_NONE = SHAPE_NONE,
    LIVE_LINE = 1,
    LIVE_DOT_LINE = 2,
    LIVE_PARALLEL_LINE = 3,
    LIVE_CONTINUAL_LINE = 4,
    LIVE_RECTANGLE = 5,
    LIVE_POLYGON = 6,
    LIVE_ELLIPSE = 7,
    LIVE_RADIUS_CIRCLE = 8,
    LIVE_DIAMETER_CIRCLE = 9,
    LIVE_THREE_POINT_CIRCLE = 10,
    LIVE_TWO_CIRCLES = 11,
    LIVE_ANGLE = 12,
    LIVE_FOUR_POINT_ANGLE = 13,
    LIVE_CIRCLE_LABEL = 14,
    LIVE_SQUARE_LABEL = 15,
    LIVE_TEXT = 16,
    LIVE_ARC = 17,   // arc through three points
    LIVE_RULER = 18, // Length-Line guide
    LIVE_COORDINATE_ANGLE = 19,
    LIVE_TOLERANCE_CIRCLE = 20,
    LIVE_AUTO_CIRCLE = 21, // circle fitted to edge points (diameter label, m_radius set)
    LIVE_AUTO_LINE = 22,   // line fitted to edge points (length label)
    LIVE_AUTO_ARC = 23,
    LIVE_AUTO_DISTANCE = 24, // automatic line spacing
    LIVE_AUTO_ANGLE = 25,
    // Kinds only the canvas has.
    SHAPE_SELECT = 26,
    SHAPE_MAGNIFIER = 27,
    SHAPE_EDGE_PORTION = 28,
    SHAPE_AUTO_LINE_TWO = 29, // the canvas's line fitted to two or more edge points
};
using LiveTool = ShapeKind;

// Kinds of canvas records that differ from the tool value: the three smallest tools are
// shifted by one (kind 2 does not occur); every other canvas kind is its MeasureTool value.
enum CanvasKind {
    CANVAS_KIND_LINE = 1,
    CANVAS_KIND_RECTANGLE = 3,
    CANVAS_KIND_TEXT = 4,
};

// Wavenor's photo-measure canvas numbers its kinds 1 to 10; these three are kinds Tessary's
// canvas never makes (its kinds 2, 7 and 8 do not occur), so the shared tables can hold them.
enum WifiCanvasKind {
    WIFI_KIND_RADIUS_CIRCLE = 2,
    WIFI_KIND_POLYGON = 7,
    WIFI_KIND_DIAMETER_CIRCLE = 8,
};

// The m_kind a canvas record made by tool gets.
int CanvasKindOfTool(int tool);

// CPolylineRecord::m_kind.
enum GuideKind {
    GUIDE_LENGTH_LINE = 1,      // start and end of a horizontal or vertical line
    GUIDE_COORDINATE_ANGLE = 2, // vertex, end of the upward ray, end of the rightward ray
    GUIDE_TOLERANCE_CIRCLE = 3, // the centre; radii in the value and pixel fields
};

// One finished measurement or annotation shape (canvas: picture pixels; live: preview pixels).
class CMeasureRecord {
public:
    virtual ~CMeasureRecord() = default;

    int m_penWidth = 1;
    int m_penStyle = 0; // PS_SOLID, PS_DASH, PS_DOT...
    COLORREF m_lineColor = 0x0000FF;
    int m_kind = 100; // LiveTool (live) or canvas kind
    COLORREF m_labelColor = 0x0000FF;
    LOGFONTW m_labelFont{};
    COLORREF m_textColor = 0; // text annotations
    LOGFONTW m_textFont{};    // text annotations
    std::vector<POINT> m_points;
    std::vector<CString> m_labels;
    int m_selected = 0;    // selected shapes are drawn in 0xFF00FF
    int m_fontSize = 12;   // label line step in pixels
    double m_radius = 0.0; // fitted circle radius in pixels
    // The length one pixel of the measuring space had in the label's unit when the shape was
    // measured (unit scale x 10 / magnification), so that every export gives the shape the
    // length its label shows, whatever was calibrated since; 0 where not known (texts, labels).
    double m_unitsPerPixel = 0.0;
};

// The length of one measuring pixel at unit scale s and magnification m (s x 10 / m); 0 when
// that gives no finite length above 0.
double UnitsPerPixel(double unitScale, double magnification);

// The live shape being drawn.
class CDraftShape {
public:
    virtual ~CDraftShape() = default;

    int m_penWidth = 1;
    int m_penStyle = 0;
    int m_kind = 0; // LiveTool of the current tool
    COLORREF m_lineColor = 0x0000FF;
    COLORREF m_textColor = 0x0000FF;
    std::vector<POINT> m_points;
    std::vector<CString> m_labels;
    int m_radius = 0; // preview pixels of the last fitted circle or arc
};

// The three points of a coordinate-angle guide at (x, y) of the preview: the vertex, the end
// of the ray 200 pixels up (y not below 0) and of the ray 200 pixels right (x not beyond 640).
std::array<POINT, 3> CoordinateAngleGuidePoints(int x, int y);

// A guide shape of the live view.
class CPolylineRecord {
public:
    virtual ~CPolylineRecord() = default;

    int m_kind = 0;               // GuideKind
    double m_plusTolerance = 0.0; // current unit
    double m_radiusValue = 0.0;
    double m_minusTolerance = 0.0;
    int m_radiusPixels = 0; // preview pixels
    int m_plusPixels = 0;
    int m_minusPixels = 0;
    std::vector<POINT> m_points;
    COLORREF m_lineColor = 0x0000FF;
    int m_penWidth = 2;
    int m_penStyle = 0;
    COLORREF m_textColor = 0x0000FF;
    int m_vertical = 0; // length line: 0 horizontal, 1 vertical
};

// One edge point of the automatic fits, picture pixels.
struct CPointRecord {
    double m_x = 0.0;
    double m_y = 0.0;
};

// A list of records in the order they were added. The list owns its records: DeleteAll and
// the destructor delete them; RemoveAt/RemoveLast hand a record back without deleting it, so
// that undo and redo move the same object from one list to another.
template <class T> class CRecordList {
public:
    CRecordList() = default;
    CRecordList(const CRecordList&) = delete;
    CRecordList& operator=(const CRecordList&) = delete;

    // Appends the record and returns its index.
    int Add(std::unique_ptr<T> record) {
        m_items.push_back(std::move(record));
        return static_cast<int>(m_items.size()) - 1;
    }
    int GetSize() const { return static_cast<int>(m_items.size()); }
    int GetCount() const { return GetSize(); }
    bool IsEmpty() const { return m_items.empty(); }
    // Borrowed pointer; nullptr for an index out of range.
    T* GetAt(int i) const {
        return (i >= 0 && i < GetSize()) ? m_items[static_cast<size_t>(i)].get() : nullptr;
    }
    T* operator[](int i) const { return GetAt(i); }
    std::unique_ptr<T> RemoveAt(int i) {
        if (i < 0 || i >= GetSize())
            return nullptr;
        std::unique_ptr<T> r = std::move(m_items[static_cast<size_t>(i)]);
        m_items.erase(m_items.begin() + i);
        return r;
    }
    std::unique_ptr<T> RemoveLast() { return RemoveAt(GetSize() - 1); }
    void DeleteAll() { m_items.clear(); }

    auto begin() const { return m_items.begin(); }
    auto end() const { return m_items.end(); }

private:
    std::vector<std::unique_ptr<T>> m_items;
};

using CMeasureRecordList = CRecordList<CMeasureRecord>;
using CPolylineRecordList = CRecordList<CPolylineRecord>;

// Edge points of the automatic line, circle and arc fits (UI thread only).
extern std::vector<CPointRecord> g_edgePoints;

// Running numbers of circle labels (canvas and live) and square labels (live): a new label
// takes its counter plus one and stores it. UI thread only.
extern int g_circleLabelCount;
extern int g_squareLabelCount;

// The rubber line of the live view's store (LiveMeasureStore().Rubber()).
extern std::atomic<int>& g_rubberActive;
extern std::atomic<int>& g_rubberAuto;
extern std::atomic<POINT>& g_rubberPoint;

// The rubber line of a store's multi-point tools, from the draft's last point to the cursor:
// written by the session on the UI thread, read by the painter on another (a value read during
// its change affects one frame at most).
struct AtomicRubberLine {
    std::atomic<int> active{0};    // 1 while the rubber line runs
    std::atomic<int> automatic{0}; // 1 while it is the automatic distance or angle's
    std::atomic<POINT> point{POINT{0, 0}};
};

// The records of one measuring session: the finished shapes, those taken back by undo, the
// guides and the draft, behind one lock. Every read or change holds a Lock; keep it short (no
// dialog, message box or file work inside it) and never take it twice on one thread. The
// changes below take the lock for themselves.
class MeasureStore {
public:
    MeasureStore() = default;
    MeasureStore(const MeasureStore&) = delete;
    MeasureStore& operator=(const MeasureStore&) = delete;

    class Lock {
    public:
        explicit Lock(MeasureStore& store) : m_store(store), m_lock(store.m_mutex) {}
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;

        CMeasureRecordList& Shapes() const { return m_store.m_shapes; }     // finished shapes
        CMeasureRecordList& Undone() const { return m_store.m_undone; }     // by undo, in order
        CPolylineRecordList& Polylines() const { return m_store.m_guides; } // guide shapes
        CDraftShape& Draft() const { return m_store.m_draft; }              // shape being drawn

    private:
        MeasureStore& m_store;
        std::unique_lock<std::mutex> m_lock;
    };

    AtomicRubberLine& Rubber() { return m_rubber; }

    // Empties the points and labels of the draft.
    void EmptyDraft();
    // Appends a finished shape, and empties the draft in the same step when asked (so that no
    // frame shows the shape twice). A new shape empties the redo list: redo only ever brings
    // back what undo took, so it never has to remove a shape.
    void Finish(std::unique_ptr<CMeasureRecord> shape, bool emptyDraft);
    // Moves the newest finished shape to the redo list and drops the newest guide (guides are
    // not kept for redo); 1 when anything changed.
    int Undo();
    // Moves the newest undone shape back to the end of the finished shapes; 1 when there was
    // one.
    int Redo();
    // Appends a guide and returns its index; -1 for none.
    int AddGuide(std::unique_ptr<CPolylineRecord> guide);
    // Deletes every guide, undone and finished shape and empties the draft.
    void DeleteAll();

private:
    std::mutex m_mutex;
    CMeasureRecordList m_shapes;
    CMeasureRecordList m_undone;
    CPolylineRecordList m_guides;
    CDraftShape m_draft;
    AtomicRubberLine m_rubber;
};

// The store of the live view, which its painter draws on the capture thread.
MeasureStore& LiveMeasureStore();

// Holds the lock of the live view's store for its lifetime.
class LiveListsLock : public MeasureStore::Lock {
public:
    LiveListsLock() : MeasureStore::Lock(LiveMeasureStore()) {}
};

// Deletes every record of the guide shapes, the undone and the finished live shapes and empties
// the points and labels of the draft, under the lock.
void DeleteAllLiveShapes();
