// Handle table, stock objects, DCs and their attributes, pens, brushes, GetObject.
#include "gdi/GdiPriv.h"
#include "platform/win/gdi/GdiQt.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <cstring>
#include <map>
#include <unordered_map>

namespace ms::gdi {

namespace {

struct Table {
    std::recursive_mutex m;
    std::unordered_map<std::uintptr_t, std::shared_ptr<Object>> objects;
    std::uintptr_t next = 0x100000; // far above the small (HBRUSH)(COLOR_x + 1) values
    std::array<std::shared_ptr<Object>, 18> stock{};
    std::shared_ptr<Bitmap> defaultBitmap;
    std::array<std::shared_ptr<Brush>, 32> sysBrushes{};
    std::map<const Surface*, std::shared_ptr<Recorder>> surfaceRecorders;
};

Table& T() {
    static Table* t = new Table; // never destroyed: handles may be released during exit
    return *t;
}

std::shared_ptr<Pen> MakePen(int style, int width, COLORREF color) {
    auto p = std::make_shared<Pen>();
    p->style = style & PS_STYLE_MASK;
    if (p->style > PS_INSIDEFRAME)
        p->style = PS_SOLID;
    p->width = width < 1 ? 1 : width;
    p->color = color & 0xFFFFFF;
    return p;
}

std::shared_ptr<Brush> MakeBrush(int style, COLORREF color) {
    auto b = std::make_shared<Brush>();
    b->style = style;
    b->color = color & 0xFFFFFF;
    return b;
}

std::shared_ptr<Font> MakeFont(const char16_t* face, LONG height, LONG width, LONG weight,
                               BYTE pitch) {
    auto f = std::make_shared<Font>();
    f->lf.lfHeight = height;
    f->lf.lfWidth = width;
    f->lf.lfWeight = weight;
    f->lf.lfCharSet = ANSI_CHARSET;
    f->lf.lfPitchAndFamily = pitch;
    for (int i = 0; face[i] && i < LF_FACESIZE - 1; ++i)
        f->lf.lfFaceName[i] = face[i];
    return f;
}

void* RegisterLocked(const std::shared_ptr<Object>& obj) {
    Table& t = T();
    std::uintptr_t h = t.next;
    t.next += 0x10;
    obj->handle = reinterpret_cast<void*>(h);
    t.objects.emplace(h, obj);
    return obj->handle;
}

void MakeStock() {
    Table& t = T();
    if (t.stock[0])
        return;
    auto add = [&](int i, std::shared_ptr<Object> o) {
        o->stock = true;
        RegisterLocked(o);
        t.stock[static_cast<size_t>(i)] = std::move(o);
    };
    add(WHITE_BRUSH, MakeBrush(BS_SOLID, RGB(255, 255, 255)));
    add(LTGRAY_BRUSH, MakeBrush(BS_SOLID, RGB(192, 192, 192)));
    add(GRAY_BRUSH, MakeBrush(BS_SOLID, RGB(128, 128, 128)));
    add(DKGRAY_BRUSH, MakeBrush(BS_SOLID, RGB(64, 64, 64)));
    add(BLACK_BRUSH, MakeBrush(BS_SOLID, 0));
    add(NULL_BRUSH, MakeBrush(BS_NULL, 0));
    add(WHITE_PEN, MakePen(PS_SOLID, 1, RGB(255, 255, 255)));
    add(BLACK_PEN, MakePen(PS_SOLID, 1, 0));
    add(NULL_PEN, MakePen(PS_NULL, 1, 0));
    // Stock fonts keep their Windows face names; the face table maps them to DejaVu.
    add(OEM_FIXED_FONT, MakeFont(u"Terminal", 12, 8, FW_NORMAL, FIXED_PITCH | FF_MODERN));
    add(ANSI_FIXED_FONT, MakeFont(u"Courier", 13, 8, FW_NORMAL, FIXED_PITCH | FF_MODERN));
    add(ANSI_VAR_FONT, MakeFont(u"MS Sans Serif", 13, 5, FW_NORMAL, VARIABLE_PITCH | FF_SWISS));
    add(SYSTEM_FONT, MakeFont(u"System", 16, 7, FW_BOLD, VARIABLE_PITCH | FF_SWISS));
    add(DEVICE_DEFAULT_FONT, MakeFont(u"System", 16, 7, FW_BOLD, VARIABLE_PITCH | FF_SWISS));
    add(DEFAULT_PALETTE, std::make_shared<Palette>());
    add(SYSTEM_FIXED_FONT, MakeFont(u"Fixedsys", 15, 8, FW_NORMAL, FIXED_PITCH | FF_MODERN));
    add(DEFAULT_GUI_FONT, MakeFont(u"MS Shell Dlg", -11, 0, FW_NORMAL, VARIABLE_PITCH | FF_SWISS));
    auto bmp = std::make_shared<Bitmap>();
    bmp->mono = true;
    bmp->img = QImage(1, 1, QImage::Format_RGB32);
    bmp->img.fill(0xFFFFFFFFu);
    bmp->stock = true;
    RegisterLocked(bmp);
    t.defaultBitmap = bmp;
}

DcState DefaultState(bool memory) {
    MakeStock();
    Table& t = T();
    DcState st;
    st.pen = std::static_pointer_cast<Pen>(t.stock[BLACK_PEN]);
    st.brush = std::static_pointer_cast<Brush>(t.stock[WHITE_BRUSH]);
    st.font = std::static_pointer_cast<Font>(t.stock[SYSTEM_FONT]);
    st.palette = std::static_pointer_cast<Palette>(t.stock[DEFAULT_PALETTE]);
    if (memory)
        st.bitmap = t.defaultBitmap;
    return st;
}

// Runs f(dc) under the table lock; returns fallback for an invalid DC.
template <class F, class R> R WithDc(HDC hdc, R fallback, F f) {
    std::lock_guard lock(TableMutex());
    auto dc = LookupAs<Dc>(hdc, Kind::Dc);
    if (!dc)
        return fallback;
    return f(*dc);
}

int RegionType(const QRegion& r) {
    return RegionComplexity(r);
}

QSize ScreenSize();

QRect DeviceRect(const Dc& dc) {
    if (dc.screen)
        return QRect(QPoint(0, 0), ScreenSize());
    if (dc.surface)
        return QRect(QPoint(0, 0), dc.surface->Size());
    if (dc.memory && dc.st.bitmap)
        return QRect(0, 0, dc.st.bitmap->img.width(), dc.st.bitmap->img.height());
    return QRect();
}

int screenW = 1280, screenH = 1024;
bool screenPinned = false;

QSize ScreenSize() {
    if (!screenPinned && QGuiApplication::instance() && QGuiApplication::primaryScreen())
        return QGuiApplication::primaryScreen()->size();
    return QSize(screenW, screenH);
}

} // namespace

std::recursive_mutex& TableMutex() {
    return T().m;
}

int RegionComplexity(const QRegion& r) {
    if (r.isEmpty())
        return NULLREGION;
    // A region built row by row may hold many rectangles and still be one rectangle.
    long long area = 0;
    for (const QRect& rc : r)
        area += static_cast<long long>(rc.width()) * rc.height();
    const QRect b = r.boundingRect();
    return area == static_cast<long long>(b.width()) * b.height() ? SIMPLEREGION : COMPLEXREGION;
}

void* Register(const std::shared_ptr<Object>& obj) {
    std::lock_guard lock(TableMutex());
    return RegisterLocked(obj);
}

std::shared_ptr<Object> Lookup(const void* handle) {
    Table& t = T();
    auto it = t.objects.find(reinterpret_cast<std::uintptr_t>(handle));
    return it == t.objects.end() ? nullptr : it->second;
}

void Unregister(const void* handle) {
    T().objects.erase(reinterpret_cast<std::uintptr_t>(handle));
}

HDC NewDc(bool memory, bool screen, std::shared_ptr<Surface> surface) {
    std::lock_guard lock(TableMutex());
    auto dc = std::make_shared<Dc>();
    dc->memory = memory;
    dc->screen = screen;
    dc->st = DefaultState(memory);
    if (surface)
        dc->rec = SurfaceRecorder(surface.get());
    dc->surface = std::move(surface);
    return static_cast<HDC>(RegisterLocked(dc));
}

void ForgetSurface(const Surface* surface, bool dcs) {
    Table& t = T();
    t.surfaceRecorders.erase(surface);
    if (!dcs)
        return;
    for (auto it = t.objects.begin(); it != t.objects.end();) {
        const auto& o = it->second;
        if (o->kind == Kind::Dc && static_cast<const Dc&>(*o).surface.get() == surface)
            it = t.objects.erase(it);
        else
            ++it;
    }
}

std::shared_ptr<Object> Stock(int index) {
    if (index < 0 || index >= 18)
        return nullptr;
    MakeStock();
    return T().stock[static_cast<size_t>(index)];
}

std::shared_ptr<Brush> SysBrush(int index) {
    if (index < 0 || index >= 31)
        return nullptr;
    Table& t = T();
    auto& b = t.sysBrushes[static_cast<size_t>(index)];
    if (!b) {
        b = MakeBrush(BS_SOLID, SysColor(index));
        b->stock = true;
        RegisterLocked(b);
    }
    return b;
}

std::shared_ptr<Brush> BrushOf(HBRUSH brush) {
    auto v = reinterpret_cast<std::uintptr_t>(brush);
    if (v >= 1 && v <= 31)
        return SysBrush(static_cast<int>(v - 1));
    return LookupAs<Brush>(brush, Kind::Brush);
}

std::shared_ptr<Recorder> SurfaceRecorder(const Surface* surface) {
    auto& map = T().surfaceRecorders;
    auto it = map.find(surface);
    return it == map.end() ? nullptr : it->second;
}

void Record(Dc* dc, const char* name, std::initializer_list<long> args,
            const std::u16string* text) {
    if (!dc || !dc->rec)
        return;
    GdiCall call;
    call.name = name;
    call.args.assign(args.begin(), args.end());
    if (text)
        call.text = *text;
    std::lock_guard lock(dc->rec->m);
    dc->rec->calls.push_back(std::move(call));
}

QRgb Canvas::Color(COLORREF c) const {
    if (!mono)
        return ToRgb(c);
    int lum = (GetRValue(c) * 30 + GetGValue(c) * 59 + GetBValue(c) * 11) / 100;
    return lum >= 128 ? 0xFFFFFFFFu : 0xFF000000u;
}

void Canvas::Span(int y, int x0, int x1, QRgb color, int rop2) {
    if (x0 >= x1 || !img)
        return;
    Span(img->bits(), y, x0, x1, color, rop2);
}

void Canvas::MixedSpan(uchar* bits, int y, int x0, int x1, QRgb color, int rop2) {
    if (x0 >= x1 || !bits)
        return;
    for (const QRect& r : clip) {
        if (y < r.top() || y > r.bottom())
            continue;
        int a = std::max(x0, r.left());
        int b = std::min(x1, r.right() + 1);
        if (a >= b)
            continue;
        auto* row = reinterpret_cast<QRgb*>(bits + static_cast<qsizetype>(y) * stride);
        if (rop2 == R2_COPYPEN) {
            std::fill(row + a, row + b, color);
        } else if (rop2 != R2_NOP) {
            const unsigned t = static_cast<unsigned>(rop2 - 1) & 15u;
            for (int x = a; x < b; ++x) {
                const QRgb d = row[x], p = color;
                QRgb res = 0;
                if (t & 1u)
                    res |= ~p & ~d;
                if (t & 2u)
                    res |= ~p & d;
                if (t & 4u)
                    res |= p & ~d;
                if (t & 8u)
                    res |= p & d;
                row[x] = 0xFF000000u | (res & 0xFFFFFFu);
            }
        }
    }
}

void ToMonochrome(QImage& img, COLORREF bk) {
    // The bitmap holds only black and white; the background colour's monochrome form is the
    // pixel value that stands for it.
    const QRgb white = 0xFFFFFFFFu;
    const bool bkIsLight = (GetRValue(bk) * 30 + GetGValue(bk) * 59 + GetBValue(bk) * 11) >= 12800;
    const QRgb bkPixel = bkIsLight ? white : 0xFF000000u;
    for (int y = 0; y < img.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x)
            row[x] =
                (row[x] | 0xFF000000u) == bkPixel ? bkPixel : (bkIsLight ? 0xFF000000u : white);
    }
}

Canvas MakeCanvas(QImage* img, const DcState& st, bool mono) {
    Canvas c;
    c.img = img;
    c.st = st;
    c.mono = mono;
    if (!img || img->isNull())
        return c;
    c.stride = img->bytesPerLine();
    const QRect full = img->rect();
    if (!st.hasClip) {
        c.clip.push_back(full);
    } else {
        const QRegion r = st.clip.intersected(full);
        for (const QRect& rc : r)
            c.clip.push_back(rc);
    }
    return c;
}

Call::Call(HDC hdc, const char* name, std::initializer_list<long> args, HDC src,
           const std::u16string* text) {
    std::array<Surface*, 2> surfaces{};
    {
        std::lock_guard lock(TableMutex());
        keep_ = LookupAs<Dc>(hdc, Kind::Dc);
        if (!keep_)
            return;
        surfaces[0] = keep_->surface.get();
        if (src) {
            keepSrc_ = LookupAs<Dc>(src, Kind::Dc);
            if (keepSrc_)
                surfaces[1] = keepSrc_->surface.get();
        }
    }
    if (surfaces[1] == surfaces[0])
        surfaces[1] = nullptr;
    if (surfaces[0] && surfaces[1] && surfaces[1] < surfaces[0])
        std::swap(surfaces[0], surfaces[1]);
    for (size_t i = 0; i < 2; ++i) {
        if (surfaces[i]) {
            surfaces[i]->Mutex().lock();
            surfaceLocks_[i] = &surfaces[i]->Mutex();
        }
    }
    table_ = std::unique_lock(TableMutex());
    if (!Lookup(hdc))
        return; // deleted while we waited
    dc = keep_.get();
    if (keepSrc_ && Lookup(src)) {
        srcDc = keepSrc_.get();
        srcOk = true;
    }
    if (name)
        Record(dc, name, args, text);
}

Call::~Call() {
    for (size_t i = bitmaps_.size(); i-- > 0;) {
        if (bitmaps_[i]) {
            if (bitmaps_[i]->dib && !bitmaps_[i]->wraps)
                bitmaps_[i]->Push();
            bitmaps_[i]->m.unlock();
        }
    }
    if (table_.owns_lock())
        table_.unlock();
    for (size_t i = 2; i-- > 0;)
        if (surfaceLocks_[i])
            surfaceLocks_[i]->unlock();
}

Canvas Call::Pixels() {
    if (!dc || !table_.owns_lock())
        return Canvas{};
    auto imageOf = [](Dc* d, std::shared_ptr<Bitmap>& bmp) -> QImage* {
        if (d->surface)
            return &d->surface->Image();
        if (d->memory && d->st.bitmap) {
            bmp = d->st.bitmap;
            return &bmp->img;
        }
        return nullptr;
    };
    std::shared_ptr<Bitmap> b1, b2;
    QImage* i1 = imageOf(dc, b1);
    QImage* i2 = srcDc ? imageOf(srcDc, b2) : nullptr;
    DcState st1 = dc->st;
    DcState st2 = srcDc ? srcDc->st : DcState{};
    const bool mono1 = b1 && b1->mono, mono2 = b2 && b2->mono;
    table_.unlock();
    bitmaps_[0] = b1;
    if (b2 != b1)
        bitmaps_[1] = b2;
    if (bitmaps_[0] && bitmaps_[1] && bitmaps_[1].get() < bitmaps_[0].get())
        std::swap(bitmaps_[0], bitmaps_[1]);
    for (auto& b : bitmaps_) {
        if (!b)
            continue;
        b->m.lock();
        if (b->dib && !b->wraps)
            b->Pull();
    }
    if (srcDc) {
        src_ = MakeCanvas(i2, st2, mono2);
        if (i2) {
            src_.clip.clear();
            src_.clip.push_back(i2->rect());
        }
    }
    return MakeCanvas(i1, st1, mono1);
}

} // namespace ms::gdi

using namespace ms::gdi;

namespace ms {

HDC CreateScreenDC() {
    return NewDc(false, true, nullptr);
}

COLORREF SystemColor(int index) {
    return SysColor(index);
}

HBRUSH SysColorBrush(int index) {
    std::lock_guard lock(TableMutex());
    auto b = SysBrush(index);
    return b ? static_cast<HBRUSH>(b->handle) : nullptr;
}

void SetScreenSize(int width, int height) {
    std::lock_guard lock(TableMutex());
    screenW = width;
    screenH = height;
    screenPinned = true;
}

HDC CreateRecordingDC(int width, int height) {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bmp = CreateCompatibleBitmap(dc, width, height);
    SelectObject(dc, bmp);
    DeleteObject(bmp); // the DC keeps it alive
    StartRecording(dc);
    return dc;
}

void StartRecording(HDC hdc) {
    std::lock_guard lock(TableMutex());
    if (auto dc = LookupAs<Dc>(hdc, Kind::Dc))
        dc->rec = std::make_shared<Recorder>();
}

void StartRecording(Surface& surface) {
    std::lock_guard lock(TableMutex());
    T().surfaceRecorders[&surface] = std::make_shared<Recorder>();
}

void StopRecording(Surface& surface) {
    std::lock_guard lock(TableMutex());
    T().surfaceRecorders.erase(&surface);
}

static std::vector<GdiCall> Take(const std::shared_ptr<Recorder>& rec) {
    if (!rec)
        return {};
    std::lock_guard lock(rec->m);
    return std::exchange(rec->calls, {});
}

std::vector<GdiCall> TakeRecordedCalls(HDC hdc) {
    std::shared_ptr<Recorder> rec;
    {
        std::lock_guard lock(TableMutex());
        if (auto dc = LookupAs<Dc>(hdc, Kind::Dc))
            rec = dc->rec;
    }
    return Take(rec);
}

std::vector<GdiCall> TakeRecordedCalls(Surface& surface) {
    std::shared_ptr<Recorder> rec;
    {
        std::lock_guard lock(TableMutex());
        rec = SurfaceRecorder(&surface);
    }
    return Take(rec);
}

std::string GdiCall::ToString() const {
    std::string s = name + "(";
    for (size_t i = 0; i < args.size(); ++i) {
        if (i)
            s += ",";
        s += std::to_string(args[i]);
    }
    if (!text.empty() || name == "TextOut" || name == "DrawText" || name == "ExtTextOut") {
        if (!args.empty())
            s += ",";
        s += "\"" + QString::fromStdU16String(text).toStdString() + "\"";
    }
    return s + ")";
}

std::string ToString(const std::vector<GdiCall>& calls) {
    std::string s;
    for (const auto& c : calls)
        s += c.ToString() + "\n";
    return s;
}

} // namespace ms

// ---- Win32 API: DCs and attributes ----

HDC CreateCompatibleDC(HDC) {
    return NewDc(true, false, nullptr);
}

BOOL DeleteDC(HDC hdc) {
    std::shared_ptr<Dc> dc;
    {
        std::lock_guard lock(TableMutex());
        dc = LookupAs<Dc>(hdc, Kind::Dc);
        if (!dc)
            return FALSE;
        Unregister(hdc);
    }
    // Lock the surface so no call is half-way through this DC when its state goes.
    if (dc->surface) {
        std::lock_guard s(dc->surface->Mutex());
        std::lock_guard lock(TableMutex());
        dc->st = DcState{};
        dc->saved.clear();
    }
    return TRUE;
}

int SaveDC(HDC hdc) {
    return WithDc(hdc, 0, [](Dc& dc) {
        dc.saved.push_back(dc.st);
        return static_cast<int>(dc.saved.size());
    });
}

BOOL RestoreDC(HDC hdc, int savedDc) {
    return WithDc(hdc, FALSE, [&](Dc& dc) -> BOOL {
        const int n = static_cast<int>(dc.saved.size());
        const int target = savedDc < 0 ? n + savedDc + 1 : savedDc;
        if (target < 1 || target > n)
            return FALSE;
        dc.st = dc.saved[static_cast<size_t>(target - 1)];
        dc.saved.resize(static_cast<size_t>(target - 1));
        return TRUE;
    });
}

HGDIOBJ GetStockObject(int index) {
    std::lock_guard lock(TableMutex());
    auto o = Stock(index);
    return o ? o->handle : nullptr;
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ obj) {
    std::lock_guard lock(TableMutex());
    auto dc = LookupAs<Dc>(hdc, Kind::Dc);
    auto o = Lookup(obj);
    if (!dc || !o)
        return nullptr;
    if (dc->rec) {
        // What a test wants to know of a selection: the object's look, not its handle.
        switch (o->kind) {
        case Kind::Pen: {
            const auto& p = static_cast<const Pen&>(*o);
            Record(dc.get(), "SelectObject",
                   {OBJ_PEN, p.style, p.width, static_cast<long>(p.color)});
            break;
        }
        case Kind::Brush: {
            const auto& b = static_cast<const Brush&>(*o);
            Record(dc.get(), "SelectObject", {OBJ_BRUSH, b.style, static_cast<long>(b.color)});
            break;
        }
        case Kind::Font: {
            const auto& f = static_cast<const Font&>(*o);
            std::u16string face;
            for (int i = 0; i < LF_FACESIZE && f.lf.lfFaceName[i]; ++i)
                face.push_back(f.lf.lfFaceName[i]);
            Record(dc.get(), "SelectObject",
                   {OBJ_FONT, f.lf.lfHeight, f.lf.lfWidth, f.lf.lfEscapement, f.lf.lfWeight},
                   &face);
            break;
        }
        case Kind::Bitmap: {
            const auto& b = static_cast<const Bitmap&>(*o);
            Record(dc.get(), "SelectObject", {OBJ_BITMAP, b.img.width(), b.img.height()});
            break;
        }
        default:
            Record(dc.get(), "SelectObject", {static_cast<long>(o->kind)});
        }
    }
    switch (o->kind) {
    case Kind::Pen:
        return std::exchange(dc->st.pen, std::static_pointer_cast<Pen>(o))->handle;
    case Kind::Brush:
        return std::exchange(dc->st.brush, std::static_pointer_cast<Brush>(o))->handle;
    case Kind::Font:
        return std::exchange(dc->st.font, std::static_pointer_cast<Font>(o))->handle;
    case Kind::Bitmap: {
        if (!dc->memory)
            return nullptr;
        auto prev = std::exchange(dc->st.bitmap, std::static_pointer_cast<Bitmap>(o));
        // A clip region belongs to the old pixels.
        dc->st.hasClip = false;
        dc->st.clip = QRegion();
        return prev ? prev->handle : nullptr;
    }
    case Kind::Region: {
        dc->st.hasClip = true;
        dc->st.clip = std::static_pointer_cast<Region>(o)->rgn;
        return reinterpret_cast<HGDIOBJ>(static_cast<LONG_PTR>(RegionType(dc->st.clip)));
    }
    default:
        return nullptr;
    }
}

HGDIOBJ GetCurrentObject(HDC hdc, UINT type) {
    return WithDc(hdc, static_cast<HGDIOBJ>(nullptr), [&](Dc& dc) -> HGDIOBJ {
        switch (type) {
        case OBJ_PEN:
            return dc.st.pen->handle;
        case OBJ_BRUSH:
            return dc.st.brush->handle;
        case OBJ_FONT:
            return dc.st.font->handle;
        case OBJ_BITMAP:
            return dc.st.bitmap ? dc.st.bitmap->handle : nullptr;
        case OBJ_PAL:
            return dc.st.palette ? dc.st.palette->handle : nullptr;
        default:
            return nullptr;
        }
    });
}

BOOL DeleteObject(HGDIOBJ obj) {
    std::lock_guard lock(TableMutex());
    auto o = Lookup(obj);
    if (!o || o->kind == Kind::Dc || o->kind == Kind::Icon)
        return FALSE;
    if (!o->stock)
        Unregister(obj);
    return TRUE;
}

DWORD GetObjectType(HGDIOBJ obj) {
    std::lock_guard lock(TableMutex());
    auto o = Lookup(obj);
    if (!o || o->kind == Kind::Icon)
        return 0;
    if (o->kind == Kind::Dc)
        return std::static_pointer_cast<Dc>(o)->memory ? OBJ_MEMDC : OBJ_DC;
    return static_cast<DWORD>(o->kind);
}

int GetObjectW(HGDIOBJ obj, int size, LPVOID out) {
    std::shared_ptr<Object> o;
    {
        std::lock_guard lock(TableMutex());
        o = Lookup(obj);
    }
    if (!o)
        return 0;
    auto put = [&](const void* data, int n) {
        if (!out)
            return n;
        if (size <= 0)
            return 0;
        const int k = std::min(size, n);
        std::memcpy(out, data, static_cast<size_t>(k));
        return k;
    };
    switch (o->kind) {
    case Kind::Pen: {
        auto p = std::static_pointer_cast<Pen>(o);
        LOGPEN lp{static_cast<UINT>(p->style), POINT{p->width, 0}, p->color};
        return put(&lp, sizeof lp);
    }
    case Kind::Brush: {
        auto b = std::static_pointer_cast<Brush>(o);
        LOGBRUSH lb{static_cast<UINT>(b->style), b->color, 0};
        return put(&lb, sizeof lb);
    }
    case Kind::Font: {
        auto f = std::static_pointer_cast<Font>(o);
        return put(&f->lf, sizeof f->lf);
    }
    case Kind::Bitmap: {
        auto b = std::static_pointer_cast<Bitmap>(o);
        std::lock_guard lock(b->m);
        DIBSECTION ds{};
        ds.dsBm.bmWidth = b->img.width();
        ds.dsBm.bmHeight = b->img.height();
        ds.dsBm.bmPlanes = 1;
        ds.dsBm.bmBitsPixel = static_cast<WORD>(b->BitsPixel());
        if (b->dib) {
            ds.dsBm.bmWidthBytes = b->stride;
            ds.dsBm.bmBits = b->bits.get();
            ds.dsBmih = b->hdr;
            if (out && size >= static_cast<int>(sizeof(DIBSECTION)))
                return put(&ds, sizeof ds);
        } else {
            ds.dsBm.bmWidthBytes = b->mono ? ((b->img.width() + 15) / 16) * 2 : b->img.width() * 4;
        }
        return put(&ds.dsBm, sizeof ds.dsBm);
    }
    default:
        return 0;
    }
}

int GetDeviceCaps(HDC hdc, int index) {
    return WithDc(hdc, 0, [&](Dc& dc) {
        if (dc.printer)
            return PrinterDeviceCaps(*dc.printer, index);
        switch (index) {
        case HORZRES:
            return ScreenSize().width();
        case VERTRES:
            return ScreenSize().height();
        case BITSPIXEL:
            return 32;
        case PLANES:
            return 1;
        case NUMCOLORS:
            return -1;
        case LOGPIXELSX:
        case LOGPIXELSY:
            return 96;
        case SIZEPALETTE:
            return 0;
        default:
            return 0;
        }
    });
}

int SetMapMode(HDC hdc, int mode) {
    // Only MM_TEXT exists here: the system's code draws in device pixels.
    return WithDc(hdc, 0, [&](Dc& dc) { return mode == MM_TEXT ? dc.st.mapMode : 0; });
}

int GetMapMode(HDC hdc) {
    return WithDc(hdc, 0, [](Dc& dc) { return dc.st.mapMode; });
}

int GetClipBox(HDC hdc, LPRECT rect) {
    return WithDc(hdc, static_cast<int>(ERROR), [&](Dc& dc) {
        const QRect full = DeviceRect(dc);
        QRegion r = dc.st.hasClip ? dc.st.clip : QRegion(full);
        if (!full.isEmpty())
            r = r.intersected(full);
        const QRect b = r.boundingRect();
        if (rect)
            *rect = r.isEmpty() ? RECT{0, 0, 0, 0}
                                : RECT{b.left(), b.top(), b.right() + 1, b.bottom() + 1};
        return RegionType(r);
    });
}

int SelectClipRgn(HDC hdc, HRGN rgn) {
    std::lock_guard lock(TableMutex());
    auto dc = LookupAs<Dc>(hdc, Kind::Dc);
    if (!dc)
        return ERROR;
    if (!rgn) {
        dc->st.hasClip = false;
        dc->st.clip = QRegion();
        return SIMPLEREGION;
    }
    auto r = LookupAs<Region>(rgn, Kind::Region);
    if (!r)
        return ERROR;
    dc->st.hasClip = true;
    dc->st.clip = r->rgn;
    return RegionType(dc->st.clip);
}

static int ChangeClip(HDC hdc, const QRect& rc, bool intersect) {
    return WithDc(hdc, static_cast<int>(ERROR), [&](Dc& dc) {
        QRegion cur = dc.st.hasClip ? dc.st.clip : QRegion(DeviceRect(dc));
        dc.st.clip = intersect ? cur.intersected(rc) : cur.subtracted(rc);
        dc.st.hasClip = true;
        return RegionType(dc.st.clip);
    });
}

int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom) {
    return ChangeClip(hdc, QRect(left, top, right - left, bottom - top), true);
}

int ExcludeClipRect(HDC hdc, int left, int top, int right, int bottom) {
    return ChangeClip(hdc, QRect(left, top, right - left, bottom - top), false);
}

#define MS_DC_ATTR(Set, Get, Type, field, Fallback)                                                \
    Type Set(HDC hdc, Type v) {                                                                    \
        return WithDc(hdc, static_cast<Type>(Fallback), [&](Dc& dc) {                              \
            Record(&dc, #Set, {static_cast<long>(v)});                                             \
            return static_cast<Type>(std::exchange(dc.st.field, v));                               \
        });                                                                                        \
    }                                                                                              \
    Type Get(HDC hdc) {                                                                            \
        return WithDc(hdc, static_cast<Type>(Fallback),                                            \
                      [](Dc& dc) { return static_cast<Type>(dc.st.field); });                      \
    }

MS_DC_ATTR(SetTextAlign, GetTextAlign, UINT, align, GDI_ERROR)

COLORREF SetTextColor(HDC hdc, COLORREF c) {
    return WithDc(hdc, CLR_INVALID, [&](Dc& dc) {
        Record(&dc, "SetTextColor", {static_cast<long>(c)});
        return std::exchange(dc.st.text, c & 0xFFFFFF);
    });
}
COLORREF GetTextColor(HDC hdc) {
    return WithDc(hdc, CLR_INVALID, [](Dc& dc) { return dc.st.text; });
}
COLORREF SetBkColor(HDC hdc, COLORREF c) {
    return WithDc(hdc, CLR_INVALID, [&](Dc& dc) {
        Record(&dc, "SetBkColor", {static_cast<long>(c)});
        return std::exchange(dc.st.bk, c & 0xFFFFFF);
    });
}
COLORREF GetBkColor(HDC hdc) {
    return WithDc(hdc, CLR_INVALID, [](Dc& dc) { return dc.st.bk; });
}

#define MS_DC_MODE(Set, Get, field, lo, hi)                                                        \
    int Set(HDC hdc, int v) {                                                                      \
        return WithDc(hdc, 0, [&](Dc& dc) {                                                        \
            if (v < (lo) || v > (hi))                                                              \
                return 0;                                                                          \
            Record(&dc, #Set, {v});                                                                \
            return std::exchange(dc.st.field, v);                                                  \
        });                                                                                        \
    }                                                                                              \
    int Get(HDC hdc) {                                                                             \
        return WithDc(hdc, 0, [](Dc& dc) { return dc.st.field; });                                 \
    }

MS_DC_MODE(SetBkMode, GetBkMode, bkMode, TRANSPARENT, OPAQUE)
MS_DC_MODE(SetROP2, GetROP2, rop2, R2_BLACK, R2_WHITE)
MS_DC_MODE(SetStretchBltMode, GetStretchBltMode, stretch, BLACKONWHITE, HALFTONE)
MS_DC_MODE(SetArcDirection, GetArcDirection, arcDir, AD_COUNTERCLOCKWISE, AD_CLOCKWISE)
MS_DC_MODE(SetPolyFillMode, GetPolyFillMode, fillMode, ALTERNATE, WINDING)

// ---- Pens, brushes, palettes ----

HPEN CreatePen(int style, int width, COLORREF color) {
    return static_cast<HPEN>(Register(MakePen(style, width, color)));
}

HPEN CreatePenIndirect(const LOGPEN* lp) {
    if (!lp)
        return nullptr;
    return CreatePen(static_cast<int>(lp->lopnStyle), lp->lopnWidth.x, lp->lopnColor);
}

HBRUSH CreateSolidBrush(COLORREF color) {
    return static_cast<HBRUSH>(Register(MakeBrush(BS_SOLID, color)));
}

HBRUSH CreateBrushIndirect(const LOGBRUSH* lb) {
    if (!lb || (lb->lbStyle != BS_SOLID && lb->lbStyle != BS_NULL))
        return nullptr;
    return static_cast<HBRUSH>(Register(MakeBrush(static_cast<int>(lb->lbStyle), lb->lbColor)));
}

HPALETTE CreatePalette(const LOGPALETTE* pal) {
    if (!pal)
        return nullptr;
    return static_cast<HPALETTE>(Register(std::make_shared<Palette>()));
}

HPALETTE SelectPalette(HDC hdc, HPALETTE pal, BOOL) {
    std::lock_guard lock(TableMutex());
    auto dc = LookupAs<Dc>(hdc, Kind::Dc);
    auto p = LookupAs<Palette>(pal, Kind::Palette);
    if (!dc || !p)
        return nullptr;
    auto prev = std::exchange(dc->st.palette, p);
    return prev ? static_cast<HPALETTE>(prev->handle) : nullptr;
}

UINT RealizePalette(HDC hdc) {
    return WithDc(hdc, GDI_ERROR, [](Dc&) { return 0u; });
}
