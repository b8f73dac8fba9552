// The main window's live measuring commands: the fourteen toggle tools and the other tool
// buttons, the text tool and the two guides made from a dialog, undo, redo and delete all, the
// calibration commands and the measurement settings; and the mouse over the window (the point
// that follows the mouse, the magnifier, a carried text, a dragged guide).
//
// Everything here runs on the UI thread. The live lists are changed through the functions of
// LiveTools.h, each under its own short lock, so no lock is held across a dialog.
#include "shell/MicroscopeDlg.h"

#include "kit/LangText.h"

#include "capture/CaptureWnd.h"
#include "measure/InputDlgs.h"
#include "measure/MeasureSettings.h"
#include "measure/PenSettingDlg.h"
#include "measure/TextDlg.h"
#include "measure/Units.h"

#include "platform/win/gdi/Gdi.h"
#include "res/TessaryResource.h"

#include <initializer_list>
#include <vector>

namespace {

// The toggle buttons of the measurement tool bar, in the order of the dialog's members.
constexpr int kToolToggleButtons[] = {1179, 1180, 1181, 1182, 1183, 1184, 1185,
                                      1186, 1187, 1188, 1190, 1191, 1189, 1205};

// The preview's size in preview pixels (its place is read from the window itself).
constexpr int kPreviewWidth = 640;
constexpr int kPreviewHeight = 480;

void ResetLabelCounters() {
    g_circleLabelCount = 0;
    g_squareLabelCount = 0;
}

} // namespace

// ---- State ----

void CMicroscopeDlg::ResetToolButtons() {
    for (int id : kToolToggleButtons) {
        CToggleBitmapButton* button = ToggleButton(id);
        if (button && button->IsPressed())
            button->ClearPressed();
    }
    m_session.Choose(SHAPE_NONE);
}

void CMicroscopeDlg::ResetDrawingState() {
    m_session.Reset();
    m_live.m_calibrationLabel = 0;
    EraseRubberBand();
    // A shape in progress held the mouse and confined the cursor; a dropped shape must not.
    ReleaseMouse();
}

void CMicroscopeDlg::RequestFreeze() {
    // Without a device no frame would serve the request, and the first still after a
    // reconnection would be taken for it instead of being saved.
    if (!m_connected)
        return;
    // The source before the request: the frame callback reads it once it sees the request.
    g_freezeRequest = 1;
    g_snapshotSource = 0;
    g_snapshotPending = 0;
    g_snapshotRequest = 1;
}

void CMicroscopeDlg::DeleteAllShapes() {
    DeleteAllLiveShapes();
    m_live.m_liveText.Empty();
    m_frozenImage.reset();
}

void CMicroscopeDlg::SetDraft(int tool, bool withTextColor) {
    LiveListsLock lock;
    CDraftShape& draft = lock.Draft();
    draft.m_penWidth = g_lineWidth;
    draft.m_penStyle = g_lineType;
    draft.m_kind = tool;
    draft.m_lineColor = m_live.m_liveLineColor;
    if (withTextColor)
        draft.m_textColor = m_live.m_liveLabelColor;
}

void CMicroscopeDlg::UpdateImageScale() {
    const double scale = ImageScaleForCaptureSize(g_captureWidth, g_captureHeight);
    m_live.m_xScale = scale;
    m_live.m_yScale = scale;
}

// ---- Tool commands ----

void CMicroscopeDlg::ChooseToggleTool(int button, int tool) {
    ResetDrawingState();
    if (!ReadZoomScale()) {
        // No tool is chosen, so no button may look chosen either.
        ResetToolButtons();
        ResetLabelCounters();
        return;
    }
    CToggleBitmapButton* own = ToggleButton(button);
    if (own && own->IsPressed()) {
        ResetToolButtons();
        {
            LiveListsLock lock;
            lock.Draft().m_kind = 0;
        }
        ResetLabelCounters();
        return;
    }
    ResetToolButtons();
    if (own)
        own->SetPressed();
    m_session.Choose(static_cast<ShapeKind>(tool));
    SetDraft(tool);
    RequestFreeze();
    if (tool == LIVE_FOUR_POINT_ANGLE || tool == LIVE_ARC)
        EmptyLiveDraft();
    ResetLabelCounters();
}

void CMicroscopeDlg::OnLineTool() {
    ChooseToggleTool(1179, LIVE_LINE);
}
void CMicroscopeDlg::OnDotLineTool() {
    ChooseToggleTool(1180, LIVE_DOT_LINE);
}
void CMicroscopeDlg::OnParallelLineTool() {
    ChooseToggleTool(1181, LIVE_PARALLEL_LINE);
}
void CMicroscopeDlg::OnContinualLineTool() {
    ChooseToggleTool(1182, LIVE_CONTINUAL_LINE);
}
void CMicroscopeDlg::OnRectangleTool() {
    ChooseToggleTool(1183, LIVE_RECTANGLE);
}
void CMicroscopeDlg::OnPolygonTool() {
    ChooseToggleTool(1184, LIVE_POLYGON);
}
void CMicroscopeDlg::OnEllipseTool() {
    ChooseToggleTool(1185, LIVE_ELLIPSE);
}
void CMicroscopeDlg::OnRadiusCircleTool() {
    ChooseToggleTool(1186, LIVE_RADIUS_CIRCLE);
}
void CMicroscopeDlg::OnDiameterCircleTool() {
    ChooseToggleTool(1187, LIVE_DIAMETER_CIRCLE);
}
void CMicroscopeDlg::OnThreePointCircleTool() {
    ChooseToggleTool(1188, LIVE_THREE_POINT_CIRCLE);
}
void CMicroscopeDlg::OnTwoCirclesTool() {
    ChooseToggleTool(1189, LIVE_TWO_CIRCLES);
}
void CMicroscopeDlg::OnAngleTool() {
    ChooseToggleTool(1190, LIVE_ANGLE);
}
void CMicroscopeDlg::OnFourPointAngleTool() {
    ChooseToggleTool(1191, LIVE_FOUR_POINT_ANGLE);
}
void CMicroscopeDlg::OnArcTool() {
    ChooseToggleTool(1205, LIVE_ARC);
}

void CMicroscopeDlg::ChooseOtherTool(int tool, bool checkZoom, bool freeze, bool emptyDraft) {
    ResetDrawingState();
    ResetToolButtons();
    if (checkZoom && !ReadZoomScale()) {
        if (tool != LIVE_AUTO_DISTANCE)
            ResetLabelCounters();
        return;
    }
    if (tool == LIVE_AUTO_DISTANCE)
        m_live.m_calibrationMode = 0;
    m_session.Choose(static_cast<ShapeKind>(tool));
    SetDraft(tool, tool != LIVE_RULER);
    if (freeze)
        RequestFreeze();
    if (emptyDraft)
        EmptyLiveDraft();
    switch (tool) {
    case LIVE_CIRCLE_LABEL:
        g_squareLabelCount = 0;
        break;
    case LIVE_SQUARE_LABEL:
        g_circleLabelCount = 0;
        break;
    case LIVE_AUTO_DISTANCE:
    case LIVE_AUTO_ANGLE:
        break;
    default:
        ResetLabelCounters();
        break;
    }
}

void CMicroscopeDlg::OnCircleLabelTool() {
    ChooseOtherTool(LIVE_CIRCLE_LABEL, false, false, false);
}
void CMicroscopeDlg::OnSquareLabelTool() {
    ChooseOtherTool(LIVE_SQUARE_LABEL, false, false, false);
}
void CMicroscopeDlg::OnRulerTool() {
    ChooseOtherTool(LIVE_RULER, true, false, false);
    if (m_session.Tool() == LIVE_RULER)
        m_live.m_guidePresent = 0;
}
void CMicroscopeDlg::OnAutoCircleTool() {
    ChooseOtherTool(LIVE_AUTO_CIRCLE, true, true, true);
}
void CMicroscopeDlg::OnAutoLineTool() {
    ChooseOtherTool(LIVE_AUTO_LINE, true, true, true);
}
void CMicroscopeDlg::OnAutoArcTool() {
    ChooseOtherTool(LIVE_AUTO_ARC, true, true, true);
}
void CMicroscopeDlg::OnAutoDistanceTool() {
    ChooseOtherTool(LIVE_AUTO_DISTANCE, true, true, true);
}
void CMicroscopeDlg::OnAutoAngleTool() {
    ChooseOtherTool(LIVE_AUTO_ANGLE, false, true, true);
}

// ---- Text and guides ----

void CMicroscopeDlg::OnTextTool() {
    ResetDrawingState();
    ResetToolButtons();
    if (!ReadTextFont())
        g_textFont = DefaultLabelFont();
    m_session.Choose(LIVE_TEXT);
    {
        LiveListsLock lock;
        lock.Draft().m_kind = LIVE_TEXT;
    }
    CTextDlg dlg(this);
    if (dlg.DoModal() == IDOK) {
        m_live.m_liveTextColor = dlg.m_color;
        m_live.m_liveTextFont = g_textFont;
        AddLiveText(dlg.m_text);
    }
    ResetLabelCounters();
}

void CMicroscopeDlg::AddLiveText(CString text) {
    m_live.m_liveText = text;
    if (!TextGiven(text))
        return;
    auto record = std::make_unique<CMeasureRecord>();
    record->m_kind = LIVE_TEXT;
    record->m_labels.push_back(text);
    record->m_textColor = m_live.m_liveTextColor;
    record->m_textFont = m_live.m_liveTextFont;
    record->m_points.push_back(m_live.m_cursorPt);
    FinishLiveShape(std::move(record));
}

void CMicroscopeDlg::OnCoordinateAngle() {
    ResetDrawingState();
    ResetToolButtons();
    EnableWindow(FALSE);
    CCoordinateDlg dlg(this);
    if (dlg.DoModal() == IDOK) {
        m_session.Choose(LIVE_COORDINATE_ANGLE);
        const LivePen pen{g_lineWidth, g_lineType, m_live.m_liveLineColor, m_live.m_liveLabelColor};
        AddLiveGuide(MakeCoordinateAngleGuide(dlg.m_x, dlg.m_y, pen));
        m_live.m_guidePresent = 1;
    }
    EnableWindow(TRUE);
    ResetLabelCounters();
}

void CMicroscopeDlg::OnToleranceCircle() {
    ResetDrawingState();
    ResetToolButtons();
    if (!ReadZoomScale()) {
        ResetLabelCounters();
        return;
    }
    const double unitScale = UnitScale();
    EnableWindow(FALSE);
    CCircleToleranceDlg dlg(this);
    if (dlg.DoModal() == IDOK) {
        m_session.Choose(LIVE_TOLERANCE_CIRCLE);
        const LivePen pen{g_lineWidth, g_lineType, m_live.m_liveLineColor, m_live.m_liveLabelColor};
        if (AddLiveGuide(MakeToleranceGuide(dlg.m_radius, dlg.m_plusTolerance, dlg.m_minusTolerance,
                                            unitScale, m_zoomRate, pen)) >= 0)
            m_live.m_guidePresent = 1;
    }
    EnableWindow(TRUE);
    ResetLabelCounters();
}

// ---- Undo, redo, delete all ----

void CMicroscopeDlg::OnUndoShape() {
    ResetDrawingState();
    ResetToolButtons();
    // The newest record changes: a text placed before must not start following the mouse.
    if (UndoLiveShape())
        m_live.m_liveText.Empty();
    ResetLabelCounters();
}

void CMicroscopeDlg::OnRedoShape() {
    ResetDrawingState();
    ResetToolButtons();
    if (RedoLiveShape())
        m_live.m_liveText.Empty();
    ResetLabelCounters();
}

void CMicroscopeDlg::OnDeleteAllShapes() {
    ResetDrawingState();
    ResetToolButtons();
    DeleteAllShapes();
    ResetLabelCounters();
}

// ---- Calibration and settings ----

void CMicroscopeDlg::StartCalibration(int button, int tool, bool resetCounters) {
    ResetToolButtons();
    m_live.m_scaleFromEdit = 1;
    const int haveZoom = ReadZoomScale();
    m_live.m_scaleFromEdit = 0;
    if (!haveZoom) {
        if (resetCounters)
            ResetLabelCounters();
        return;
    }
    if (CToggleBitmapButton* b = button ? ToggleButton(button) : nullptr)
        b->SetPressed();
    m_live.m_calibrationMode = 1;
    m_session.Choose(static_cast<ShapeKind>(tool));
    SetDraft(tool);
    RequestFreeze();
    EmptyLiveDraft();
    if (resetCounters)
        ResetLabelCounters();
}

void CMicroscopeDlg::OnCalibrate() {
    ResetDrawingState();
    StartCalibration(1181, LIVE_PARALLEL_LINE, true);
}

void CMicroscopeDlg::OnLineCalibration() {
    StartCalibration(1181, LIVE_PARALLEL_LINE, false);
}

void CMicroscopeDlg::OnAutoCalibration() {
    StartCalibration(0, LIVE_AUTO_DISTANCE, false);
}

void CMicroscopeDlg::OnMeasureSetting() {
    ResetDrawingState();
    ResetToolButtons();
    PenSettingCaller caller{m_live.m_liveLineColor, m_live.m_liveLabelColor,
                            m_live.m_liveLabelFont};
    if (RunPenSettingDialog(this, caller) == IDOK) {
        m_live.m_liveLineColor = caller.lineColor;
        m_live.m_liveLabelColor = caller.labelColor;
        m_live.m_liveLabelFont = caller.labelFont;
    }
    ResetLabelCounters();
}

// ---- The mouse ----

// The magnifier shows the still around the cursor, wherever the mouse is over the window.
void CMicroscopeDlg::PaintLiveMagnifier() {
    if (!m_frozenImage)
        return;
    HWND lens = ::GetDlgItem(m_hWnd, IDC_ZOOM_FIELD);
    if (!lens)
        return;
    RECT client{};
    ::GetClientRect(lens, &client);
    const POINT center{static_cast<LONG>(g_previewCursor.x * m_live.m_xScale + 0.5),
                       static_cast<LONG>(g_previewCursor.y * m_live.m_yScale + 0.5)};
    if (HDC dc = ::GetDC(lens)) {
        PaintMagnifier(dc, client, *m_frozenImage, center, g_zoomLevel, m_magnifier);
        ::ReleaseDC(lens, dc);
    }
}

// The text being placed and a dragged guide follow the mouse; true when either moved.
bool CMicroscopeDlg::FollowTextAndGuide(POINT p) {
    bool changed = false;
    LiveListsLock lock;
    if (!m_live.m_liveText.IsEmpty()) {
        CMeasureRecord* last = lock.Shapes().GetAt(lock.Shapes().GetSize() - 1);
        if (last && last->m_kind == LIVE_TEXT && !last->m_points.empty()) {
            last->m_points[0] = p;
            changed = true;
        }
    }
    if (DragGuide(m_live, p, lock.Polylines()))
        changed = true;
    return changed;
}

void CMicroscopeDlg::OnLiveMouseMove(POINT screen) {
    HWND preview = ::GetDlgItem(m_hWnd, IDC_PREVIEW);
    if (!preview)
        return;
    POINT p = screen;
    ::ScreenToClient(preview, &p);
    const bool inside = p.x > 0 && p.x <= kPreviewWidth && p.y > 0 && p.y <= kPreviewHeight;
    if (inside)
        g_previewCursor = p;
    UpdateImageScale();
    PaintLiveMagnifier();
    if (!inside)
        return;

    const MoveOutcome followed = m_session.Move(p);
    if (followed.cursor)
        m_live.m_cursorPt = p;
    const bool changed = FollowTextAndGuide(p) || followed.changed;
    if (m_live.m_guidePresent && m_live.m_guideDragging)
        if (HCURSOR cursor = ::LoadCursor(g_hInstance, MAKEINTRESOURCE(386)))
            ::SetCursor(cursor);
    if (changed)
        DrawRubberBand();
}

namespace {

// Draws each outline inverted into the window: drawing one a second time erases it.
void InvertOutlines(HWND window, COLORREF color,
                    std::initializer_list<const std::vector<POINT>*> outlines) {
    HDC dc = window ? ::GetDC(window) : nullptr;
    if (!dc)
        return;
    const int oldRop = SetROP2(dc, R2_NOTXORPEN);
    HPEN pen = CreatePen(PS_SOLID, 1, color);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    for (const std::vector<POINT>* outline : outlines)
        if (outline->size() > 1)
            Polyline(dc, outline->data(), static_cast<int>(outline->size()));
    SelectObject(dc, oldPen);
    DeleteObject(pen);
    SetROP2(dc, oldRop);
    ::ReleaseDC(window, dc);
}

} // namespace

// While frames stream, the live painter draws the shape in progress over every frame. Without
// frames nothing repaints the preview, so the UI thread draws the shape's outline into the
// window itself, inverted so that drawing it again erases it. The window's DC holds the
// preview's surface for the drawing, so a frame that starts meanwhile waits for it.
void CMicroscopeDlg::DrawRubberBand() {
    if (g_captureWnd.IsRunning()) {
        m_rubberDrawn.clear(); // the next frame replaces whatever was drawn
        return;
    }
    std::vector<POINT> outline;
    {
        LiveListsLock lock;
        outline = lock.Draft().m_points;
    }
    if (g_rubberActive.load() && !outline.empty())
        outline.push_back(g_rubberPoint.load());
    InvertOutlines(::GetDlgItem(m_hWnd, IDC_PREVIEW), m_live.m_liveLineColor,
                   {&m_rubberDrawn, &outline});
    m_rubberDrawn = std::move(outline);
}

void CMicroscopeDlg::EraseRubberBand() {
    if (m_hWnd && !g_captureWnd.IsRunning())
        InvertOutlines(::GetDlgItem(m_hWnd, IDC_PREVIEW), m_live.m_liveLineColor, {&m_rubberDrawn});
    m_rubberDrawn.clear();
}

void CMicroscopeDlg::OnDrawItem(int id, LPDRAWITEMSTRUCT dis) {
    if (!dis || dis->CtlID != IDC_ZOOM_FIELD) {
        CDialog::OnDrawItem(id, dis);
        return;
    }
    const RECT& r = dis->rcItem;
    if (m_magnifier.m_drawDC)
        BitBlt(dis->hDC, 0, 0, r.right, r.bottom, m_magnifier.m_drawDC, 0, 0, SRCCOPY);
    else
        FillRect(dis->hDC, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
}
