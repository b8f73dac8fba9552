#include "media/ThumbnailStripCore.h"

#include "imaging/DibImage.h"

#include "platform/win/controls/CommCtrl.h"
#include "platform/win/core/Files.h"
#include "platform/win/core/WString.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// ---- Lists

ThumbnailItem& ThumbnailList::Append(std::u16string_view path, DWORD flags) {
    auto item = std::make_unique<ThumbnailItem>();
    const size_t n = std::min(path.size(), static_cast<size_t>(MAX_PATH - 1));
    std::copy_n(path.data(), n, item->path);
    item->path[n] = 0;
    item->flags = flags;
    items.push_back(std::move(item));
    return *items.back();
}

ThumbnailItem* ThumbnailList::Find(DWORD mask) const {
    for (const auto& item : items)
        if ((item->flags & mask) == mask)
            return item.get();
    return nullptr;
}

int ThumbnailList::IndexOf(std::u16string_view path) const {
    for (int i = 0; i < Count(); ++i)
        if (path == items[static_cast<size_t>(i)]->path)
            return i;
    return -1;
}

void ThumbnailList::ClearSelection() {
    for (auto& item : items)
        item->flags &= ~kThumbSelectedBit;
    current = -1;
}

void ThumbnailList::RemoveAt(int index) {
    current = -1;
    if (index >= 0 && index < Count())
        items.erase(items.begin() + index);
}

void ThumbnailList::Clear() {
    items.clear();
    current = -1;
}

// ---- Folder scan

namespace {

// Whether the name's extension (from its last dot, any case) is one of `extensions`.
bool HasExtension(std::u16string_view name,
                  std::initializer_list<std::u16string_view> extensions) {
    const size_t dot = name.rfind(u'.');
    if (dot == std::u16string_view::npos)
        return std::find(extensions.begin(), extensions.end(), u"") != extensions.end();
    const std::u16string_view ext = name.substr(dot);
    for (std::u16string_view want : extensions) {
        if (want.size() != ext.size())
            continue;
        size_t i = 0;
        for (; i < ext.size(); ++i) {
            char16_t c = ext[i];
            if (c >= u'A' && c <= u'Z')
                c = static_cast<char16_t>(c - u'A' + u'a');
            if (c != want[i])
                break;
        }
        if (i == ext.size())
            return true;
    }
    return false;
}

} // namespace

// One listing of the folder and at most one stat per entry whose extension matches, relative
// to the open folder (a large picture folder costs what a `find` with stat costs); the order
// and the entries kept are those of FindFirstFile's "*.*" listing.
std::vector<std::u16string> ScanFolderFiles(std::u16string_view dir,
                                            std::initializer_list<std::u16string_view> extensions,
                                            bool pictureChecks) {
    const std::string native = ms::NativePath(dir.empty() ? std::u16string_view(u"/") : dir);
    DIR* d = ::opendir(native.c_str());
    if (!d)
        return {};
    const int fd = ::dirfd(d);
    const uid_t me = ::getuid();
    // The names kept and their folded forms (as _wcsicmp compares) in one pool, so that a
    // large folder costs no allocation per entry.
    std::u16string pool;
    std::string ascii; // plain ASCII names again as bytes, compared a block at a time
    struct Named {
        size_t at;     // the name at pool[at], its folded form right after it
        size_t length;
        size_t bytes;  // the same at ascii[bytes] for a plain ASCII name, else npos
    };
    std::vector<Named> names;
    std::u16string name;
    while (const struct dirent* e = ::readdir(d)) {
        const char* raw = e->d_name;
        const size_t length = std::strlen(raw);
        const bool plain = std::all_of(raw, raw + length, [](char ch) {
            return static_cast<unsigned char>(ch) < 0x80;
        });
        if (plain) {
            name.assign(raw, raw + length); // plain ASCII: nothing to convert
        } else {
            name = ms::FromUtf8(raw);
            // Names that are not UTF-8 could not be opened again by the name we would list.
            if (ms::ToUtf8(name) != raw)
                continue;
        }
        if (name.size() >= MAX_PATH || !HasExtension(name, extensions))
            continue;
        auto keep = [&] {
            names.push_back({pool.size(), name.size(), plain ? ascii.size() : std::string::npos});
            pool += name;
            for (char16_t ch : name)
                pool.push_back(ms::ToLower(ch));
            if (plain) {
                ascii.append(raw, length);
                for (size_t i = 0; i < length; ++i)
                    ascii.push_back(static_cast<char>(ms::ToLower(static_cast<WCHAR>(raw[i]))));
            }
        };
        if (!pictureChecks && e->d_type == DT_REG) {
            keep();
            continue;
        }
        struct stat st;
        const bool followed = ::fstatat(fd, raw, &st, 0) == 0;
        if (!followed && ::fstatat(fd, raw, &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        if (S_ISDIR(st.st_mode))
            continue;
        if (pictureChecks) {
            // A file that cannot be read, or holds no more than a bitmap's info header, has no
            // picture to show. Our own file with its owner's read bit is readable; any other
            // file is asked about, as access() would answer.
            if (st.st_size <= 40)
                continue;
            const bool ours = followed && st.st_uid == me && (st.st_mode & S_IRUSR);
            if (!ours && ::faccessat(fd, raw, R_OK, 0) != 0)
                continue;
        }
        keep();
    }
    ::closedir(d);
    // _wcsicmp's order, then wcscmp's, with each name folded once.
    const std::u16string_view all(pool);
    const std::string_view bytes(ascii);
    std::sort(names.begin(), names.end(), [&](const Named& a, const Named& b) {
        if (a.bytes != std::string::npos && b.bytes != std::string::npos) {
            const auto foldedA = bytes.substr(a.bytes + a.length, a.length);
            const auto foldedB = bytes.substr(b.bytes + b.length, b.length);
            if (foldedA != foldedB)
                return foldedA < foldedB;
            return bytes.substr(a.bytes, a.length) < bytes.substr(b.bytes, b.length);
        }
        const auto foldedA = all.substr(a.at + a.length, a.length);
        const auto foldedB = all.substr(b.at + b.length, b.length);
        if (foldedA != foldedB)
            return foldedA < foldedB;
        return all.substr(a.at, a.length) < all.substr(b.at, b.length);
    });
    std::vector<std::u16string> out;
    out.reserve(names.size());
    for (const Named& n : names) {
        std::u16string path;
        path.reserve(dir.size() + 1 + n.length);
        path.append(dir).append(u"/").append(all.substr(n.at, n.length));
        out.push_back(std::move(path));
    }
    return out;
}

std::vector<std::u16string> ScanPictureFolder(std::u16string_view dir) {
    return ScanFolderFiles(dir, {u".bmp", u".jpg"}, true);
}

std::vector<std::u16string> ScanVideoFolder(std::u16string_view dir) {
    return ScanFolderFiles(dir, {u".bmp"}, false);
}

// ---- Geometry and scrolling

StripGeometry StripGeometry::FromClient(int clientWidth, int clientHeight) {
    StripGeometry g;
    g.slotWidth = (clientWidth - 100) / 6;
    g.slotHeight = clientHeight - 18;
    for (int i = 0; i < kThumbSlots; ++i) {
        RECT& r = g.slotRects[i];
        r.left = 16 + i * (g.slotWidth + 14);
        r.top = 9;
        r.right = r.left + g.slotWidth;
        r.bottom = 9 + g.slotHeight;
    }
    return g;
}

int StripGeometry::HitTest(POINT p, int n) const {
    n = std::min(n, kThumbSlots);
    for (int i = 0; i < n; ++i) {
        const RECT& r = slotRects[i];
        if (p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom)
            return i;
    }
    return -1;
}

int ScrollTarget(int code, int first, int thumb, int rangeMax, int page) {
    int v = first;
    switch (code) {
    case SB_LINELEFT:
        v -= 1;
        break;
    case SB_LINERIGHT:
        v += 1;
        break;
    case SB_PAGELEFT:
        v -= page;
        break;
    case SB_PAGERIGHT:
        v += page;
        break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
        v = thumb;
        break;
    case SB_LEFT:
        v = 0;
        break;
    case SB_RIGHT:
        v = rangeMax;
        break;
    case SB_ENDSCROLL:
        return -1;
    default:
        break;
    }
    return std::clamp(v, 0, std::max(rangeMax, 0));
}

// ---- Thumbnails

namespace {

// Size and time of change of a file; false when it cannot be read, with `missing` set when it
// does not exist.
bool FileStamp(const std::string& native, long long& size, long long& mtime, bool& missing) {
    std::error_code ec;
    const std::filesystem::path p(native);
    const auto bytes = std::filesystem::file_size(p, ec);
    if (!ec) {
        const auto when = std::filesystem::last_write_time(p, ec);
        mtime = static_cast<long long>(when.time_since_epoch().count());
    }
    missing = ec == std::errc::no_such_file_or_directory;
    size = ec ? -1 : static_cast<long long>(bytes);
    return !ec;
}

bool EndsWithNoCase(std::u16string_view path, std::u16string_view tail) {
    if (path.size() < tail.size())
        return false;
    for (size_t i = 0; i < tail.size(); ++i) {
        char16_t c = path[path.size() - tail.size() + i];
        if (c >= u'A' && c <= u'Z')
            c = static_cast<char16_t>(c - u'A' + u'a');
        if (c != tail[i])
            return false;
    }
    return true;
}

unsigned Le16(const BYTE* p) {
    return p[0] | (p[1] << 8u);
}
DWORD Le32(const BYTE* p) {
    return static_cast<DWORD>(p[0]) | (static_cast<DWORD>(p[1]) << 8) |
           (static_cast<DWORD>(p[2]) << 16) | (static_cast<DWORD>(p[3]) << 24);
}

// False when an uncompressed BMP's header places more pixel rows than the file holds (the
// decoder would draw the missing rows black; the strip shows no such picture at all).
bool BmpRowsFitFile(const std::string& nativePath) {
    std::FILE* f = std::fopen(nativePath.c_str(), "rb");
    if (!f)
        return false;
    BYTE head[54] = {};
    const size_t got = std::fread(head, 1, sizeof head, f);
    std::fseek(f, 0, SEEK_END);
    const long long fileSize = std::ftell(f);
    std::fclose(f);
    if (got < 26 || head[0] != 'B' || head[1] != 'M')
        return true; // not a plain BMP file: the decoder's own checks decide
    const DWORD infoSize = Le32(head + 14);
    long long width = 0, height = 0, palette = 0;
    unsigned bpp = 0;
    DWORD compression = 0;
    if (infoSize == 12) {
        width = Le16(head + 18);
        height = Le16(head + 20);
        bpp = Le16(head + 24);
        palette = bpp <= 8 ? (1ll << bpp) * 3 : 0;
    } else {
        if (got < 54)
            return false;
        width = static_cast<LONG>(Le32(head + 18));
        height = static_cast<LONG>(Le32(head + 22));
        bpp = Le16(head + 28);
        compression = Le32(head + 30);
        const DWORD used = Le32(head + 46);
        palette = (used ? used : (bpp <= 8 ? 1u << bpp : 0)) * 4ll;
        if (compression == 3 && infoSize == 40)
            palette += 12; // the three colour masks
    }
    if (compression != 0 && compression != 3)
        return true; // run-length rows: their size is not known in advance
    const long long stride =
        ((static_cast<long long>(bpp) * (width < 0 ? -width : width) + 31) / 32) * 4;
    const long long rows = stride * (height < 0 ? -height : height);
    const DWORD offBits = Le32(head + 10);
    const long long start = offBits ? offBits : 14ll + infoSize + palette;
    return start + rows <= fileSize;
}

// Averages `image` down by a whole factor so that it still covers minWidth x minHeight.
void Reduce(const CDibImage& image, int minWidth, int minHeight, ThumbPicture& out) {
    const int w = static_cast<int>(image.GetWidth()), h = static_cast<int>(image.GetHeight());
    const int f = std::max(1, std::min(w / std::max(minWidth, 1), h / std::max(minHeight, 1)));
    const int tw = std::max(1, w / f), th = std::max(1, h / f);
    const size_t stride = (static_cast<size_t>(tw) * 3 + 3) & ~size_t{3};
    out.bits.assign(stride * static_cast<size_t>(th), 0);
    const bool direct = image.GetBpp() == 24 && !image.HasPalette();
    const unsigned area = static_cast<unsigned>(f * f);
    for (int ty = 0; ty < th; ++ty) {
        BYTE* dst = out.bits.data() + stride * static_cast<size_t>(ty);
        for (int tx = 0; tx < tw; ++tx) {
            unsigned sum[3] = {0, 0, 0};
            for (int dy = 0; dy < f; ++dy) {
                const int y = ty * f + dy;
                if (direct) {
                    const BYTE* row = image.GetBits(static_cast<DWORD>(y)) + 3 * tx * f;
                    for (int dx = 0; dx < f; ++dx, row += 3) {
                        sum[0] += row[0];
                        sum[1] += row[1];
                        sum[2] += row[2];
                    }
                } else {
                    for (int dx = 0; dx < f; ++dx) {
                        const RGBQUAD c = image.GetPixelColor(tx * f + dx, y, false);
                        sum[0] += c.rgbBlue;
                        sum[1] += c.rgbGreen;
                        sum[2] += c.rgbRed;
                    }
                }
            }
            for (int c = 0; c < 3; ++c)
                dst[3 * tx + c] = static_cast<BYTE>(sum[c] / area);
        }
    }
    BITMAPINFOHEADER& bh = out.info.bmiHeader;
    bh = BITMAPINFOHEADER{};
    bh.biSize = sizeof(BITMAPINFOHEADER);
    bh.biWidth = tw;
    bh.biHeight = th;
    bh.biPlanes = 1;
    bh.biBitCount = 24;
    bh.biCompression = BI_RGB;
    bh.biSizeImage = static_cast<DWORD>(out.bits.size());
}

// The largest JPEG scaling denominator (8, 4, 2 or 1) that keeps the picture over the slot;
// 0 when even an eighth of the picture is too large for a thumbnail (a header that claims
// tens of thousands of pixels each way).
BYTE JpegScaleFor(const std::u16string& path, int minWidth, int minHeight) {
    CDibImage probe(DIBIMAGE_TYPE_JPG);
    probe.SetEscape(-1); // dimensions only
    if (!probe.LoadFromFile(path.c_str(), DIBIMAGE_TYPE_JPG))
        return 1;
    const long w = static_cast<long>(probe.GetWidth()), h = static_cast<long>(probe.GetHeight());
    if (static_cast<long long>(w / 8) * (h / 8) > 16ll * 1024 * 1024)
        return 0;
    for (BYTE d : {8, 4, 2})
        if (w / d >= minWidth && h / d >= minHeight)
            return d;
    return 1;
}

} // namespace

ThumbStatus DecodeThumbnail(std::u16string_view pathView, int minWidth, int minHeight,
                            ThumbPicture& out) {
    const std::u16string path(pathView);
    const bool jpeg = EndsWithNoCase(path, u"jpg");
#ifdef DIBIMAGE_SUPPORT_PNG
    const bool png = EndsWithNoCase(path, u"png");
#else
    const bool png = false;
#endif
    if (!jpeg && !png && !EndsWithNoCase(path, u"bmp"))
        return ThumbStatus::NotDrawable;
    const std::string native = ms::NativePath(path);
    long long size = 0, mtime = 0;
    bool missing = false;
    if (!FileStamp(native, size, mtime, missing))
        return missing ? ThumbStatus::Missing : ThumbStatus::NotDrawable;
    if (size <= 40)
        return ThumbStatus::NotDrawable;

#ifdef DIBIMAGE_SUPPORT_PNG
    if (png) {
        CDibImage image(DIBIMAGE_TYPE_PNG);
        if (!image.LoadFromFile(path.c_str(), DIBIMAGE_TYPE_PNG) || !image.IsValid() ||
            image.GetWidth() == 0 || image.GetHeight() == 0)
            return ThumbStatus::NotDrawable;
        Reduce(image, minWidth, minHeight, out);
        return ThumbStatus::Drawable;
    }
#endif
    CDibImage image(jpeg ? DIBIMAGE_TYPE_JPG : DIBIMAGE_TYPE_BMP);
    if (jpeg) {
        const BYTE scale = JpegScaleFor(path, minWidth, minHeight);
        if (!scale)
            return ThumbStatus::NotDrawable;
        image.SetJpegScale(scale);
    } else if (!BmpRowsFitFile(native)) {
        return ThumbStatus::NotDrawable;
    }
    if (!image.LoadFromFile(path.c_str(), jpeg ? DIBIMAGE_TYPE_JPG : DIBIMAGE_TYPE_BMP) ||
        !image.IsValid() || image.GetWidth() == 0 || image.GetHeight() == 0)
        return ThumbStatus::NotDrawable;
    Reduce(image, minWidth, minHeight, out);
    return ThumbStatus::Drawable;
}

const ThumbPicture* ThumbnailCache::Get(std::u16string_view pathView, int minWidth, int minHeight,
                                        ThumbStatus* status) {
    ThumbStatus dummy;
    ThumbStatus& result = status ? *status : dummy;
    const std::u16string path(pathView);
    long long size = 0, mtime = 0;
    bool missing = false;
    if (!FileStamp(ms::NativePath(path), size, mtime, missing)) {
        Forget(path);
        result = missing ? ThumbStatus::Missing : ThumbStatus::NotDrawable;
        return nullptr;
    }
    auto it = entries_.find(path);
    if (it != entries_.end() && it->second.size == size && it->second.mtime == mtime &&
        it->second.minWidth == minWidth && it->second.minHeight == minHeight) {
        order_.splice(order_.begin(), order_, it->second.use);
        result = it->second.drawable ? ThumbStatus::Drawable : ThumbStatus::NotDrawable;
        return it->second.drawable ? &it->second.picture : nullptr;
    }
    ThumbPicture picture;
    ++decodes_;
    const ThumbStatus decoded = DecodeThumbnail(path, minWidth, minHeight, picture);
    if (decoded == ThumbStatus::Missing) {
        Forget(path);
        result = decoded;
        return nullptr;
    }
    if (it == entries_.end()) {
        order_.push_front(path);
        it = entries_.emplace(path, Entry{}).first;
        it->second.use = order_.begin();
    } else {
        order_.splice(order_.begin(), order_, it->second.use);
    }
    Entry& e = it->second;
    e.size = size;
    e.mtime = mtime;
    e.minWidth = minWidth;
    e.minHeight = minHeight;
    e.drawable = decoded == ThumbStatus::Drawable;
    e.picture = std::move(picture);
    while (entries_.size() > capacity_ && order_.size() > 1) {
        entries_.erase(order_.back());
        order_.pop_back();
    }
    result = decoded;
    return e.drawable ? &e.picture : nullptr;
}

void ThumbnailCache::Forget(std::u16string_view pathView) {
    auto it = entries_.find(std::u16string(pathView));
    if (it == entries_.end())
        return;
    order_.erase(it->second.use);
    entries_.erase(it);
}

void ThumbnailCache::Clear() {
    entries_.clear();
    order_.clear();
}

bool SameFolder(std::u16string_view a, std::u16string_view b) {
    auto trim = [](std::u16string_view s) {
        while (s.size() > 1 && s.back() == u'/')
            s.remove_suffix(1);
        return s;
    };
    a = trim(a);
    b = trim(b);
    if (ms::SameNoCase(a, b))
        return true;
    std::error_code ec;
    return std::filesystem::equivalent(ms::NativePath(a), ms::NativePath(b), ec) && !ec;
}
