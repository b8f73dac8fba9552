#include "shell/LiveTools.h"

#include "imaging/DibImage.h"
#include "measure/CanvasShapeRules.h"
#include "measure/Geometry.h"
#include "measure/Units.h"

#include "platform/win/core/WString.h"

#include "platform/win/gdi/Gdi.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <initializer_list>
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

// The whole guide moves so that its first point lands on p.
void ShiftGuide(std::vector<POINT>& pts, POINT p) {
    const LONG dx = p.x - pts[0].x, dy = p.y - pts[0].y;
    for (POINT& q : pts) {
        q.x += dx;
        q.y += dy;
    }
}

// The length line: its first grip sets the length along its axis, its second moves it.
bool DragLengthLine(const LiveToolState& st, POINT p, CPolylineRecord& g) {
    std::vector<POINT>& pts = g.m_points;
    bool moved = false;
    if (st.m_guideGrip1 && pts.size() > 1) {
        (g.m_vertical ? pts[1].y : pts[1].x) = g.m_vertical ? p.y : p.x;
        moved = true;
    }
    if (st.m_guideGrip2) {
        ShiftGuide(pts, p);
        moved = true;
    }
    return moved;
}

bool DragToleranceCircle(const LiveToolState& st, POINT p, CPolylineRecord& g) {
    if (!st.m_guideGrip2)
        return false;
    g.m_points[0] = p;
    return true;
}

// The coordinate angle: a grip per arm end, the third moves it whole.
bool DragCoordinateAngle(const LiveToolState& st, POINT p, CPolylineRecord& g) {
    std::vector<POINT>& pts = g.m_points;
    bool moved = false;
    if (st.m_guideGrip1 && pts.size() > 1) {
        pts[1] = p;
        moved = true;
    }
    if (st.m_guideGrip2 && pts.size() > 2) {
        pts[2] = p;
        moved = true;
    }
    if (st.m_guideGrip3) {
        ShiftGuide(pts, p);
        moved = true;
    }
    return moved;
}

} // namespace

int DragGuide(const LiveToolState& st, POINT p, CPolylineRecordList& guides) {
    if (!st.m_guidePresent || !st.m_guideDragging)
        return 0;
    CPolylineRecord* g = guides.GetAt(st.m_guideIndex);
    if (!g || g->m_points.empty())
        return 0;
    switch (g->m_kind) {
    case GUIDE_LENGTH_LINE:
        return DragLengthLine(st, p, *g) ? 1 : 0;
    case GUIDE_TOLERANCE_CIRCLE:
        return DragToleranceCircle(st, p, *g) ? 1 : 0;
    case GUIDE_COORDINATE_ANGLE:
        return DragCoordinateAngle(st, p, *g) ? 1 : 0;
    default:
        return 0;
    }
}

namespace {

// Whether p lies in the polygon, filled by the winding rule.
bool InPolygon(std::initializer_list<POINT> corners, POINT p) {
    HRGN region = CreatePolygonRgn(corners.begin(), static_cast<int>(corners.size()), WINDING);
    if (!region)
        return false;
    const bool inside = PtInRegion(region, p.x, p.y) != 0;
    DeleteObject(region);
    return inside;
}

int GrabLengthLine(const CPolylineRecord& g, POINT p, LiveToolState& st) {
    if (g.m_points.size() < 2)
        return 0;
    const LONG x0 = g.m_points[0].x, y0 = g.m_points[0].y;
    const LONG x1 = g.m_points[1].x, y1 = g.m_points[1].y;
    bool body, end;
    if (!g.m_vertical) {
        body = InPolygon(
            {{x0, y0}, {x0, y0 - 36}, {x0 - 18, y0}, {x0 - 18, y0 + 36}, {x1, y1 + 36}, {x1, y1}},
            p);
        end = InPolygon(
            {{x1, y1 + 36}, {x1 + 36, y1 + 36}, {x1 + 36, y1}, {x1 + 18, y1}, {x1, y1 - 36}}, p);
    } else {
        body = InPolygon(
            {{x0, y0}, {x0 + 36, y0}, {x0, y0 - 18}, {x0 - 36, y0 - 18}, {x1 - 36, y1}, {x1, y1}},
            p);
        end = InPolygon(
            {{x1 - 36, y1}, {x1 - 36, y1 + 36}, {x1, y1 + 36}, {x1, y1 + 18}, {x1 + 36, y1}}, p);
    }
    if (body)
        st.m_guideGrip2 = 1; // the whole guide moves
    if (end)
        st.m_guideGrip1 = 1; // its end moves along its axis
    return body || end ? 1 : 0;
}

int GrabCoordinateAngle(const CPolylineRecord& g, POINT p, LiveToolState& st) {
    if (g.m_points.size() < 3)
        return 0;
    const LONG x0 = g.m_points[0].x, y0 = g.m_points[0].y;
    const LONG x1 = g.m_points[1].x, y1 = g.m_points[1].y;
    const LONG x2 = g.m_points[2].x, y2 = g.m_points[2].y;
    if (InPolygon({{x0 - 10, y0 - 10}, {x0 - 10, y0 + 10}, {x0 + 10, y0 + 10}, {x0 + 10, y0 - 10}},
                  p)) {
        st.m_guideGrip1 = st.m_guideGrip2 = 0;
        st.m_guideGrip3 = 1; // the corner: the whole guide moves
        return 1;
    }
    // Each arm's band lies along its longer extent (the differences are signed).
    const bool arm1 = x0 - x1 > y0 - y1
                          ? InPolygon({{x1, y1 - 6}, {x1, y1 + 6}, {x0, y0 + 6}, {x0, y0 - 6}}, p)
                          : InPolygon({{x1 - 6, y1}, {x1 + 6, y1}, {x0 + 6, y0}, {x0 - 6, y0}}, p);
    if (arm1) {
        st.m_guideGrip3 = st.m_guideGrip2 = 0;
        st.m_guideGrip1 = 1;
    }
    const bool arm2 = x2 - x0 > y2 - y0
                          ? InPolygon({{x0, y0 - 6}, {x0, y0 + 6}, {x2, y2 + 6}, {x2, y2 - 6}}, p)
                          : InPolygon({{x0 - 6, y0}, {x0 + 6, y0}, {x2 + 6, y2}, {x2 - 6, y2}}, p);
    if (arm2) {
        st.m_guideGrip3 = st.m_guideGrip1 = 0;
        st.m_guideGrip2 = 1;
    }
    return arm1 || arm2 ? 1 : 0;
}

} // namespace

int GrabGuide(const CPolylineRecord& guide, POINT p, LiveToolState& st) {
    switch (guide.m_kind) {
    case GUIDE_LENGTH_LINE:
        return GrabLengthLine(guide, p, st);
    case GUIDE_COORDINATE_ANGLE:
        return GrabCoordinateAngle(guide, p, st);
    case GUIDE_TOLERANCE_CIRCLE: {
        if (guide.m_points.empty())
            return 0;
        const double dx = double(p.x) - guide.m_points[0].x;
        const double dy = double(p.y) - guide.m_points[0].y;
        const double d = std::trunc(std::sqrt(dx * dx + dy * dy));
        if (d < double(guide.m_radiusPixels) - std::max(guide.m_plusPixels, guide.m_minusPixels)) {
            st.m_guideGrip2 = 1; // the centre moves
            return 1;
        }
        return 0;
    }
    default:
        return 0;
    }
}

void EmptyLiveDraft() {
    LiveMeasureStore().EmptyDraft();
}

void FinishLiveShape(std::unique_ptr<CMeasureRecord> shape, bool emptyDraft) {
    LiveMeasureStore().Finish(std::move(shape), emptyDraft);
}

int UndoLiveShape() {
    return LiveMeasureStore().Undo();
}

int RedoLiveShape() {
    return LiveMeasureStore().Redo();
}

int AddLiveGuide(std::unique_ptr<CPolylineRecord> guide) {
    return LiveMeasureStore().AddGuide(std::move(guide));
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

std::unique_ptr<CPolylineRecord> MakeLengthLineGuide(POINT c1, POINT c2, int pixels,
                                                     const LivePen& pen) {
    auto guide = NewGuide(GUIDE_LENGTH_LINE, pen);
    const bool horizontal =
        std::llabs(std::int64_t(c2.x) - c1.x) > std::llabs(std::int64_t(c2.y) - c1.y);
    guide->m_vertical = horizontal ? 0 : 1;
    const int length = std::clamp(pixels, -1000000, 1000000);
    guide->m_points = {c1, horizontal ? POINT{c1.x + length, c1.y} : POINT{c1.x, c1.y + length}};
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
