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

#include "platform/win/gdi/Gdi.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr COLORREF kMoveOutlineColor = 0x007B7D94;
constexpr int kLineTick = 10;
constexpr int kParallelTick = 100;

// Selects pen and hollow brush for a scope and the raster operation given.
class Pen {
public:
    Pen(CDC& dc, int style, int width, COLORREF colour, int rop)
        : m_dc(dc), m_pen(CreatePen(style, width, colour)) {
        m_oldPen = SelectObject(dc.GetSafeHdc(), m_pen);
        m_oldBrush = SelectObject(dc.GetSafeHdc(), GetStockObject(NULL_BRUSH));
        m_oldRop = dc.SetROP2(rop);
    }
    ~Pen() {
        m_dc.SetROP2(m_oldRop);
        SelectObject(m_dc.GetSafeHdc(), m_oldBrush);
        SelectObject(m_dc.GetSafeHdc(), m_oldPen);
        DeleteObject(m_pen);
    }
    Pen(const Pen&) = delete;
    Pen& operator=(const Pen&) = delete;

private:
    CDC& m_dc;
    HPEN m_pen;
    HGDIOBJ m_oldPen;
    HGDIOBJ m_oldBrush;
    int m_oldRop;
};

void Line(CDC& dc, POINT a, POINT b) {
    dc.MoveTo(a);
    dc.LineTo(b);
}

void Cross(CDC& dc, POINT p) {
    Line(dc, POINT{p.x - 4, p.y}, POINT{p.x + 4, p.y});
    Line(dc, POINT{p.x, p.y - 4}, POINT{p.x, p.y + 4});
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
    if (!m_image) {
        CDialog::OnMouseMove(flags, c);
        return;
    }
    if (m_moving) {
        // A shape deleted meanwhile has nothing to show.
        if (m_moveRule && m_movingRecord && m_shapes.GetAt(m_movingIndex) == m_movingRecord) {
            CClientDC dc(this);
            Pen pen(dc, PS_SOLID, 1, kMoveOutlineColor, R2_NOTXORPEN);
            if (m_outlineShown)
                DrawMoveOutline(dc.GetSafeHdc(), *m_moveRule, m_moveHandles,
                                m_movingRecord->m_radius);
            MoveHandlesTo(*m_moveRule, m_moveHandles, c);
            DrawMoveOutline(dc.GetSafeHdc(), *m_moveRule, m_moveHandles, m_movingRecord->m_radius);
            m_outlineShown = true;
        }
        CDialog::OnMouseMove(flags, c);
        return;
    }
    if (m_tool == TOOL_MAGNIFIER && m_lensState && m_lens && m_lens->m_hWnd) {
        ::SetCursor(nullptr);
        const int half = m_lensSize / 2;
        m_lensPoint = POINT{c.x - half, c.y - half};
        m_lens->MoveWindow(c.x - half, c.y - half, m_lensSize, m_lensSize, FALSE);
        Invalidate(FALSE);
        UpdateWindow();
        m_lens->Invalidate(FALSE);
        m_lens->UpdateWindow();
    } else if (m_tool == TOOL_TEXT && !m_text.IsEmpty()) {
        m_textPos = c;
        CMeasureRecord* text = m_shapes.GetAt(m_shapes.GetSize() - 1);
        if (text && text->m_kind == CANVAS_KIND_TEXT && text->m_points.size() >= 2) {
            InvalidateLabel(Canvas(text->m_points[0]), *text, 30);
            const POINT p = Canvas(c);
            text->m_points[0] = p;
            text->m_points[1] = POINT{p.x + 60, p.y + 60};
            InvalidateLabel(c, *text, 30);
        }
    } else if (m_labelPending) {
        FollowLabel(c);
    } else if (m_shapeTool == TOOL_CONTINUOUS_LINE && m_toolMode != TOOL_MODE_MEASURE) {
        if (m_freehand) {
            CClientDC dc(this);
            Pen pen(dc, g_lineType, g_lineWidth, m_lineColor, R2_COPYPEN);
            Line(dc, m_startPoint, c);
            m_freehand->m_points.push_back(Canvas(m_startPoint));
            m_freehand->m_labels.push_back(CString());
            m_startPoint = c;
        }
    } else if (m_shapeTool == TOOL_CONTINUOUS_LINE && m_polyLabelNext) {
        const CRect before(
            m_polyPoints.back().x - m_scrollX - 30, m_polyPoints.back().y - m_scrollY - 30,
            m_polyPoints.back().x - m_scrollX + 200, m_polyPoints.back().y - m_scrollY + 200);
        InvalidateRect(&before, FALSE);
        m_polyPoints.back() = Canvas(c);
        Invalidate(FALSE);
    } else if (m_shapeTool == TOOL_TWO_CIRCLES) {
        m_textPos = c;
        if (m_polyFollow >= 0 && size_t(m_polyFollow) < m_polyPoints.size()) {
            m_polyPoints[size_t(m_polyFollow)] = Canvas(c);
            Invalidate(FALSE);
        }
    } else if (m_shapeTool != TOOL_NONE) {
        CClientDC dc(this);
        if (m_bandShown)
            DrawRubberBand(dc, m_bandPoint);
        DrawRubberBand(dc, c);
        m_bandPoint = c;
        m_bandShown = true;
    }
    CDialog::OnMouseMove(flags, c);
}

// The figure of the shape in progress from its last fixed point to the cursor c.
void CMeasureCanvas::DrawRubberBand(CDC& dc, CPoint c) {
    const size_t n = m_clicks.size();
    if (n == 0)
        return;
    const POINT s = m_clicks.back();
    Pen pen(dc, g_lineType, g_lineWidth, m_lineColor, R2_NOTXORPEN);
    POINT a1, a2, b1, b2;
    switch (m_shapeTool) {
    case TOOL_LINE:
    case TOOL_PARALLEL_LINE: {
        if (n != 1)
            break;
        const int half = m_shapeTool == TOOL_LINE ? kLineTick : kParallelTick;
        OffsetPerpendicular(s.x, s.y, c.x, c.y, a1, a2, b1, b2, half);
        Line(dc, s, c);
        Line(dc, a1, a2);
        if (m_shapeTool == TOOL_PARALLEL_LINE)
            Line(dc, b1, b2);
        break;
    }
    case TOOL_DOT_LINE:
    case TOOL_RECTANGLE:
        if (n != 1)
            break;
        if (m_shapeTool == TOOL_RECTANGLE)
            dc.Rectangle(s.x, s.y, c.x, c.y);
        else
            Line(dc, s, c);
        break;
    case TOOL_ANGLE:
        Line(dc, s, c);
        break;
    case TOOL_CONTINUOUS_LINE:
        Line(dc, m_startPoint, c);
        break;
    case TOOL_FOUR_POINT_ANGLE:
        if (n == 1 || n == 3)
            Line(dc, s, c);
        break;
    case TOOL_AUTO_LINE_SPACING:
    case TOOL_AUTO_ANGLE: {
        if (n != 1 && n != 3)
            break;
        Line(dc, s, c);
        Pen dashed(dc, PS_DASH, 1, m_lineColor, R2_NOTXORPEN);
        BandLines(dc, s, c, m_shapeTool == TOOL_AUTO_ANGLE ? 10 : 6);
        break;
    }
    case TOOL_EDGE_PORTION: {
        Pen dotted(dc, PS_DOT, 1, 0x000000, R2_NOTXORPEN);
        dc.Rectangle(s.x, s.y, c.x, c.y);
        break;
    }
    default:
        break;
    }
}

// The label of the shape just made follows the cursor: its anchor point moves, and only the
// areas around the old and the new place are repainted.
void CMeasureCanvas::FollowLabel(CPoint c) {
    m_textPos = c;
    if (!IsListed(m_pending))
        return;
    const LabelRule* rule = LabelRuleOfKind(m_pending->m_kind);
    if (!rule || size_t(rule->anchor) >= m_pending->m_points.size())
        return;
    POINT& anchor = m_pending->m_points[size_t(rule->anchor)];
    InvalidateLabel(POINT{anchor.x - m_scrollX, anchor.y - m_scrollY}, *m_pending, rule->margin);
    anchor = Canvas(c);
    InvalidateLabel(c, *m_pending, rule->margin);
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

// The marks of the shape in progress, painted with the picture (client coordinates).
void CMeasureCanvas::DrawShapeInProgress(CDC& dc) {
    const ShapeMapping screen{false, m_scrollX, m_scrollY, 1.0, 1.0};
    if (m_freehand && m_freehand->m_points.size() >= 2)
        DrawMeasureRecord(dc.GetSafeHdc(), *m_freehand, screen, g_decimalPlaces, g_unitName);
    if (m_shapeTool == TOOL_CONTINUOUS_LINE && m_toolMode == TOOL_MODE_MEASURE &&
        m_polyPoints.size() >= 2) {
        auto line = NewRecord(TOOL_CONTINUOUS_LINE);
        line->m_fontSize = FontSizeFromHeight(); // as the finished line will have it
        line->m_points = m_polyPoints;
        line->m_labels = m_polyLabels;
        DrawMeasureRecord(dc.GetSafeHdc(), *line, screen, g_decimalPlaces, g_unitName);
    }
    auto client = [&](POINT p) { return POINT{p.x - m_scrollX, p.y - m_scrollY}; };
    {
        Pen thin(dc, g_lineType, 1, m_lineColor, R2_COPYPEN);
        switch (m_shapeTool) {
        case TOOL_THREE_POINT_CIRCLE:
        case TOOL_ARC:
            for (const CPoint& k : m_clicks)
                Cross(dc, k);
            break;
        case TOOL_TWO_CIRCLES:
            for (size_t i : {0, 1, 2, 5, 6, 7})
                if (i < m_polyPoints.size())
                    Cross(dc, client(m_polyPoints[i]));
            break;
        case TOOL_AUTO_CIRCLE:
        case TOOL_AUTO_ARC:
        case TOOL_AUTO_LINE_LENGTH2:
            if (!m_labelPending)
                for (const POINT& f : m_fitPoints)
                    Cross(dc, f);
            break;
        default:
            break;
        }
    }
    const size_t n = m_clicks.size();
    Pen pen(dc, g_lineType, g_lineWidth, m_lineColor, R2_COPYPEN);
    switch (m_shapeTool) {
    case TOOL_ANGLE:
        if (n >= 2 && !m_labelPending)
            Line(dc, m_clicks[0], m_clicks[1]);
        break;
    case TOOL_FOUR_POINT_ANGLE:
        if (n >= 2 && !m_labelPending)
            Line(dc, m_clicks[0], m_clicks[1]);
        break;
    case TOOL_AUTO_LINE_SPACING:
    case TOOL_AUTO_ANGLE:
        if (n >= 2 && !m_labelPending) {
            Line(dc, m_clicks[0], m_clicks[1]);
            Pen dotted(dc, PS_DOT, 1, m_lineColor, R2_COPYPEN);
            BandLines(dc, m_clicks[0], m_clicks[1], m_shapeTool == TOOL_AUTO_ANGLE ? 10 : 6);
        }
        break;
    case TOOL_TWO_CIRCLES: {
        // The first circle once its centre is known, the second once its own is.
        auto circle = [&](size_t centre, size_t rim, size_t label, size_t text) {
            if (label >= m_polyPoints.size() || text >= m_polyLabels.size())
                return;
            const POINT c = client(m_polyPoints[centre]);
            const POINT r = client(m_polyPoints[rim]);
            const int radius = static_cast<int>(std::hypot(double(c.x - r.x), double(c.y - r.y)));
            dc.Ellipse(c.x - radius, c.y - radius, c.x + radius, c.y + radius);
            const POINT at = client(m_polyPoints[label]);
            LOGFONTW logfont = m_measureFont;
            CFont font;
            font.CreateFontIndirect(&logfont);
            CFont* old = dc.SelectObject(&font);
            dc.SetTextColor(m_labelColor);
            dc.SetBkMode(TRANSPARENT);
            dc.TextOut(at.x, at.y, m_polyLabels[text]);
            dc.SelectObject(old);
        };
        circle(3, 0, 4, 0);
        circle(8, 5, 9, 1);
        if (m_polyPoints.size() >= 11 && m_polyLabels.size() >= 3) {
            Line(dc, client(m_polyPoints[3]), client(m_polyPoints[8]));
            const POINT at = client(m_polyPoints[10]);
            dc.TextOut(at.x, at.y, m_polyLabels[2]);
        }
        break;
    }
    default:
        break;
    }
}
