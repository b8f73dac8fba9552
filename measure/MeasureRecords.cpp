#include "measure/MeasureRecords.h"

#include <cmath>

std::vector<CPointRecord> g_edgePoints;
int g_circleLabelCount = 0;
int g_squareLabelCount = 0;

MeasureStore& LiveMeasureStore() {
    static MeasureStore store;
    return store;
}

std::atomic<int>& g_rubberActive = LiveMeasureStore().Rubber().active;
std::atomic<int>& g_rubberAuto = LiveMeasureStore().Rubber().automatic;
std::atomic<POINT>& g_rubberPoint = LiveMeasureStore().Rubber().point;

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

void MeasureStore::EmptyDraft() {
    Lock lock(*this);
    m_draft.m_points.clear();
    m_draft.m_labels.clear();
}

void MeasureStore::Finish(std::unique_ptr<CMeasureRecord> shape, bool emptyDraft) {
    if (!shape)
        return;
    // Taken out under the lock, destroyed after it: the painter never waits on a destructor.
    std::vector<std::unique_ptr<CMeasureRecord>> dropped;
    {
        Lock lock(*this);
        m_shapes.Add(std::move(shape));
        if (emptyDraft) {
            m_draft.m_points.clear();
            m_draft.m_labels.clear();
        }
        while (!m_undone.IsEmpty())
            dropped.push_back(m_undone.RemoveLast());
    }
}

int MeasureStore::Undo() {
    std::unique_ptr<CPolylineRecord> guide;
    int changed = 0;
    {
        Lock lock(*this);
        if (!m_shapes.IsEmpty()) {
            m_undone.Add(m_shapes.RemoveLast());
            changed = 1;
        }
        if (!m_guides.IsEmpty()) {
            guide = m_guides.RemoveLast();
            changed = 1;
        }
    }
    return changed;
}

int MeasureStore::Redo() {
    Lock lock(*this);
    if (m_undone.IsEmpty())
        return 0;
    m_shapes.Add(m_undone.RemoveLast());
    return 1;
}

int MeasureStore::AddGuide(std::unique_ptr<CPolylineRecord> guide) {
    if (!guide)
        return -1;
    Lock lock(*this);
    return m_guides.Add(std::move(guide));
}

void MeasureStore::DeleteAll() {
    // Destroyed after the lock, like the records Finish drops.
    CMeasureRecordList shapes, undone;
    CPolylineRecordList guides;
    {
        Lock lock(*this);
        while (!m_shapes.IsEmpty())
            shapes.Add(m_shapes.RemoveAt(0));
        while (!m_undone.IsEmpty())
            undone.Add(m_undone.RemoveAt(0));
        while (!m_guides.IsEmpty())
            guides.Add(m_guides.RemoveAt(0));
        m_draft.m_points.clear();
        m_draft.m_labels.clear();
    }
}

void DeleteAllLiveShapes() {
    LiveMeasureStore().DeleteAll();
}
