#include "wifi_measure/StillMeasureView.h"

#include "wifi_measure/MeasureItem.h"
#include "wifi_measure/StillDrawing.h"
#include "wifi_measure/WifiCalibrationDlg.h"

#include "measure/Geometry.h"
#include "measure/MeasureSettings.h"
#include "measure/PictureSave.h"
#include "measure/ShapePainter.h"
#include "measure/Units.h"
#include "measure/ViewScrolling.h"

#include "imaging/DibImage.h"
#include "platform/win/controls/CommCtrl.h"
#include "res/WavenorResource.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

namespace {
constexpr COLORREF kBackground = 0x808080;
constexpr int kCrossHalf = 2;

void Segment(HDC dc, POINT a, POINT b) {
    MoveToEx(dc, a.x, a.y, nullptr);
    LineTo(dc, b.x, b.y);
}

// What the rubber band between the shape's current start and the mouse shows.
enum class BandFigure { None, Segment, RadiusCircle, DiameterCircle };

// The shapes whose band starts at the last press: the figure, and the numbers of presses taken
// (bit n for n presses) at which it shows.
struct BandRule {
    ShapeKind shape;
    unsigned atPresses;
    BandFigure figure;
};
constexpr unsigned Presses(std::initializer_list<int> counts) {
    unsigned bits = 0;
    for (const int n : counts)
        bits |= 1u << n;
    return bits;
}
constexpr BandRule kBandRules[] = {
    {LIVE_LINE, Presses({1}), BandFigure::Segment},
    {LIVE_DOT_LINE, Presses({1}), BandFigure::Segment},
    {LIVE_ANGLE, Presses({0, 1, 2}), BandFigure::Segment},
    {LIVE_FOUR_POINT_ANGLE, Presses({1, 3}), BandFigure::Segment},
    {LIVE_RADIUS_CIRCLE, Presses({1}), BandFigure::RadiusCircle},
    {LIVE_DIAMETER_CIRCLE, Presses({1}), BandFigure::DiameterCircle},
};

// The band of the session's shape now and the stored point it starts at; None when the shape
// shows no band at this press.
BandFigure BandOf(const MeasureSession& session, POINT& start) {
    const ShapeKind shape = session.Shape();
    const int next = session.Next();
    if (shape == LIVE_CONTINUAL_LINE || shape == LIVE_POLYGON) {
        // From the last vertex: the fold line's is before its label place once it has one.
        MeasureStore::Lock lock(StillItemStore());
        const std::vector<POINT>& d = lock.Draft().m_points;
        if (d.empty())
            return BandFigure::None;
        start = shape == LIVE_CONTINUAL_LINE && d.size() > 1 ? d[d.size() - 2] : d.back();
        return BandFigure::Segment;
    }
    for (const BandRule& rule : kBandRules) {
        if (rule.shape != shape)
            continue;
        if (next < 0 || next >= 32 || !((rule.atPresses >> next) & 1u))
            return BandFigure::None;
        start = session.Click(next - 1);
        return rule.figure;
    }
    return BandFigure::None;
}

// The band's figure from client point a to b: the segment, with the circle around a (radius
// circle) or through a and b (diameter circle).
void DrawBandFigure(HDC h, BandFigure figure, POINT a, POINT b) {
    if (figure == BandFigure::RadiusCircle || figure == BandFigure::DiameterCircle) {
        int r = static_cast<int>(Distance(a, b) + 0.5);
        POINT c = a;
        if (figure == BandFigure::DiameterCircle) {
            c = POINT{(a.x + b.x) / 2, (a.y + b.y) / 2};
            r /= 2;
        }
        Ellipse(h, c.x - r, c.y - r, c.x + r, c.y + r);
    }
    Segment(h, a, b);
}

} // namespace

CStillMeasureView::CStillMeasureView(CWnd* parent)
    : CDialog(IDD_STILL_VIEW, parent),
      m_session(StillItemStore(), KindCodes::Still, StillSessionRules(m_itemCount)) {}

CStillMeasureView::~CStillMeasureView() = default;

BEGIN_MESSAGE_MAP(CStillMeasureView, CDialog)
ON_WM_PAINT()
ON_WM_ERASEBKGND()
ON_WM_HSCROLL()
ON_WM_VSCROLL()
ON_WM_DESTROY()
ON_WM_LBUTTONDOWN()
ON_WM_MOUSEMOVE()
ON_WM_LBUTTONDBLCLK()
ON_WM_RBUTTONDOWN()
END_MESSAGE_MAP()

BOOL CStillMeasureView::OnInitDialog() {
    CDialog::OnInitDialog();
    if (const DWORD type = StillPictureType(m_imagePath)) {
        m_image = std::make_unique<CDibImage>(m_imagePath.GetString(), type);
        if (!m_image->IsValid() || m_image->GetWidth() == 0 || m_image->GetHeight() == 0)
            m_image.reset();
    }
    if (m_image) {
        m_imageWidth = static_cast<int>(m_image->GetWidth());
        m_imageHeight = static_cast<int>(m_image->GetHeight());
        const StillViewSpace space = Space();
        m_displayWidth = space.displayWidth;
        m_displayHeight = space.displayHeight;
        m_prevImage = std::make_unique<CDibImage>(*m_image);
        m_origImage = std::make_unique<CDibImage>(*m_image);
        if (m_viewMode == STILL_VIEW_ACTUAL) {
            m_scrollX = 0;
            m_scrollY = 0;
            SetScrollPos(SB_HORZ, 0, TRUE);
            SetScrollPos(SB_VERT, 0, TRUE);
            UpdateScrollBars();
        }
    }

    const bool fitted = m_viewMode != STILL_VIEW_ACTUAL;
    m_surface.Create(*this, m_image != nullptr, fitted ? m_displayWidth : m_imageWidth,
                     fitted ? m_displayHeight : m_imageHeight);
    return TRUE;
}

StillViewSpace CStillMeasureView::Space() const {
    return StillViewSpaceOf(m_imageWidth, m_imageHeight, m_viewMode);
}

BOOL CStillMeasureView::PreTranslateMessage(MSG* msg) {
    // Only Esc as a key: a mouse message whose wParam happens to be 27 goes on.
    const bool key =
        msg->message == WM_KEYDOWN || msg->message == WM_KEYUP || msg->message == WM_CHAR;
    if (key && msg->wParam == VK_ESCAPE)
        return TRUE;
    if (msg->message == WM_APP_REDRAW_STILL && msg->hwnd == m_hWnd)
        Invalidate(FALSE);
    return CDialog::PreTranslateMessage(msg);
}

void CStillMeasureView::UpdateScrollBars() {
    SetViewScrollRanges(*this, CanvasScrollRanges(m_imageWidth, m_imageHeight, m_pageWidth,
                                                  m_pageHeight, GetSystemMetrics(SM_CXVSCROLL),
                                                  GetSystemMetrics(SM_CYHSCROLL)));
}

void CStillMeasureView::Scroll(int bar, UINT code) {
    // A page is the client's height for both bars.
    CRect client;
    GetClientRect(&client);
    int& position = bar == SB_HORZ ? m_scrollX : m_scrollY;
    position = ScrollViewBar(*this, bar, code, client.Height());
    Invalidate(FALSE);
}

void CStillMeasureView::OnHScroll(UINT code, UINT pos, CScrollBar* bar) {
    Scroll(SB_HORZ, code);
    CDialog::OnHScroll(code, pos, bar);
}

void CStillMeasureView::OnVScroll(UINT code, UINT pos, CScrollBar* bar) {
    Scroll(SB_VERT, code);
    CDialog::OnVScroll(code, pos, bar);
}

BOOL CStillMeasureView::OnEraseBkgnd(CDC* dc) {
    FillViewBackground(*dc, kBackground);
    return TRUE;
}

void CStillMeasureView::OnPaint() {
    CPaintDC dc(this);
    if (!m_image || !m_surface.Ready())
        return;
    CDC& memory = m_surface.Dc();
    const bool fitted = m_viewMode != STILL_VIEW_ACTUAL;
    m_image->StretchToDC(memory, -m_scrollX, -m_scrollY, fitted ? m_displayWidth : m_imageWidth,
                         fitted ? m_displayHeight : m_imageHeight, SRCCOPY);
    DrawMeasurements(&memory, m_scrollX, m_scrollY, 1.0, 1.0);
    // The fitted view shows the top 640 x 480 of its display, also of a 640 x 512 one.
    dc.BitBlt(0, 0, fitted ? 640 : m_imageWidth, fitted ? 480 : m_imageHeight, &memory, 0, 0,
              SRCCOPY);
}

void CStillMeasureView::DrawMeasurements(CDC* dc, int xOffset, int yOffset, double xScale,
                                         double yScale) {
    if (!dc || !dc->GetSafeHdc())
        return;
    // The fold line being drawn belongs to the screen only, never to a saved picture.
    if (dc == &m_surface.Dc())
        DrawFoldInProgress(dc);
    const ShapeMapping mapping{xScale != 1.0 || yScale != 1.0, xOffset, yOffset, xScale, yScale};
    MeasureStore::Lock lock(StillItemStore());
    for (const auto& item : lock.Shapes())
        DrawStillItem(dc->GetSafeHdc(), *item, mapping, g_decimalPlaces, g_unitName);
}

void CStillMeasureView::DrawFoldInProgress(CDC* dc) {
    if (m_session.Shape() != LIVE_CONTINUAL_LINE)
        return;
    CMeasureRecord fold;
    {
        MeasureStore::Lock lock(StillItemStore());
        fold.m_points = lock.Draft().m_points;
        fold.m_labels = lock.Draft().m_labels;
    }
    const size_t n = fold.m_points.size();
    if (n < 2)
        return;
    fold.m_penStyle = g_lineType;
    fold.m_penWidth = g_lineWidth;
    fold.m_lineColor = fold.m_labelColor = g_lineColor;
    ShapeMapping screen;
    screen.scrollX = m_scrollX;
    screen.scrollY = m_scrollY;
    const ShapePainter p(dc->GetSafeHdc(), fold, screen);
    {
        ScopedGdiObject pen(dc->GetSafeHdc(),
                            CreatePen(fold.m_penStyle, fold.m_penWidth, fold.m_lineColor));
        p.ContinuousLine();
    }
    for (size_t j = 2; j < n; j += 2)
        p.Labels(p.P(j), j / 2 - 1, 1);
}

// ---- Measuring ----

MeasureContext CStillMeasureView::Context() const {
    MeasureContext x;
    // Lengths are measured in the fitted display's pixels in both modes.
    const StillViewSpace space = Space();
    x.unitScale = StillPixelScale() * std::sqrt(space.toFittedX * space.toFittedY);
    x.magnification = g_zoomScale;
    x.unit = g_unitName;
    x.decimals = g_decimalPlaces;
    x.calibrating = g_stillCalibrating == 1;
    x.pen.width = g_lineWidth;
    x.pen.style = g_lineType;
    x.pen.lineColor = g_lineColor;
    x.pen.labelColor = g_lineColor;
    const bool fold = m_session.Shape() == LIVE_CONTINUAL_LINE ||
                      (m_session.Shape() == SHAPE_NONE && m_session.Tool() == LIVE_CONTINUAL_LINE);
    if (fold) {
        // The fold line's segment texts are plain numbers: three decimals, no unit.
        x.decimals = kFoldDecimals;
        x.unit = u"";
    }
    return x;
}

CRect CStillMeasureView::PictureRect() const {
    CRect client;
    GetClientRect(&client);
    const bool fitted = m_viewMode != STILL_VIEW_ACTUAL;
    const int width = fitted ? std::min(m_displayWidth, 640) : m_imageWidth - m_scrollX;
    const int height = fitted ? std::min(m_displayHeight, 480) : m_imageHeight - m_scrollY;
    client.right = std::min<LONG>(client.right, client.left + width);
    client.bottom = std::min<LONG>(client.bottom, client.top + height);
    return client;
}

void CStillMeasureView::HoldMouse() {
    SetCapture();
    CRect area = PictureRect();
    ClientToScreen(&area);
    ::ClipCursor(&area);
    m_holding = true;
}

void CStillMeasureView::FreeMouse() {
    if (!m_holding)
        return;
    m_holding = false;
    ::ReleaseCapture();
    ::ClipCursor(nullptr);
}

void CStillMeasureView::CancelTool() {
    m_session.Reset();
    StillItemStore().EmptyDraft();
    g_stillTool = STILL_NONE;
    m_bandDrawn = false;
    FreeMouse();
    if (m_hWnd)
        Invalidate(FALSE);
}

void CStillMeasureView::MarkPress(POINT stored) {
    const ShapeKind shape = m_session.Shape();
    const int next = m_session.Next();
    CClientDC dc(this);
    const HDC h = dc.GetSafeHdc();
    const POINT p = Client(stored);
    ScopedPen pen(h, g_lineType, g_lineWidth, g_lineColor, R2_COPYPEN);
    switch (shape) {
    case LIVE_THREE_POINT_CIRCLE:
    case LIVE_ARC:
        if (next <= 2) {
            Segment(h, POINT{p.x - kCrossHalf, p.y}, POINT{p.x + kCrossHalf, p.y});
            Segment(h, POINT{p.x, p.y - kCrossHalf}, POINT{p.x, p.y + kCrossHalf});
        }
        break;
    case LIVE_ANGLE:
        if (next == 2)
            Segment(h, Client(m_session.Click(0)), p);
        break;
    case LIVE_FOUR_POINT_ANGLE:
        if (next == 2) {
            ScopedPen solid(h, PS_SOLID, g_lineWidth, g_lineColor, R2_COPYPEN);
            Segment(h, Client(m_session.Click(0)), p);
        }
        break;
    case LIVE_POLYGON: {
        std::vector<POINT> vertices;
        {
            MeasureStore::Lock lock(StillItemStore());
            vertices = lock.Draft().m_points;
        }
        if (vertices.size() >= 2)
            Segment(h, Client(vertices[vertices.size() - 2]), p);
        break;
    }
    default:
        break;
    }
}

void CStillMeasureView::DrawBand(POINT to) {
    POINT start{};
    const BandFigure figure = BandOf(m_session, start);
    if (figure == BandFigure::None)
        return;
    CClientDC dc(this);
    const HDC h = dc.GetSafeHdc();
    ScopedPen pen(h, g_lineType, g_lineWidth, g_lineColor, R2_NOTXORPEN);
    if (m_bandDrawn)
        DrawBandFigure(h, figure, Client(start), Client(m_bandTo)); // takes the old band away
    DrawBandFigure(h, figure, Client(start), Client(to));
    m_bandTo = to;
    m_bandDrawn = true;
}

void CStillMeasureView::OnLButtonDown(UINT flags, CPoint point) {
    if (!m_image) {
        CDialog::OnLButtonDown(flags, point);
        return;
    }
    m_session.Choose(ShapeOfStillTool(g_stillTool));
    // A press that would start a shape (or the second line of the four-point angle) counts
    // only on the picture.
    const bool starts =
        m_session.Shape() == SHAPE_NONE || (m_session.NextIsFirst() && !m_session.LabelsOnly());
    if (starts) {
        if (!PictureRect().PtInRect(point))
            return;
        if (m_session.Tool() == SHAPE_NONE) {
            CDialog::OnLButtonDown(flags, point);
            return;
        }
    }
    const POINT p = Stored(point);
    const PressOutcome out = m_session.Press(p, Context());
    switch (out.result) {
    case PressResult::Started:
        if (!m_holding)
            HoldMouse();
        m_bandDrawn = false;
        MarkPress(p);
        break;
    case PressResult::Took:
        m_bandDrawn = false;
        MarkPress(p);
        if (m_session.Shape() == LIVE_CONTINUAL_LINE && m_session.Next() % 2 == 1)
            Invalidate(FALSE); // a fold label was placed
        break;
    case PressResult::LabelsOnly:
        m_bandDrawn = false;
        Invalidate(m_session.Shape() == LIVE_LINE);
        break;
    case PressResult::Calibrate:
        m_bandDrawn = false;
        Invalidate(TRUE);
        RunCalibration();
        break;
    case PressResult::Completed:
        m_bandDrawn = false;
        FreeMouse();
        Invalidate(FALSE);
        break;
    default:
        break; // refused: the shape keeps its clicks
    }
    CDialog::OnLButtonDown(flags, point);
}

void CStillMeasureView::OnMouseMove(UINT flags, CPoint point) {
    CDialog::OnMouseMove(flags, point);
    if (!m_image)
        return;
    m_session.Choose(ShapeOfStillTool(g_stillTool));
    const ShapeKind shape = m_session.Shape();
    if (shape == SHAPE_NONE || shape != m_session.Tool())
        return;
    const POINT p = Stored(point);
    const bool foldLabel = shape == LIVE_CONTINUAL_LINE && m_session.Next() % 2 == 0;
    if (m_session.LabelsOnly() || foldLabel) {
        if (m_session.Move(p).changed)
            Invalidate(FALSE);
        return;
    }
    DrawBand(p);
    m_session.Move(p);
}

void CStillMeasureView::OnLButtonDblClk(UINT flags, CPoint point) {
    if (!m_image) {
        CDialog::OnLButtonDblClk(flags, point);
        return;
    }
    const PressOutcome out = m_session.DoubleClick(Context());
    if (out.result == PressResult::Completed) {
        m_bandDrawn = false;
        FreeMouse();
        Invalidate(FALSE);
        return;
    }
    if (out.result == PressResult::LabelsOnly) {
        m_bandDrawn = false;
        Invalidate(FALSE);
        return;
    }
    CDialog::OnLButtonDblClk(flags, point);
}

void CStillMeasureView::OnRButtonDown(UINT flags, CPoint point) {
    CancelTool();
    CDialog::OnRButtonDown(flags, point);
}

namespace {

// `made` while it is still in the list and a line; null otherwise.
CMeasureRecord* MadeLine(const MeasureStore::Lock& lock, const CMeasureRecord* made) {
    for (const auto& item : lock.Shapes())
        if (item.get() == made && item->m_kind == STILL_LINE)
            return item.get();
    return nullptr;
}

} // namespace

void CStillMeasureView::RunCalibration() {
    // The dialog must be reachable: the cursor is free while it runs and held again after.
    const bool held = m_holding;
    FreeMouse();
    // The line just made, known by identity: the list may change while the dialog runs.
    const CMeasureRecord* made = nullptr;
    {
        MeasureStore::Lock lock(StillItemStore());
        made = lock.Shapes().GetAt(lock.Shapes().GetSize() - 1);
    }
    EnableWindow(FALSE);
    CWifiCalibrationDlg dialog;
    const bool accepted = dialog.DoModal() == IDOK;
    EnableWindow(TRUE);

    POINT a{}, b{};
    {
        MeasureStore::Lock lock(StillItemStore());
        const CMeasureRecord* line = MadeLine(lock, made);
        if (line && line->m_points.size() >= 2) {
            a = line->m_points[0];
            b = line->m_points[1];
        }
    }
    const double pixels = FittedDistance(Space(), a, b);
    const double scale = StillPixelScale();
    if (accepted) {
        const double zoom = CalibratedZoomOf(pixels, scale, g_actualDistance);
        if (zoom > 0.0) {
            g_calibratedZoom = zoom;
            if (HWND parent = ::GetParent(m_hWnd))
                ::PostMessage(parent, WM_APP_STORE_CALIBRATION, 0, 0);
        }
    }
    g_stillCalibrating = 0;
    const CString label = CalibrationLineLabel(pixels, scale, g_calibratedZoom, g_zoomScale);
    {
        MeasureStore::Lock lock(StillItemStore());
        CMeasureRecord* line = MadeLine(lock, made);
        if (line && !line->m_labels.empty())
            line->m_labels[0] = label;
    }
    m_session.SetFirstLabel(label);
    if (held && m_session.Shape() != SHAPE_NONE)
        HoldMouse();
    Invalidate(TRUE);
}

int CStillMeasureView::SaveWithMeasurements(const CString& path) {
    const DWORD type = StillPictureType(path);
    if (!m_image || type == 0)
        return 0;
    // Stored points are display positions in the fitted view: the picture gets them scaled by
    // picture size / display size per axis (2.0 for a 1280 x 1024 frame).
    const StillViewSpace space = Space();
    return SavePictureWithShapes(
        *this, *m_image, m_imageWidth, m_imageHeight, path, type,
        [&](CDC& memory) { DrawMeasurements(&memory, 0, 0, space.toPictureX, space.toPictureY); });
}

void CStillMeasureView::OnDestroy() {
    CancelTool();
    // Both lists belong to this frozen frame: what undo took back here must not come back on
    // the next one.
    DeleteAllStillItems();
    CDialog::OnDestroy();
    m_image.reset();
    m_prevImage.reset();
    m_origImage.reset();
    m_surface.Release();
}
