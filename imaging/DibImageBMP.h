// Windows bitmap files, and bare device-independent bitmaps (header and rows, no file header).
#pragma once

#include "imaging/DibImage.h"

class CDibImageBMP : public CDibImage {
public:
    CDibImageBMP() : CDibImage(DIBIMAGE_TYPE_BMP) {}

    bool Decode(CDibFile* file);
    // Writes file header, info header, palette and rows with no gap; false on a failed write.
    bool Encode(CDibFile* file);
    // Reads the info header (40-byte, 12-byte OS/2, 64-byte OS/2 2, or longer) into header and
    // leaves the file after it; false for a header that cannot describe a picture.
    bool ReadBitmapInfo(CDibFile* file, BITMAPINFOHEADER* header);

private:
    void DecodeRle8(CDibFile* file);
    void DecodeRle4(CDibFile* file);
};
