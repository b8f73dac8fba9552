#include "capture/LiveOverlays.h"

#include "capture/CaptureWnd.h"

#include "measure/ShapePainter.h"

#include "platform/win/core/Format.h"
#include "platform/win/core/Time.h"
#include "platform/win/gdi/Gdi.h"

#include <string_view>

namespace {

void Line(HDC dc, int x1, int y1, int x2, int y2) {
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
}

// The red pen, red text and TRANSPARENT mode of the scale bar and the circle template, and
// what the DC held before them.
class RedOverlay {
public:
    explicit RedOverlay(HDC dc)
        : m_pen(dc, CreatePen(PS_SOLID, 1, RGB(255, 0, 0))), m_dc(dc),
          m_colour(SetTextColor(dc, RGB(255, 0, 0))), m_mode(SetBkMode(dc, TRANSPARENT)) {}
    ~RedOverlay() {
        SetBkMode(m_dc, m_mode);
        SetTextColor(m_dc, m_colour);
    }
    RedOverlay(const RedOverlay&) = delete;
    RedOverlay& operator=(const RedOverlay&) = delete;

private:
    ScopedGdiObject m_pen;
    HDC m_dc;
    COLORREF m_colour;
    int m_mode;
};

// The value of one labelled step of the scale bar in the unit.
double ScaleStep(std::u16string_view unit) {
    if (unit == std::u16string_view(u"inch"))
        return 0.01;
    if (unit == std::u16string_view(u"mil"))
        return 10.0;
    if (unit == std::u16string_view(u"cm"))
        return 0.1;
    return 1.0;
}

void Text(HDC dc, int x, int y, const std::u16string& text) {
    TextOutW(dc, x, y, text.c_str(), static_cast<int>(text.size()));
}

// Labels stand beside the ticks, alternating sides by the counter.
int Alternate(int& counter, int odd, int even) {
    if (counter % 2 != 0) {
        ++counter;
        return odd;
    }
    --counter;
    return even;
}

} // namespace

std::u16string DateTimeStampText(const SYSTEMTIME& t) {
    return ms::Format(u"%d-%d-%d %d:%d:%d", int(t.wYear), int(t.wMonth), int(t.wDay), int(t.wHour),
                      int(t.wMinute), int(t.wSecond));
}

int OverlaySpacing(double value, int limit) {
    const double rounded = value + 0.5;
    if (!(rounded >= 1.0)) // also NaN
        return 0;
    return rounded >= limit ? limit : static_cast<int>(rounded);
}

void CCaptureWnd::DrawDateTime(HDC dc, const RECT& client, const LiveViewSnapshot& shown) {
    if (!shown.showDateTime)
        return;
    SYSTEMTIME now{};
    GetLocalTime(&now);
    const std::u16string text = DateTimeStampText(now);
    // Black on a white box in the counter's small font, readable over any picture.
    HGDIOBJ oldFont = shown.counterFont ? SelectObject(dc, shown.counterFont) : nullptr;
    const COLORREF oldColour = SetTextColor(dc, RGB(0, 0, 0));
    const COLORREF oldBack = SetBkColor(dc, RGB(255, 255, 255));
    const int oldMode = SetBkMode(dc, OPAQUE);
    Text(dc, 0, client.bottom - 14, text);
    SetBkMode(dc, oldMode);
    SetBkColor(dc, oldBack);
    SetTextColor(dc, oldColour);
    if (oldFont)
        SelectObject(dc, oldFont);
}

void CCaptureWnd::DrawCrossLine(HDC dc, const RECT& client, const LiveViewSnapshot& shown) {
    if (!shown.showCrossLine)
        return;
    const int w = client.right - client.left, h = client.bottom - client.top;
    ScopedGdiObject pen(dc, CreatePen(PS_SOLID, 1, RGB(255, 255, 255)));
    Line(dc, client.left, h / 2, client.right, h / 2);
    Line(dc, w / 2, client.top, w / 2, client.bottom);
}

void CCaptureWnd::DrawScaleBar(HDC dc, const RECT& client, const LiveViewSnapshot& shown) {
    if (!shown.showScaleBar)
        return;
    const int w = client.right - client.left, h = client.bottom - client.top;
    const int cx = w / 2 + 1, cy = h / 2 + 1;
    RedOverlay red(dc);
    HGDIOBJ oldFont = shown.counterFont ? SelectObject(dc, shown.counterFont) : nullptr;
    Line(dc, client.left, cy, client.right, cy);
    Line(dc, cx, client.top, cx, client.bottom);

    const double step = ScaleStep(shown.unitName);
    const bool high = shown.liveZoom > 30.0;
    const int factor = high ? 20 : 4;
    // No spacing of at least one pixel (a small live scale, as "mil" gives at common
    // magnifications): the axes alone.
    const int s = OverlaySpacing(shown.liveScale * (high ? 0.05 : 0.25), w + h);
    int positive = 1, negative = 1;
    // Labels are placed factor x d from the centre; those starting beyond the window's right
    // or bottom edge would be clipped whole and are not drawn.
    const auto visible = [&](long long x, long long y) {
        return x < client.right && y < client.bottom && x > -1000 && y > -1000;
    };
    if (s > 0) {
        int k = 0;
        for (int d = 0; d < cx; d += s, ++k) {
            Line(dc, cx + d, cy - 6, cx + d, cy + 6);
            Line(dc, cx - d, cy - 6, cx - d, cy + 6);
            if (k == 0)
                continue;
            const double v = k * step;
            const long long reach = static_cast<long long>(factor) * d;
            const int yPos = Alternate(positive, cy + 17, cy - 34);
            if (visible(cx + reach - 6, yPos))
                Text(dc, static_cast<int>(cx + reach - 6), yPos, ms::Format(u"%.2f", v));
            const int yNeg = Alternate(negative, cy + 17, cy - 34);
            if (visible(cx - reach - 6, yNeg))
                Text(dc, static_cast<int>(cx - reach - 6), yNeg, ms::Format(u"%s%.2f", u"-", v));
        }
        k = 0;
        for (int d = 0; d < cy; d += s, ++k) {
            Line(dc, cx - 6, cy + d, cx + 6, cy + d);
            Line(dc, cx - 6, cy - d, cx + 6, cy - d);
            if (k == 0)
                continue;
            const double v = k * step;
            const long long reach = static_cast<long long>(factor) * d;
            const int xPos = Alternate(positive, cx + 17, cx - 34);
            if (visible(xPos, cy + reach - 6))
                Text(dc, xPos, static_cast<int>(cy + reach - 6), ms::Format(u"%.2f", v));
            const int xNeg = Alternate(negative, cx + 17, cx - 34);
            if (visible(xNeg, cy - reach - 6))
                Text(dc, xNeg, static_cast<int>(cy - reach - 6), ms::Format(u"%s%.2f", u"-", v));
        }
    }
    if (oldFont)
        SelectObject(dc, oldFont);
}

void CCaptureWnd::DrawCircleTemplate(HDC dc, const RECT& client, const LiveViewSnapshot& shown) {
    if (!shown.showCircleOverlay)
        return;
    const int w = client.right - client.left, h = client.bottom - client.top;
    const int cx = w / 2 + 1, cy = h / 2 + 1;
    RedOverlay red(dc);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    Line(dc, client.left, cy, client.right, cy);
    Line(dc, cx, client.top, cx, client.bottom);
    // A live scale below half a pixel per unit: the axes alone.
    const int s = OverlaySpacing(shown.liveScale, w + h);
    if (s > 0)
        for (int r = 0; r < cy; r += s)
            Ellipse(dc, cx - r, cy - r, cx + r, cy + r);
    SelectObject(dc, oldBrush);
}
