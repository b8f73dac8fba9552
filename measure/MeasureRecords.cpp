#include "measure/MeasureRecords.h"

#include <cmath>

std::vector<CPointRecord> g_edgePoints;
int g_circleLabelCount = 0;
int g_squareLabelCount = 0;
std::atomic<int> g_rubberActive{0};
std::atomic<int> g_rubberAuto{0};
std::atomic<POINT> g_rubberPoint{POINT{0, 0}};

namespace {

std::mutex& LiveListsMutex() {
    static std::mutex m;
    return m;
}

// The live lists, guarded by LiveListsMutex().
CMeasureRecordList g_liveShapes;
CMeasureRecordList g_undoneShapes;
CPolylineRecordList g_livePolylines;
CDraftShape g_draftShape;

} // namespace

int CanvasKindOfTool(int tool) {
    switch (tool) {
    case TOOL_LINE:
        return CANVAS_KIND_LINE;
    case TOOL_RECTANGLE:
        return CANVAS_KIND_RECTANGLE;
    case TOOL_TEXT:
        return CANVAS_KIND_TEXT;
    default:
        return tool;
    }
}

double UnitsPerPixel(double unitScale, double magnification) {
    const double v = unitScale * 10.0 / magnification;
    return std::isfinite(v) && v > 0.0 ? v : 0.0;
}

std::array<POINT, 3> CoordinateAngleGuidePoints(int x, int y) {
    const LONG up = y - 200 < 0 ? 0 : y - 200;
    const LONG right = x + 200 > 640 ? 640 : x + 200;
    return {POINT{x, y}, POINT{x, up}, POINT{right, y}};
}

LiveListsLock::LiveListsLock() : m_lock(LiveListsMutex()) {}

LiveListsLock::~LiveListsLock() = default;

CMeasureRecordList& LiveListsLock::Shapes() const {
    return g_liveShapes;
}
CMeasureRecordList& LiveListsLock::Undone() const {
    return g_undoneShapes;
}
CPolylineRecordList& LiveListsLock::Polylines() const {
    return g_livePolylines;
}
CDraftShape& LiveListsLock::Draft() const {
    return g_draftShape;
}

void DeleteAllLiveShapes() {
    LiveListsLock lock;
    lock.Polylines().DeleteAll();
    lock.Undone().DeleteAll();
    lock.Shapes().DeleteAll();
    lock.Draft().m_points.clear();
    lock.Draft().m_labels.clear();
}
