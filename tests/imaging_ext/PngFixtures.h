// PNG files written with libpng itself for the codec's tests, and a reader of what the codec
// wrote: the pictures are checked against libpng, not against our own code.
#pragma once

#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

#include "platform/win/WinTypes.h"

namespace pngfix {

using Bytes = std::vector<BYTE>;

// What a test PNG file holds: its size, depth, colour type and rows, and its optional chunks.
struct PngPicture {
    png_uint_32 width = 1;
    png_uint_32 height = 1;
    int bitDepth = 8;
    int colourType = PNG_COLOR_TYPE_GRAY;
    bool interlaced = false;
    std::vector<Bytes> rows; // top row first, in the file's sample layout (big-endian 16 bits)
    std::optional<std::pair<png_uint_32, int>> phys; // value on both axes, unit
    std::vector<png_color> palette;
    std::vector<png_byte> transAlpha; // palette tRNS
    std::optional<png_color_16> transColour;
};

// A fixture that libpng refuses is a broken test, not a test result.
[[noreturn]] inline void Abort(png_structp, png_const_charp message) {
    std::fprintf(stderr, "png fixture: %s\n", message);
    std::abort();
}

inline void Append(png_structp png, png_bytep data, size_t length) {
    Bytes* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

inline Bytes Write(const PngPicture& s) {
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, Abort, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &out, Append, nullptr);
    png_set_IHDR(png, info, s.width, s.height, s.bitDepth, s.colourType,
                 s.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (s.phys)
        png_set_pHYs(png, info, s.phys->first, s.phys->first, s.phys->second);
    if (!s.palette.empty())
        png_set_PLTE(png, info, s.palette.data(), static_cast<int>(s.palette.size()));
    if (!s.transAlpha.empty())
        png_set_tRNS(png, info, s.transAlpha.data(), static_cast<int>(s.transAlpha.size()),
                     nullptr);
    if (s.transColour) {
        png_color_16 t = *s.transColour;
        png_set_tRNS(png, info, nullptr, 1, &t);
    }
    png_write_info(png, info);
    const int passes = png_set_interlace_handling(png);
    for (int pass = 0; pass < passes; ++pass)
        for (const Bytes& row : s.rows)
            png_write_row(png, row.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

// A file read back with libpng: header, chunks that matter here, and 8-bit rows top first.
struct Read {
    png_uint_32 width = 0, height = 0;
    int bitDepth = 0, colourType = -1, interlace = -1;
    int paletteCount = 0;
    std::vector<png_color> palette;
    std::vector<png_byte> transAlpha;
    bool hasTransColour = false;
    png_color_16 transColour{};
    bool hasPhys = false;
    png_uint_32 physX = 0, physY = 0;
    int physUnit = -1;
    std::vector<Bytes> rows;
};

struct Source {
    const Bytes* bytes;
    size_t position;
};

inline void Take(png_structp png, png_bytep data, size_t length) {
    Source* src = static_cast<Source*>(png_get_io_ptr(png));
    if (src->position + length > src->bytes->size())
        Abort(png, "fixture reader ran out of bytes");
    std::memcpy(data, src->bytes->data() + src->position, length);
    src->position += length;
}

inline Read ReadBack(const Bytes& bytes) {
    Read r;
    Source src{&bytes, 0};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, Abort, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_read_fn(png, &src, Take);
    png_read_info(png, info);
    png_get_IHDR(png, info, &r.width, &r.height, &r.bitDepth, &r.colourType, &r.interlace, nullptr,
                 nullptr);
    png_colorp pal = nullptr;
    if (png_get_PLTE(png, info, &pal, &r.paletteCount))
        r.palette.assign(pal, pal + r.paletteCount);
    png_bytep alpha = nullptr;
    int count = 0;
    png_color_16p colour = nullptr;
    if (png_get_tRNS(png, info, &alpha, &count, &colour)) {
        if (r.colourType == PNG_COLOR_TYPE_PALETTE)
            r.transAlpha.assign(alpha, alpha + count);
        else if (colour) {
            r.hasTransColour = true;
            r.transColour = *colour;
        }
    }
    r.hasPhys = png_get_pHYs(png, info, &r.physX, &r.physY, &r.physUnit) != 0;
    if (r.bitDepth == 16)
        png_set_strip_16(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    r.rows.assign(r.height, Bytes(png_get_rowbytes(png, info)));
    std::vector<png_bytep> pointers;
    for (Bytes& row : r.rows)
        pointers.push_back(row.data());
    png_read_image(png, pointers.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return r;
}

// The picture as libpng shows it: 8-bit red, green, blue, alpha per pixel, top row first.
inline std::vector<Bytes> ReadRgba(const Bytes& bytes) {
    Source src{&bytes, 0};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, Abort, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_read_fn(png, &src, Take);
    png_read_info(png, info);
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    std::vector<Bytes> rows(png_get_image_height(png, info), Bytes(png_get_rowbytes(png, info)));
    std::vector<png_bytep> pointers;
    for (Bytes& row : rows)
        pointers.push_back(row.data());
    png_read_image(png, pointers.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return rows;
}

// Rows of pseudo-random samples for a picture of the given layout (same seed, same rows).
inline std::vector<Bytes> NoiseRows(const PngPicture& s, unsigned seed) {
    int channels = s.colourType == PNG_COLOR_TYPE_GRAY || s.colourType == PNG_COLOR_TYPE_PALETTE ? 1
                   : s.colourType == PNG_COLOR_TYPE_GRAY_ALPHA                                   ? 2
                   : s.colourType == PNG_COLOR_TYPE_RGB                                          ? 3
                                                        : 4;
    size_t rowBytes = (static_cast<size_t>(s.width) * channels * s.bitDepth + 7) / 8;
    std::vector<Bytes> rows(s.height, Bytes(rowBytes));
    unsigned v = seed * 2654435761u + 1;
    for (Bytes& row : rows)
        for (BYTE& b : row) {
            v = v * 1103515245u + 12345u;
            b = static_cast<BYTE>(v >> 16);
        }
    return rows;
}

} // namespace pngfix
