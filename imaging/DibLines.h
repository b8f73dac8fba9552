// The straight-segment search of the edge detection, in a library of its own (libDibLines.so
// beside the program) that the image library loads on the first automatic line measurement:
// the search runs on OpenCV, and the programs start without loading it and what it brings.
#pragma once

extern "C" {

// The segments found in the 8-bit picture `pixels` (`width` x `height`, rows `stride` bytes
// apart; non-zero pixels are the edges), dilated first by a 3 x 3 square when `dilate` is
// non-zero: those of the Hough search at the highest threshold from maxThreshold down to
// minThreshold that yields any (see DibHough.h). Writes at most `capacity` segments to
// `segments` as x1, y1, x2, y2 and returns how many were found (more than written when
// `capacity` is short); -1 when the search failed.
typedef int DibLinesFindFunction(const unsigned char* pixels, int width, int height, int stride,
                                 int dilate, int maxThreshold, int minThreshold, int* segments,
                                 int capacity);
}

inline constexpr char16_t kDibLinesLibrary[] = u"DibLines.dll"; // libDibLines.so, see LoadLibraryW
inline constexpr char kDibLinesFind[] = "DibLinesFind";
