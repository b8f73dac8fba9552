// The headless core of the still-picture view: which pictures it loads, the fitted display,
// and how the points it stores relate to the picture and to the space lengths are measured in.
//
// The view stores client positions plus its scroll positions: positions of the fitted display
// in the fitted mode, picture pixels at actual size. Lengths are measured, and calibrations
// made, in the fitted display's pixels whatever the mode, so one feature reads one length in
// both; a saved picture maps the stored points with picture size / view size per axis.
#pragma once

#include "platform/win/WinTypes.h"
#include "platform/win/core/CString.h"

// How the still view shows its picture.
enum StillViewMode {
    STILL_VIEW_FITTED = 1, // stretched into the fitted display, 640 pixels wide
    STILL_VIEW_ACTUAL = 2, // at actual size with scroll bars
};

// The format to load a still picture in, by the path's last three letters compared in lower
// case: DIBIMAGE_TYPE_PNG for "png", DIBIMAGE_TYPE_JPG for "jpg", 0 (nothing) otherwise.
DWORD StillPictureType(const CString& path);

struct StillViewSpace {
    int displayWidth = 640; // the fitted display: 640 x 512 for 1280 x 1024, else 640 x 480
    int displayHeight = 480;
    double toPictureX = 1.0; // picture pixels per stored unit
    double toPictureY = 1.0;
    double toFittedX = 1.0; // fitted display pixels per stored unit
    double toFittedY = 1.0;
};
// A picture without size (not loaded) maps one to one.
StillViewSpace StillViewSpaceOf(int pictureWidth, int pictureHeight, int viewMode);

// The distance of two stored points in fitted display pixels, the pixels of every length.
double FittedDistance(const StillViewSpace& space, POINT a, POINT b);
