// The capture sizes of Tessary and the stored capture format "CapConfig.dat".
//
// A device that offers 1600x1200 in a packed YUV format gets the large size family, every
// other device the small one; the index of a size within its family is what the resolution
// lists and the F10 to F12 keys use. "CapConfig.dat" beside the program holds exactly the 88
// bytes of the last chosen VIDEOINFOHEADER, little-endian, without a header.
#pragma once

#include "measure/Units.h" // g_has1600x1200, g_captureWidth, g_captureHeight
#include "platform/win/WinTypes.h"

#include <array>

struct CaptureSize {
    int width;
    int height;
    const WCHAR* text; // as the resolution lists show it: "640*480"
};

inline constexpr int kCaptureSizeCount = 3;
inline constexpr int kDefaultSizeIndex = 2;

// Size `index` (0..2) of a family; the index is clamped into the family.
const CaptureSize& CaptureSizeOf(int has1600x1200, int index);

inline constexpr DWORD kCapConfigSize = 88;
inline constexpr const WCHAR* kCapConfigName = u"CapConfig.dat";

// Frames per second of a frame duration in 100-ns units, rounded as the format code always
// did (the integer part of 10,000,000 / duration + 0.49999999); 0 for a duration of 0 or
// less, so that an unknown duration gives a bit rate of 0 instead of a division by zero.
int FramesPerSecondOf(REFERENCE_TIME avgTimePerFrame);
// fps x frame bytes x 8, cut to what the 32-bit field holds.
DWORD BitRateOf(int framesPerSecond, DWORD frameBytes);
// Bytes of one frame: two per pixel for 16 bits, three for 24, one for any other depth.
DWORD FrameBytesOf(int width, int height, int bitCount);

// The 88 bytes of the file, field by field in little-endian order.
std::array<BYTE, kCapConfigSize> EncodeCapConfig(const VIDEOINFOHEADER& format);
VIDEOINFOHEADER DecodeCapConfig(const std::array<BYTE, kCapConfigSize>& bytes);

// Largest frame side a stored format may name.
inline constexpr LONG kMaxCapConfigSide = 16384;
// True when every field of a format read from "CapConfig.dat" lies in the range a capture
// format of ours can have: rectangles inside 0..kMaxCapConfigSide with left <= right and
// top <= bottom; a frame duration from 0 to a minute; biSize 40; a width and height from 1 to
// kMaxCapConfigSide (top-down heights are never stored); one plane; 8, 12, 16, 24 or 32 bits;
// BI_RGB, BI_BITFIELDS or a four-character code of printable characters; a frame size of at
// most four bytes a pixel; pixels per metre not negative; at most 256 palette colours (used
// and important). The bit rates are informative and any value is taken. The file
// is edited by hand or damaged at times: a format outside these ranges counts as no file.
bool IsCapConfigInRange(const VIDEOINFOHEADER& format);
