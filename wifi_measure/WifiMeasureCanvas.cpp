#include "wifi_measure/WifiMeasureCanvas.h"

#include "wifi_measure/MeasureItem.h"
#include "wifi_measure/StillTools.h"
#include "wifi_measure/StillViewSpace.h"
#include "wifi_measure/WifiCalibrationDlg.h"

#include "kit/LangText.h"
#include "measure/Geometry.h"
#include "measure/MeasureSettings.h"
#include "measure/PictureSave.h"
#include "measure/Units.h"
#include "measure/ViewScrolling.h"

#include "imaging/DibImage.h"
#include "platform/win/gdi/Gdi.h"
#include "res/WavenorResource.h"

#include <algorithm>
#include <cmath>

int g_canvasCalibrating = 0;
int g_canvasViewMode = 1;

namespace {

constexpr COLORREF kBackground = 0x808080;
constexpr COLORREF kMoveOutline = 0x7B7D94;

void Say(LPCWSTR key, LPCWSTR text) {
    AfxMessageBox(LangString(key, text, 128).c_str(), MB_OK);
}

bool Ask(LPCWSTR key, LPCWSTR text) {
    return AfxMessageBox(LangString(key, text, 128).c_str(), MB_YESNO) == IDYES;
}

void DraftLine(HDC h, POINT a, POINT b) {
    MoveToEx(h, a.x, a.y, nullptr);
    LineTo(h, b.x, b.y);
}

// The continuous line's segments so far with their labels, as the finished line shows them.
void DrawDraftFold(HDC h, const std::vector<POINT>& pts, const std::vector<CString>& labels) {
    CMeasureRecord draft;
    draft.m_kind = TOOL_CONTINUOUS_LINE;
    draft.m_points = pts;
    draft.m_labels = labels;
    draft.m_penWidth = g_lineWidth;
    draft.m_penStyle = g_lineType;
    draft.m_lineColor = g_lineColor;
    draft.m_labelColor = g_lineColor;
    CanvasPaint paint;
    paint.decimals = g_decimalPlaces;
    paint.unit = g_unitName;
    PaintCanvasItem(h, draft, paint);
}

// What a shape in progress has so far, from its draft points (client coordinates, at least
// one) with the DC's pen; gives the point the rubber line to the mouse starts from.
POINT DrawDraftFigure(HDC h, ShapeKind shape, const std::vector<POINT>& pts,
                      const std::vector<CString>& labels) {
    const size_t n = pts.size();
    switch (shape) {
    case LIVE_LINE:
        if (n >= 2)
            DraftLine(h, pts[0], pts[1]);
        break;
    case LIVE_RECTANGLE:
        if (n >= 2)
            Rectangle(h, pts[0].x, pts[0].y, pts[1].x, pts[1].y);
        break;
    case LIVE_RADIUS_CIRCLE:
    case LIVE_DIAMETER_CIRCLE:
        if (n >= 2) {
            const bool radius = shape == LIVE_RADIUS_CIRCLE;
            const POINT c =
                radius ? pts[0] : POINT{(pts[0].x + pts[1].x) / 2, (pts[0].y + pts[1].y) / 2};
            int r = static_cast<int>(Distance(pts[0], pts[1]));
            if (!radius)
                r /= 2;
            Ellipse(h, c.x - r, c.y - r, c.x + r, c.y + r);
            DraftLine(h, pts[0], pts[1]);
        }
        break;
    case LIVE_THREE_POINT_CIRCLE:
        for (const POINT& p : pts) {
            DraftLine(h, POINT{p.x - 6, p.y}, POINT{p.x + 6, p.y});
            DraftLine(h, POINT{p.x, p.y + 6}, POINT{p.x, p.y - 6});
        }
        break;
    case LIVE_FOUR_POINT_ANGLE:
        for (size_t i = 0; i + 1 < n; i += 2)
            DraftLine(h, pts[i], pts[i + 1]);
        break;
    case LIVE_CONTINUAL_LINE:
        DrawDraftFold(h, pts, labels);
        return n >= 3 ? pts[n - 2] : pts[0];
    default: // angle and polygon: the edges so far
        for (size_t i = 0; i + 1 < n; ++i)
            DraftLine(h, pts[i], pts[i + 1]);
        break;
    }
    return pts.back();
}

SessionRules WifiCanvasRules() {
    SessionRules rules;
    // A continual line ends once it has a segment, whose label then stays at its end.
    rules.continualEndsAt = 2;
    return rules;
}

} // namespace

CWifiMeasureCanvas::CWifiMeasureCanvas(CWnd* parent)
    : CDialog(IDD_WIFI_MEASURE_CANVAS, parent),
      m_session(CanvasItemStore(), KindCodes::WifiCanvas, WifiCanvasRules()) {}

CWifiMeasureCanvas::~CWifiMeasureCanvas() = default;

BEGIN_MESSAGE_MAP(CWifiMeasureCanvas, CDialog)
ON_WM_PAINT()
ON_WM_ERASEBKGND()
ON_WM_HSCROLL()
ON_WM_VSCROLL()
ON_WM_DESTROY()
ON_WM_LBUTTONDOWN()
ON_WM_LBUTTONDBLCLK()
ON_WM_RBUTTONDOWN()
ON_WM_MOUSEMOVE()
END_MESSAGE_MAP()

double CWifiMeasureCanvas::UnitPerMicron() {
    return ::UnitPerMicron();
}

double CWifiMeasureCanvas::UnitScale() {
    return StillPixelScale();
}

BOOL CWifiMeasureCanvas::OnInitDialog() {
    CDialog::OnInitDialog();
    m_viewMode = g_canvasViewMode == 2 ? 2 : 1;
    if (const DWORD type = StillPictureType(m_picturePath)) {
        m_image = std::make_unique<CDibImage>(m_picturePath.GetString(), type);
        if (!m_image->IsValid() || m_image->GetWidth() == 0 || m_image->GetHeight() == 0) {
            m_image.reset();
            Say(u"OpenFileFail", u"Can not Open file");
            return FALSE;
        }
    }
    if (m_image) {
        m_imageWidth = static_cast<int>(m_image->GetWidth());
        m_imageHeight = static_cast<int>(m_image->GetHeight());
        if (m_viewMode == 2) {
            m_scrollX = 0;
            m_scrollY = 0;
            UpdateScrollBars();
        }
    }
    const SIZE shown = ShownSize();
    m_surface.Create(*this, m_image != nullptr, shown.cx, shown.cy);
    return TRUE;
}

CanvasSpace CWifiMeasureCanvas::Space() const {
    return CanvasSpaceOf(m_imageWidth, m_imageHeight, m_viewMode);
}

SIZE CWifiMeasureCanvas::ShownSize() const {
    if (m_viewMode != 1)
        return SIZE{m_imageWidth, m_imageHeight};
    const CanvasSpace space = Space();
    return SIZE{space.displayWidth, space.displayHeight};
}

MeasureContext CWifiMeasureCanvas::Context() const {
    MeasureContext x;
    x.unitScale = StillPixelScale() * Space().toFitted;
    x.magnification = g_zoomScale;
    x.unit = g_unitName;
    x.decimals = g_decimalPlaces;
    x.pen = WifiCanvasPen();
    return x;
}

POINT CWifiMeasureCanvas::ToStored(POINT c) const {
    return POINT{static_cast<LONG>(c.x / m_zoom + m_scrollX),
                 static_cast<LONG>(c.y / m_zoom + m_scrollY)};
}

POINT CWifiMeasureCanvas::ToClient(POINT p) const {
    return POINT{static_cast<LONG>((p.x - m_scrollX) * m_zoom),
                 static_cast<LONG>((p.y - m_scrollY) * m_zoom)};
}

BOOL CWifiMeasureCanvas::PreTranslateMessage(MSG* msg) {
    const bool key =
        msg->message == WM_KEYDOWN || msg->message == WM_KEYUP || msg->message == WM_CHAR;
    if (key && msg->wParam == VK_ESCAPE)
        return TRUE;
    return CDialog::PreTranslateMessage(msg);
}

// ---- Picture and view ----

void CWifiMeasureCanvas::UpdateScrollBars() {
    if (!m_image)
        return;
    CRect client;
    GetClientRect(&client);
    SetViewScrollRanges(*this,
                        CanvasScrollRanges(static_cast<int>(m_imageWidth * m_zoom),
                                           static_cast<int>(m_imageHeight * m_zoom), client.Width(),
                                           client.Height(), GetSystemMetrics(SM_CXVSCROLL),
                                           GetSystemMetrics(SM_CYHSCROLL)));
}

void CWifiMeasureCanvas::Scroll(int bar, UINT code) {
    // A page is the client's height for both bars.
    CRect client;
    GetClientRect(&client);
    const int position = ScrollViewBar(*this, bar, code, client.Height());
    (bar == SB_HORZ ? m_scrollX : m_scrollY) = static_cast<int>(position / m_zoom);
    Invalidate(FALSE);
}

void CWifiMeasureCanvas::OnHScroll(UINT code, UINT pos, CScrollBar* bar) {
    if (m_viewMode == 2)
        Scroll(SB_HORZ, code);
    CDialog::OnHScroll(code, pos, bar);
}

void CWifiMeasureCanvas::OnVScroll(UINT code, UINT pos, CScrollBar* bar) {
    if (m_viewMode == 2)
        Scroll(SB_VERT, code);
    CDialog::OnVScroll(code, pos, bar);
}

BOOL CWifiMeasureCanvas::OnEraseBkgnd(CDC* dc) {
    FillViewBackground(*dc, kBackground);
    return TRUE;
}

void CWifiMeasureCanvas::OnPaint() {
    CPaintDC dc(this);
    if (!m_image || !m_surface.Ready())
        return;
    CDC& memory = m_surface.Dc();
    const SIZE shown = ShownSize();
    const int width = shown.cx;
    const int height = shown.cy;
    m_image->StretchToDC(memory, -m_scrollX, -m_scrollY, width, height, SRCCOPY);
    CanvasPaint paint;
    paint.mapping.scrollX = m_scrollX;
    paint.mapping.scrollY = m_scrollY;
    CRect client;
    GetClientRect(&client);
    paint.textRight = client.Width();
    paint.textBottom = client.Height();
    PaintItems(memory.GetSafeHdc(), paint);
    PaintDraft(memory);
    PaintMoveOutline(memory);
    dc.BitBlt(0, 0, static_cast<int>(width * m_zoom), static_cast<int>(height * m_zoom), &memory, 0,
              0, SRCCOPY);
}

void CWifiMeasureCanvas::PaintItems(HDC dc, CanvasPaint paint) const {
    paint.decimals = g_decimalPlaces;
    paint.unit = g_unitName;
    MeasureStore::Lock lock(CanvasItemStore());
    for (const auto& item : lock.Shapes())
        PaintCanvasItem(dc, *item, paint);
}

// The shape whose presses are not all taken: what it has so far, and the rubber line from its
// last point to the mouse.
void CWifiMeasureCanvas::PaintDraft(CDC& dc) {
    const ShapeKind shape = m_session.Shape();
    if (shape == SHAPE_NONE)
        return;
    std::vector<POINT> pts;
    std::vector<CString> labels;
    {
        MeasureStore::Lock lock(CanvasItemStore());
        pts = lock.Draft().m_points;
        labels = lock.Draft().m_labels;
    }
    if (pts.empty())
        return;
    for (POINT& p : pts)
        p = POINT{p.x - m_scrollX, p.y - m_scrollY};
    const HDC h = dc.GetSafeHdc();
    ScopedGdiObject pen(h, CreatePen(g_lineType, g_lineWidth, g_lineColor));
    SelectObject(h, GetStockObject(NULL_BRUSH));
    const POINT rubberFrom = DrawDraftFigure(h, shape, pts, labels);
    AtomicRubberLine& rubber = CanvasItemStore().Rubber();
    if (rubber.active.load()) {
        const POINT to = rubber.point.load();
        DraftLine(h, rubberFrom, POINT{to.x - m_scrollX, to.y - m_scrollY});
    }
}

void CWifiMeasureCanvas::PaintMoveOutline(CDC& dc) {
    if (!m_moving || !m_moveRule)
        return;
    const HDC h = dc.GetSafeHdc();
    ScopedGdiObject pen(h, CreatePen(PS_SOLID, 1, kMoveOutline));
    SelectObject(h, GetStockObject(NULL_BRUSH));
    // The handles are client points; the memory context is drawn at zoom 1.
    std::vector<POINT> handles = m_moveHandles;
    for (POINT& p : handles)
        p = POINT{static_cast<LONG>(p.x / m_zoom), static_cast<LONG>(p.y / m_zoom)};
    DrawMoveOutline(h, *m_moveRule, handles, 0.0);
}

void CWifiMeasureCanvas::OnDestroy() {
    FreeMouse();
    CDialog::OnDestroy();
    // The canvas's items, and whatever its session had in progress, go with it.
    m_session.Reset();
    CanvasItemStore().DeleteAll();
    m_image.reset();
    m_surface.Release();
}

// ---- Tools ----

void CWifiMeasureCanvas::SetToolMode(int mode) {
    m_toolMode = mode;
    DeselectAll();
}

void CWifiMeasureCanvas::DeselectAll() {
    {
        MeasureStore::Lock lock(CanvasItemStore());
        for (const auto& item : lock.Shapes())
            item->m_selected = 0;
    }
    m_firstSelected = -1;
    m_secondSelected = -1;
    if (m_hWnd)
        Invalidate(FALSE);
}

BOOL CWifiMeasureCanvas::HasItems() const {
    MeasureStore::Lock lock(CanvasItemStore());
    return lock.Shapes().IsEmpty() ? FALSE : TRUE;
}

bool CWifiMeasureCanvas::InPicture(POINT c) const {
    if (!m_image)
        return false;
    CRect client;
    GetClientRect(&client);
    const SIZE shown = ShownSize();
    const int w = shown.cx;
    const int h = shown.cy;
    return c.x >= 0 && c.y >= 0 &&
           c.x < std::min<int>(client.Width(), static_cast<int>(w * m_zoom)) &&
           c.y < std::min<int>(client.Height(), static_cast<int>(h * m_zoom));
}

void CWifiMeasureCanvas::HoldMouse(POINT c, bool square) {
    SetCapture();
    m_holding = true;
    CRect client;
    GetClientRect(&client);
    const SIZE shown = ShownSize();
    const int w = shown.cx;
    const int h = shown.cy;
    RECT area{0, 0, std::min<LONG>(client.Width(), static_cast<LONG>(w * m_zoom)),
              std::min<LONG>(client.Height(), static_cast<LONG>(h * m_zoom))};
    if (square) {
        const LONG half = std::max<LONG>(
            0, std::min({c.x - area.left, area.right - c.x, c.y - area.top, area.bottom - c.y}));
        area = RECT{c.x - half, c.y - half, c.x + half, c.y + half};
    }
    POINT tl{area.left, area.top}, br{area.right, area.bottom};
    ::ClientToScreen(m_hWnd, &tl);
    ::ClientToScreen(m_hWnd, &br);
    const RECT screen{tl.x, tl.y, br.x, br.y};
    ClipCursor(&screen);
}

void CWifiMeasureCanvas::FreeMouse() {
    if (!m_holding)
        return;
    m_holding = false;
    ClipCursor(nullptr);
    ReleaseCapture();
}

void CWifiMeasureCanvas::OnLButtonDown(UINT flags, CPoint point) {
    const POINT c{point.x, point.y};
    if (m_moving) {
        Drop(c);
    } else if (m_labelItem >= 0) {
        // The click that places the label ends the tool.
        {
            MeasureStore::Lock lock(CanvasItemStore());
            if (CMeasureRecord* item = lock.Shapes().GetAt(m_labelItem);
                item && !item->m_points.empty())
                item->m_points.back() = ToStored(c);
        }
        m_labelItem = -1;
        m_textPos = c;
        FreeMouse();
        Invalidate(FALSE);
    } else if (m_session.Shape() != SHAPE_NONE) {
        Press(c);
    } else if (InPicture(c)) {
        switch (m_tool) {
        case TOOL_SELECT:
            Select(ToStored(c));
            break;
        case TOOL_TEXT:
            // The text being placed stays where this click puts it.
            m_textPos = c;
            m_text.Empty();
            m_textItem = -1;
            Invalidate(FALSE);
            break;
        default:
            if (ShapeOfWifiTool(m_tool) == SHAPE_NONE)
                return;
            m_session.Choose(ShapeOfWifiTool(m_tool));
            Press(c);
            break;
        }
    } else {
        return; // outside the picture nothing at all happens
    }
    CDialog::OnLButtonDown(flags, point);
}

void CWifiMeasureCanvas::Press(POINT c) {
    const MeasureContext ctx = Context();
    const bool first = m_session.Shape() == SHAPE_NONE;
    const PressOutcome outcome = m_session.Press(ToStored(c), ctx);
    switch (outcome.result) {
    case PressResult::Started:
        if (first) {
            const ShapeKind shape = m_session.Shape();
            if (shape == LIVE_LINE || shape == LIVE_RADIUS_CIRCLE || shape == LIVE_RECTANGLE ||
                shape == LIVE_ANGLE)
                DeselectAll();
            {
                MeasureStore::Lock lock(CanvasItemStore());
                lock.Draft().m_kind = StoredKind(shape, KindCodes::WifiCanvas);
            }
            HoldMouse(c, shape == LIVE_RADIUS_CIRCLE);
        }
        Invalidate(FALSE);
        break;
    case PressResult::Took:
        Invalidate(FALSE);
        break;
    case PressResult::LabelsOnly:
    case PressResult::Calibrate:
        ShapeTaken(ctx);
        break;
    default: // refused or ignored: the shape keeps what it had
        break;
    }
}

void CWifiMeasureCanvas::ShapeTaken(const MeasureContext& ctx) {
    const ShapeKind shape = m_session.Shape();
    std::vector<POINT> presses;
    std::vector<CString> labels;
    {
        MeasureStore::Lock lock(CanvasItemStore());
        labels = lock.Draft().m_labels;
        if (shape == LIVE_POLYGON || shape == LIVE_CONTINUAL_LINE)
            presses = lock.Draft().m_points;
    }
    if (presses.empty())
        for (int i = 0; i < m_session.Next(); ++i)
            presses.push_back(m_session.Click(i));
    auto item = std::make_unique<CMeasureItem>();
    const bool made = MakeCanvasItem(shape, presses, labels, ctx, *item);
    m_session.End();
    CanvasItemStore().EmptyDraft();
    if (!made) {
        FreeMouse();
        Invalidate(FALSE);
        return;
    }
    {
        MeasureStore::Lock lock(CanvasItemStore());
        m_labelItem = lock.Shapes().Add(std::move(item));
    }
    if (shape == LIVE_LINE && g_canvasCalibrating == 1)
        Calibrate(m_labelItem, ctx);
    Invalidate(FALSE);
}

void CWifiMeasureCanvas::Calibrate(int index, const MeasureContext& ctx) {
    double pixels = 0.0;
    {
        MeasureStore::Lock lock(CanvasItemStore());
        CMeasureRecord* line = lock.Shapes().GetAt(index);
        if (!line || line->m_points.size() < 2)
            return;
        pixels = Distance(line->m_points[0], line->m_points[1]);
        line->m_labels = {CString()}; // the label waits for the calibration
    }
    // The cursor is free while the dialog runs, and held again for the label afterwards.
    FreeMouse();
    EnableWindow(FALSE);
    CWifiCalibrationDlg dialog;
    const bool accepted = dialog.DoModal() == IDOK;
    EnableWindow(TRUE);
    const double zoom = accepted ? CalibratedZoomOf(pixels, ctx.unitScale, g_actualDistance) : 0.0;
    if (zoom > 0.0) {
        g_calibratedZoom = zoom;
        if (CWnd* parent = GetParent())
            parent->PostMessage(WM_APP_CANVAS_CALIBRATED, 0, 0);
    }
    g_canvasCalibrating = 0;
    // Before any calibration (one cancelled in a fresh run) the line reads at the current
    // magnification instead of a division by nothing.
    const CString label =
        CalibrationLineLabel(pixels, ctx.unitScale, g_calibratedZoom, g_zoomScale);
    {
        MeasureStore::Lock lock(CanvasItemStore());
        if (CMeasureRecord* line = lock.Shapes().GetAt(index)) {
            line->m_labels = {label};
            line->m_unitsPerPixel = UnitsPerPixel(
                ctx.unitScale, g_calibratedZoom > 0.0 ? g_calibratedZoom : g_zoomScale);
        }
    }
    if (m_hWnd && m_labelItem >= 0) {
        SetCapture();
        m_holding = true;
    }
}

void CWifiMeasureCanvas::OnLButtonDblClk(UINT flags, CPoint point) {
    const ShapeKind shape = m_session.Shape();
    if (shape == LIVE_CONTINUAL_LINE || shape == LIVE_POLYGON) {
        const MeasureContext ctx = Context();
        const PressOutcome outcome = m_session.DoubleClick(ctx);
        if (outcome.result == PressResult::Completed) {
            // The continuous line is finished as it stands: its last label is where the
            // double click's press put it.
            FreeMouse();
            Invalidate(FALSE);
        } else if (outcome.result == PressResult::LabelsOnly) {
            ShapeTaken(ctx);
        }
    }
    CDialog::OnLButtonDblClk(flags, point);
}

void CWifiMeasureCanvas::OnRButtonDown(UINT flags, CPoint point) {
    if (m_moving) {
        m_moving = false;
        Invalidate(FALSE);
    } else if (m_labelItem >= 0 || m_session.Shape() != SHAPE_NONE) {
        // Only the shape in progress goes, with its item when it has one already.
        std::unique_ptr<CMeasureRecord> dropped;
        if (m_labelItem >= 0) {
            MeasureStore::Lock lock(CanvasItemStore());
            dropped = lock.Shapes().RemoveAt(m_labelItem);
        }
        m_labelItem = -1;
        m_session.End();
        CanvasItemStore().EmptyDraft();
        FreeMouse();
        Invalidate(FALSE);
    }
    CDialog::OnRButtonDown(flags, point);
}

void CWifiMeasureCanvas::OnMouseMove(UINT flags, CPoint point) {
    const POINT c{point.x, point.y};
    if (m_moving) {
        if (m_moveRule) {
            MoveHandlesTo(*m_moveRule, m_moveHandles, c);
            Invalidate(FALSE);
        }
    } else if (m_labelItem >= 0) {
        MeasureStore::Lock lock(CanvasItemStore());
        if (CMeasureRecord* item = lock.Shapes().GetAt(m_labelItem);
            item && !item->m_points.empty())
            item->m_points.back() = ToStored(c);
        Invalidate(FALSE);
    } else if (m_tool == TOOL_TEXT && !m_text.IsEmpty() && m_textItem >= 0) {
        m_textPos = c;
        const POINT p = ToStored(c);
        MeasureStore::Lock lock(CanvasItemStore());
        CMeasureRecord* item = lock.Shapes().GetAt(m_textItem);
        if (item && item->m_kind == CANVAS_KIND_TEXT)
            item->m_points = {p, POINT{p.x + 60, p.y + 60}};
        Invalidate(FALSE);
    } else if (m_session.Shape() != SHAPE_NONE) {
        if (m_session.Move(ToStored(c)).changed)
            Invalidate(FALSE);
    }
    CDialog::OnMouseMove(flags, point);
}

void CWifiMeasureCanvas::AddText(CString text) {
    m_text = text;
    DeselectAll();
    if (text.IsEmpty()) {
        Say(u"InputText", u"Please input text!");
        return;
    }
    auto item = std::make_unique<CMeasureItem>();
    item->m_kind = CANVAS_KIND_TEXT;
    item->m_labels = {text};
    item->m_lineColor = g_textColor;
    item->m_labelColor = g_textColor;
    item->m_textColor = g_textColor;
    item->m_textFont = g_textFont;
    const POINT p = ToStored(m_textPos);
    item->m_points = {p, POINT{p.x + 60, p.y + 60}};
    MeasureStore::Lock lock(CanvasItemStore());
    m_textItem = lock.Shapes().Add(std::move(item));
}

// ---- Selection, deleting and moving ----

void CWifiMeasureCanvas::Select(POINT p) {
    bool changed = false;
    {
        MeasureStore::Lock lock(CanvasItemStore());
        changed =
            m_toolMode == 0 ? SelectOne(lock.Shapes(), p) : SelectFourPointAngle(lock.Shapes(), p);
    }
    if (changed)
        Invalidate(FALSE);
}

bool CWifiMeasureCanvas::SelectOne(CMeasureRecordList& items, POINT p) {
    int chosen = -1;
    for (int i = 0; i < items.GetSize(); ++i) {
        const CMeasureRecord& item = *items[i];
        if (item.m_kind == TOOL_FOUR_POINT_ANGLE || !HitsCanvasItem(item, p))
            continue;
        chosen = i;
        // A continuous line or polygon hit lets the search go on: a later one wins.
        if (item.m_kind != TOOL_CONTINUOUS_LINE && item.m_kind != WIFI_KIND_POLYGON)
            break;
    }
    if (chosen < 0)
        return false;
    for (int i = 0; i < items.GetSize(); ++i)
        items[i]->m_selected = i == chosen ? 1 : 0;
    m_firstSelected = -1;
    m_secondSelected = -1;
    return true;
}

bool CWifiMeasureCanvas::SelectFourPointAngle(CMeasureRecordList& items, POINT p) {
    bool changed = false;
    for (int i = 0; i < items.GetSize(); ++i) {
        CMeasureRecord& item = *items[i];
        if (item.m_kind != TOOL_FOUR_POINT_ANGLE || item.m_selected || !HitsFourPointAngle(item, p))
            continue;
        // The third one hit replaces the first of the two selected.
        if (m_firstSelected == -1) {
            m_firstSelected = i;
        } else if (m_secondSelected == -1) {
            m_secondSelected = i;
        } else {
            if (CMeasureRecord* old = items[m_firstSelected])
                old->m_selected = 0;
            m_firstSelected = m_secondSelected;
            m_secondSelected = i;
        }
        item.m_selected = 1;
        changed = true;
    }
    return changed;
}

void CWifiMeasureCanvas::DeleteSelected() {
    std::vector<int> selected;
    {
        MeasureStore::Lock lock(CanvasItemStore());
        for (int i = lock.Shapes().GetSize() - 1; i >= 0; --i)
            if (lock.Shapes()[i]->m_selected)
                selected.push_back(i);
    }
    if (selected.empty())
        Say(u"SelectImage", u"Please select a metafile");
    // From the last to the first, so the indexes still asked about stay valid.
    for (const int index : selected) {
        if (!Ask(u"SureDelete", u"Are you sure to delete?"))
            continue;
        std::unique_ptr<CMeasureRecord> dropped;
        {
            MeasureStore::Lock lock(CanvasItemStore());
            dropped = lock.Shapes().RemoveAt(index);
        }
        // An item deleted while it was being moved ends the move: nothing is dropped later
        // onto whatever takes its place.
        if (dropped && dropped.get() == m_moveItem) {
            m_moving = false;
            m_moveRule = nullptr;
            m_moveItem = nullptr;
        }
    }
    m_firstSelected = -1;
    m_secondSelected = -1;
    m_labelItem = -1;
    m_textItem = -1;
    Invalidate(FALSE);
}

void CWifiMeasureCanvas::MoveSelected() {
    int index = -1;
    const MoveRule* rule = nullptr;
    {
        MeasureStore::Lock lock(CanvasItemStore());
        if (m_toolMode != 0) {
            index = m_firstSelected;
            rule = &FourPointAngleMoveRule();
        } else {
            for (int i = 0; i < lock.Shapes().GetSize() && index < 0; ++i)
                if (lock.Shapes()[i]->m_selected)
                    index = i;
            if (index >= 0)
                rule = MoveRuleOfKind(lock.Shapes()[index]->m_kind);
        }
        m_moveIndex = index;
        if (index >= 0 && rule) {
            const CMeasureRecord* item = lock.Shapes()[index];
            m_moveItem = item;
            m_moveHandles.clear();
            for (const POINT& p : item->m_points)
                m_moveHandles.push_back(ToClient(p));
        }
    }
    if (index < 0) {
        Say(u"SelectImage", u"Please select a metafile");
        return;
    }
    if (!rule)
        return;
    m_moveRule = rule;
    POINT target = MoveAnchorOf(rule->cursorTarget, m_moveHandles);
    ::ClientToScreen(m_hWnd, &target);
    SetCursorPos(target.x, target.y);
    m_moving = true;
}

void CWifiMeasureCanvas::Drop(POINT c) {
    m_moving = false;
    if (m_moveRule)
        MoveHandlesTo(*m_moveRule, m_moveHandles, c);
    {
        MeasureStore::Lock lock(CanvasItemStore());
        CMeasureRecord* item = lock.Shapes().GetAt(m_moveIndex);
        // An item deleted or replaced since the move began is left alone.
        if (item && item == m_moveItem && item->m_points.size() == m_moveHandles.size())
            for (size_t i = 0; i < m_moveHandles.size(); ++i)
                item->m_points[i] = ToStored(m_moveHandles[i]);
    }
    m_moveRule = nullptr;
    m_moveItem = nullptr;
    Invalidate(FALSE);
}

// ---- Saving ----

int CWifiMeasureCanvas::SaveWithMeasurements(CString path) {
    const DWORD type = StillPictureType(path);
    if (!m_image || type == 0)
        return 0;
    // Stored points of the fitted display land on the picture by picture size / display size
    // per axis, for every picture size; at actual size they are picture pixels already.
    const CanvasSpace space = Space();
    CanvasPaint paint;
    paint.mapping = ShapeMapping{true, 0, 0, space.toPictureX, space.toPictureY};
    paint.selectedColor = 0x0000FF;
    paint.textRight = m_imageWidth;
    paint.textBottom = m_imageHeight;
    return SavePictureWithShapes(*this, *m_image, m_imageWidth, m_imageHeight, path, type,
                                 [&](CDC& memory) { PaintItems(memory.GetSafeHdc(), paint); });
}
