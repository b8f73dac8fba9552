#include "shell/SnapshotOverlays.h"

#include "platform/win/core/Format.h"
#include "platform/win/gdi/Gdi.h"

#include <string>

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);

// One overlay's drawing state: its pen (and brush), text colour and background mode, all put
// back and the pen deleted when the overlay is done.
class OverlayPen {
public:
    OverlayPen(HDC dc, COLORREF color, bool hollowBrush) : dc_(dc) {
        pen_ = CreatePen(PS_SOLID, 1, color);
        oldPen_ = SelectObject(dc_, pen_);
        if (hollowBrush)
            oldBrush_ = SelectObject(dc_, GetStockObject(HOLLOW_BRUSH));
        oldText_ = SetTextColor(dc_, color);
        oldMode_ = SetBkMode(dc_, TRANSPARENT);
    }
    ~OverlayPen() {
        SetBkMode(dc_, oldMode_);
        SetTextColor(dc_, oldText_);
        if (oldBrush_)
            SelectObject(dc_, oldBrush_);
        SelectObject(dc_, oldPen_);
        DeleteObject(pen_);
    }
    OverlayPen(const OverlayPen&) = delete;
    OverlayPen& operator=(const OverlayPen&) = delete;

private:
    HDC dc_;
    HPEN pen_ = nullptr;
    HGDIOBJ oldPen_ = nullptr;
    HGDIOBJ oldBrush_ = nullptr;
    COLORREF oldText_ = 0;
    int oldMode_ = 0;
};

void Segment(HDC dc, int x1, int y1, int x2, int y2) {
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
}

void CentreLines(HDC dc, int width, int height) {
    Segment(dc, 0, height / 2, width, height / 2);
    Segment(dc, width / 2, 0, width / 2, height);
}

void Text(HDC dc, int x, int y, const std::u16string& text) {
    TextOutW(dc, x, y, text.c_str(), static_cast<int>(text.size()));
}

double LabelStep(const WCHAR* unit) {
    const std::u16string_view u(unit ? unit : u"");
    if (u == u"inch")
        return 0.01;
    if (u == u"mil")
        return 10;
    if (u == u"cm")
        return 0.1;
    return 1.0;
}

// The two alternation counters of the labels: odd puts a label below (right of) its ruler,
// even above (left of) it. They run on from the horizontal into the vertical ruler.
struct Alternation {
    int positive = 1, negative = 1;
    static int Next(int& counter, int odd, int even) {
        if (counter % 2 != 0) {
            ++counter;
            return odd;
        }
        --counter;
        return even;
    }
};

// A spacing in whole pixels, truncated as the ruler has always done; a nonsensical length
// (negative, not a number, or larger than any picture) cannot overflow the arithmetic below.
int Spacing(double pixels) {
    if (!(pixels >= 0))
        return 0;
    return pixels > 1e6 ? 1000000 : static_cast<int>(pixels);
}

void DrawScaleBar(HDC dc, const SnapshotOverlays& o, double unitLength) {
    OverlayPen pen(dc, kRed, false);
    CentreLines(dc, o.width, o.height);
    const int cx = o.width / 2, cy = o.height / 2;
    int tick, label;
    if (o.zoomRate > 30.0) {
        tick = Spacing(unitLength * 0.05 + 0.5);
        label = 20 * tick;
    } else {
        tick = Spacing(unitLength * 0.25 + 0.5);
        label = 4 * tick;
    }
    if (tick <= 0)
        return;
    const double step = LabelStep(o.unit);
    Alternation alt;

    double v = -step;
    for (int k = 0; k * tick < cx; ++k) {
        Segment(dc, cx + k * tick, cy - 6, cx + k * tick, cy + 6);
        Segment(dc, cx - k * tick, cy - 6, cx - k * tick, cy + 6);
        v += step;
        if (v != 0) {
            Text(dc, cx - 6 + k * label, Alternation::Next(alt.positive, cy + 17, cy - 34),
                 ms::Format(u"%.2f", v));
            Text(dc, cx - 6 - k * label, Alternation::Next(alt.negative, cy + 17, cy - 34),
                 ms::Format(u"%s%.2f", u"-", v));
        }
    }
    v = -step;
    for (int k = 0; k * tick < cy; ++k) {
        Segment(dc, cx - 6, cy + k * tick, cx + 6, cy + k * tick);
        Segment(dc, cx - 6, cy - k * tick, cx + 6, cy - k * tick);
        v += step;
        if (v != 0) {
            Text(dc, Alternation::Next(alt.positive, cx + 17, cx - 34), cy - 6 + k * label,
                 ms::Format(u"%.2f", v));
            Text(dc, Alternation::Next(alt.negative, cx + 17, cx - 34), cy - 6 - k * label,
                 ms::Format(u"%s%.2f", u"-", v));
        }
    }
}

void DrawCircleTemplate(HDC dc, const SnapshotOverlays& o, double unitLength) {
    OverlayPen pen(dc, kRed, true);
    CentreLines(dc, o.width, o.height);
    const int cx = o.width / 2, cy = o.height / 2;
    const int ring = Spacing(unitLength + 0.5);
    if (ring <= 0)
        return;
    for (int k = 0; k * ring < cy; ++k)
        Ellipse(dc, cx - k * ring, cy - k * ring, cx + k * ring, cy + k * ring);
}

} // namespace

double OverlaySizeFactor(int width, int height) {
    struct Row {
        int width, height;
        double factor;
    };
    static constexpr Row kRows[] = {{320, 240, 0.5},   {640, 480, 1.0},   {1280, 960, 2.0},
                                    {1280, 1024, 2.0}, {1600, 1200, 2.5}, {2048, 1536, 3.2},
                                    {2592, 1944, 4.05}};
    for (const Row& row : kRows)
        if (row.width == width && row.height == height)
            return row.factor;
    return 1.0;
}

void DrawSnapshotOverlays(HDC dc, const SnapshotOverlays& o) {
    if (!dc || o.width <= 0 || o.height <= 0)
        return;
    const double unitLength = o.liveScale * OverlaySizeFactor(o.width, o.height);
    if (o.crossLine == 1) {
        OverlayPen pen(dc, RGB(255, 255, 255), false);
        CentreLines(dc, o.width, o.height);
    }
    if (o.scaleBar == 1)
        DrawScaleBar(dc, o, unitLength);
    if (o.circleTemplate == 1)
        DrawCircleTemplate(dc, o, unitLength);
}
