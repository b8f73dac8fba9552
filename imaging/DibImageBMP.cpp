// BMP codec. Every size, count and offset read from a file is checked in 64-bit arithmetic
// before it is used; a file that ends early keeps the rows read and black for the rest.
#include "imaging/DibImageBMP.h"

#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

constexpr WORD kBmSignature = 0x4D42; // "BM"

DWORD ReadLe32(const BYTE* p) {
    return static_cast<DWORD>(p[0]) | (static_cast<DWORD>(p[1]) << 8) |
           (static_cast<DWORD>(p[2]) << 16) | (static_cast<DWORD>(p[3]) << 24);
}

int BitCount16(DWORD mask) {
    return __builtin_popcount(mask & 0xFFFFu);
}

// v shifted left by n, or right by -n; shifts of 32 or more give 0.
DWORD ShiftBy(DWORD v, int n) {
    if (n >= 0)
        return n < 32 ? v << n : 0;
    return -n < 32 ? v >> -n : 0;
}

} // namespace

bool CDibImageBMP::ReadBitmapInfo(CDibFile* file, BITMAPINFOHEADER* header) {
    if (!file || !header)
        return false;
    BYTE raw[40] = {};
    if (file->Read(raw, 4, 1) != 1)
        return false;
    DWORD size = ReadLe32(raw);
    if (size == 12) {
        if (file->Read(raw + 4, 8, 1) != 1)
            return false;
        std::memset(header, 0, sizeof(*header));
        header->biSize = 12;
        header->biWidth = raw[4] | (raw[5] << 8);
        header->biHeight = raw[6] | (raw[7] << 8);
        header->biPlanes = static_cast<WORD>(raw[8] | (raw[9] << 8));
        header->biBitCount = static_cast<WORD>(raw[10] | (raw[11] << 8));
    } else {
        if (size < 40 || file->Read(raw + 4, 36, 1) != 1)
            return false;
        std::memcpy(header, raw, sizeof(*header));
        HeaderToLittleEndian(header);
        if (size == 64) {
            if (!file->Seek(24, DIBFILE_SEEK_CUR))
                return false;
        } else if (size > 40) {
            long long w = header->biWidth, h = header->biHeight;
            unsigned __int128 need = static_cast<unsigned __int128>(
                                         ((static_cast<unsigned long long>(header->biBitCount) *
                                               static_cast<unsigned long long>(w < 0 ? -w : w) +
                                           31) /
                                          32) *
                                         4) *
                                     static_cast<unsigned long long>(h < 0 ? -h : h);
            if (static_cast<unsigned __int128>(header->biSizeImage) < need ||
                header->biPlanes != 1 || header->biClrUsed != 0)
                return false;
            // With bitfields the masks stored inside a longer header are read next.
            if (header->biCompression == BI_RGB &&
                !file->Seek(static_cast<long>(size - 40), DIBFILE_SEEK_CUR))
                return false;
        }
    }
    switch (header->biBitCount) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
        break;
    default:
        return false;
    }
    if (header->biWidth <= 0 || header->biHeight == 0 || header->biHeight == INT32_MIN)
        return false;
    if (header->biSizeImage == 0) {
        unsigned long long row =
            ((static_cast<unsigned long long>(header->biBitCount) * header->biWidth + 31) / 8) &
            ~3ull;
        unsigned long long total =
            row * static_cast<unsigned long long>(header->biHeight < 0
                                                      ? -static_cast<long long>(header->biHeight)
                                                      : header->biHeight);
        header->biSizeImage = total > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<DWORD>(total);
    }
    if (header->biClrUsed == 0 && header->biBitCount <= 8)
        header->biClrUsed = 1u << header->biBitCount;
    return true;
}

bool CDibImageBMP::Decode(CDibFile* file) {
    if (!file)
        return false;
    long start = file->Tell();

    BITMAPFILEHEADER bf;
    if (file->Read(&bf, sizeof(bf), 1) != 1) {
        SetLastError("Not a BMP");
        return false;
    }
    bf.bfType = ToLittleEndian16(bf.bfType);
    bf.bfOffBits = ToLittleEndian32(bf.bfOffBits);
    if (bf.bfType != kBmSignature) {
        // A bare device-independent bitmap: header and rows without a file header.
        bf.bfOffBits = 0;
        if (!file->Seek(start, DIBFILE_SEEK_SET)) {
            SetLastError("Not a BMP");
            return false;
        }
    }

    BITMAPINFOHEADER bih;
    if (!ReadBitmapInfo(file, &bih)) {
        SetLastError("Error reading BMP info");
        return false;
    }
    bool topDown = bih.biHeight < 0;
    if (topDown)
        bih.biHeight = -bih.biHeight;

    if (GetEscape() == -1) {
        m_header.biWidth = bih.biWidth;
        m_header.biHeight = bih.biHeight;
        m_info.type = DIBIMAGE_TYPE_BMP;
        SetLastError("output dimensions returned");
        return true;
    }

    if (!Create(static_cast<DWORD>(bih.biWidth), static_cast<DWORD>(bih.biHeight), bih.biBitCount,
                DIBIMAGE_TYPE_BMP))
        return false;
    SetDpiX(static_cast<long>(std::floor(bih.biXPelsPerMeter * 0.0254 + 0.5)));
    SetDpiY(static_cast<long>(std::floor(bih.biYPelsPerMeter * 0.0254 + 0.5)));
    if (GetEscape()) {
        SetLastError("Cancelled");
        return false;
    }

    if (HasPalette()) {
        unsigned long long n = bih.biClrUsed;
        if (n == 0)
            n = 1ull << bih.biBitCount;
        // Never more entries than the palette holds; the rest of the file's table is skipped.
        unsigned long long keep = n < GetNumColors() ? n : GetNumColors();
        RGBQUAD* pal = GetPalette();
        if (bih.biSize == 12) {
            BYTE triples[256 * 3] = {};
            file->Read(triples, 3, static_cast<size_t>(keep));
            for (unsigned long long i = keep; i-- > 0;)
                pal[i] = RGBQUAD{triples[3 * i], triples[3 * i + 1], triples[3 * i + 2], 0};
            if (n > keep && bf.bfOffBits == 0)
                file->Seek(static_cast<long>((n - keep) * 3), DIBFILE_SEEK_CUR);
        } else {
            file->Read(pal, 4, static_cast<size_t>(keep));
            for (unsigned long long i = 0; i < keep; ++i)
                pal[i].rgbReserved = 0;
            if (n > keep && bf.bfOffBits == 0)
                file->Seek(static_cast<long>((n - keep) * 4), DIBFILE_SEEK_CUR);
        }
        m_info.nearestValid = false;
    }
    if (GetEscape()) {
        SetLastError("Cancelled");
        return false;
    }

    // Bitfield masks follow the info header; the rows start at the file header's offset.
    auto readMasks = [&](DWORD& r, DWORD& g, DWORD& b) {
        DWORD masks[3] = {0, 0, 0};
        file->Read(masks, 4, 3);
        r = ToLittleEndian32(masks[0]);
        g = ToLittleEndian32(masks[1]);
        b = ToLittleEndian32(masks[2]);
    };
    auto seekRows = [&]() {
        if (bf.bfOffBits != 0)
            file->Seek(start + static_cast<long>(bf.bfOffBits), DIBFILE_SEEK_SET);
    };

    DWORD redMask = 0, greenMask = 0, blueMask = 0;
    BYTE* bits = GetBits();
    switch (bih.biBitCount) {
    case 1:
    case 4:
    case 8:
        seekRows();
        switch (bih.biCompression) {
        case BI_RGB:
            file->Read(bits, 1, m_header.biSizeImage);
            break;
        case BI_RLE8:
            DecodeRle8(file);
            break;
        case BI_RLE4:
            DecodeRle4(file);
            break;
        default:
            SetLastError("compression type not supported");
            return false;
        }
        break;
    case 24:
        if (bih.biCompression != BI_RGB) {
            SetLastError("unknown compression");
            return false;
        }
        seekRows();
        file->Read(bits, 1, m_header.biSizeImage);
        break;
    case 16: {
        if (bih.biCompression == BI_BITFIELDS) {
            readMasks(redMask, greenMask, blueMask);
        } else {
            redMask = 0x7C00;
            greenMask = 0x3E0;
            blueMask = 0x1F;
        }
        seekRows();
        // The 16-bit rows are never longer than the 24-bit rows they become.
        size_t bytes = static_cast<size_t>((GetWidth() + 1) / 2) * 4 * GetHeight();
        file->Read(bits, 1, bytes);
        ConvertBitfieldsTo24(bits, redMask, greenMask, blueMask, 16);
        break;
    }
    case 32: {
        if (bih.biCompression == BI_BITFIELDS) {
            readMasks(redMask, greenMask, blueMask);
        } else if (bih.biCompression == BI_RGB) {
            redMask = 0xFF0000;
            greenMask = 0xFF00;
            blueMask = 0xFF;
        } else {
            SetLastError("unknown compression");
            return false;
        }
        seekRows();
        size_t bytes = static_cast<size_t>(GetWidth()) * 4 * GetHeight();
        BYTE* work = static_cast<BYTE*>(std::calloc(1, bytes));
        if (!work) {
            SetLastError("can't allocate memory");
            return false;
        }
        file->Read(work, 1, bytes);
        if (bih.biCompression == BI_RGB && AlphaCreate()) {
            bool allZero = true;
            BYTE* alpha = AlphaGetPointer();
            size_t n = static_cast<size_t>(GetWidth()) * GetHeight();
            for (size_t i = 0; i < n; ++i) {
                alpha[i] = work[4 * i + 3];
                allZero = allZero && alpha[i] == 0;
            }
            // Most writers leave the fourth byte 0: such a picture is opaque, not invisible.
            if (allZero)
                AlphaInvert();
        }
        ConvertBitfieldsTo24(work, redMask, greenMask, blueMask, 32);
        std::free(work);
        break;
    }
    default:
        break;
    }

    if (topDown)
        Flip(false, true); // a top-down file read as bottom-up
    return true;
}

void CDibImageBMP::DecodeRle8(CDibFile* file) {
    const long long h = GetHeight(), stride = GetRowStride();
    BYTE* bits = GetBits();
    long long r = 0, c = 0;
    auto store = [&](BYTE v) {
        if (r >= 0 && r < h && c >= 0 && c < stride)
            bits[r * stride + c] = v;
    };
    for (;;) {
        long count = file->GetC();
        if (count < 0)
            return;
        if (count > 0) {
            long v = file->GetC();
            if (v < 0)
                return;
            for (long i = 0; i < count && c < stride; ++i, ++c)
                store(static_cast<BYTE>(v));
            continue;
        }
        long code = file->GetC();
        if (code < 0 || code == 1)
            return;
        if (code == 0) {
            ++r;
            c = 0;
        } else if (code == 2) {
            long dx = file->GetC(), dy = file->GetC();
            if (dx < 0 || dy < 0)
                return;
            c += dx;
            r += dy;
        } else {
            for (long i = 0; i < code; ++i, ++c) {
                long v = file->GetC();
                if (v < 0)
                    return;
                store(static_cast<BYTE>(v));
            }
            if (code & 1)
                file->GetC();
        }
    }
}

void CDibImageBMP::DecodeRle4(CDibFile* file) {
    const long long h = GetHeight(), stride = GetRowStride();
    const long long total = m_header.biSizeImage;
    BYTE* bits = GetBits();
    long long r = 0, b = 0;
    bool high = true;
    // A pixel goes where its byte lies inside the pixel data, so a run that passes the end of
    // a row continues on the next stored row.
    auto put = [&](BYTE v) {
        if (r < h) {
            long long pos = r * stride + b;
            if (pos >= 0 && pos < total) {
                if (high)
                    bits[pos] = static_cast<BYTE>(v << 4);
                else
                    bits[pos] = static_cast<BYTE>(bits[pos] | (v & 0x0F));
            }
        }
        if (high) {
            high = false;
        } else {
            high = true;
            ++b;
        }
    };
    for (;;) {
        long count = file->GetC();
        if (count < 0)
            return;
        if (count > 0) {
            long v = file->GetC();
            if (v < 0)
                return;
            for (long i = 0; i < count; ++i)
                put(static_cast<BYTE>((i & 1) ? (v & 0x0F) : (v >> 4)));
            continue;
        }
        long code = file->GetC();
        if (code < 0 || code == 1)
            return;
        if (code == 0) {
            b = 0;
            ++r;
            high = true;
        } else if (code == 2) {
            long dx = file->GetC(), dy = file->GetC();
            if (dx < 0 || dy < 0)
                return;
            b += dx / 2;
            r += dy;
        } else {
            long v = file->GetC();
            if (v < 0)
                return;
            for (long i = 0; i < code; ++i) {
                if (i > 0 && (i & 1) == 0) {
                    v = file->GetC();
                    if (v < 0)
                        return;
                }
                put(static_cast<BYTE>((i & 1) ? (v & 0x0F) : (v >> 4)));
            }
            if (((code + 1) & 2) == 2)
                file->GetC();
        }
    }
}

void CDibImage::ConvertBitfieldsTo24(BYTE* source, DWORD redMask, DWORD greenMask, DWORD blueMask,
                                     BYTE bpp) {
    if (!m_dib || !source || GetBpp() != 24)
        return;
    const long w = static_cast<long>(GetWidth()), h = static_cast<long>(GetHeight());
    const size_t stride = GetRowStride();
    BYTE* bits = GetBits();
    if (bpp == 16) {
        const int nR = BitCount16(redMask), nG = BitCount16(greenMask), nB = BitCount16(blueMask);
        const size_t srcStride = static_cast<size_t>((w + 1) / 2) * 4;
        // Last row and last pixel first, so that the rows can be converted in place.
        for (long y = h - 1; y >= 0; --y) {
            for (long x = w - 1; x >= 0; --x) {
                const BYTE* s =
                    source + static_cast<size_t>(y) * srcStride + 2 * static_cast<size_t>(x);
                DWORD v = static_cast<DWORD>(s[0]) | (static_cast<DWORD>(s[1]) << 8);
                BYTE blue = static_cast<BYTE>(ShiftBy((v & blueMask) & 0xFF, 8 - nR));
                BYTE green = static_cast<BYTE>(ShiftBy(v & greenMask, -(nR + nG - 8)));
                BYTE red = static_cast<BYTE>(ShiftBy(v & redMask, -(nR + nG + nB - 8)));
                BYTE* d = bits + static_cast<size_t>(y) * stride + 3 * static_cast<size_t>(x);
                d[0] = blue;
                d[1] = green;
                d[2] = red;
            }
        }
    } else if (bpp == 32) {
        auto byteIndex = [](DWORD mask) {
            int n = 0;
            for (int shift = 8; shift <= 24; shift += 8)
                if (mask >> shift)
                    ++n;
            return n;
        };
        const int iR = byteIndex(redMask), iG = byteIndex(greenMask), iB = byteIndex(blueMask);
        const size_t srcStride = static_cast<size_t>(w) * 4;
        for (long y = h - 1; y >= 0; --y) {
            for (long x = w - 1; x >= 0; --x) {
                const BYTE* s =
                    source + static_cast<size_t>(y) * srcStride + 4 * static_cast<size_t>(x);
                BYTE* d = bits + static_cast<size_t>(y) * stride + 3 * static_cast<size_t>(x);
                d[0] = s[iB];
                d[1] = s[iG];
                d[2] = s[iR];
            }
        }
    }
}

bool CDibImageBMP::Encode(CDibFile* file) {
    if (CheckBeforeEncode(file))
        return false;
    BITMAPFILEHEADER bf;
    bf.bfType = kBmSignature;
    bf.bfSize = GetSize() + 14;
    bf.bfReserved1 = 0;
    bf.bfReserved2 = 0;
    bf.bfOffBits = 14 + m_header.biSize + GetPaletteSize();

    if (!HasPalette() && AlphaIsValid()) {
        BITMAPINFOHEADER h = m_header;
        h.biBitCount = 32;
        h.biCompression = BI_RGB;
        h.biSizeImage = ((GetWidth() * 32 + 31) / 32) * 4 * GetHeight();
        bf.bfSize = h.biSize + 14 + h.biSizeImage;
        bf.bfOffBits = 14 + h.biSize;
        if (file->Write(&bf, sizeof(bf), 1) != 1 || file->Write(&h, sizeof(h), 1) != 1) {
            SetLastError("BMP write error");
            return false;
        }
        const size_t w = GetWidth();
        BYTE* row = static_cast<BYTE*>(std::malloc(4 * w));
        if (!row) {
            SetLastError("can't allocate memory");
            return false;
        }
        const BYTE* alpha = AlphaGetPointer();
        for (DWORD y = 0; y < GetHeight(); ++y) {
            const BYTE* src = GetBits(y);
            for (size_t x = 0; x < w; ++x) {
                row[4 * x] = src[3 * x];
                row[4 * x + 1] = src[3 * x + 1];
                row[4 * x + 2] = src[3 * x + 2];
                row[4 * x + 3] = alpha[y * w + x];
            }
            if (file->Write(row, 4 * w, 1) != 1) {
                std::free(row);
                SetLastError("BMP write error");
                return false;
            }
        }
        std::free(row);
        return true;
    }

    std::memcpy(m_dib, &m_header, sizeof(m_header));
    if (file->Write(&bf, sizeof(bf), 1) != 1 || file->Write(m_dib, GetSize(), 1) != 1) {
        SetLastError("BMP write error");
        return false;
    }
    return true;
}
