// Internal objects of the GDI layer. Not for use outside platform/win/gdi.
//
// Locking: a call first locks the window surfaces it draws on (outermost, as the window layer
// holds them while it copies a surface to the screen), then the one table lock that guards
// handles and DC state. Before touching pixels it copies what it needs of the DC state, drops
// the table lock and locks the bitmaps it draws into, so a long blit on the capture thread
// does not stall the UI thread's other drawing.
#pragma once
#ifndef MS_PLATFORM_INTERNAL
#error "internal to the platform layer; tests use platform/win/window/TestSeams.h"
#endif

#include "platform/win/gdi/Gdi.h"
#include "platform/win/gdi/RecordingDC.h"
#include "platform/win/gdi/Surface.h"

#include <QFont>
#include <QImage>
#include <QRegion>
#include <array>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace ms::gdi {

enum class Kind {
    Pen = OBJ_PEN,
    Brush = OBJ_BRUSH,
    Dc = OBJ_DC,
    Palette = OBJ_PAL,
    Font = OBJ_FONT,
    Bitmap = OBJ_BITMAP,
    Region = OBJ_REGION,
    Icon = 100
};

struct Object {
    explicit Object(Kind k) : kind(k) {}
    virtual ~Object() = default;
    Kind kind;
    bool stock = false;
    void* handle = nullptr;
};

struct Pen : Object {
    Pen() : Object(Kind::Pen) {}
    int style = PS_SOLID; // PS_STYLE_MASK part
    int width = 1;
    COLORREF color = 0;
};

struct Brush : Object {
    Brush() : Object(Kind::Brush) {}
    int style = BS_SOLID;
    COLORREF color = 0;
};

struct Palette : Object {
    Palette() : Object(Kind::Palette) {}
};

struct Region : Object {
    Region() : Object(Kind::Region) {}
    QRegion rgn;
};

struct Font : Object {
    Font() : Object(Kind::Font) {}
    LOGFONTW lf{};
    // Built on first use; QFont and its metrics need the GUI application's font database.
    // Fonts made from equal LOGFONTs share one Metrics (a label font is made per label), and
    // its id names the face in the cache of drawn text. A QFont keeps the font engine of the
    // thread that uses it, so a font drawn with on several threads (a stock font: every DC's
    // default) has one Metrics for each thread, and no QFont is used by two threads.
    struct Metrics {
        QFont font;
        int ascent = 0, descent = 0, avgWidth = 0, maxWidth = 0, leading = 0;
        std::uint64_t id = 0;
        bool fonts = false;  // built with the font database (else the sizes are estimates)
        bool smooth = false; // anti-aliased quality asked for
    };
    const Metrics& Get();

private:
    std::mutex m_;
    // One per thread that drew with the font, kept while the font lives: Get's reference stays
    // valid, and a thread id another thread takes over after the first one ended is that of a
    // thread that can no longer use the first one's build.
    std::vector<std::pair<std::thread::id, std::shared_ptr<const Metrics>>> metrics_;
};

struct Bitmap : Object {
    Bitmap() : Object(Kind::Bitmap) {}
    std::recursive_mutex m;
    QImage img;        // Format_RGB32 always; mono bitmaps hold only black and white
    bool mono = false; // a 1-bit device bitmap (CreateBitmap with 1 bit)
    // DIB section: the caller writes bits directly, in the DIB's own layout. A 32-bit
    // top-down section is wrapped by img itself; other layouts are copied in before and out
    // after every use (Pull/Push), under m.
    bool dib = false;
    bool wraps = false;
    BITMAPINFOHEADER hdr{};
    std::vector<RGBQUAD> colors;
    std::unique_ptr<BYTE[]> bits;
    int stride = 0;
    void Pull();
    void Push();
    int BitsPixel() const { return dib ? hdr.biBitCount : (mono ? 1 : 32); }
};

struct Icon : Object {
    Icon() : Object(Kind::Icon) {}
    QImage argb;
    bool isIcon = true;
    int hotX = 0, hotY = 0;
};

struct Recorder {
    std::mutex m;
    std::vector<GdiCall> calls;
};

struct DcState {
    std::shared_ptr<Pen> pen;
    std::shared_ptr<Brush> brush;
    std::shared_ptr<Font> font;
    std::shared_ptr<Bitmap> bitmap; // memory DCs
    std::shared_ptr<Palette> palette;
    COLORREF text = 0;
    COLORREF bk = 0xFFFFFF;
    int bkMode = OPAQUE;
    int rop2 = R2_COPYPEN;
    int stretch = BLACKONWHITE;
    int arcDir = AD_COUNTERCLOCKWISE;
    int fillMode = ALTERNATE;
    UINT align = TA_LEFT | TA_TOP;
    int mapMode = MM_TEXT;
    POINT pos{0, 0};
    bool hasClip = false;
    QRegion clip; // device coordinates
};

// The print job of a printer DC (Printing.cpp).
struct PrintJob;

struct Dc : Object {
    Dc() : Object(Kind::Dc) {}
    bool memory = false;
    bool screen = false;
    std::shared_ptr<Surface> surface;  // kept alive by the DC; fixed for the DC's life
    std::shared_ptr<PrintJob> printer; // a printer's DC: its job; the surface is the page
    DcState st;
    std::vector<DcState> saved;
    std::shared_ptr<Recorder> rec;
};

// Handle table (callers hold TableMutex()).
std::recursive_mutex& TableMutex();
void* Register(const std::shared_ptr<Object>& obj);
std::shared_ptr<Object> Lookup(const void* handle);
template <class T> std::shared_ptr<T> LookupAs(const void* handle, Kind kind) {
    auto o = Lookup(handle);
    if (!o || o->kind != kind)
        return nullptr;
    return std::static_pointer_cast<T>(o);
}
void Unregister(const void* handle);
std::shared_ptr<Object> Stock(int index);
// The brush for a handle, including the (HBRUSH)(COLOR_x + 1) form; null when invalid.
std::shared_ptr<Brush> BrushOf(HBRUSH brush);
std::shared_ptr<Recorder> SurfaceRecorder(const Surface* surface);
// A new DC (a memory DC, the screen's, or one drawing into the surface).
HDC NewDc(bool memory, bool screen, std::shared_ptr<Surface> surface);
// Drops the surface's recorder and, with dcs, every DC drawing into it (their handles become
// invalid). Callers hold TableMutex().
void ForgetSurface(const Surface* surface, bool dcs);
// A printer DC's answer to GetDeviceCaps (table lock held).
int PrinterDeviceCaps(const PrintJob& job, int index);
// The system colour of an index (SysColors.cpp); 0 for an unknown index.
COLORREF SysColor(int index);
// The stock brush of a system colour (table lock held); null for an unknown index.
std::shared_ptr<Brush> SysBrush(int index);
// NULLREGION, SIMPLEREGION (one rectangle) or COMPLEXREGION.
int RegionComplexity(const QRegion& r);

inline QRgb ToRgb(COLORREF c) {
    return 0xFF000000u | ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}
inline COLORREF ToColorref(QRgb p) {
    return ((p >> 16) & 0xFFu) | (p & 0xFF00u) | ((p & 0xFFu) << 16);
}

// Pixels of one DC for one call: the image, the clip rectangles (device coordinates, inside
// the image) and the DC state copied when the pixels were taken.
struct Canvas {
    QImage* img = nullptr;
    qsizetype stride = 0; // img's bytes per line, taken once
    std::vector<QRect> clip;
    DcState st;
    bool mono = false;
    explicit operator bool() const { return img != nullptr && !clip.empty(); }
    // Writes [x0, x1) of row y through the clip with a ROP2 mix.
    void Span(int y, int x0, int x1, QRgb color, int rop2);
    // The same into `bits`, the image's pixels taken once with img->bits() for a batch of
    // spans during which nothing else holds the image (detaching it once, not per span).
    void Span(uchar* bits, int y, int x0, int x1, QRgb color, int rop2) {
        // Most spans are a few pixels copied inside one clip rectangle (text, thin pens): that
        // case is decided here, where the caller's loop can see it.
        if (rop2 == R2_COPYPEN && clip.size() == 1 && bits) {
            const QRect& r = clip.front();
            const int a = x0 > r.left() ? x0 : r.left();
            const int b = x1 < r.right() + 1 ? x1 : r.right() + 1;
            if (y < r.top() || y > r.bottom() || a >= b)
                return;
            auto* row = reinterpret_cast<QRgb*>(bits + static_cast<qsizetype>(y) * stride);
            for (int x = a; x < b; ++x)
                row[x] = color;
            return;
        }
        MixedSpan(bits, y, x0, x1, color, rop2);
    }
    // Span through any clip with any mix.
    void MixedSpan(uchar* bits, int y, int x0, int x1, QRgb color, int rop2);
    // Colour as the target stores it (mono bitmaps: black or white).
    QRgb Color(COLORREF c) const;
};

// One GDI call: locks (see top), looks the DCs up, records the call. Pixels() then copies the
// state, releases the table and locks the pixels.
class Call {
public:
    Call(HDC hdc, const char* name, std::initializer_list<long> args, HDC src = nullptr,
         const std::u16string* text = nullptr);
    ~Call();
    Call(const Call&) = delete;
    Call& operator=(const Call&) = delete;
    explicit operator bool() const { return dc != nullptr; }
    Dc* dc = nullptr;
    Dc* srcDc = nullptr;
    bool srcOk = false; // src was given and is a valid DC
    // Copies the DC state (and the source DC's), releases the table lock and locks the
    // bitmaps drawn into or read from. Call once.
    Canvas Pixels();
    Canvas& Source() { return src_; }

private:
    std::array<std::recursive_mutex*, 2> surfaceLocks_{};
    std::unique_lock<std::recursive_mutex> table_;
    std::shared_ptr<Dc> keep_, keepSrc_;
    std::array<std::shared_ptr<Bitmap>, 2> bitmaps_{}; // locked, in lock order
    Canvas src_;
};

// After Qt painted into a monochrome bitmap: what is still the background colour (white when
// the background is white) stays white, everything else turns black, as GDI converts colour
// to monochrome.
void ToMonochrome(QImage& img, COLORREF bk);

// Builds the canvas of a DC state (clip rects from the DC's clip and the image size).
Canvas MakeCanvas(QImage* img, const DcState& st, bool mono);

// Records a call on a DC that holds a recorder (table lock held).
void Record(Dc* dc, const char* name, std::initializer_list<long> args,
            const std::u16string* text = nullptr);

} // namespace ms::gdi
