#include "imaging_ext/DibImagePNG.h"

#include "imaging/DibCodecRegistry.h"

#include <png.h>

#include <cmath>
#include <csetjmp>
#include <cstdlib>
#include <cstring>

// libpng's longjmp crosses these frames: nothing in them may need a destructor, and whatever
// must be freed or undone after an error lives in Work, owned by the caller of the guarded step.

static_assert(sizeof(png_color) == 3, "PLTE entries are red-green-blue triples");

namespace {

// Warnings (a doubtful ancillary chunk, an unusual colour profile) do not stop decoding and are
// nobody's business on a normal run.
void IgnoreWarning(png_structp, png_const_charp) {}

// Encoding reports every libpng failure with one text of its own, so libpng's message is not
// kept; the handler only returns to the recovery point instead of printing.
[[noreturn]] void WriteErrorCallback(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

// libpng allocates a chunk's buffer from its length field before reading it: a 200-byte file
// could reserve gigabytes for one text chunk. No allocation of a decode within the limits above
// comes near this bound (a row of a million 16-bit RGBA pixels is 8 MB); a larger request is
// refused, and libpng skips the chunk or fails the picture.
constexpr png_alloc_size_t kMaxAllocation = 64u << 20;

png_voidp BoundedMalloc(png_structp, png_alloc_size_t size) {
    return size <= kMaxAllocation ? std::malloc(size) : nullptr;
}

void BoundedFree(png_structp, png_voidp block) {
    std::free(block);
}

// The PNG format joins CDibImage's dispatch as the program starts.
const bool g_pngRegistered = RegisterDibCodec(DIBIMAGE_TYPE_PNG, DibCodecOf<CDibImagePNG>());

} // namespace

// ---- stream functions

void CDibImagePNG::ReadCallback(png_struct_def* png, BYTE* data, size_t length) {
    CDibFile* file = static_cast<CDibFile*>(png_get_io_ptr(png));
    if (!file || file->Read(data, 1, length) != length)
        png_error(png, "Read Error");
}

void CDibImagePNG::WriteCallback(png_struct_def* png, BYTE* data, size_t length) {
    CDibFile* file = static_cast<CDibFile*>(png_get_io_ptr(png));
    if (!file || file->Write(data, 1, length) != length)
        png_error(png, "Write Error");
}

void CDibImagePNG::FlushCallback(png_struct_def* png) {
    CDibFile* file = static_cast<CDibFile*>(png_get_io_ptr(png));
    if (!file || !file->Flush())
        png_error(png, "Flush Error");
}

void CDibImagePNG::ErrorCallback(png_struct_def* png, const char* message) {
    char* text = static_cast<char*>(png_get_error_ptr(png));
    if (text) {
        std::strncpy(text, message ? message : "", 255);
        text[255] = 0;
    }
    png_longjmp(png, 1);
}

// ---- decoding

bool CDibImagePNG::Decode(CDibFile* file) {
    png_structp png =
        png_create_read_struct_2(PNG_LIBPNG_VER_STRING, m_info.lastError, ErrorCallback,
                                 IgnoreWarning, nullptr, BoundedMalloc, BoundedFree);
    if (!png) {
        SetLastError("Failed to create PNG structure");
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        SetLastError("Failed to initialize PNG info structure");
        return false;
    }
    png_set_read_fn(png, file, ReadCallback);
    // libpng's usual limits, whatever the system's build chose: pictures up to a million
    // pixels a side, compressed text up to 8 MB, a thousand text-like chunks.
    png_set_user_limits(png, 1000000, 1000000);
    png_set_chunk_malloc_max(png, 8000000);
    png_set_chunk_cache_max(png, 1000);
    Work work{nullptr, -1};
    bool ok = ReadGuarded(png, info, &work);
    std::free(work.row);
    png_destroy_read_struct(&png, &info, nullptr);
    return ok;
}

bool CDibImagePNG::ReadGuarded(png_struct_def* png, png_info_def* info, Work* work) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    return ReadImage(png, info, work);
}

bool CDibImagePNG::ReadImage(png_struct_def* png, png_info_def* info, Work* work) {
    png_read_info(png, info);
    png_uint_32 width = 0, height = 0;
    int bitDepth = 0, colourType = 0, interlace = 0;
    png_get_IHDR(png, info, &width, &height, &bitDepth, &colourType, &interlace, nullptr, nullptr);

    if (GetEscape() == -1) {
        m_header.biWidth = static_cast<LONG>(width);
        m_header.biHeight = static_cast<LONG>(height);
        m_info.type = DIBIMAGE_TYPE_PNG;
        return true;
    }

    int channels;
    switch (colourType) {
    case PNG_COLOR_TYPE_GRAY:
    case PNG_COLOR_TYPE_PALETTE:
        channels = 1;
        break;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
        channels = 2;
        break;
    case PNG_COLOR_TYPE_RGB:
        channels = 3;
        break;
    case PNG_COLOR_TYPE_RGB_ALPHA:
        channels = 4;
        break;
    default:
        SetLastError("unknown PNG color type");
        return false;
    }
    const int sampleBits = bitDepth > 8 ? 8 : bitDepth; // 16-bit samples keep their high byte
    const DWORD bpp = channels == 1 ? static_cast<DWORD>(sampleBits) : channels == 2 ? 8 : 24;
    if (!Create(width, height, bpp, DIBIMAGE_TYPE_PNG))
        return false;

    png_uint_32 resX = 0, resY = 0;
    int unit = PNG_RESOLUTION_UNKNOWN;
    png_get_pHYs(png, info, &resX, &resY, &unit);
    if (unit == PNG_RESOLUTION_METER) {
        SetDpiX(static_cast<long>(std::floor(resX * 0.025400000000000002 + 0.5)));
        SetDpiY(static_cast<long>(std::floor(resY * 0.025400000000000002 + 0.5)));
    } else if (unit == PNG_RESOLUTION_UNKNOWN) {
        SetDpiX(static_cast<long>(resX));
        SetDpiY(static_cast<long>(resY));
    }

    png_colorp plte = nullptr;
    int plteCount = 0;
    if (png_get_PLTE(png, info, &plte, &plteCount) && plte && plteCount > 0) {
        SetPalette(reinterpret_cast<const BYTE*>(plte), static_cast<DWORD>(plteCount));
        SetClrImportant(static_cast<DWORD>(plteCount));
    } else if (bitDepth == 2) {
        for (BYTE i = 0; i < 4; ++i)
            SetPaletteColor(i, static_cast<BYTE>(85 * i), static_cast<BYTE>(85 * i),
                            static_cast<BYTE>(85 * i));
    } else {
        SetGrayPalette();
    }

    // The file's values, read before any transformation: 16-bit values keep their high byte.
    png_bytep transAlpha = nullptr;
    int transCount = 0;
    png_color_16p transColour = nullptr;
    if (png_get_tRNS(png, info, &transAlpha, &transCount, &transColour)) {
        const int shift = bitDepth == 16 ? 8 : 0;
        if (colourType == PNG_COLOR_TYPE_PALETTE) {
            if (transCount == 1) {
                SetKeyIndex(0);
            } else if (transCount > 1 && transAlpha) {
                RGBQUAD* pal = GetPalette();
                for (DWORD i = 0; pal && i < GetNumColors(); ++i)
                    pal[i].rgbReserved =
                        i < static_cast<DWORD>(transCount) ? transAlpha[i] : BYTE{255};
                EnablePaletteAlpha(true);
            }
        } else if (colourType == PNG_COLOR_TYPE_GRAY && transColour) {
            SetKeyIndex(transColour->gray >> shift);
        } else if (colourType == PNG_COLOR_TYPE_RGB && transColour) {
            SetKeyColor(RGBQUAD{static_cast<BYTE>(transColour->blue >> shift),
                                static_cast<BYTE>(transColour->green >> shift),
                                static_cast<BYTE>(transColour->red >> shift), 0});
            SetKeyIndex(0);
        }
    }

    const bool withAlpha = channels == 2 || channels == 4;
    if (withAlpha && !AlphaCreate()) {
        SetLastError("CDibImage::Create can't allocate memory");
        return false;
    }

    if (colourType == PNG_COLOR_TYPE_RGB || colourType == PNG_COLOR_TYPE_PALETTE ||
        colourType == PNG_COLOR_TYPE_RGB_ALPHA)
        png_set_bgr(png);
    if (bitDepth == 16)
        png_set_strip_16(png);

    if (GetEscape())
        return false;

    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    const size_t rowBytes = png_get_rowbytes(png, info);
    // What the loops below take from each row, in 64 bits: a row libpng delivers shorter than
    // that is refused rather than read past.
    const unsigned long long needed =
        (static_cast<unsigned long long>(width) * channels * sampleBits + 7) / 8;
    if (rowBytes < needed) {
        SetLastError("unsupported PNG row layout");
        return false;
    }
    work->row = static_cast<BYTE*>(std::calloc(1, rowBytes + 8));
    if (!work->row) {
        SetLastError("CDibImage::Create can't allocate memory");
        return false;
    }
    SetCodecOption(passes > 1 ? 1 : 0, DIBIMAGE_TYPE_PNG);

    BYTE* row = work->row;
    const size_t copyBytes = rowBytes < GetRowStride() ? rowBytes : GetRowStride();
    for (int pass = 0; pass < passes; ++pass) {
        const bool lastPass = pass == passes - 1;
        for (png_uint_32 n = 0; n < height; ++n) {
            if (GetEscape())
                return false;
            const DWORD y = height - 1 - n;
            BYTE* stored = GetBits(y);
            BYTE* alpha = withAlpha ? AlphaGetPointer(0, static_cast<long>(y)) : nullptr;
            // libpng merges each pass into the row it is handed, so the row must hold what
            // the earlier passes stored.
            if (passes > 1) {
                if (channels == 2) {
                    for (png_uint_32 x = 0; x < width; ++x) {
                        row[2 * x] = stored[x];
                        row[2 * x + 1] = alpha[x];
                    }
                } else if (channels == 4) {
                    for (png_uint_32 x = 0; x < width; ++x) {
                        std::memcpy(row + 4 * size_t{x}, stored + 3 * size_t{x}, 3);
                        row[4 * size_t{x} + 3] = alpha[x];
                    }
                } else {
                    std::memcpy(row, stored, copyBytes);
                }
            }
            png_read_row(png, row, nullptr);
            if (channels == 2) {
                for (png_uint_32 x = 0; x < width; ++x) {
                    stored[x] = row[2 * x];
                    alpha[x] = row[2 * x + 1];
                }
            } else if (channels == 4) {
                for (png_uint_32 x = 0; x < width; ++x) {
                    std::memcpy(stored + 3 * size_t{x}, row + 4 * size_t{x}, 3);
                    alpha[x] = row[4 * size_t{x} + 3];
                }
            } else {
                std::memcpy(stored, row, copyBytes);
                if (bitDepth == 2 && lastPass)
                    ExpandTwoBitRow(stored);
            }
        }
    }
    std::free(work->row);
    work->row = nullptr;
    png_read_end(png, nullptr);
    return true;
}

void CDibImagePNG::ExpandTwoBitRow(BYTE* row) const {
    const long width = static_cast<long>(GetWidth());
    // From the end: every 4-bit value lands in a byte whose 2-bit values were read already.
    for (long x = width - 1; x >= 0; --x) {
        const BYTE v = static_cast<BYTE>((row[x >> 2] >> (6 - 2 * (x & 3))) & 3);
        BYTE& out = row[x >> 1];
        if (x & 1)
            out = static_cast<BYTE>((out & 0xF0) | v);
        else if (x == width - 1)
            out = static_cast<BYTE>(v << 4); // no right neighbour: the padding nibble is 0
        else
            out = static_cast<BYTE>((out & 0x0F) | (v << 4));
    }
}

// ---- encoding

bool CDibImagePNG::Encode(CDibFile* file) {
    if (CheckBeforeEncode(file))
        return false;
    png_structp png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, WriteErrorCallback, IgnoreWarning);
    if (!png) {
        SetLastError("Failed to create PNG structure");
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        SetLastError("Failed to initialize PNG info structure");
        return false;
    }
    png_set_write_fn(png, file, WriteCallback, FlushCallback);
    Work work{nullptr, -1};
    bool ok = WriteGuarded(png, info, &work);
    std::free(work.row);
    if (work.swappedIndex > 0)
        SwapIndex(static_cast<BYTE>(work.swappedIndex), 0);
    png_destroy_write_struct(&png, &info);
    if (!ok)
        SetLastError("Error saving PNG file");
    return ok;
}

bool CDibImagePNG::WriteGuarded(png_struct_def* png, png_info_def* info, Work* work) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    return WriteImage(png, info, work);
}

bool CDibImagePNG::WriteImage(png_struct_def* png, png_info_def* info, Work* work) {
    const png_uint_32 width = GetWidth(), height = GetHeight();
    const bool withAlpha = AlphaIsValid();
    // Grey files hold levels, not indices: only an 8-bit image whose palette is the identity
    // ramp means the same picture when its indices are read as grey levels. A 1- or 4-bit image
    // with the palette (i, i, i) is nearly black and stays a palette file.
    const bool grey = HasPalette() && GetBpp() == 8 && IsGrayScale();
    int colourType, bitDepth = 8;
    if (!HasPalette() || (!grey && withAlpha)) {
        // A colour palette with an alpha channel has no PNG form of its own (colour type 7
        // does not exist): it is written as RGBA, which keeps every colour and alpha value.
        colourType = withAlpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB;
    } else if (grey) {
        colourType = withAlpha ? PNG_COLOR_TYPE_GRAY_ALPHA : PNG_COLOR_TYPE_GRAY;
    } else {
        colourType = PNG_COLOR_TYPE_PALETTE;
        bitDepth = GetBpp();
    }
    const bool interlaced = GetCodecOption(DIBIMAGE_TYPE_PNG) == 1;
    png_set_IHDR(png, info, width, height, bitDepth, colourType,
                 interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);

    const long key = GetKeyIndex();
    png_color_16 background{};
    if (colourType == PNG_COLOR_TYPE_RGB || colourType == PNG_COLOR_TYPE_RGB_ALPHA) {
        RGBQUAD c = key >= 0 ? GetKeyColor() : RGBQUAD{255, 255, 255, 0};
        background.red = c.rgbRed;
        background.green = c.rgbGreen;
        background.blue = c.rgbBlue;
    }
    png_set_bKGD(png, info, &background); // palette index 0, grey level 0

    const LONG ppmX = GetHeader().biXPelsPerMeter, ppmY = GetHeader().biYPelsPerMeter;
    png_set_pHYs(png, info, ppmX > 0 ? static_cast<png_uint_32>(ppmX) : 0,
                 ppmY > 0 ? static_cast<png_uint_32>(ppmY) : 0, PNG_RESOLUTION_METER);

    if (colourType == PNG_COLOR_TYPE_PALETTE) {
        // The file's single transparent entry is entry 0: the key colour moves there first.
        if (key > 0 && !IsPaletteAlphaEnabled() && key < static_cast<long>(GetNumColors())) {
            SwapIndex(0, static_cast<BYTE>(key));
            work->swappedIndex = key;
        }
        DWORD count = GetClrImportant();
        if (count == 0 || count > GetNumColors())
            count = GetNumColors();
        // libpng refuses pixels that point past the written palette: the important colours
        // are written, and as many more as the picture uses.
        for (png_uint_32 y = 0; y < height && count < GetNumColors(); ++y)
            for (png_uint_32 x = 0; x < width; ++x) {
                const DWORD index =
                    GetPixelIndexUnchecked(static_cast<long>(x), static_cast<long>(y));
                if (index >= count)
                    count = index + 1;
            }
        png_color entries[256];
        png_byte alphas[256];
        const RGBQUAD* pal = GetPalette();
        for (DWORD i = 0; i < count; ++i) {
            entries[i] = png_color{pal[i].rgbRed, pal[i].rgbGreen, pal[i].rgbBlue};
            alphas[i] = pal[i].rgbReserved;
        }
        png_set_PLTE(png, info, entries, static_cast<int>(count));
        if (IsPaletteAlphaEnabled()) {
            png_set_tRNS(png, info, alphas, static_cast<int>(count), nullptr);
        } else if (key >= 0) {
            png_byte transparent = 0;
            png_set_tRNS(png, info, &transparent, 1, nullptr);
        }
    } else if (colourType == PNG_COLOR_TYPE_GRAY && key >= 0) {
        png_color_16 t{};
        t.gray = static_cast<png_uint_16>(key);
        png_set_tRNS(png, info, nullptr, 1, &t);
    } else if (colourType == PNG_COLOR_TYPE_RGB && key >= 0) {
        RGBQUAD c = GetKeyColor();
        png_color_16 t{};
        t.red = c.rgbRed;
        t.green = c.rgbGreen;
        t.blue = c.rgbBlue;
        png_set_tRNS(png, info, nullptr, 1, &t);
    }

    // The key colour of a 24-bit picture becomes transparent in its own alpha channel.
    if (GetBpp() == 24 && withAlpha && key >= 0) {
        const RGBQUAD k = GetKeyColor();
        for (png_uint_32 y = 0; y < height; ++y) {
            const BYTE* p = GetBits(y);
            BYTE* a = AlphaGetPointer(0, static_cast<long>(y));
            for (png_uint_32 x = 0; x < width; ++x, p += 3)
                if (p[0] == k.rgbBlue && p[1] == k.rgbGreen && p[2] == k.rgbRed)
                    a[x] = 0;
        }
    }

    png_write_info(png, info);
    if (colourType == PNG_COLOR_TYPE_RGB)
        png_set_bgr(png);

    const int channels = colourType == PNG_COLOR_TYPE_RGB_ALPHA    ? 4
                         : colourType == PNG_COLOR_TYPE_GRAY_ALPHA ? 2
                                                                   : 0;
    if (channels) {
        work->row = static_cast<BYTE*>(std::malloc(size_t{width} * channels));
        if (!work->row)
            return false;
    }
    BYTE* row = work->row;
    const int passes = png_set_interlace_handling(png);
    for (int pass = 0; pass < passes; ++pass) {
        for (png_uint_32 n = 0; n < height; ++n) {
            const DWORD y = height - 1 - n;
            const BYTE* stored = GetBits(y);
            const BYTE* alpha = withAlpha ? AlphaGetPointer(0, static_cast<long>(y)) : nullptr;
            if (channels == 0) {
                // Palette indices, grey levels, or blue-green-red triples that libpng swaps.
                png_write_row(png, stored);
                continue;
            }
            if (channels == 2) {
                // The palette is the identity ramp: the index is the grey level.
                for (png_uint_32 x = 0; x < width; ++x) {
                    row[2 * size_t{x}] = stored[x];
                    row[2 * size_t{x} + 1] = alpha[x];
                }
            } else if (GetBpp() == 24) {
                for (png_uint_32 x = 0; x < width; ++x) {
                    BYTE* out = row + 4 * size_t{x};
                    out[0] = stored[3 * size_t{x} + 2];
                    out[1] = stored[3 * size_t{x} + 1];
                    out[2] = stored[3 * size_t{x}];
                    out[3] = alpha[x];
                }
            } else {
                for (png_uint_32 x = 0; x < width; ++x) {
                    const BYTE index = GetPixelIndexUnchecked(static_cast<long>(x), y);
                    const RGBQUAD c = GetPaletteColor(index);
                    BYTE* out = row + 4 * size_t{x};
                    out[0] = c.rgbRed;
                    out[1] = c.rgbGreen;
                    out[2] = c.rgbBlue;
                    out[3] = key >= 0 && index == key ? BYTE{0} : alpha[x];
                }
            }
            png_write_row(png, row);
        }
    }
    png_write_end(png, info);
    return true;
}
