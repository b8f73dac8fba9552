// The 46 skinned buttons of the main window, in the order of the dialog's button table (also
// the order of their tooltips): control id, kind, normal and pressed bitmap, top-left corner in
// client pixels (each button keeps its bitmap's size), whether the dialog template shows it,
// whether a successful device start enables it, and its tooltip key with the English default.
#pragma once

#include "platform/win/WinTypes.h"
#include "res/TessaryResource.h"

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

// The snapshot switch takes its tooltip from its state; the table holds the released state's
// text, and these are the pressed state's.
inline constexpr LPCWSTR kSwitchDisableKey = u"TipSwitchDisable";
inline constexpr LPCWSTR kSwitchDisableDefault = u"Snapshot Disable";

inline constexpr SkinButtonRow kSkinButtons[kSkinButtonCount] = {
    {IDC_BTN_PREVIEW, SkinButtonKind::Toggle, 155, 355, 1, 1, false, true, u"TipPreview",
     u"Preview"},
    {IDC_BTN_CAMERA, SkinButtonKind::Bitmap, 150, 350, 29, 78, true, true, u"TipCamera",
     u"Camera  F2"},
    {IDC_BTN_RECORD, SkinButtonKind::Toggle, 151, 351, 29, 125, true, true, u"TipVideo",
     u"Recording Video  F3/F4"},
    {IDC_BTN_TIMER, SkinButtonKind::Bitmap, 152, 352, 29, 172, false, false, u"TipTimer", u"Timer"},
    {IDC_BTN_VIDEO_SETTING, SkinButtonKind::Bitmap, 156, 356, 29, 172, true, true,
     u"TipVideoSetting", u"Video setting"},
    {IDC_BTN_EXPORT_WORD, SkinButtonKind::Bitmap, 329, 326, 29, 254, false, false, u"TipExceptword",
     u"Export to word"},
    {IDC_BTN_EXPORT_EXCEL, SkinButtonKind::Bitmap, 327, 328, 29, 269, true, true, u"TipExceptexcel",
     u"Export to excel"},
    {IDC_BTN_LANGUAGE, SkinButtonKind::Bitmap, 331, 330, 29, 363, true, true, u"TipLanguage",
     u"Language"},
    {IDC_BTN_LINE, SkinButtonKind::Toggle, 287, 288, 749, 80, true, true, u"TipLine",
     u"Line Measurement"},
    {IDC_BTN_DOT_LINE, SkinButtonKind::Toggle, 282, 281, 785, 80, true, true, u"TipDotLine",
     u"Dot Line Measurement"},
    {IDC_BTN_PARALLEL_LINE, SkinButtonKind::Toggle, 289, 290, 820, 80, true, true,
     u"TipParallelline", u"Parallel line Measurement"},
    {IDC_BTN_CONTINUAL_LINE, SkinButtonKind::Toggle, 278, 277, 749, 115, true, true,
     u"TipContinualline", u"Continual line Measurement"},
    {IDC_BTN_RECTANGLE, SkinButtonKind::Toggle, 293, 294, 785, 115, true, true, u"TipRectangle",
     u"Rectangle Measurement"},
    {IDC_BTN_POLYGON, SkinButtonKind::Toggle, 297, 298, 820, 112, false, false, u"TipPolygon",
     u"Ploygon Measurement"},
    {IDC_BTN_ELLIPSE, SkinButtonKind::Toggle, 284, 283, 749, 147, false, false, u"TipEllipse",
     u"Ellipse Measurement"},
    {IDC_BTN_RADIUS_CIRCLE, SkinButtonKind::Toggle, 299, 300, 785, 147, false, false, u"TipRCircle",
     u"Radius Circle Measurement"},
    {IDC_BTN_DIAMETER_CIRCLE, SkinButtonKind::Toggle, 280, 279, 820, 147, false, false,
     u"TipDCircle", u"Diameter Circle Measurement"},
    {IDC_BTN_THREE_POINT_CIRCLE, SkinButtonKind::Toggle, 301, 302, 820, 115, true, true,
     u"TipTCircle", u"Three Points Circles Measurement"},
    {IDC_BTN_TWO_CIRCLES, SkinButtonKind::Toggle, 303, 304, 749, 185, true, true, u"TipTwoCircle",
     u"Two Circles Measurement"},
    {IDC_BTN_ANGLE, SkinButtonKind::Toggle, 272, 271, 785, 150, true, true, u"TipAngle",
     u"Angle Measurement"},
    {IDC_BTN_FOUR_POINT_ANGLE, SkinButtonKind::Toggle, 305, 306, 820, 150, true, true, u"TipFAngle",
     u"Four Points Angle Measurement"},
    {IDC_BTN_CIRCLE_LABEL, SkinButtonKind::Bitmap, 276, 275, 820, 185, true, true, u"TipCLabel",
     u"Circle Label"},
    {IDC_BTN_SQUARE_LABEL, SkinButtonKind::Bitmap, 307, 308, 749, 250, false, true, u"TipSLabel",
     u"Square Label"},
    {IDC_BTN_TEXT, SkinButtonKind::Bitmap, 270, 286, 785, 185, true, true, u"TipText", u"Text"},
    {IDC_BTN_MINIMIZE, SkinButtonKind::Bitmap, 265, 260, 764, 6, true, true, u"TipMin", u"minimum"},
    {IDC_BTN_FULL_SCREEN, SkinButtonKind::Bitmap, 263, 264, 798, 6, true, true, u"TipFullScreen",
     u"Full Screen"},
    {IDC_BTN_CLOSE, SkinButtonKind::Bitmap, 261, 262, 830, 6, true, true, u"TipClose", u"Close"},
    {IDC_BTN_UNDO, SkinButtonKind::Bitmap, 313, 314, 745, 402, true, true, u"TipRedo", u"Undo"},
    {IDC_BTN_REDO, SkinButtonKind::Bitmap, 315, 316, 822, 402, true, true, u"TipUndo", u"Redo"},
    {IDC_BTN_CALIBRATE, SkinButtonKind::Bitmap, 274, 273, 805, 490, true, true,
     u"straightlineCalibration", u"Line Calibration"},
    {IDC_BTN_MEASURE_SETTING, SkinButtonKind::Bitmap, 311, 312, 29, 222, true, true,
     u"TipMeasureSetting", u"Measurement setting"},
    {IDC_BTN_ABOUT, SkinButtonKind::Bitmap, 309, 310, 29, 457, true, true, u"TipAbout", u"About"},
    {IDC_BTN_SHOW_PICTURES, SkinButtonKind::Toggle, 333, 332, 40, 541, true, true,
     u"TipPicturefolder", u"Image folder"},
    {IDC_BTN_SHOW_VIDEOS, SkinButtonKind::Toggle, 335, 334, 40, 594, true, true, u"TipVideofolder",
     u"Video folder"},
    {IDC_BTN_SNAPSHOT_SWITCH, SkinButtonKind::Toggle, 349, 348, 29, 410, true, true,
     u"TipSwitchEnable", u"Snapshot Enable"},
    {IDC_BTN_ARC, SkinButtonKind::Toggle, 377, 378, 749, 150, true, true, u"TipArc",
     u"Arc Measurement"},
    {IDC_BTN_RULER, SkinButtonKind::Bitmap, 400, 403, 749, 356, true, true, u"TipRuler",
     u"Length-Line"},
    {IDC_BTN_COORDINATE_ANGLE, SkinButtonKind::Bitmap, 402, 401, 785, 356, true, true,
     u"TipMeasureAngle", u"Angle-Line"},
    {IDC_BTN_TOLERANCE_CIRCLE, SkinButtonKind::Bitmap, 406, 405, 820, 356, true, true,
     u"TipDrawCircle", u"Tolerance Circle"},
    {IDC_BTN_EXPORT_DXF, SkinButtonKind::Bitmap, 1321, 1320, 29, 316, true, true, u"TipExportDXF",
     u"Export to CAD"},
    {IDC_BTN_DELETE_ALL_SHAPES, SkinButtonKind::Bitmap, 1336, 1335, 783, 402, true, true,
     u"DeleteAll", u"Delete All"},
    {IDC_BTN_AUTO_ARC, SkinButtonKind::Bitmap, 423, 422, 820, 260, true, true, u"TipArc",
     u"Auto Circle-Arc "},
    {IDC_BTN_AUTO_LINE, SkinButtonKind::Bitmap, 418, 421, 749, 260, true, true, u"AutoLineLength2",
     u"Auto Line-Length2"},
    {IDC_BTN_AUTO_CIRCLE, SkinButtonKind::Bitmap, 420, 419, 785, 260, true, true,
     u"AutoCircleDetection", u"Auto Circle-Detection"},
    {IDC_BTN_AUTO_DISTANCE, SkinButtonKind::Bitmap, 426, 425, 749, 295, true, true,
     u"AutoLineSpace", u"Auto Line-spacing"},
    {IDC_BTN_AUTO_ANGLE, SkinButtonKind::Bitmap, 427, 428, 785, 295, true, true,
     u"AutoAngleDetection", u"Auto Angle-Detection"},
};

// Index of a control id in kSkinButtons, or -1.
constexpr int SkinButtonIndex(int id) {
    for (int i = 0; i < kSkinButtonCount; ++i)
        if (kSkinButtons[i].id == id)
            return i;
    return -1;
}
