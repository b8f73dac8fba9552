#include "imaging/DibImage.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {
// The largest resolution whose pixels-per-metre value fits the header's 32-bit field.
constexpr long kMaxDpi = 54000000;

// A resolution as the image keeps it: 96 for none, at most kMaxDpi.
long UsableDpi(long dpi) {
    return dpi < 1 ? 96 : std::min(dpi, kMaxDpi);
}

LONG PelsPerMeter(long dpi) {
    return static_cast<LONG>(std::floor(static_cast<double>(dpi) * 39.37007874015748 + 0.5));
}
} // namespace

CDibImage::CDibImage(DWORD type) {
    InitDefaults(type);
}

CDibImage::CDibImage(DWORD width, DWORD height, DWORD bpp, DWORD type) {
    InitDefaults(type);
    Create(width, height, bpp, type);
}

CDibImage::CDibImage(const CDibImage& src, bool copyPixels, bool copySelection, bool copyAlpha) {
    InitDefaults(src.GetType());
    Copy(src, copyPixels, copySelection, copyAlpha);
}

CDibImage::~CDibImage() {
    Destroy();
#ifdef DIBIMAGE_DETECTION
    // The detection methods' work buffers come from malloc, like every image buffer.
    std::free(m_grayImage);
    std::free(m_grayPalette);
#endif
}

CDibImage& CDibImage::operator=(const CDibImage& src) {
    if (this != &src)
        Copy(src, true, true, true);
    return *this;
}

void CDibImage::InitDefaults(DWORD type) {
    m_dib = nullptr;
    m_selection = nullptr;
    m_alpha = nullptr;
    m_layers = nullptr;
    std::memset(&m_header, 0, sizeof(m_header));
    std::memset(&m_info, 0, sizeof(m_info));
    m_info.type = type;
    m_info.jpegQuality = 90.0f;
    m_info.alphaMax = 255;
    m_info.keyIndex = -1;
    m_info.enabled = true;
    SetDpiX(96);
    SetDpiY(96);
    m_info.littleEndianHost = true;
#ifdef DIBIMAGE_DETECTION
    m_grayImage = nullptr;
    m_grayPalette = nullptr;
    m_grayBpp = m_grayWidth = m_grayHeight = m_grayPaletteEntries = 0;
    std::memset(m_histogram, 0, sizeof(m_histogram));
#endif
}

void CDibImage::SetLastError(const char* text) {
    std::strncpy(m_info.lastError, text, sizeof(m_info.lastError) - 1);
    m_info.lastError[sizeof(m_info.lastError) - 1] = 0;
}

void* CDibImage::Create(DWORD width, DWORD height, DWORD bpp, DWORD type) {
    if (!Destroy())
        return nullptr;
    if (width == 0 || height == 0) {
        SetLastError("CDibImage::Create : width and height must be greater than zero");
        return nullptr;
    }
    if (bpp <= 1)
        bpp = 1;
    else if (bpp <= 4)
        bpp = 4;
    else if (bpp <= 8)
        bpp = 8;
    else
        bpp = 24;

    // The header keeps signed 32-bit sizes and the block size is a DWORD: everything is
    // computed in 64 bits and refused before it could wrap.
    unsigned long long stride = ((static_cast<unsigned long long>(width) * bpp + 31) / 32) * 4;
    unsigned long long data = stride * height;
    if (width > static_cast<DWORD>(INT32_MAX) || height > static_cast<DWORD>(INT32_MAX) ||
        data > DIBIMAGE_MAX_MEMORY) {
        SetLastError("DIBIMAGE_MAX_MEMORY exceeded");
        return nullptr;
    }

    switch (bpp) {
    case 1:
        m_header.biClrUsed = 2;
        break;
    case 4:
        m_header.biClrUsed = 16;
        break;
    case 8:
        m_header.biClrUsed = 256;
        break;
    default:
        m_header.biClrUsed = 0;
        break;
    }
    m_info.rowStride = static_cast<DWORD>(stride);
    m_info.type = type;
    m_info.nearestValid = false;
    m_header.biSize = sizeof(BITMAPINFOHEADER);
    m_header.biWidth = static_cast<LONG>(width);
    m_header.biHeight = static_cast<LONG>(height);
    m_header.biPlanes = 1;
    m_header.biBitCount = static_cast<WORD>(bpp);
    m_header.biCompression = BI_RGB;
    m_header.biSizeImage = static_cast<DWORD>(data);
    if (m_header.biClrImportant > m_header.biClrUsed)
        m_header.biClrImportant = 0;

    // Zero-filled: a decoder that stops early leaves black rows, never old heap contents.
    m_dib = std::calloc(1, GetSize());
    if (!m_dib) {
        SetLastError("CDibImage::Create can't allocate memory");
        return nullptr;
    }
    std::memcpy(m_dib, &m_header, sizeof(BITMAPINFOHEADER));
    m_info.bits = static_cast<BYTE*>(m_dib) + m_header.biSize + GetPaletteSize();
    return m_dib;
}

bool CDibImage::Destroy() {
    if (m_info.sharedOwner)
        return false;
    DeleteAllLayers();
    std::free(m_selection);
    m_selection = nullptr;
    std::free(m_alpha);
    m_alpha = nullptr;
    std::free(m_dib);
    m_dib = nullptr;
    m_info.bits = nullptr;
    return true;
}

void CDibImage::Copy(const CDibImage& src, bool copyPixels, bool copySelection, bool copyAlpha) {
    if (&src == this)
        return;
    if (src.m_info.sharedOwner) {
        AttachShared(&src);
        return;
    }
    CopyOwned(src, copyPixels, copySelection, copyAlpha);
}

void CDibImage::CopyOwned(const CDibImage& src, bool copyPixels, bool copySelection,
                          bool copyAlpha) {
    if (!Destroy())
        return;
    CopyAttributes(src); // the picture is empty now, so the attributes are taken
    m_header = src.m_header;
    if (!src.m_dib)
        return;
    if (!Create(src.GetWidth(), src.GetHeight(), src.GetBpp(), src.GetType()))
        return;
    if (copyPixels)
        std::memcpy(m_dib, src.m_dib, GetSize());
    else
        SetPalette(src.GetPalette(), src.GetNumColors());
    size_t plane = static_cast<size_t>(GetWidth()) * GetHeight();
    if (copySelection && src.m_selection) {
        m_selection = static_cast<BYTE*>(std::malloc(plane));
        if (m_selection)
            std::memcpy(m_selection, src.m_selection, plane);
    }
    if (copyAlpha && src.m_alpha) {
        m_alpha = static_cast<BYTE*>(std::malloc(plane));
        if (m_alpha)
            std::memcpy(m_alpha, src.m_alpha, plane);
    }
}

void CDibImage::CopyAttributes(const CDibImage& src) {
    if (m_dib)
        return;
    m_info = src.m_info;
    m_info.sharedOwner = nullptr;
    m_info.parent = nullptr;
    m_info.bits = nullptr;
    m_info.layerCount = 0;
}

void CDibImage::AttachShared(const CDibImage* src) {
    if (!src || src == this)
        return;
    Destroy();
    m_header = src->m_header;
    m_info = src->m_info;
    m_dib = src->m_dib;
    m_selection = src->m_selection;
    m_alpha = src->m_alpha;
    m_layers = src->m_layers;
    m_info.sharedOwner = const_cast<CDibImage*>(src);
}

bool CDibImage::OwnPixels() {
    if (!m_info.sharedOwner)
        return true;
    CDibImage own;
    own.CopyOwned(*this, true, true, true);
    if (m_dib && !own.m_dib) {
        SetLastError(own.GetLastErrorText());
        return false;
    }
    // The view let go of owns nothing, so nothing is freed here.
    m_info.sharedOwner = nullptr;
    m_dib = nullptr;
    m_selection = nullptr;
    m_alpha = nullptr;
    m_layers = nullptr;
    m_info.layerCount = 0;
    return TransferFrom(own, true);
}

bool CDibImage::TransferFrom(CDibImage& from, bool) {
    if (&from == this || !Destroy())
        return false;
    m_header = from.m_header;
    m_info = from.m_info;
    m_dib = from.m_dib;
    m_selection = from.m_selection;
    m_alpha = from.m_alpha;
    m_layers = from.m_layers;
    for (long i = 0; m_layers && i < m_info.layerCount; ++i)
        if (m_layers[i])
            m_layers[i]->m_info.parent = this;
    std::memset(&from.m_header, 0, sizeof(from.m_header));
    std::memset(&from.m_info, 0, sizeof(from.m_info));
    from.m_dib = nullptr;
    from.m_selection = nullptr;
    from.m_alpha = nullptr;
    from.m_layers = nullptr;
    return true;
}

bool CDibImage::CreateFromBuffer(const BYTE* pixels, DWORD width, DWORD height, DWORD bpp,
                                 DWORD bytesPerLine, bool flipY) {
    if (!pixels)
        return false;
    if (static_cast<unsigned long long>(bytesPerLine) * height > 0xFFFFFFFFull)
        return false;
    BYTE** rows = static_cast<BYTE**>(std::malloc(sizeof(BYTE*) * (height ? height : 1)));
    if (!rows)
        return false;
    for (DWORD y = 0; y < height; ++y)
        rows[y] = const_cast<BYTE*>(pixels) + static_cast<size_t>(y) * bytesPerLine;
    bool ok = CreateFromRows(rows, width, height, bpp, bytesPerLine, flipY);
    std::free(rows);
    return ok;
}

bool CDibImage::CreateFromRows(BYTE** rows, DWORD width, DWORD height, DWORD bpp,
                               DWORD bytesPerLine, bool flipY) {
    if (!rows || !(bpp == 1 || bpp == 4 || bpp == 8 || bpp == 24 || bpp == 32))
        return false;
    if (!Create(width, height, bpp == 32 ? 24 : bpp, 0))
        return false;
    if (bpp == 32 && !AlphaCreate())
        return false;
    if (bpp <= 8)
        SetGrayPalette();
    for (DWORD y = 0; y < height; ++y) {
        const BYTE* src = rows[y];
        if (!src)
            continue;
        BYTE* dst = GetBits(flipY ? height - 1 - y : y);
        if (bpp == 32) {
            DWORD n = width < bytesPerLine / 4 ? width : bytesPerLine / 4;
            long row = static_cast<long>(flipY ? height - 1 - y : y);
            for (DWORD x = 0; x < n; ++x) {
                dst[3 * x] = src[4 * x];
                dst[3 * x + 1] = src[4 * x + 1];
                dst[3 * x + 2] = src[4 * x + 2];
                AlphaSetAt(static_cast<long>(x), row, src[4 * x + 3]);
            }
        } else {
            std::memcpy(dst, src, GetRowStride() < bytesPerLine ? GetRowStride() : bytesPerLine);
        }
    }
    return true;
}

BYTE* CDibImage::GetBits(DWORD row) const {
    if (!m_dib)
        return nullptr;
    if (row == 0)
        return m_info.bits;
    if (row >= GetHeight())
        return nullptr;
    return m_info.bits + static_cast<size_t>(row) * m_info.rowStride;
}

DWORD CDibImage::GetSize() const {
    return m_header.biSize + GetPaletteSize() + m_header.biSizeImage;
}

bool CDibImage::IsInside(long x, long y) const {
    return x >= 0 && y >= 0 && x < static_cast<long>(GetWidth()) &&
           y < static_cast<long>(GetHeight());
}

void CDibImage::Clear(BYTE level) {
    if (!m_dib)
        return;
    if (GetBpp() == 1 && level)
        level = 255;
    else if (GetBpp() == 4)
        level = static_cast<BYTE>((level & 15) * 17);
    std::memset(m_info.bits, level, m_header.biSizeImage);
}

bool CDibImage::SetImageType(DWORD type) {
    switch (type) {
    case DIBIMAGE_TYPE_BMP:
    case DIBIMAGE_TYPE_JPG:
#ifdef DIBIMAGE_SUPPORT_PNG
    case DIBIMAGE_TYPE_PNG:
#endif
        m_info.type = type;
        return true;
    default:
        m_info.type = 0;
        return false;
    }
}

void CDibImage::SetDpiX(long dpi) {
    m_info.dpiX = UsableDpi(dpi);
    m_header.biXPelsPerMeter = PelsPerMeter(m_info.dpiX);
    if (m_dib)
        static_cast<BITMAPINFOHEADER*>(m_dib)->biXPelsPerMeter = m_header.biXPelsPerMeter;
}

void CDibImage::SetDpiY(long dpi) {
    m_info.dpiY = UsableDpi(dpi);
    m_header.biYPelsPerMeter = PelsPerMeter(m_info.dpiY);
    if (m_dib)
        static_cast<BITMAPINFOHEADER*>(m_dib)->biYPelsPerMeter = m_header.biYPelsPerMeter;
}

BYTE CDibImage::GetJpegLevel() const {
    float q = m_info.jpegQuality + 0.5f;
    if (!(q > 0))
        return 0;
    return q >= 255 ? 255 : static_cast<BYTE>(q);
}

void CDibImage::SetKeyIndex(long index) {
    if (index >= static_cast<long>(m_header.biClrUsed))
        index = 0;
    m_info.keyIndex = index;
}

RGBQUAD CDibImage::GetKeyColor() const {
    if (GetBpp() < 24 && m_info.keyIndex >= 0)
        return GetPaletteColor(static_cast<BYTE>(m_info.keyIndex));
    return m_info.keyColor;
}

void CDibImage::SetKeyColor(RGBQUAD colour) {
    colour.rgbReserved = 0;
    m_info.keyColor = colour;
}

BYTE CDibImage::GetPixelKind() const {
    if (m_alpha)
        return 4;
    return GetBpp() <= 8 ? 1 : 2;
}

void CDibImage::SetFlags(DWORD flags, bool lowOnly) {
    if (lowOnly)
        m_info.flags = (m_info.flags & 0xFFFF0000u) | (flags & 0xFFFFu);
    else
        m_info.flags = flags;
}

DWORD CDibImage::GetCodecOption(DWORD type) const {
    DWORD index = GetIndexFromType(type);
    if (index == 0)
        index = GetIndexFromType(GetType());
    return m_info.codecOptions[index];
}

bool CDibImage::SetCodecOption(DWORD option, DWORD type) {
    DWORD index = GetIndexFromType(type);
    if (index == 0)
        index = GetIndexFromType(GetType());
    m_info.codecOptions[index] = option;
    return true;
}

WORD CDibImage::ToLittleEndian16(WORD v) const {
    return m_info.littleEndianHost ? v : static_cast<WORD>((v >> 8) | (v << 8));
}

DWORD CDibImage::ToLittleEndian32(DWORD v) const {
    return m_info.littleEndianHost ? v : __builtin_bswap32(v);
}

void CDibImage::HeaderToLittleEndian(BITMAPINFOHEADER* h) const {
    if (!h || m_info.littleEndianHost)
        return;
    h->biSize = ToLittleEndian32(h->biSize);
    h->biWidth = static_cast<LONG>(ToLittleEndian32(static_cast<DWORD>(h->biWidth)));
    h->biHeight = static_cast<LONG>(ToLittleEndian32(static_cast<DWORD>(h->biHeight)));
    h->biPlanes = ToLittleEndian16(h->biPlanes);
    h->biBitCount = ToLittleEndian16(h->biBitCount);
    h->biCompression = ToLittleEndian32(h->biCompression);
    h->biSizeImage = ToLittleEndian32(h->biSizeImage);
    h->biXPelsPerMeter =
        static_cast<LONG>(ToLittleEndian32(static_cast<DWORD>(h->biXPelsPerMeter)));
    h->biYPelsPerMeter =
        static_cast<LONG>(ToLittleEndian32(static_cast<DWORD>(h->biYPelsPerMeter)));
    h->biClrUsed = ToLittleEndian32(h->biClrUsed);
    h->biClrImportant = ToLittleEndian32(h->biClrImportant);
}

void CDibImage::FreeMemory(void* block) {
    if (block)
        std::free(block);
}

int CDibImage::CompareColorsByGray(const void* a, const void* b) {
    const RGBQUAD* c1 = static_cast<const RGBQUAD*>(a);
    const RGBQUAD* c2 = static_cast<const RGBQUAD*>(b);
    return GrayLevel(c1->rgbBlue, c1->rgbGreen, c1->rgbRed) -
           GrayLevel(c2->rgbBlue, c2->rgbGreen, c2->rgbRed);
}
