#include "shell/LiveTools.h"

#include "imaging/DibImage.h"

#include "platform/win/core/WString.h"

#include "platform/win/gdi/Gdi.h"

#include <cmath>
#include <vector>

POINT g_previewCursor{50, 50};

double ImageScaleForCaptureSize(int width, int height) {
    if (width == 1280 && (height == 960 || height == 1024))
        return 2.0;
    if (width == 640 && height == 480)
        return 1.0;
    if (width == 320 && height == 240)
        return 0.5;
    return 2.5;
}

double MagnificationFromText(const WCHAR* text) {
    if (!text)
        return 0.0;
    const double value = _wtof(text);
    return std::isfinite(value) && value > 0 ? value : 0.0;
}

namespace {

int MovePoint(CDraftShape& draft, size_t index, POINT p) {
    if (index >= draft.m_points.size())
        return 0;
    draft.m_points[index] = p;
    return 1;
}

int MoveLast(CDraftShape& draft, size_t fromEnd, POINT p) {
    if (draft.m_points.size() <= fromEnd)
        return 0;
    return MovePoint(draft, draft.m_points.size() - 1 - fromEnd, p);
}

int Rubber(POINT p, int automatic) {
    g_rubberPoint = p;
    if (automatic)
        g_rubberAuto = 1;
    g_rubberActive = 1;
    return 1;
}

} // namespace

int FollowMouse(LiveToolState& st, POINT p, CDraftShape& d) {
    const LiveToolSteps& s = st.steps;
    // Remembers p as the place of a label or handle and moves point i there.
    auto label = [&](size_t i) {
        st.m_cursorPt = p;
        return MovePoint(d, i, p);
    };
    switch (st.m_liveTool) {
    case LIVE_LINE:
        return s.m_lineStep1 ? MovePoint(d, s.m_lineStep2 ? 2 : 1, p) : 0;
    case LIVE_DOT_LINE:
        if (!s.m_dotLineStep1)
            return 0;
        if (!s.m_dotLineStep2)
            return MovePoint(d, 1, p);
        return s.m_dotLineStep3 ? MovePoint(d, 3, p) : 0;
    case LIVE_PARALLEL_LINE:
        if (!s.m_parallelStep1)
            return 0;
        return s.m_parallelStep2 ? label(2) : MovePoint(d, 1, p);
    case LIVE_CONTINUAL_LINE:
        if (!s.m_continualStep1)
            return 0;
        return s.m_continualStep2 ? MoveLast(d, 0, p) : Rubber(p, 0);
    case LIVE_RECTANGLE:
        return s.m_rectangleStep1 ? MovePoint(d, s.m_rectangleStep2 ? 2 : 1, p) : 0;
    case LIVE_POLYGON:
        if (!s.m_polygonStep1)
            return 0;
        if (!s.m_polygonStep2)
            return Rubber(p, 0);
        return d.m_kind == LIVE_POLYGON ? MoveLast(d, 0, p) : 0;
    case LIVE_ELLIPSE:
        if (!s.m_ellipseStep1)
            return 0;
        return s.m_ellipseStep2 ? label(2) : MovePoint(d, 1, p);
    case LIVE_RADIUS_CIRCLE:
        if (!s.m_radiusCircleStep1)
            return 0;
        return s.m_radiusCircleStep2 ? label(2) : MovePoint(d, 1, p);
    case LIVE_DIAMETER_CIRCLE:
        if (!s.m_diameterCircleStep1)
            return 0;
        return s.m_diameterCircleStep2 ? label(2) : MovePoint(d, 1, p);
    case LIVE_THREE_POINT_CIRCLE:
        return s.m_threePointCircleStep3 ? MovePoint(d, 3, p) : 0;
    case LIVE_TWO_CIRCLES:
        if (!s.m_twoCirclesStep1)
            return 0;
        if (s.m_twoCirclesStep3 && !s.m_twoCirclesStep7)
            return MoveLast(d, 0, p);
        if (s.m_twoCirclesStep6)
            return MoveLast(d, s.m_twoCirclesStep8 ? 0 : 1, p);
        return s.m_twoCirclesStep8 ? MoveLast(d, 0, p) : 0;
    case LIVE_ANGLE:
        if (!s.m_angleStep1)
            return 0;
        return s.m_angleStep3 ? MovePoint(d, 3, p) : Rubber(p, 0);
    case LIVE_FOUR_POINT_ANGLE:
        if (!s.m_fourPointAngleStep1)
            return 0;
        return s.m_fourPointAngleStep3 ? MovePoint(d, 4, p) : Rubber(p, 0);
    case LIVE_AUTO_DISTANCE:
        if (!s.m_autoDistanceStep1)
            return 0;
        return s.m_autoDistanceStep3 ? label(2) : Rubber(p, 1);
    case LIVE_AUTO_ANGLE:
        if (!s.m_autoAngleStep1)
            return 0;
        return s.m_autoAngleStep3 ? label(4) : Rubber(p, 1);
    case LIVE_AUTO_CIRCLE:
        return s.m_autoCircleStep1 && !s.m_autoCircleStep2 ? label(1) : 0;
    case LIVE_AUTO_LINE:
        return s.m_autoLineStep1 && !s.m_autoLineStep2 ? label(2) : 0;
    case LIVE_AUTO_ARC:
        return s.m_autoArcStep1 && !s.m_autoArcStep2 ? label(3) : 0;
    case LIVE_ARC:
        if (!s.m_liveArcStep1 || !s.m_liveArcStep2)
            return 0;
        return MovePoint(d, s.m_liveArcStep3 ? 3 : 2, p);
    case LIVE_RULER:
        if (!s.m_rulerStep1 || s.m_rulerStep2)
            return 0;
        if (d.m_points.size() < 2)
            d.m_points.resize(2, POINT{0, 0});
        return MovePoint(d, 1, p);
    default:
        return 0;
    }
}

int DragGuide(const LiveToolState& st, POINT p, CPolylineRecordList& guides) {
    if (!st.m_guidePresent || !st.m_guideDragging)
        return 0;
    CPolylineRecord* g = guides.GetAt(st.m_guideIndex);
    if (!g || g->m_points.empty())
        return 0;
    std::vector<POINT>& pts = g->m_points;
    auto shiftAll = [&] {
        const LONG dx = p.x - pts[0].x, dy = p.y - pts[0].y;
        for (POINT& q : pts) {
            q.x += dx;
            q.y += dy;
        }
    };
    int moved = 0;
    switch (g->m_kind) {
    case GUIDE_LENGTH_LINE:
        if (st.m_guideGrip1 && pts.size() > 1) {
            (g->m_vertical ? pts[1].y : pts[1].x) = g->m_vertical ? p.y : p.x;
            moved = 1;
        }
        if (st.m_guideGrip2) {
            shiftAll();
            moved = 1;
        }
        break;
    case GUIDE_TOLERANCE_CIRCLE:
        if (st.m_guideGrip2) {
            pts[0] = p;
            moved = 1;
        }
        break;
    case GUIDE_COORDINATE_ANGLE:
        if (st.m_guideGrip1 && pts.size() > 1) {
            pts[1] = p;
            moved = 1;
        }
        if (st.m_guideGrip2 && pts.size() > 2) {
            pts[2] = p;
            moved = 1;
        }
        if (st.m_guideGrip3) {
            shiftAll();
            moved = 1;
        }
        break;
    default:
        break;
    }
    return moved;
}

void FinishLiveShape(std::unique_ptr<CMeasureRecord> shape) {
    if (!shape)
        return;
    // Taken out under the lock, destroyed after it: the painter never waits on a destructor.
    std::vector<std::unique_ptr<CMeasureRecord>> dropped;
    {
        LiveListsLock lock;
        lock.Shapes().Add(std::move(shape));
        while (!lock.Undone().IsEmpty())
            dropped.push_back(lock.Undone().RemoveLast());
    }
}

int UndoLiveShape() {
    std::unique_ptr<CPolylineRecord> guide;
    int changed = 0;
    {
        LiveListsLock lock;
        if (!lock.Shapes().IsEmpty()) {
            lock.Undone().Add(lock.Shapes().RemoveLast());
            changed = 1;
        }
        if (!lock.Polylines().IsEmpty()) {
            guide = lock.Polylines().RemoveLast();
            changed = 1;
        }
    }
    return changed;
}

int RedoLiveShape() {
    LiveListsLock lock;
    if (lock.Undone().IsEmpty())
        return 0;
    lock.Shapes().Add(lock.Undone().RemoveLast());
    return 1;
}

int AddLiveGuide(std::unique_ptr<CPolylineRecord> guide) {
    if (!guide)
        return -1;
    LiveListsLock lock;
    return lock.Polylines().Add(std::move(guide));
}

namespace {

std::unique_ptr<CPolylineRecord> NewGuide(int kind, const LivePen& pen) {
    auto guide = std::make_unique<CPolylineRecord>();
    guide->m_kind = kind;
    guide->m_lineColor = pen.lineColor;
    guide->m_penStyle = pen.style;
    guide->m_penWidth = pen.width;
    guide->m_textColor = pen.labelColor;
    return guide;
}

// value / s + 0.5, truncated; false when that is no pixel count an int holds.
bool PixelsOf(double value, double s, int* pixels) {
    const double p = value / s + 0.5;
    if (!std::isfinite(p) || std::fabs(p) > 1e7)
        return false;
    *pixels = static_cast<int>(p);
    return true;
}

} // namespace

std::unique_ptr<CPolylineRecord> MakeCoordinateAngleGuide(int x, int y, const LivePen& pen) {
    auto guide = NewGuide(GUIDE_COORDINATE_ANGLE, pen);
    const auto points = CoordinateAngleGuidePoints(x, y);
    guide->m_points.assign(points.begin(), points.end());
    return guide;
}

std::unique_ptr<CPolylineRecord> MakeToleranceGuide(double radius, double plus, double minus,
                                                    double unitScale, double zoom,
                                                    const LivePen& pen) {
    if (!(zoom > 0) || !(unitScale > 0))
        return nullptr;
    const double s = unitScale * 10.0 / zoom;
    auto guide = NewGuide(GUIDE_TOLERANCE_CIRCLE, pen);
    guide->m_points.push_back(POINT{320, 240});
    guide->m_radiusValue = radius;
    guide->m_plusTolerance = plus;
    guide->m_minusTolerance = minus;
    if (!PixelsOf(radius, s, &guide->m_radiusPixels) || !PixelsOf(plus, s, &guide->m_plusPixels) ||
        !PixelsOf(minus, s, &guide->m_minusPixels))
        return nullptr;
    return guide;
}

// ---- Magnifier ----

int CLiveMagnifierSurface::Create(HDC reference, const RECT& rect) {
    m_drawDC = CreateCompatibleDC(reference);
    m_size = SIZE{rect.right - rect.left, rect.bottom - rect.top};
    m_drawBitmap = CreateCompatibleBitmap(reference, m_size.cx, m_size.cy);
    m_drawOldBitmap = SelectObject(m_drawDC, m_drawBitmap);
    return 1;
}

void CLiveMagnifierSurface::Free() {
    if (m_drawBitmap) {
        if (m_drawDC && m_drawOldBitmap)
            SelectObject(m_drawDC, m_drawOldBitmap);
        DeleteObject(m_drawBitmap);
        m_drawBitmap = nullptr;
    }
    m_drawOldBitmap = nullptr;
    if (m_drawDC) {
        DeleteDC(m_drawDC);
        m_drawDC = nullptr;
    }
    m_size = SIZE{};
}

HDC CLiveMagnifierSurface::Ensure(HDC reference, const RECT& rect) {
    const SIZE size{rect.right - rect.left, rect.bottom - rect.top};
    if (m_drawDC && (size.cx != m_size.cx || size.cy != m_size.cy))
        Free();
    if (!m_drawDC)
        Create(reference, rect);
    return m_drawDC;
}

void PaintMagnifier(HDC target, const RECT& client, CDibImage& image, POINT center, int zoomLevel,
                    CLiveMagnifierSurface& surface) {
    if (zoomLevel < 1 || !target)
        return;
    const int l = client.left / zoomLevel, t = client.top / zoomLevel;
    const int r = client.right / zoomLevel, b = client.bottom / zoomLevel;
    const int w = r - l, h = b - t;
    if (w <= 0 || h <= 0)
        return;
    const size_t stride = static_cast<size_t>((3 * w + 3) / 4 * 4);
    std::vector<BYTE> buffer(stride * static_cast<size_t>(h));
    image.RenderBinaryPreview(center.x, center.y, w, h, buffer.data());
    HDC drawDC = surface.Ensure(target, client);
    if (!drawDC)
        return;
    BITMAPINFO info{};
    info.bmiHeader.biSize = 40;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    info.bmiHeader.biSizeImage = static_cast<DWORD>(stride) * static_cast<DWORD>(h);
    SetStretchBltMode(drawDC, COLORONCOLOR);
    StretchDIBits(drawDC, 0, 0, client.right - client.left + 1, client.bottom - client.top + 1, 0,
                  0, w, h, buffer.data(), &info, DIB_RGB_COLORS, SRCCOPY);
    BitBlt(target, 0, 0, client.right, client.bottom, drawDC, 0, 0, SRCCOPY);
}
