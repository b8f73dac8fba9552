// PNG codec of Wavenor's image library, over libpng 1.6. It joins the format dispatch of
// CDibImage as DIBIMAGE_TYPE_PNG and, like the other codecs, exists only as a short-lived local
// of Decode and Encode.
//
// Decoding maps PNG onto the image's depths: grey and palette files keep their 1, 4 (2-bit
// files widened) or 8 bits, grey with alpha becomes 8 bits plus the alpha channel, colour files
// 24 bits (plus the alpha channel for RGBA); 16-bit samples keep their high byte. The PNG
// option word (GetCodecOption(DIBIMAGE_TYPE_PNG)) says whether the file was interlaced and
// whether an encoded file will be (1 = Adam7).
#pragma once

#include <cstddef>

#include "imaging/DibImage.h"

// libpng's structures, so that users of the codec need not see png.h.
struct png_struct_def;
struct png_info_def;

class CDibImagePNG : public CDibImage {
public:
    CDibImagePNG() : CDibImage(DIBIMAGE_TYPE_PNG) {}

    // Reads one PNG image at the stream's position. Any bytes give a picture or false with a
    // text; with the escape value -1 only the size and the type are read.
    bool Decode(CDibFile* file);
    // Writes the picture as one PNG image; false with "Error saving PNG file" when libpng or the
    // stream fails. The image leaves as it came, apart from the key colour turned into alpha 0
    // of a 24-bit image with an alpha channel.
    bool Encode(CDibFile* file);

    // Stream functions handed to libpng; the I/O pointer is the CDibFile.
    static void ReadCallback(png_struct_def* png, BYTE* data, size_t length);
    static void WriteCallback(png_struct_def* png, BYTE* data, size_t length);
    static void FlushCallback(png_struct_def* png);
    // Decoding: copies libpng's message into the error pointer (a 256-byte text) and returns
    // to the recovery point.
    [[noreturn]] static void ErrorCallback(png_struct_def* png, const char* message);

private:
    // What the guarded steps allocate or change; the caller frees and undoes it whether libpng
    // returned normally or through its recovery point.
    struct Work {
        BYTE* row;
        long swappedIndex; // palette index moved to entry 0 for the file's tRNS, or -1
    };

    bool ReadGuarded(png_struct_def* png, png_info_def* info, Work* work);
    bool ReadImage(png_struct_def* png, png_info_def* info, Work* work);
    bool WriteGuarded(png_struct_def* png, png_info_def* info, Work* work);
    bool WriteImage(png_struct_def* png, png_info_def* info, Work* work);
    // Widens one row of packed 2-bit values to 4-bit values in place.
    void ExpandTwoBitRow(BYTE* row) const;
};
