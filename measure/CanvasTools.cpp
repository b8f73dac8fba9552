// The clicks of the canvas tools. The canvas's measuring session takes the presses of the
// measuring and paint shapes (their clicks, refusals, records and labels); the canvas turns its
// mouse messages into session calls and acts on the answers: the first press inside the picture
// starts a shape (capturing the mouse and keeping the cursor over the picture), a listed shape
// whose label follows the cursor lets the mouse go, a calibration line runs its dialog. The
// right button finishes the automatic fits, ends a move or cancels the shape; the double click
// ends a continuous line. The text, selection and magnifier tools and the free-hand line of the
// paint mode are the window's own.
#include "measure/MeasureCanvas.h"

#include "kit/LangText.h"
#include "measure/CanvasShapeRules.h"
#include "measure/CanvasView.h"
#include "measure/InputDlgs.h"
#include "measure/MeasureSettings.h"
#include "measure/Units.h"

#include "imaging/DibImage.h"
#include "platform/win/core/WString.h"

#include <algorithm>
#include <cmath>

namespace {

// [v]: one half added, then truncated toward zero.
int Round(double v) {
    return static_cast<int>(v + 0.5);
}

constexpr int kPhotoMagnificationEdit = 1130; // the photo-measure window's magnification
constexpr int kPhotoToolName = 1167;          // and the name of its tool

// Shapes of clicks that the right button cancels.
bool IsManualShape(ShapeKind k) {
    switch (k) {
    case LIVE_LINE:
    case LIVE_DOT_LINE:
    case LIVE_PARALLEL_LINE:
    case LIVE_RECTANGLE:
    case LIVE_ANGLE:
    case LIVE_CONTINUAL_LINE:
    case LIVE_THREE_POINT_CIRCLE:
    case LIVE_ARC:
    case LIVE_TWO_CIRCLES:
    case LIVE_FOUR_POINT_ANGLE:
    case LIVE_AUTO_DISTANCE:
    case LIVE_AUTO_ANGLE:
        return true;
    default:
        return false;
    }
}

} // namespace

// ---- Input ----

CRect CMeasureCanvas::PictureArea() const {
    CRect client;
    GetClientRect(&client);
    const bool fixed = m_viewMode == CANVAS_VIEW_FIXED;
    const CRect shown(0, 0, fixed ? m_viewWidth : m_imageWidth - m_scrollX,
                      fixed ? m_viewHeight : m_imageHeight - m_scrollY);
    CRect area;
    area.IntersectRect(&client, &shown);
    return area;
}

void CMeasureCanvas::HoldInput() {
    SetCapture();
    CRect area = PictureArea();
    ClientToScreen(&area);
    ::ClipCursor(&area);
}

void CMeasureCanvas::ReleaseInput() {
    if (m_hWnd && ::GetCapture() == m_hWnd)
        ::ReleaseCapture();
    ::ClipCursor(nullptr);
}

// Lengths are measured in the pixels of the fixed view, where calibrations are made: the
// full-size view converts its pixels into those first, so one feature reads one length in
// both views.
double CMeasureCanvas::ViewScale() const {
    if (m_viewMode == CANVAS_VIEW_FIXED || m_imageWidth <= 0)
        return 1.0;
    const double scale = FixedViewOf(m_imageWidth, m_imageHeight).scale;
    return scale > 0.0 ? scale : 1.0;
}

POINT CMeasureCanvas::ToPicture(POINT c) const {
    const int x = Round((c.x + m_scrollX) * m_scaleX);
    const int y = Round((c.y + m_scrollY) * m_scaleY);
    // Whatever the click, the detectors only ever see the picture.
    return POINT{std::clamp(x, 0, std::max(m_imageWidth - 1, 0)),
                 std::clamp(y, 0, std::max(m_imageHeight - 1, 0))};
}

MeasureContext CMeasureCanvas::Context() {
    const MeasurePen pen{.width = g_lineWidth,
                         .style = g_lineType,
                         .lineColor = m_lineColor,
                         .labelColor = m_labelColor,
                         .labelFont = m_measureFont,
                         .labelStep = FontSizeFromHeight()};
    return MeasureContext{.unitScale = m_unitScale,
                          .magnification = m_zoom,
                          .unit = g_unitName,
                          .decimals = g_decimalPlaces,
                          .xScale = m_scaleX,
                          .yScale = m_scaleY,
                          .frameWidth = std::max(m_imageWidth, 1),
                          .frameHeight = std::max(m_imageHeight, 1),
                          .calibrating = m_calibrationMode == 1,
                          .pen = pen,
                          .edges = this,
                          .viewScale = ViewScale(),
                          .labels = m_toolMode == TOOL_MODE_MEASURE};
}

// Where the square around the press holds no edge the press itself is taken.
bool CMeasureCanvas::EdgeNear(POINT at, POINT& edge) {
    return m_image && m_image->FindEdgePointNear(at.x, at.y, m_imageWidth, m_imageHeight, &edge,
                                                 g_detectRange);
}

bool CMeasureCanvas::EdgeInSection(POINT from, POINT to, int orientation, POINT& e1, POINT& e2) {
    return m_image &&
           m_image->DetectLineInSection(from.x, from.y, to.x, to.y, orientation, &e1, &e2);
}

std::unique_ptr<CMeasureRecord> CMeasureCanvas::NewRecord(int kind) {
    const MeasurePen pen = Context().pen;
    auto r = std::make_unique<CMeasureRecord>();
    r->m_kind = kind;
    r->m_penStyle = pen.style;
    r->m_penWidth = pen.width;
    r->m_lineColor = pen.lineColor;
    r->m_labelColor = pen.labelColor;
    r->m_labelFont = pen.labelFont;
    r->m_unitsPerPixel = UnitsPerPixel(m_unitScale, m_zoom);
    return r;
}

// ---- Tool choice and the end of a shape ----

int CMeasureCanvas::SetTool(MeasureTool tool, ToolMode mode) {
    if (ShapeInProgress() && (tool != m_tool || mode != m_toolMode))
        EndShape(false);
    if (m_lensActive && tool != TOOL_MAGNIFIER)
        CloseLens();
    m_tool = tool;
    m_toolMode = mode;
    SyncTool();
    return tool;
}

void CMeasureCanvas::EndShape(bool removeListed) {
    if (removeListed) {
        if (m_currentRecord && m_currentRecord == m_session.Listed())
            m_currentRecord = nullptr;
        m_session.Drop();
    } else {
        m_session.End();
    }
    m_store.EmptyDraft();
    m_calibrationLabel = false;
    m_freehand.reset();
    m_bandShown = false;
    if (m_hWnd) {
        ReleaseInput();
        Invalidate(FALSE);
    }
}

// ---- Left button ----

void CMeasureCanvas::OnLButtonDown(UINT flags, CPoint point) {
    if (!m_image)
        return;
    if (m_moving) {
        DropMove(point);
        return;
    }
    SyncTool();
    const bool inPicture = PictureArea().PtInRect(point);
    if (!ShapeInProgress()) {
        // Outside the picture a first click starts nothing.
        if (!inPicture)
            return;
        if (!WindowToolClick(point))
            SessionPress(point);
        CDialog::OnLButtonDown(flags, point);
        return;
    }
    if (m_freehand) {
        EndFreehand();
        return;
    }
    // A press that starts again (the second line or section of a shape, another edge point)
    // counts only inside the picture, like a first one.
    if (m_session.NextIsFirst() && !inPicture)
        return;
    SessionPress(point);
}

bool CMeasureCanvas::WindowToolClick(CPoint c) {
    switch (m_tool) {
    case TOOL_TEXT: {
        m_textPos = c;
        CMeasureRecord* text = m_shapes.GetAt(m_shapes.GetSize() - 1);
        if (!m_text.IsEmpty() && text && text->m_kind == CANVAS_KIND_TEXT &&
            text->m_points.size() >= 2) {
            const POINT p = Canvas(c);
            text->m_points[0] = p;
            text->m_points[1] = POINT{p.x + 60, p.y + 60};
        }
        m_text.Empty();
        m_tool = TOOL_NONE;
        SyncTool();
        Invalidate(FALSE);
        return true;
    }
    case TOOL_SELECT:
        SelectAt(c);
        return true;
    case TOOL_MAGNIFIER:
        OpenLens(c);
        return true;
    default:
        return false;
    }
}

void CMeasureCanvas::SessionPress(CPoint c) {
    const bool first = !ShapeInProgress();
    const int before = m_shapes.GetSize();
    const PressOutcome outcome = m_session.Press(Canvas(c), Context());
    Act(outcome, c, first, before);
}

void CMeasureCanvas::Act(const PressOutcome& outcome, CPoint c, bool first, int shapesBefore) {
    if (m_shapes.GetSize() > shapesBefore)
        m_currentRecord = m_shapes.GetAt(m_shapes.GetSize() - 1);
    switch (outcome.result) {
    case PressResult::Started:
        // A new shape deselects; the edge points of a fit only add to theirs.
        if (first && !m_session.FitInProgress())
            DeselectAll();
        if (first && m_session.Shape() == LIVE_CONTINUAL_LINE && m_toolMode != TOOL_MODE_MEASURE) {
            m_freehand = NewRecord(TOOL_CONTINUOUS_LINE);
            m_strokeEnd = c;
        }
        m_bandShown = false;
        HoldInput();
        Invalidate(FALSE);
        break;
    case PressResult::Took:
        m_bandShown = false;
        Invalidate(FALSE);
        break;
    case PressResult::LabelsOnly:
    case PressResult::Calibrate:
        m_bandShown = false;
        // Only the label's place is left: the mouse goes free.
        if (m_session.Listed())
            ReleaseInput();
        Invalidate(FALSE);
        if (outcome.result == PressResult::Calibrate)
            RunCalibration(outcome.pixels);
        break;
    case PressResult::Listed:
        Invalidate(FALSE);
        break;
    case PressResult::Completed: {
        if (outcome.cursor)
            m_textPos = c;
        const bool calibration = m_calibrationLabel;
        EndShape(false);
        // The calibration is over with its line: its tool goes, and the window names no tool.
        if (calibration) {
            SetTool(TOOL_NONE, TOOL_MODE_IDLE);
            if (CWnd* window = GetParent())
                window->SetDlgItemText(kPhotoToolName, u"");
        }
        break;
    }
    default: // ignored, or refused: the shape keeps what it had
        break;
    }
}

// The second click of the paint mode's free-hand line ends it; a stroke of fewer than two
// points is nothing to keep.
void CMeasureCanvas::EndFreehand() {
    std::unique_ptr<CMeasureRecord> line = std::move(m_freehand);
    if (line && line->m_points.size() >= 2) {
        m_currentRecord = line.get();
        m_store.Finish(std::move(line), false);
    }
    EndShape(false);
}

// ---- Calibration ----

// The measured line gives the magnification at which it shows the typed real length. The
// magnification that divides lengths stays exactly that value, so the line then reads the
// typed length, and so does every later measurement at this magnification.
void CMeasureCanvas::RunCalibration(double pixels) {
    ReleaseInput();
    EnableWindow(FALSE);
    CCalibrationDlg dialog(GetParent() ? GetParent() : this);
    const INT_PTR answer = dialog.DoModal();
    EnableWindow(TRUE);
    m_calibrationMode = 0;
    const double viewPixels = pixels / ViewScale();
    const double measured = LengthFromPixels(viewPixels, m_unitScale, m_zoom);
    if (answer == IDOK && g_actualDistance > 0.0) {
        const double zoom = measured / g_actualDistance * g_zoomScale;
        if (std::isfinite(zoom) && zoom > 0.0) {
            std::fill(std::begin(g_calibMagnificationText), std::end(g_calibMagnificationText), 0);
            if (CWnd* window = GetParent())
                window->GetDlgItemText(kPhotoMagnificationEdit, g_calibMagnificationText, 48);
            g_zoomScale = zoom;
            g_calibratedZoom = zoom;
            if (CWnd* window = GetParent())
                window->PostMessage(WM_APP_PICTURE_CALIBRATED, 0, 0);
        }
    }
    CMeasureRecord* record = m_session.Listed();
    if (record && !record->m_labels.empty()) {
        record->m_labels[0] =
            MeasureLabel(LabelKind::Length, LengthFromPixels(viewPixels, m_unitScale, g_zoomScale));
        record->m_unitsPerPixel = UnitsPerPixel(m_unitScale, g_zoomScale);
    }
    // The label click follows, with the mouse free; it ends the calibration.
    m_calibrationLabel = true;
    Invalidate(FALSE);
}

// ---- Selection ----

void CMeasureCanvas::SelectAt(CPoint c) {
    const POINT p = Canvas(c);
    if (m_toolFlag == 0) {
        int hit = -1;
        for (int i = 0; i < m_shapes.GetSize() && hit < 0; ++i)
            if (HitsShape(*m_shapes.GetAt(i), p))
                hit = i;
        if (hit < 0)
            return;
        for (int i = 0; i < m_shapes.GetSize(); ++i)
            m_shapes.GetAt(i)->m_selected = i == hit ? 1 : 0;
        m_selectedFirst = -1;
        m_selectedSecond = -1;
        Invalidate(FALSE);
        return;
    }
    // Four-point angles are picked in twos: a third pick lets the oldest go.
    for (int i = 0; i < m_shapes.GetSize(); ++i) {
        CMeasureRecord* shape = m_shapes.GetAt(i);
        if (shape->m_selected || !HitsFourPointAngle(*shape, p))
            continue;
        shape->m_selected = 1;
        if (m_selectedFirst == -1) {
            m_selectedFirst = i;
        } else if (m_selectedSecond == -1) {
            m_selectedSecond = i;
        } else {
            if (CMeasureRecord* oldest = m_shapes.GetAt(m_selectedFirst))
                oldest->m_selected = 0;
            m_selectedFirst = m_selectedSecond;
            m_selectedSecond = i;
        }
        Invalidate(FALSE);
    }
}

// ---- Magnifier ----

void CMeasureCanvas::OpenLens(CPoint c) {
    if (m_lensActive)
        CloseLens();
    m_lens = std::make_unique<CMagnifierLens>(this);
    if (!m_lens->Create(nullptr, nullptr, WS_CHILD, CRect(0, 0, 0, 0), this, 0xFFFF)) {
        m_lens.reset();
        return;
    }
    Redraw(TRUE);
    CopyClientToBitmap();
    const int half = m_lensSize / 2;
    m_lensPoint = POINT{c.x - half, c.y - half};
    HoldInput();
    m_lensState = 1;
    m_lens->MoveWindow(c.x - half, c.y - half, m_lensSize, m_lensSize, TRUE);
    m_lens->ShowWindow(SW_SHOW);
    m_lensActive = 1;
}

void CMeasureCanvas::CloseLens() {
    if (m_lens && m_lens->m_hWnd)
        m_lens->ShowWindow(SW_HIDE);
    ReleaseInput();
    m_lensState = 0;
    if (m_hWnd)
        Redraw(TRUE);
    if (m_lens && m_lens->m_hWnd)
        m_lens->DestroyWindow();
    m_lens.reset();
    m_lensActive = 0;
}

// ---- Moving ----

void CMeasureCanvas::BeginMoveSelected() {
    WCHAR message[32];
    GetLangText(u"SelectImage", message, 32, u"Please select a metafile");
    // The move takes the clicks from here on: a shape in progress ends first.
    if (ShapeInProgress())
        EndShape(false);
    int index = -1;
    const MoveRule* rule = nullptr;
    if (m_toolFlag != 0) {
        // The first picked four-point angle, or the second when only that one is picked.
        index = m_selectedFirst != -1 ? m_selectedFirst : m_selectedSecond;
        if (index == -1) {
            AfxMessageBox(message, MB_OK);
            return;
        }
        const CMeasureRecord* shape = m_shapes.GetAt(index);
        if (!shape || shape->m_kind != TOOL_FOUR_POINT_ANGLE)
            return;
        rule = &FourPointAngleMoveRule();
    } else {
        for (int i = 0; i < m_shapes.GetSize() && index < 0; ++i)
            if (m_shapes.GetAt(i)->m_selected)
                index = i;
        if (index < 0) {
            AfxMessageBox(message, MB_OK);
            return;
        }
        rule = MoveRuleOfKind(m_shapes.GetAt(index)->m_kind);
        if (!rule)
            return;
    }
    CMeasureRecord* shape = m_shapes.GetAt(index);
    if (shape->m_points.empty())
        return;
    m_movingIndex = index;
    m_movingRecord = shape;
    m_moveRule = rule;
    m_moveHandles.clear();
    for (const POINT& p : shape->m_points)
        m_moveHandles.push_back(POINT{p.x - m_scrollX, p.y - m_scrollY});
    m_outlineShown = false;
    m_moving = 1;
    POINT target = MoveAnchorOf(rule->cursorTarget, m_moveHandles);
    ClientToScreen(&target);
    ::SetCursorPos(target.x, target.y);
}

void CMeasureCanvas::DropMove(CPoint c) {
    m_moving = 0;
    m_outlineShown = false;
    // A shape deleted or moved in the list meanwhile is not the one picked: nothing moves.
    if (m_moveRule && m_movingRecord && m_shapes.GetAt(m_movingIndex) == m_movingRecord &&
        m_moveHandles.size() == m_movingRecord->m_points.size()) {
        MoveHandlesTo(*m_moveRule, m_moveHandles, c);
        for (size_t i = 0; i < m_moveHandles.size(); ++i)
            m_movingRecord->m_points[i] = Canvas(m_moveHandles[i]);
    }
    m_movingRecord = nullptr;
    m_moveRule = nullptr;
    Invalidate(FALSE);
}

// ---- Release, right button, double click ----

void CMeasureCanvas::OnLButtonUp(UINT flags, CPoint point) {
    const bool dragged = m_session.Shape() == SHAPE_EDGE_PORTION;
    if (dragged || (m_tool == TOOL_EDGE_PORTION && m_image)) {
        CRect section;
        if (dragged && m_session.Next() > 0) {
            section = CRect(Client(m_session.Click(0)), point);
            section.NormalizeRect();
            const CRect area = PictureArea();
            section.IntersectRect(&section, &area);
        }
        EndShape(false);
        if (section.IsRectEmpty()) {
            WCHAR message[128];
            GetLangText(u"SelectSection", message, 128, u"Please select section first");
            AfxMessageBox(message, MB_OK);
        } else {
            const POINT a = ToPicture(section.TopLeft());
            const POINT b = ToPicture(section.BottomRight());
            m_image->CheckEdgePortion(a.x, a.y, b.x, b.y);
            Invalidate(FALSE);
        }
    }
    CDialog::OnLButtonUp(flags, point);
}

void CMeasureCanvas::OnRButtonDown(UINT flags, CPoint point) {
    if (m_image) {
        SyncTool();
        const int before = m_shapes.GetSize();
        const PressOutcome fit = m_session.FinishFit(Canvas(point), Context());
        if (fit.result != PressResult::Ignored) {
            // fitted, or refused with the points kept
            Act(fit, point, false, before);
        } else if (m_moving) {
            m_moving = 0;
            m_outlineShown = false;
            m_movingRecord = nullptr;
            Invalidate(FALSE);
        } else if (IsManualShape(m_session.Shape())) {
            EndShape(true);
        } else if (m_tool == TOOL_MAGNIFIER && m_lensActive) {
            CloseLens();
        }
    }
    CDialog::OnRButtonDown(flags, point);
}

void CMeasureCanvas::OnLButtonDblClk(UINT flags, CPoint point) {
    // The first click of the double click was an ordinary click; the second finishes the
    // line once it has a segment.
    SyncTool();
    if (m_session.Shape() == LIVE_CONTINUAL_LINE && m_toolMode == TOOL_MODE_MEASURE &&
        !m_freehand) {
        const int before = m_shapes.GetSize();
        const PressOutcome done = m_session.DoubleClick(Context());
        if (done.result == PressResult::Completed)
            Act(done, point, false, before);
    }
    CDialog::OnLButtonDblClk(flags, point);
}
