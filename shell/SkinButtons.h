// The 46 skinned buttons of the main window, in the order of the dialog's button table (also
// the order of their tooltips): control id, kind, normal and pressed bitmap, top-left corner in
// client pixels (each button keeps its bitmap's size), whether the dialog template shows it,
// whether a successful device start enables it, and its tooltip key with the English default.
#pragma once

#include "platform/win/WinTypes.h"

#include <cstddef>

enum class SkinButtonKind { Toggle, Bitmap };

struct SkinButtonRow {
    int id;
    SkinButtonKind kind;
    UINT normalBitmap;
    UINT pressedBitmap;
    int x, y;
    bool shown; // visible in the template (the others never show)
    bool enabledAfterStart;
    LPCWSTR tipKey;
    LPCWSTR tipDefault;
};

inline constexpr int kSkinButtonCount = 46;

// The snapshot switch 1204 takes its tooltip from its state; the table holds the released
// state's text, and these are the pressed state's.
inline constexpr int kSnapshotSwitchId = 1204;
inline constexpr LPCWSTR kSwitchDisableKey = u"TipSwitchDisable";
inline constexpr LPCWSTR kSwitchDisableDefault = u"Snapshot Disable";

inline constexpr SkinButtonRow kSkinButtons[kSkinButtonCount] = {
    {1014, SkinButtonKind::Toggle, 155, 355, 1, 1, false, true, u"TipPreview", u"Preview"},
    {1005, SkinButtonKind::Bitmap, 150, 350, 29, 78, true, true, u"TipCamera", u"Camera  F2"},
    {1006, SkinButtonKind::Toggle, 151, 351, 29, 125, true, true, u"TipVideo",
     u"Recording Video  F3/F4"},
    {1007, SkinButtonKind::Bitmap, 152, 352, 29, 172, false, false, u"TipTimer", u"Timer"},
    {1016, SkinButtonKind::Bitmap, 156, 356, 29, 172, true, true, u"TipVideoSetting",
     u"Video setting"},
    {1008, SkinButtonKind::Bitmap, 329, 326, 29, 254, false, false, u"TipExceptword",
     u"Export to word"},
    {1009, SkinButtonKind::Bitmap, 327, 328, 29, 269, true, true, u"TipExceptexcel",
     u"Export to excel"},
    {1293, SkinButtonKind::Bitmap, 331, 330, 29, 363, true, true, u"TipLanguage", u"Language"},
    {1179, SkinButtonKind::Toggle, 287, 288, 749, 80, true, true, u"TipLine", u"Line Measurement"},
    {1180, SkinButtonKind::Toggle, 282, 281, 785, 80, true, true, u"TipDotLine",
     u"Dot Line Measurement"},
    {1181, SkinButtonKind::Toggle, 289, 290, 820, 80, true, true, u"TipParallelline",
     u"Parallel line Measurement"},
    {1182, SkinButtonKind::Toggle, 278, 277, 749, 115, true, true, u"TipContinualline",
     u"Continual line Measurement"},
    {1183, SkinButtonKind::Toggle, 293, 294, 785, 115, true, true, u"TipRectangle",
     u"Rectangle Measurement"},
    {1184, SkinButtonKind::Toggle, 297, 298, 820, 112, false, false, u"TipPolygon",
     u"Ploygon Measurement"},
    {1185, SkinButtonKind::Toggle, 284, 283, 749, 147, false, false, u"TipEllipse",
     u"Ellipse Measurement"},
    {1186, SkinButtonKind::Toggle, 299, 300, 785, 147, false, false, u"TipRCircle",
     u"Radius Circle Measurement"},
    {1187, SkinButtonKind::Toggle, 280, 279, 820, 147, false, false, u"TipDCircle",
     u"Diameter Circle Measurement"},
    {1188, SkinButtonKind::Toggle, 301, 302, 820, 115, true, true, u"TipTCircle",
     u"Three Points Circles Measurement"},
    {1189, SkinButtonKind::Toggle, 303, 304, 749, 185, true, true, u"TipTwoCircle",
     u"Two Circles Measurement"},
    {1190, SkinButtonKind::Toggle, 272, 271, 785, 150, true, true, u"TipAngle",
     u"Angle Measurement"},
    {1191, SkinButtonKind::Toggle, 305, 306, 820, 150, true, true, u"TipFAngle",
     u"Four Points Angle Measurement"},
    {1192, SkinButtonKind::Bitmap, 276, 275, 820, 185, true, true, u"TipCLabel", u"Circle Label"},
    {1193, SkinButtonKind::Bitmap, 307, 308, 749, 250, false, true, u"TipSLabel", u"Square Label"},
    {1194, SkinButtonKind::Bitmap, 270, 286, 785, 185, true, true, u"TipText", u"Text"},
    {1175, SkinButtonKind::Bitmap, 265, 260, 764, 6, true, true, u"TipMin", u"minimum"},
    {1176, SkinButtonKind::Bitmap, 263, 264, 798, 6, true, true, u"TipFullScreen", u"Full Screen"},
    {1177, SkinButtonKind::Bitmap, 261, 262, 830, 6, true, true, u"TipClose", u"Close"},
    {1195, SkinButtonKind::Bitmap, 313, 314, 745, 402, true, true, u"TipRedo", u"Undo"},
    {1196, SkinButtonKind::Bitmap, 315, 316, 822, 402, true, true, u"TipUndo", u"Redo"},
    {1197, SkinButtonKind::Bitmap, 274, 273, 805, 490, true, true, u"straightlineCalibration",
     u"Line Calibration"},
    {1198, SkinButtonKind::Bitmap, 311, 312, 29, 222, true, true, u"TipMeasureSetting",
     u"Measurement setting"},
    {1199, SkinButtonKind::Bitmap, 309, 310, 29, 457, true, true, u"TipAbout", u"About"},
    {1201, SkinButtonKind::Toggle, 333, 332, 40, 541, true, true, u"TipPicturefolder",
     u"Image folder"},
    {1202, SkinButtonKind::Toggle, 335, 334, 40, 594, true, true, u"TipVideofolder",
     u"Video folder"},
    {1204, SkinButtonKind::Toggle, 349, 348, 29, 410, true, true, u"TipSwitchEnable",
     u"Snapshot Enable"},
    {1205, SkinButtonKind::Toggle, 377, 378, 749, 150, true, true, u"TipArc", u"Arc Measurement"},
    {1212, SkinButtonKind::Bitmap, 400, 403, 749, 356, true, true, u"TipRuler", u"Length-Line"},
    {1141, SkinButtonKind::Bitmap, 402, 401, 785, 356, true, true, u"TipMeasureAngle",
     u"Angle-Line"},
    {1139, SkinButtonKind::Bitmap, 406, 405, 820, 356, true, true, u"TipDrawCircle",
     u"Tolerance Circle"},
    {1326, SkinButtonKind::Bitmap, 1321, 1320, 29, 316, true, true, u"TipExportDXF",
     u"Export to CAD"},
    {409, SkinButtonKind::Bitmap, 1336, 1335, 783, 402, true, true, u"DeleteAll", u"Delete All"},
    {1207, SkinButtonKind::Bitmap, 423, 422, 820, 260, true, true, u"TipArc", u"Auto Circle-Arc "},
    {1349, SkinButtonKind::Bitmap, 418, 421, 749, 260, true, true, u"AutoLineLength2",
     u"Auto Line-Length2"},
    {1206, SkinButtonKind::Bitmap, 420, 419, 785, 260, true, true, u"AutoCircleDetection",
     u"Auto Circle-Detection"},
    {1357, SkinButtonKind::Bitmap, 426, 425, 749, 295, true, true, u"AutoLineSpace",
     u"Auto Line-spacing"},
    {1356, SkinButtonKind::Bitmap, 427, 428, 785, 295, true, true, u"AutoAngleDetection",
     u"Auto Angle-Detection"},
};

// Index of a control id in kSkinButtons, or -1.
constexpr int SkinButtonIndex(int id) {
    for (int i = 0; i < kSkinButtonCount; ++i)
        if (kSkinButtons[i].id == id)
            return i;
    return -1;
}
