// The buttons of Wavenor's main window: their pictures and places, the tooltip table and the
// sets that are enabled and disabled together.
#pragma once

#include "platform/win/WinTypes.h"

struct WifiButtonRow {
    int id;
    UINT normalBitmap;  // up, or normal for a toggle button
    UINT pressedBitmap; // down, or pressed for a toggle button
    int x, y;           // client coordinates; the size is the normal bitmap's
    bool toggle;        // a CToggleBitmapButton, else a framework bitmap button
};

inline constexpr WifiButtonRow kWifiButtons[] = {
    {1014, 155, 355, 3, 4, false},   {1005, 150, 350, 33, 4, false},
    {1006, 151, 351, 63, 4, true},   {1007, 152, 352, 93, 4, false},
    {1016, 156, 356, 20, 0, false},  {1009, 154, 354, 123, 4, false},
    {1008, 153, 353, 153, 4, false}, {1185, 287, 286, 207, 6, true},
    {1186, 289, 288, 235, 6, true},  {1187, 291, 290, 263, 6, true},
    {1188, 293, 292, 291, 6, true},  {1189, 295, 294, 319, 6, true},
    {1190, 283, 282, 347, 6, true},  {1191, 301, 300, 375, 6, true},
    {1120, 285, 284, 403, 6, true},  {1192, 305, 304, 433, 6, true},
    {1193, 307, 306, 463, 6, true},  {1194, 309, 308, 493, 6, true},
    {1195, 311, 310, 523, 6, true},  {1196, 313, 312, 553, 6, true},
    {1197, 315, 314, 583, 6, true},  {1200, 317, 316, 613, 6, true},
    {1199, 319, 318, 643, 6, true},  {1180, 321, 320, 673, 6, true},
    {1198, 323, 322, 778, 6, false}, {1182, 325, 324, 810, 6, false},
    {1184, 328, 329, 5, 40, true},   {1183, 330, 327, 65, 40, true},
};

// Tooltips, in the order of the main window's records. The key differs for one button after
// a language change; its default does not.
struct WifiTipRow {
    int id;
    LPCWSTR key;
    LPCWSTR keyAfterLanguageChange;
    LPCWSTR defaultText;
};
inline constexpr WifiTipRow kWifiTips[] = {
    {1014, u"TipPreview", u"TipPreview", u"Preview"},
    {1005, u"TipCamera", u"TipCamera", u"Camera"},
    {1006, u"TipVideo", u"TipVideo", u"Recording Video"},
    {1007, u"TipTimer", u"TipTimer", u"Timer"},
    {1016, u"TipSetting", u"TipSetting", u"Setting"},
    {1008, u"TipSave", u"TipSave", u"Save as"},
    {1009, u"TipEMail", u"TipEMail", u"E-Mail"},
    {1185, u"TipHorMirror", u"TipHorMirror", u"Horizontal Mirror"},
    {1186, u"TipVerMirror", u"TipVerMirror", u"Vertical Mirror"},
    {1187, u"TipNegative", u"TipNegative", u"Negative"},
    {1188, u"TipBinarysegmentation", u"TipBinarysegmentation", u"Binary Segmentation"},
    {1189, u"TipRED", u"TipRED", u"Red Display"},
    {1190, u"TipGreen", u"TipGreen", u"Green Display"},
    {1191, u"TipBlue", u"TipBlue", u"Blue Display"},
    {1120, u"straightline", u"straightline", u"Line Measurement"},
    {1192, u"Continuousline", u"Continuousline", u"Continuous Line Measurement"},
    {1193, u"PointtoLine", u"DotLine", u"Point to Line Measurement"},
    {1194, u"Ploygon", u"Ploygon", u"Polygon measrement"},
    {1195, u"RadialCircle", u"RadialCircle", u"Radius of Circle Measurement"},
    {1196, u"Diametercircle", u"Diametercircle", u"Diameter of Circle Measurement"},
    {1197, u"Threepointcircle", u"Threepointcircle", u"Three Points Circle Measurement"},
    {1200, u"TArc", u"TArc", u"Three Points Arc Measurement"},
    {1199, u"Angle", u"Angle", u"Three Points Angle Measurement"},
    {1180, u"Fourpointangle", u"Fourpointangle", u"Four Points Angle Measurement"},
    {1198, u"TipCalibration", u"TipCalibration", u"Line Calibration"},
};

// Until a stream plays only Preview, Save and the list tabs work.
inline constexpr int kCaptureButtons[] = {1005, 1006, 1016, 1007, 1009}; // disabled together
inline constexpr int kEffectButtons[] = {1185, 1186, 1187, 1188, 1189, 1190, 1191};
inline constexpr int kResetEffectButtons[] = {1185, 1186, 1187, 1188}; // not the colours
inline constexpr int kToolButtons[] = {1120, 1192, 1193, 1194, 1195, 1196, 1197, 1200, 1199, 1180};
