// The resource table and the Win32 loaders: strings, accelerators, menus, bitmaps, icons and
// cursors (also from ".cur" and ".ani" files), and the cursor shown on screen.
#include "platform/win/window/Resources.h"
#include "window/SystemIcons.h"
#include "window/WindowInternal.h"

#include "platform/win/core/CString.h"
#include "platform/win/gdi/Gdi.h"
#include "platform/win/gdi/GdiQt.h"

#include <QBuffer>
#include <QCursor>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QPixmap>
#include <cstring>
#include <map>
#include <mutex>
#include <vector>

namespace ms::res {

namespace {

struct Registry {
    std::vector<const ResourceModule*> modules;
};

Registry& R() {
    static Registry r;
    return r;
}

std::mutex& M() {
    static std::mutex m;
    return m;
}

bool SameType(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto up = [](char16_t c) {
            return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c;
        };
        if (up(a[i]) != up(b[i]))
            return false;
    }
    return true;
}

} // namespace

bool RegisterModule(const ResourceModule* module) {
    if (!module)
        return false;
    {
        std::lock_guard lock(M());
        R().modules.push_back(module);
    }
    return true;
}

void InstallStringLoader() {
    // Not from RegisterModule: that runs in static initialisation, possibly before the
    // string class's own statics exist.
    SetStringLoader([](UINT id, std::u16string& out) {
        const char16_t* s = FindString(id);
        if (!s)
            return false;
        out = s;
        return true;
    });
}

const DialogTemplate* FindDialog(UINT id) {
    std::lock_guard lock(M());
    for (auto it = R().modules.rbegin(); it != R().modules.rend(); ++it)
        for (std::size_t i = 0; i < (*it)->dialogCount; ++i)
            if ((*it)->dialogs[i].id == id)
                return &(*it)->dialogs[i];
    return nullptr;
}

const char16_t* FindString(UINT id) {
    std::lock_guard lock(M());
    for (auto it = R().modules.rbegin(); it != R().modules.rend(); ++it)
        for (std::size_t i = 0; i < (*it)->stringCount; ++i)
            if ((*it)->strings[i].id == id)
                return (*it)->strings[i].text;
    return nullptr;
}

std::span<const unsigned char> FindFile(std::u16string_view type, UINT id) {
    std::lock_guard lock(M());
    for (auto it = R().modules.rbegin(); it != R().modules.rend(); ++it)
        for (std::size_t i = 0; i < (*it)->fileCount; ++i) {
            const FileResource& f = (*it)->files[i];
            if (!f.name && f.id == id && SameType(f.type, type))
                return {f.data, f.size};
        }
    return {};
}

std::span<const unsigned char> FindFile(std::u16string_view type, std::u16string_view name) {
    std::lock_guard lock(M());
    for (auto it = R().modules.rbegin(); it != R().modules.rend(); ++it)
        for (std::size_t i = 0; i < (*it)->fileCount; ++i) {
            const FileResource& f = (*it)->files[i];
            if (f.name && SameType(f.name, name) && SameType(f.type, type))
                return {f.data, f.size};
        }
    return {};
}

std::vector<AccelEntry> AccelTable(UINT id) {
    std::lock_guard lock(M());
    std::vector<AccelEntry> out;
    for (auto it = R().modules.rbegin(); it != R().modules.rend() && out.empty(); ++it)
        for (std::size_t i = 0; i < (*it)->accelCount; ++i)
            if ((*it)->accels[i].table == id)
                out.push_back((*it)->accels[i]);
    return out;
}

std::vector<MenuItem> MenuItems(UINT id) {
    std::lock_guard lock(M());
    std::vector<MenuItem> out;
    for (auto it = R().modules.rbegin(); it != R().modules.rend() && out.empty(); ++it)
        for (std::size_t i = 0; i < (*it)->menuCount; ++i)
            if ((*it)->menus[i].menu == id)
                out.push_back((*it)->menus[i]);
    return out;
}

} // namespace ms::res

namespace ms {

namespace {

std::span<const unsigned char> FindByName(std::u16string_view type, LPCWSTR name) {
    if (!name)
        return {};
    if (IS_INTRESOURCE(name))
        return res::FindFile(type, static_cast<UINT>(reinterpret_cast<ULONG_PTR>(name)));
    std::u16string_view n(name);
    if (!n.empty() && n[0] == u'#') {
        UINT id = 0;
        for (char16_t c : n.substr(1))
            id = id * 10 + static_cast<UINT>(c - u'0');
        return res::FindFile(type, id);
    }
    return res::FindFile(type, n);
}

// Qt's PNG reader allocates a chunk's buffer from the chunk's length field before it reads the
// chunk, without a limit: a 300-byte file could claim gigabytes for one text chunk. PNG data
// (a picture used as an icon, or an icon's PNG-compressed image) goes to Qt only when every
// chunk lies within the data up to the end chunk and no chunk but the image data is larger
// than our own PNG codec accepts. Other data is not PNG's and passes.
bool PngChunksFit(std::span<const unsigned char> b) {
    static const unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    constexpr std::uint32_t kMaxChunk = 8000000;
    if (b.size() < 8 || std::memcmp(b.data(), kSignature, 8) != 0)
        return true;
    std::size_t pos = 8;
    while (b.size() - pos >= 12) {
        const std::uint32_t length = (static_cast<std::uint32_t>(b[pos]) << 24) |
                                     (b[pos + 1] << 16) | (b[pos + 2] << 8) | b[pos + 3];
        const unsigned char* type = b.data() + pos + 4;
        if (length > b.size() - pos - 12 || (length > kMaxChunk && std::memcmp(type, "IDAT", 4)))
            return false;
        if (std::memcmp(type, "IEND", 4) == 0)
            return true;
        pos += 12 + length;
    }
    return false;
}

// With a format, only the reader of that format is asked (Qt's own, or the one plugin that
// names it): letting every image plugin look at the data first loads all of them, and the
// libraries they pull in, at the program's first bitmap.
QImage DecodeImage(std::span<const unsigned char> bytes, const char* format = nullptr) {
    if (bytes.empty())
        return {};
    if (!format)
        return QImage::fromData(bytes.data(), static_cast<int>(bytes.size()));
    QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

// An icon or cursor file (".ico", ".cur"): the first image and, for a cursor, its hot spot.
// Every size is checked against the data.
bool DecodeIconFile(std::span<const unsigned char> b, QImage& image, QPoint& hotspot,
                    bool& isCursor) {
    if (b.size() < 6 + 16)
        return false;
    auto word = [&](std::size_t o) { return static_cast<unsigned>(b[o] | (b[o + 1] << 8)); };
    const unsigned type = word(2);
    const unsigned count = word(4);
    if (word(0) != 0 || (type != 1 && type != 2) || count == 0 || b.size() < 6 + 16ull * count)
        return false;
    // An entry's image may be PNG data: it is checked as far as the file holds it.
    for (unsigned i = 0; i < count; ++i) {
        const std::size_t e = 6 + 16ull * i;
        const std::size_t offset = word(e + 12) | (static_cast<std::size_t>(word(e + 14)) << 16);
        if (offset < b.size() && !PngChunksFit(b.subspan(offset)))
            return false;
    }
    isCursor = type == 2;
    hotspot =
        isCursor ? QPoint(static_cast<int>(word(6 + 4)), static_cast<int>(word(6 + 6))) : QPoint();
    // Qt's icon reader takes cursors once they say they are icons.
    QByteArray copy(reinterpret_cast<const char*>(b.data()), static_cast<qsizetype>(b.size()));
    copy[2] = 1;
    copy[3] = 0;
    if (isCursor) {
        for (unsigned i = 0; i < count; ++i) {
            const std::size_t e = 6 + 16ull * i;
            copy[static_cast<qsizetype>(e + 4)] = 1; // planes
            copy[static_cast<qsizetype>(e + 5)] = 0;
            copy[static_cast<qsizetype>(e + 6)] =
                32; // bit count: the reader looks at the image header
            copy[static_cast<qsizetype>(e + 7)] = 0;
        }
    }
    image = DecodeImage({reinterpret_cast<const unsigned char*>(copy.constData()),
                         static_cast<std::size_t>(copy.size())},
                        "ICO");
    return !image.isNull();
}

// The first frame of an animated cursor (RIFF "ACON" with a "fram" list of icon chunks).
std::span<const unsigned char> FirstAniFrame(std::span<const unsigned char> b) {
    auto dword = [&](std::size_t o) {
        return static_cast<std::uint32_t>(b[o] | (b[o + 1] << 8) | (b[o + 2] << 16) |
                                          (static_cast<std::uint32_t>(b[o + 3]) << 24));
    };
    if (b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) != 0 ||
        std::memcmp(b.data() + 8, "ACON", 4) != 0)
        return {};
    std::size_t pos = 12;
    while (pos + 8 <= b.size()) {
        const std::uint32_t size = dword(pos + 4);
        const std::size_t body = pos + 8;
        if (size > b.size() - body)
            return {};
        if (std::memcmp(b.data() + pos, "LIST", 4) == 0 && size >= 4 &&
            std::memcmp(b.data() + body, "fram", 4) == 0) {
            std::size_t p = body + 4;
            const std::size_t end = body + size;
            while (p + 8 <= end) {
                const std::uint32_t s = dword(p + 4);
                if (s > end - (p + 8))
                    return {};
                if (std::memcmp(b.data() + p, "icon", 4) == 0)
                    return b.subspan(p + 8, s);
                p += 8 + s + (s & 1);
            }
            return {};
        }
        pos = body + size + (size & 1);
    }
    return {};
}

HICON IconFromBytes(std::span<const unsigned char> bytes, bool wantCursor) {
    if (bytes.size() >= 12 && std::memcmp(bytes.data(), "RIFF", 4) == 0)
        bytes = FirstAniFrame(bytes);
    QImage image;
    QPoint hotspot;
    bool isCursor = false;
    if (!DecodeIconFile(bytes, image, hotspot, isCursor)) {
        // A plain picture used as an icon: PNG whose chunks fit, or BMP. Nothing else goes
        // to Qt's readers, not even an icon file that failed above.
        const bool png = bytes.size() >= 8 && std::memcmp(bytes.data(), "\x89PNG", 4) == 0;
        const bool bmp = bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M';
        if (!(png ? PngChunksFit(bytes) : bmp))
            return nullptr;
        image = DecodeImage(bytes, png ? "PNG" : "BMP");
        if (image.isNull())
            return nullptr;
    }
    return CreateIconFromQImage(image.convertToFormat(QImage::Format_ARGB32),
                                !(wantCursor || isCursor), hotspot.x(), hotspot.y());
}

struct StandardCursor {
    ULONG_PTR id;
    Qt::CursorShape shape;
};

const StandardCursor kStandard[] = {
    {32512, Qt::ArrowCursor},     {32513, Qt::IBeamCursor},     {32514, Qt::WaitCursor},
    {32515, Qt::CrossCursor},     {32516, Qt::UpArrowCursor},   {32642, Qt::SizeFDiagCursor},
    {32643, Qt::SizeBDiagCursor}, {32644, Qt::SizeHorCursor},   {32645, Qt::SizeVerCursor},
    {32646, Qt::SizeAllCursor},   {32648, Qt::ForbiddenCursor}, {32649, Qt::PointingHandCursor},
    {32650, Qt::BusyCursor},
};

std::map<HCURSOR, Qt::CursorShape>& StandardShapes() {
    static std::map<HCURSOR, Qt::CursorShape> m;
    return m;
}

HCURSOR StandardCursorHandle(ULONG_PTR id) {
    static std::map<ULONG_PTR, HCURSOR> handles;
    auto it = handles.find(id);
    if (it != handles.end())
        return it->second;
    for (const StandardCursor& s : kStandard) {
        if (s.id != id)
            continue;
        QImage img(32, 32, QImage::Format_ARGB32);
        img.fill(Qt::transparent);
        HCURSOR h = CreateIconFromQImage(img, false, 0, 0);
        handles[id] = h;
        StandardShapes()[h] = s.shape;
        return h;
    }
    return nullptr;
}

} // namespace

QImage LoadResourceImage(std::u16string_view type, UINT id) {
    return DecodeImage(res::FindFile(type, id));
}

namespace wnd {

void ApplyCursor(HCURSOR cursor) {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return;
    static bool overridden = false;
    static HCURSOR applied = reinterpret_cast<HCURSOR>(-1);
    if (cursor == applied)
        return;
    applied = cursor;
    QCursor c(Qt::BlankCursor);
    if (cursor) {
        auto it = StandardShapes().find(cursor);
        if (it != StandardShapes().end()) {
            c = QCursor(it->second);
        } else {
            const QImage img = ImageOfIcon(cursor);
            if (img.isNull())
                c = QCursor(Qt::ArrowCursor);
            else {
                const POINT hs = IconHotspot(cursor);
                c = QCursor(QPixmap::fromImage(img), hs.x, hs.y);
            }
        }
    }
    if (!overridden) {
        QGuiApplication::setOverrideCursor(c);
        overridden = true;
    } else {
        QGuiApplication::changeOverrideCursor(c);
    }
}

} // namespace wnd

} // namespace ms

using namespace ms;

HINSTANCE GetModuleHandle(LPCWSTR) {
    return reinterpret_cast<HINSTANCE>(static_cast<ULONG_PTR>(0x400000));
}

int LoadString(HINSTANCE, UINT id, LPWSTR buf, int max) {
    if (!buf || max <= 0)
        return 0;
    buf[0] = 0;
    const char16_t* s = res::FindString(id);
    if (!s)
        return 0;
    const std::u16string_view v(s);
    const int n = std::min<int>(static_cast<int>(v.size()), max - 1);
    std::copy_n(v.data(), n, buf);
    buf[n] = 0;
    return n;
}

namespace {
struct AccelObject {
    std::vector<ACCEL> entries;
};
std::map<HACCEL, std::unique_ptr<AccelObject>>& Accels() {
    static std::map<HACCEL, std::unique_ptr<AccelObject>> m;
    return m;
}
} // namespace

HACCEL LoadAccelerators(HINSTANCE, LPCWSTR name) {
    if (!IS_INTRESOURCE(name))
        return nullptr;
    auto table = res::AccelTable(static_cast<UINT>(reinterpret_cast<ULONG_PTR>(name)));
    if (table.empty())
        return nullptr;
    auto obj = std::make_unique<AccelObject>();
    for (const auto& e : table)
        obj->entries.push_back(ACCEL{e.fVirt, e.key, e.cmd});
    HACCEL h = reinterpret_cast<HACCEL>(obj.get());
    Accels()[h] = std::move(obj);
    return h;
}

BOOL DestroyAcceleratorTable(HACCEL accel) {
    return Accels().erase(accel) ? TRUE : FALSE;
}

int TranslateAccelerator(HWND hwnd, HACCEL accel, LPMSG msg) {
    auto it = Accels().find(accel);
    if (it == Accels().end() || !msg || !IsWindow(hwnd))
        return 0;
    const UINT m = msg->message;
    const bool keyDown = m == WM_KEYDOWN || m == WM_SYSKEYDOWN;
    const bool charMsg = m == WM_CHAR || m == WM_SYSCHAR;
    if (!keyDown && !charMsg)
        return 0;
    const bool shift = GetKeyState(VK_SHIFT) < 0;
    const bool ctrl = GetKeyState(VK_CONTROL) < 0;
    const bool alt = (msg->lParam & (1L << 29)) != 0 || GetKeyState(VK_MENU) < 0;
    for (const ACCEL& a : it->second->entries) {
        if (a.fVirt & FVIRTKEY) {
            if (!keyDown || a.key != msg->wParam)
                continue;
            if (((a.fVirt & FSHIFT) != 0) != shift || ((a.fVirt & FCONTROL) != 0) != ctrl ||
                ((a.fVirt & FALT) != 0) != alt)
                continue;
        } else {
            if (!charMsg || a.key != msg->wParam)
                continue;
            if (((a.fVirt & FALT) != 0) != alt)
                continue;
        }
        SendMessage(hwnd, WM_COMMAND, MAKEWPARAM(a.cmd, 1), 0);
        return 1;
    }
    return 0;
}

HMENU LoadMenu(HINSTANCE, LPCWSTR name) {
    if (!IS_INTRESOURCE(name))
        return nullptr;
    const auto items = res::MenuItems(static_cast<UINT>(reinterpret_cast<ULONG_PTR>(name)));
    if (items.empty())
        return nullptr;
    HMENU root = CreateMenu();
    // Each level remembers whether the popup that opened it was the last of its own level.
    struct Level {
        HMENU menu;
        bool closesParent;
    };
    std::vector<Level> stack{{root, false}};
    for (const auto& it : items) {
        if (stack.empty())
            break;
        HMENU cur = stack.back().menu;
        const UINT flags = static_cast<UINT>(it.flags & ~MF_END);
        if (it.flags & MF_POPUP) {
            HMENU sub = CreatePopupMenu();
            AppendMenu(cur, flags, reinterpret_cast<UINT_PTR>(sub), it.text);
            stack.push_back({sub, (it.flags & MF_END) != 0});
            continue;
        }
        AppendMenu(cur, flags, it.id, it.text);
        if (it.flags & MF_END) {
            bool closeParent = stack.back().closesParent;
            stack.pop_back();
            while (closeParent && !stack.empty()) {
                closeParent = stack.back().closesParent;
                stack.pop_back();
            }
        }
    }
    return root;
}

HBITMAP LoadBitmap(HINSTANCE, LPCWSTR name) {
    const QImage img = DecodeImage(FindByName(u"BITMAP", name), "BMP");
    return img.isNull() ? nullptr : CreateBitmapFromQImage(img);
}

HICON LoadIcon(HINSTANCE inst, LPCWSTR name) {
    if (!inst && IS_INTRESOURCE(name))
        return SystemIcon(reinterpret_cast<ULONG_PTR>(name));
    return IconFromBytes(FindByName(u"ICON", name), false);
}

HCURSOR LoadCursor(HINSTANCE inst, LPCWSTR name) {
    if (!inst && IS_INTRESOURCE(name))
        return StandardCursorHandle(reinterpret_cast<ULONG_PTR>(name));
    HCURSOR c = IconFromBytes(FindByName(u"CURSOR", name), true);
    if (!c && IS_INTRESOURCE(name))
        c = StandardCursorHandle(reinterpret_cast<ULONG_PTR>(name));
    return c;
}

HCURSOR LoadCursorFromFile(LPCWSTR path) {
    if (!path)
        return nullptr;
    QFile f(QString::fromUtf16(path));
    if (!f.open(QIODevice::ReadOnly) || f.size() > (16 << 20))
        return nullptr;
    const QByteArray data = f.readAll();
    return IconFromBytes({reinterpret_cast<const unsigned char*>(data.constData()),
                          static_cast<std::size_t>(data.size())},
                         true);
}

HANDLE LoadImage(HINSTANCE inst, LPCWSTR name, UINT type, int cx, int cy, UINT flags) {
    (void)cx;
    (void)cy;
    if (flags & LR_LOADFROMFILE) {
        if (!name || IS_INTRESOURCE(name))
            return nullptr;
        if (type == IMAGE_BITMAP) {
            QImage img(QString::fromUtf16(name));
            return img.isNull() ? nullptr : CreateBitmapFromQImage(img);
        }
        return LoadCursorFromFile(name);
    }
    switch (type) {
    case IMAGE_BITMAP:
        return LoadBitmap(inst, name);
    case IMAGE_ICON:
        if (!inst && IS_INTRESOURCE(name))
            return SystemIcon(reinterpret_cast<ULONG_PTR>(name), cx > 0 ? cx : 32);
        return LoadIcon(inst, name);
    case IMAGE_CURSOR:
        return LoadCursor(inst, name);
    default:
        return nullptr;
    }
}
