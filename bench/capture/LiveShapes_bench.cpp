// One camera frame through the frame callback and the live view's painter, as the streaming
// thread runs it: a 1600 x 1200 frame copied into the frame buffer, stretched into the capture
// window's 640 x 480 memory bitmap, ten live measurements with their labels, the date-time,
// cross-line, scale-bar and circle overlays (and, in the second run, the three guide shapes)
// drawn over it, blitted to the window with the status texts. Target: 5 ms of CPU per frame.
// With 1,000 live measurements (each with its own values) the frame stays within the frame
// budget, and the shapes alone cost at most 10 us each (LiveShapesDrawn: items are shapes).
#include "capture/CaptureWnd.h"
#include "capture/LiveShapes.h"

#include "platform/win/window/Application.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>

#include <vector>

namespace {

std::unique_ptr<CMeasureRecord> Shape(int kind, std::vector<POINT> points,
                                      std::vector<const char16_t*> labels) {
    auto r = std::make_unique<CMeasureRecord>();
    r->m_kind = kind;
    r->m_points = std::move(points);
    for (const char16_t* text : labels)
        r->m_labels.emplace_back(text);
    r->m_labelFont.lfHeight = 14;
    r->m_textFont.lfHeight = 20;
    r->m_penWidth = 2;
    return r;
}

void FillLiveLists(bool guides) {
    DeleteAllLiveShapes();
    LiveListsLock lock;
    CMeasureRecordList& shapes = lock.Shapes();
    shapes.Add(Shape(LIVE_LINE, {{100, 100}, {300, 100}, {150, 80}}, {u"L:5.926mm"}));
    shapes.Add(Shape(LIVE_CONTINUAL_LINE,
                     {{20, 300}, {80, 300}, {50, 310}, {120, 340}, {100, 350}},
                     {u"1.778mm", u"1.476mm"}));
    shapes.Add(Shape(LIVE_RECTANGLE, {{400, 50}, {520, 130}, {400, 140}},
                     {u"A:8.425mm2", u"W:3.556mm", u"H:2.370mm"}));
    shapes.Add(Shape(LIVE_ELLIPSE, {{60, 150}, {200, 250}, {60, 255}},
                     {u"A:9.648mm2", u"a:2.074mm", u"b:1.481mm"}));
    shapes.Add(Shape(LIVE_RADIUS_CIRCLE, {{320, 240}, {380, 240}, {390, 200}},
                     {u"A:9.932mm2", u"R:1.778mm", u"G:11.171mm"}));
    shapes.Add(Shape(LIVE_THREE_POINT_CIRCLE, {{500, 300}, {560, 360}, {520, 340}, {570, 300}},
                     {u"D:2.370mm"}));
    shapes.Add(Shape(LIVE_ANGLE, {{420, 420}, {480, 380}, {560, 430}, {470, 440}},
                     {u"87.32\u00B0"}));
    shapes.Add(Shape(LIVE_ARC, {{200, 400}, {250, 360}, {300, 400}, {240, 410}},
                     {u"R:1.500mm", u"Angle:120.00\u00B0", u"Arc:3.142mm"}));
    shapes.Add(Shape(LIVE_TEXT, {{30, 30}}, {u"Sample 7"}));
    shapes.Add(Shape(LIVE_CIRCLE_LABEL, {{600, 60}}, {u"1"}));
    if (guides) {
        auto ruler = std::make_unique<CPolylineRecord>();
        ruler->m_kind = GUIDE_LENGTH_LINE;
        ruler->m_points = {{100, 440}, {300, 440}};
        lock.Polylines().Add(std::move(ruler));
        auto angle = std::make_unique<CPolylineRecord>();
        angle->m_kind = GUIDE_COORDINATE_ANGLE;
        angle->m_points = {{320, 240}, {320, 40}, {520, 240}};
        lock.Polylines().Add(std::move(angle));
        auto circles = std::make_unique<CPolylineRecord>();
        circles->m_kind = GUIDE_TOLERANCE_CIRCLE;
        circles->m_points = {{320, 240}};
        circles->m_radiusPixels = 100;
        circles->m_plusPixels = circles->m_minusPixels = 10;
        lock.Polylines().Add(std::move(circles));
    }
}

// The ten shapes above a hundred times over the picture, each copy with its own label values,
// as a thousand measurements made one by one would have.
void FillThousandShapes() {
    FillLiveLists(false);
    LiveListsLock lock;
    CMeasureRecordList& shapes = lock.Shapes();
    std::vector<CMeasureRecord> ten;
    for (const auto& shape : shapes)
        ten.push_back(*shape);
    shapes.DeleteAll();
    for (int copy = 0; copy < 100; ++copy) {
        const LONG dx = (copy % 10) * 9 - 45, dy = (copy / 10) * 7 - 35;
        for (const CMeasureRecord& model : ten) {
            auto r = std::make_unique<CMeasureRecord>(model);
            for (POINT& p : r->m_points)
                p = POINT{p.x + dx, p.y + dy};
            for (CString& label : r->m_labels) {
                CString numbered;
                numbered.Format(u"%s.%d", label.GetString(), copy);
                label = numbered;
            }
            shapes.Add(std::move(r));
        }
    }
}

// The shapes' part of a frame: 1,000 live measurements with their labels drawn into the
// capture window's 640 x 480 memory bitmap.
void LiveShapesDrawn(benchmark::State& state) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ms::EnsureApplication();
    FillThousandShapes();
    const LiveListsCopy lists = CopyLiveLists();
    DeleteAllLiveShapes();
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, 640, 480);
    HGDIOBJ old = SelectObject(dc, bitmap);
    const LiveDrawContext context;
    for (auto _ : state)
        DrawLiveShapes(dc, lists, context);
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(lists.shapes.size()));
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

void FrameWithShapesAndOverlays(benchmark::State& state) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ms::EnsureApplication();
    CWnd parent;
    parent.CreateEx(0, CWnd::AfxWndClass(), u"Main", WS_POPUP, 0, 0, 660, 500, nullptr, nullptr);
    CCaptureWnd wnd;
    wnd.CreateEx(0, CWnd::AfxWndClass(), u"", WS_CHILD | WS_VISIBLE, 0, 0, 640, 480,
                 parent.m_hWnd, nullptr);
    CLiveViewState view;
    view.Change([](LiveViewSnapshot& s) {
        s.showDateTime = s.showCrossLine = s.showScaleBar = s.showCircleOverlay = 1;
        s.liveScale = 25.0;
        s.liveZoom = 20.0;
    });
    wnd.SetLiveView(&view);
    wnd.CreateMemoryDC();
    if (state.range(0) == 2)
        FillThousandShapes();
    else
        FillLiveLists(state.range(0) != 0);

    std::vector<BYTE> frame(static_cast<size_t>(1600) * 1200 * 3);
    for (size_t i = 0; i < frame.size(); ++i)
        frame[i] = static_cast<BYTE>(i * 7);
    g_frameGrabberCallback.m_frameWidth = 1600;
    g_frameGrabberCallback.m_frameHeight = 1200;
    g_frameGrabberCallback.m_notifyWindow = nullptr;
    g_frameGrabberCallback.m_painter = &wnd;
    double sampleTime = 0;
    for (auto _ : state) {
        g_frameGrabberCallback.BufferCB(sampleTime, frame.data(), static_cast<long>(frame.size()));
        sampleTime += 1.0 / 30;
        // The UI thread's side: the queued screen update runs.
        QCoreApplication::processEvents();
    }
    g_frameGrabberCallback.m_painter = nullptr;
    DeleteAllLiveShapes();
    wnd.DeleteMemoryDC();
    wnd.DestroyWindow();
    parent.DestroyWindow();
    FreeFrameBuffer();
}

} // namespace

// 0: ten shapes; 1: ten shapes and the three guides; 2: 1,000 shapes.
BENCHMARK(FrameWithShapesAndOverlays)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(LiveShapesDrawn)->Unit(benchmark::kMillisecond);
