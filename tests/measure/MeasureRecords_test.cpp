#include "measure/MeasureRecords.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

TEST(MeasureRecords, Defaults) {
    const CMeasureRecord r;
    EXPECT_EQ(r.m_penWidth, 1);
    EXPECT_EQ(r.m_penStyle, 0);
    EXPECT_EQ(r.m_lineColor, RGB(255, 0, 0));
    EXPECT_EQ(r.m_labelColor, RGB(255, 0, 0));
    EXPECT_EQ(r.m_kind, 100);
    EXPECT_EQ(r.m_fontSize, 12);
    EXPECT_EQ(r.m_radius, 0.0);
    EXPECT_EQ(r.m_selected, 0);
    EXPECT_TRUE(r.m_points.empty() && r.m_labels.empty());
    EXPECT_EQ(r.m_labelFont.lfHeight, 0);
    EXPECT_EQ(r.m_labelFont.lfFaceName[0], 0);

    const CPolylineRecord g;
    EXPECT_EQ(g.m_penWidth, 2);
    EXPECT_EQ(g.m_penStyle, 0);
    EXPECT_EQ(g.m_kind, 0);
    EXPECT_EQ(g.m_lineColor, RGB(255, 0, 0));
    EXPECT_EQ(g.m_textColor, RGB(255, 0, 0));
    EXPECT_EQ(g.m_radiusPixels + g.m_plusPixels + g.m_minusPixels + g.m_vertical, 0);
    EXPECT_EQ(g.m_radiusValue, 0.0);

    const CDraftShape d;
    EXPECT_EQ(d.m_penWidth, 1);
    EXPECT_EQ(d.m_kind, 0);
    EXPECT_EQ(d.m_radius, 0);
    EXPECT_EQ(d.m_lineColor, RGB(255, 0, 0));
    EXPECT_EQ(d.m_textColor, RGB(255, 0, 0));
}

TEST(MeasureRecords, CanvasKindsShiftTheSmallestTools) {
    EXPECT_EQ(CanvasKindOfTool(TOOL_LINE), 1);
    EXPECT_EQ(CanvasKindOfTool(TOOL_RECTANGLE), 3);
    EXPECT_EQ(CanvasKindOfTool(TOOL_TEXT), 4);
    EXPECT_EQ(CanvasKindOfTool(TOOL_ANGLE), 5);
    EXPECT_EQ(CanvasKindOfTool(TOOL_ARC), 222);
    // The live view keeps the tool value.
    EXPECT_EQ(int(LIVE_LINE), 1);
    EXPECT_EQ(int(LIVE_TEXT), 16);
}

TEST(MeasureRecords, CoordinateAngleGuideStaysOnThePreview) {
    const auto p = CoordinateAngleGuidePoints(600, 100);
    EXPECT_TRUE(p[0].x == 600 && p[0].y == 100);
    EXPECT_TRUE(p[1].x == 600 && p[1].y == 0);
    EXPECT_TRUE(p[2].x == 640 && p[2].y == 100);
    const auto q = CoordinateAngleGuidePoints(100, 300);
    EXPECT_TRUE(q[1].x == 100 && q[1].y == 100 && q[2].x == 300 && q[2].y == 300);
}

TEST(MeasureRecords, UndoMovesTheSameObject) {
    CMeasureRecordList done, undone;
    auto r = std::make_unique<CMeasureRecord>();
    CMeasureRecord* raw = r.get();
    EXPECT_EQ(done.Add(std::move(r)), 0);
    done.Add(std::make_unique<CMeasureRecord>());
    EXPECT_EQ(done.GetSize(), 2);

    undone.Add(done.RemoveAt(0));
    EXPECT_EQ(done.GetSize(), 1);
    EXPECT_EQ(undone.GetAt(0), raw);
    EXPECT_EQ(done.GetAt(5), nullptr);
    EXPECT_EQ(done.RemoveAt(-1), nullptr);
    EXPECT_EQ(CMeasureRecordList().RemoveLast(), nullptr);
    undone.DeleteAll();
    EXPECT_TRUE(undone.IsEmpty());
}

TEST(MeasureRecords, DeleteAllLiveShapesEmptiesListsAndDraft) {
    {
        LiveListsLock lock;
        lock.Shapes().Add(std::make_unique<CMeasureRecord>());
        lock.Undone().Add(std::make_unique<CMeasureRecord>());
        lock.Polylines().Add(std::make_unique<CPolylineRecord>());
        lock.Draft().m_points.push_back(POINT{1, 2});
        lock.Draft().m_labels.push_back(u"L:1.000mm");
        lock.Draft().m_kind = LIVE_LINE;
    }
    DeleteAllLiveShapes();
    LiveListsLock lock;
    EXPECT_TRUE(lock.Shapes().IsEmpty() && lock.Undone().IsEmpty() && lock.Polylines().IsEmpty());
    EXPECT_TRUE(lock.Draft().m_points.empty() && lock.Draft().m_labels.empty());
    EXPECT_EQ(lock.Draft().m_kind, LIVE_LINE);
}

// A drawing thread reads the lists while this thread adds and deletes; under the sanitizers
// this catches a change made outside the lock.
TEST(MeasureRecords, DrawingThreadSeesConsistentLists) {
    std::atomic<bool> stop{false};
    std::thread drawer([&] {
        while (!stop) {
            LiveListsLock lock;
            size_t points = 0;
            for (const auto& r : lock.Shapes())
                points += r->m_points.size();
            EXPECT_EQ(points, size_t(lock.Shapes().GetSize()) * 2);
        }
    });
    for (int i = 0; i < 2000; ++i) {
        auto r = std::make_unique<CMeasureRecord>();
        r->m_points = {POINT{0, 0}, POINT{i, i}};
        LiveListsLock lock;
        lock.Shapes().Add(std::move(r));
        if (i % 50 == 49)
            lock.Shapes().DeleteAll();
    }
    stop = true;
    drawer.join();
    DeleteAllLiveShapes();
}

} // namespace
