// Wavenor's R, G and B effect buttons: a true-colour picture shown through one or two of its
// colour channels.
#include "imaging/DibImage.h"

bool CDibImage::ShowColorChannels(DWORD mask) {
    if (!m_dib || GetBpp() != 24)
        return false;
    switch (mask) {
    case 0x1:
    case 0x10:
    case 0x100:
    case 0x11:
    case 0x101:
    case 0x110:
        break;
    default:
        return false; // none or all channels: the picture stays as it is
    }
    const DWORD width = GetWidth(), height = GetHeight();
    for (DWORD y = 0; y < height; ++y) {
        // Only the width's triples: the padding at the end of the row stays as it is.
        BYTE* p = GetBits(y);
        for (DWORD x = 0; x < width; ++x, p += 3) {
            BYTE& blue = p[0];
            BYTE& green = p[1];
            BYTE& red = p[2];
            switch (mask) {
            case 0x1:
                blue = green = red;
                break;
            case 0x10:
                blue = red = green;
                break;
            case 0x100:
                green = red = blue;
                break;
            case 0x11:
                blue = 0;
                break;
            case 0x101:
                green = 0;
                break;
            case 0x110:
                red = 0;
                break;
            default:
                break;
            }
        }
    }
    return false;
}
