// What the canvas shows between the clicks of a tool: the rubber band of the shape being
// drawn (drawn into the window with R2_NOTXORPEN, so drawing it again erases it), the label
// of a new shape following the cursor, the free-hand line, the text and the magnifier lens
// following the cursor, the edge section being dragged, and the outline of a shape being
// moved. The marks a shape in progress has collected (crosses, first arms, sections) are
// painted with the picture, so a repaint keeps them.
#include "measure/MeasureCanvas.h"

#include "measure/CanvasShapeRules.h"
#include "measure/Geometry.h"
#include "measure/MeasureSettings.h"
#include "measure/ShapeDrawing.h"
#include "measure/ShapePainter.h"
#include "measure/Units.h"

#include "platform/win/gdi/Gdi.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr COLORREF kMoveOutlineColor = 0x007B7D94;
constexpr int kLineTick = 10;
constexpr int kParallelTick = 100;
constexpr int kSpacingBand = 6; // half widths of the bands the section tools search
constexpr int kAngleBand = 10;

void Line(CDC& dc, POINT a, POINT b) {
    dc.MoveTo(a);
    dc.LineTo(b);
}

// The two lines beside the segment s-c at `half` pixels, along the band a section drag
// searches.
void BandLines(CDC& dc, POINT s, POINT c, int half) {
    POINT a1, a2, b1, b2;
    OffsetPerpendicular(s.x, s.y, c.x, c.y, a1, a2, b1, b2, half);
    Line(dc, a1, b1);
    Line(dc, a2, b2);
}

} // namespace

void CMeasureCanvas::OnMouseMove(UINT flags, CPoint c) {
    if (m_image) {
        SyncTool();
        if (m_moving)
            MoveOutline(c);
        else if (m_tool == TOOL_MAGNIFIER && m_lensState && m_lens && m_lens->m_hWnd)
            MoveLens(c);
        else if (m_tool == TOOL_TEXT && !m_text.IsEmpty())
            MoveText(c);
        else if (CMeasureRecord* listed = m_session.Listed())
            FollowLabel(c, *listed);
        else if (m_freehand)
            ExtendFreehand(c);
        else if (ShapeInProgress())
            FollowShape(c);
    }
    CDialog::OnMouseMove(flags, c);
}

// The outline of the shape being moved follows the cursor; a shape deleted meanwhile has
// nothing to show.
void CMeasureCanvas::MoveOutline(CPoint c) {
    if (!m_moveRule || !m_movingRecord || m_shapes.GetAt(m_movingIndex) != m_movingRecord)
        return;
    CClientDC dc(this);
    ScopedPen pen(dc.GetSafeHdc(), PS_SOLID, 1, kMoveOutlineColor, R2_NOTXORPEN);
    if (m_outlineShown)
        DrawMoveOutline(dc.GetSafeHdc(), *m_moveRule, m_moveHandles, m_movingRecord->m_radius);
    MoveHandlesTo(*m_moveRule, m_moveHandles, c);
    DrawMoveOutline(dc.GetSafeHdc(), *m_moveRule, m_moveHandles, m_movingRecord->m_radius);
    m_outlineShown = true;
}

void CMeasureCanvas::MoveLens(CPoint c) {
    ::SetCursor(nullptr);
    const int half = m_lensSize / 2;
    m_lensPoint = POINT{c.x - half, c.y - half};
    m_lens->MoveWindow(c.x - half, c.y - half, m_lensSize, m_lensSize, FALSE);
    Invalidate(FALSE);
    UpdateWindow();
    m_lens->Invalidate(FALSE);
    m_lens->UpdateWindow();
}

// The text just added follows the cursor until the text tool's click.
void CMeasureCanvas::MoveText(CPoint c) {
    m_textPos = c;
    CMeasureRecord* text = m_shapes.GetAt(m_shapes.GetSize() - 1);
    if (!text || text->m_kind != CANVAS_KIND_TEXT || text->m_points.size() < 2)
        return;
    InvalidateLabel(Client(text->m_points[0]), *text, 30);
    const POINT p = Canvas(c);
    text->m_points[0] = p;
    text->m_points[1] = POINT{p.x + 60, p.y + 60};
    InvalidateLabel(c, *text, 30);
}

void CMeasureCanvas::ExtendFreehand(CPoint c) {
    CClientDC dc(this);
    ScopedPen pen(dc.GetSafeHdc(), m_freehand->m_penStyle, m_freehand->m_penWidth, m_lineColor,
                  R2_COPYPEN);
    Line(dc, m_strokeEnd, c);
    m_freehand->m_points.push_back(Canvas(m_strokeEnd));
    m_freehand->m_labels.push_back(CString());
    m_strokeEnd = c;
}

// The session moves what follows the mouse; the rubber band is drawn inverted, so drawing it
// again at its old place erases it.
void CMeasureCanvas::FollowShape(CPoint c) {
    if (m_session.Shape() == LIVE_TWO_CIRCLES)
        m_textPos = c;
    const MoveOutcome moved = m_session.Move(Canvas(c));
    if (!m_store.Rubber().active) {
        if (moved.changed)
            Invalidate(FALSE);
        return;
    }
    CClientDC dc(this);
    if (m_bandShown)
        DrawRubberBand(dc, m_bandPoint);
    DrawRubberBand(dc, c);
    m_bandPoint = c;
    m_bandShown = true;
}

// The figure of the shape in progress from its last fixed point to the cursor c.
void CMeasureCanvas::DrawRubberBand(CDC& dc, CPoint c) {
    const int n = m_session.Next();
    if (n == 0)
        return;
    const ShapeKind shape = m_session.Shape();
    const POINT s =
        Client(shape == LIVE_CONTINUAL_LINE ? m_session.SegmentStart() : m_session.Click(n - 1));
    ScopedPen pen(dc.GetSafeHdc(), g_lineType, g_lineWidth, m_lineColor, R2_NOTXORPEN);
    POINT a1, a2, b1, b2;
    switch (shape) {
    case LIVE_LINE:
    case LIVE_PARALLEL_LINE: {
        if (n != 1)
            break;
        const int half = shape == LIVE_LINE ? kLineTick : kParallelTick;
        OffsetPerpendicular(s.x, s.y, c.x, c.y, a1, a2, b1, b2, half);
        Line(dc, s, c);
        Line(dc, a1, a2);
        if (shape == LIVE_PARALLEL_LINE)
            Line(dc, b1, b2);
        break;
    }
    case LIVE_RECTANGLE:
        if (n == 1)
            dc.Rectangle(s.x, s.y, c.x, c.y);
        break;
    case LIVE_DOT_LINE:
        if (n == 1)
            Line(dc, s, c);
        break;
    case LIVE_ANGLE:
    case LIVE_CONTINUAL_LINE:
        Line(dc, s, c);
        break;
    case LIVE_FOUR_POINT_ANGLE:
        if (n == 1 || n == 3)
            Line(dc, s, c);
        break;
    case LIVE_AUTO_DISTANCE:
    case LIVE_AUTO_ANGLE: {
        if (n != 1 && n != 3)
            break;
        Line(dc, s, c);
        ScopedPen dashed(dc.GetSafeHdc(), PS_DASH, 1, m_lineColor, R2_NOTXORPEN);
        BandLines(dc, s, c, shape == LIVE_AUTO_ANGLE ? kAngleBand : kSpacingBand);
        break;
    }
    case SHAPE_EDGE_PORTION: {
        ScopedPen dotted(dc.GetSafeHdc(), PS_DOT, 1, 0x000000, R2_NOTXORPEN);
        dc.Rectangle(s.x, s.y, c.x, c.y);
        break;
    }
    default:
        break;
    }
}

// The label of the shape just made follows the cursor: its anchor point moves, and only the
// areas around the old and the new place are repainted.
void CMeasureCanvas::FollowLabel(CPoint c, const CMeasureRecord& listed) {
    m_textPos = c;
    const LabelRule* rule = LabelRuleOfKind(listed.m_kind);
    if (!rule || size_t(rule->anchor) >= listed.m_points.size())
        return;
    const POINT before = Client(listed.m_points[size_t(rule->anchor)]);
    m_session.Move(Canvas(c));
    InvalidateLabel(before, listed, rule->margin);
    InvalidateLabel(c, listed, rule->margin);
}

void CMeasureCanvas::InvalidateLabel(POINT at, const CMeasureRecord& record, int margin) {
    CClientDC dc(this);
    const bool text = record.m_kind == CANVAS_KIND_TEXT;
    LOGFONTW logfont = text ? record.m_textFont : record.m_labelFont;
    CFont font;
    font.CreateFontIndirect(&logfont);
    CFont* old = dc.SelectObject(&font);
    CSize extent(0, 0);
    for (const CString& line : record.m_labels) {
        const CSize e = dc.GetTextExtent(line);
        extent.cx = std::max(extent.cx, e.cx);
        extent.cy = std::max(extent.cy, e.cy);
    }
    dc.SelectObject(old);
    const int lines = std::max<int>(1, static_cast<int>(record.m_labels.size()));
    const CRect area(at.x - margin, at.y - margin, at.x + extent.cx + 120,
                     at.y + lines * std::max<int>(extent.cy, record.m_fontSize) + 120);
    InvalidateRect(&area, FALSE);
}

// The crosses of the presses that fix a circle, and of the edge points a fit collects.
void CMeasureCanvas::DrawPressMarks(CDC& dc, const std::vector<POINT>& draft, bool listed) {
    ScopedPen thin(dc.GetSafeHdc(), g_lineType, 1, m_lineColor, R2_COPYPEN);
    switch (m_session.Shape()) {
    case LIVE_THREE_POINT_CIRCLE:
    case LIVE_ARC:
        for (int i = 0; i < m_session.Next(); ++i)
            DrawCross(dc.GetSafeHdc(), Client(m_session.Click(i)));
        break;
    case LIVE_TWO_CIRCLES:
        for (size_t i : {0, 1, 2, 5, 6, 7})
            if (i < draft.size())
                DrawCross(dc.GetSafeHdc(), Client(draft[i]));
        break;
    case LIVE_AUTO_CIRCLE:
    case LIVE_AUTO_ARC:
    case SHAPE_AUTO_LINE_TWO:
        if (!listed)
            for (const POINT& f : draft)
                DrawCross(dc.GetSafeHdc(), Client(f));
        break;
    default:
        break;
    }
}

// The marks of the shape in progress, painted with the picture (client coordinates): the
// free-hand line, the draft of the continual line and the two circles, the crosses of the
// presses that fix a circle or a fit, the first arm or section of the two-line shapes.
void CMeasureCanvas::DrawShapeInProgress(CDC& dc) {
    const ShapeMapping screen{false, m_scrollX, m_scrollY, 1.0, 1.0};
    if (m_freehand && m_freehand->m_points.size() >= 2)
        DrawMeasureRecord(dc.GetSafeHdc(), *m_freehand, screen, g_decimalPlaces, g_unitName);
    const ShapeKind shape = m_session.Shape();
    if (shape == SHAPE_NONE || m_freehand)
        return;
    // The draft as a record of its kind with the canvas's pen, as the finished shape will be.
    std::unique_ptr<CMeasureRecord> draft = NewRecord(StoredKind(shape, KindCodes::Canvas));
    draft->m_fontSize = FontSizeFromHeight();
    {
        MeasureStore::Lock lock(m_store);
        draft->m_points = lock.Draft().m_points;
        draft->m_labels = lock.Draft().m_labels;
    }
    const std::vector<POINT>& d = draft->m_points;
    if (shape == LIVE_CONTINUAL_LINE && d.size() >= 2)
        DrawMeasureRecord(dc.GetSafeHdc(), *draft, screen, g_decimalPlaces, g_unitName);
    const bool listed = m_session.Listed() != nullptr;
    const int n = m_session.Next();
    DrawPressMarks(dc, d, listed);
    if (n < 2 || listed)
        return;
    const POINT first = Client(m_session.Click(0)), second = Client(m_session.Click(1));
    ScopedPen pen(dc.GetSafeHdc(), g_lineType, g_lineWidth, m_lineColor, R2_COPYPEN);
    switch (shape) {
    case LIVE_ANGLE:
    case LIVE_FOUR_POINT_ANGLE:
        Line(dc, first, second);
        break;
    case LIVE_AUTO_DISTANCE:
    case LIVE_AUTO_ANGLE: {
        Line(dc, first, second);
        ScopedPen dotted(dc.GetSafeHdc(), PS_DOT, 1, m_lineColor, R2_COPYPEN);
        BandLines(dc, first, second, shape == LIVE_AUTO_ANGLE ? kAngleBand : kSpacingBand);
        break;
    }
    case LIVE_TWO_CIRCLES: {
        std::vector<POINT> client;
        for (const POINT& p : d)
            client.push_back(Client(p));
        LOGFONTW logfont = m_measureFont;
        CFont font;
        font.CreateFontIndirect(&logfont);
        CFont* old = dc.SelectObject(&font);
        DrawTwoCirclesDraft(dc.GetSafeHdc(), client, draft->m_labels, m_labelColor);
        dc.SelectObject(old);
        break;
    }
    default:
        break;
    }
}
