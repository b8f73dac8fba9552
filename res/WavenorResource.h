// Resource ids of Wavenor: dialogs, menus, hot-key tables, strings, controls and commands.
// The pictures keep the numbers that tools/artwork gives them (res/art/wavenor/art.rc).
#pragma once

#define IDS_ABOUTBOX 101
#define IDD_WAVENOR_MAIN 102
#define IDI_WAVENOR 128
#define IDR_MAIN_MENU 183
#define IDR_LIST_MENU 357
#define IDD_NOTICE 331
#define IDD_CONFIRM 332
#define IDD_WIFI_VIDEO_SETTING 360
#define IDD_WIFI_RECORDER_SETTING 361
#define IDI_MENU_ITEM 249

// The timed-capture dialog, shared with Tessary.
#include "TimedCaptureResource.h"

// The system menu's About entry.
#define ID_ABOUT_SYSMENU 16

// Hot-key tables, one key each.
#define IDR_ACCEL_F2 347
#define IDR_ACCEL_F3 348
#define IDR_ACCEL_F4 349
#define IDR_ACCEL_F11 350
#define IDR_ACCEL_F12 351

// Main window: the video area, the file list, the status lines.
#define IDC_VIDEO 1000
#define IDC_FILE_LIST 1002
#define IDC_STILL_PLACEHOLDER 1143
#define IDC_SEPARATOR 32782
#define IDC_RECORD_COUNTER 32788
#define IDC_VIDEO_SIZE 32793
#define IDC_TIPS 1206
#define IDC_CALIB_VALUE 1205
#define IDC_MAGNIFICATION 1112

// Main window: capture buttons.
#define IDC_PREVIEW 1014
#define IDC_CAMERA 1005
#define IDC_AVI 1006
#define IDC_CLOCK 1007
#define IDC_SETTING 1016
#define IDC_EMAIL 1009
#define IDC_SAVE 1008

// Main window: effect buttons.
#define IDC_MIRROR 1185
#define IDC_FLIP 1186
#define IDC_NEGATIVE 1187
#define IDC_BINARY 1188
#define IDC_RED 1189
#define IDC_GREEN 1190
#define IDC_BLUE 1191

// Main window: tool buttons, Calibration and Other.
#define IDC_TOOL_LINE 1120
#define IDC_TOOL_CONTINUOUS 1192
#define IDC_TOOL_POINT_LINE 1193
#define IDC_TOOL_POLYGON 1194
#define IDC_TOOL_RADIUS_CIRCLE 1195
#define IDC_TOOL_DIAMETER_CIRCLE 1196
#define IDC_TOOL_THREE_POINT_CIRCLE 1197
#define IDC_TOOL_ARC 1200
#define IDC_TOOL_ANGLE 1199
#define IDC_TOOL_FOUR_POINT_ANGLE 1180
#define IDC_CALIBRATION 1198
#define IDC_OTHER 1182

// Main window: the tabs of the file list.
#define IDC_PICTURE_TAB 1184
#define IDC_VIDEO_TAB 1183

// Menu commands (the capture commands share the buttons' ids).
#define ID_FILE_OPEN 32776
#define ID_FILE_SAVE_AS 32777
#define ID_FILE_DELETE 32778
#define ID_FILE_EMAIL 32787
#define ID_FILE_DELETE_ALL 32792
#define ID_FILE_FAVORITE 32828
#define ID_RESOLUTION_640 32811
#define ID_RESOLUTION_1280 1172
#define ID_MEASURE_SETTING 32791
#define ID_START_SNAPSHOT 32829
#define ID_HELP_MANUAL 32785
#define ID_HELP_ABOUT 32786
#define ID_UNDO 1201
#define ID_REDO 1202
#define ID_DELETE_MEASUREMENTS 1203

// Language commands.
#define ID_LANG_ENGLISH 1173
#define ID_LANG_CHINESE_SIMPLIFIED 1174
#define ID_LANG_RUSSIAN 1175
#define ID_LANG_JAPANESE 1176
#define ID_LANG_KOREAN 1177
#define ID_LANG_GERMAN 1178
#define ID_LANG_CHINESE_TRADITIONAL 1179
#define ID_LANG_PORTUGUESE 32826
#define ID_LANG_TURKISH 32827

// Confirmation and notice dialogs: their message statics.
#define IDC_CONFIRM_TEXT 332
#define IDC_NOTICE_TEXT 331

// Recorder Setting dialog.
#define IDC_WR_FRAME_RATE_LABEL 1103
#define IDC_WR_FRAME_RATE 1104
#define IDC_WR_TIME_LIMIT_ON 1105
#define IDC_WR_SECOND_LABEL 1038
#define IDC_WR_TIME_LIMIT 1106
#define IDC_WR_RECOMMEND 1204

// Video Setting dialog: the camera, its resolution and its six picture controls (slider, value
// edit and spin bar each).
#define IDC_WV_DEVICE_BOX 1100
#define IDC_WV_DEVICE_LABEL 1101
#define IDC_WV_DEVICE 1102
#define IDC_WV_SETTING_BOX 1095
#define IDC_WV_NORM_LABEL 1098
#define IDC_WV_NORM 1099
#define IDC_WV_RESOLUTION_LABEL 1097
#define IDC_WV_RESOLUTION 1096
#define IDC_WV_PROPERTIES_BOX 1092
#define IDC_WV_BRIGHTNESS_LABEL 1062
#define IDC_WV_CONTRAST_LABEL 1065
#define IDC_WV_SATURATION_LABEL 1068
#define IDC_WV_HUE_LABEL 1077
#define IDC_WV_GAMMA_LABEL 1074
#define IDC_WV_SHARPNESS_LABEL 1071
#define IDC_WV_BRIGHTNESS_SLIDER 1055
#define IDC_WV_BRIGHTNESS_VALUE 1063
#define IDC_WV_BRIGHTNESS_SPIN 1086
#define IDC_WV_CONTRAST_SLIDER 1064
#define IDC_WV_CONTRAST_VALUE 1066
#define IDC_WV_CONTRAST_SPIN 1087
#define IDC_WV_SATURATION_SLIDER 1067
#define IDC_WV_SATURATION_VALUE 1069
#define IDC_WV_SATURATION_SPIN 1088
#define IDC_WV_HUE_SLIDER 1076
#define IDC_WV_HUE_VALUE 1078
#define IDC_WV_HUE_SPIN 1091
#define IDC_WV_GAMMA_SLIDER 1073
#define IDC_WV_GAMMA_VALUE 1075
#define IDC_WV_GAMMA_SPIN 1090
#define IDC_WV_SHARPNESS_SLIDER 1070
#define IDC_WV_SHARPNESS_VALUE 1072
#define IDC_WV_SHARPNESS_SPIN 1089
#define IDC_WV_DEFAULT 1079

// About box.
#define IDD_ABOUTBOX 100
#define IDC_ABOUT_PICTURE 1081
#define IDC_ABOUT_NAME 1082
#define IDC_ABOUT_DESCRIPTION 1083
#define IDC_ABOUT_VERSION 1084
#define IDC_ABOUT_COPYRIGHT 1085
#define IDB_ABOUT 271

// Video player: the video area, the position trackbar and the buttons.
#define IDD_VIDEO_PLAYER 195
#define IDC_PLAYER_VIDEO 1113
#define IDC_PLAYER_TRACKBAR 1115
#define IDC_PLAYER_FIRST 1114
#define IDC_PLAYER_PREVIOUS 1121
#define IDC_PLAYER_PLAY 1122
#define IDC_PLAYER_STOP 1123
#define IDC_PLAYER_NEXT 1124
#define IDC_PLAYER_LAST 1125
#define IDC_PLAYER_PAUSE 1126

// E-mail strip.
#define IDD_MAIL 362
#define IDC_MAIL_TEXT 1107
// Measurement Setting dialog: unit, decimals, pen style, colour and width, each set of check
// boxes kept exclusive by the dialog, and the samples of the pen.
#define IDD_WIFI_PEN_SETTING 244
#define IDC_WP_UNIT_BOX 1151
#define IDC_WP_UNIT_MM 1153
#define IDC_WP_UNIT_CM 1154
#define IDC_WP_UNIT_MIL 1155
#define IDC_WP_UNIT_INCH 1156
#define IDC_WP_DECIMAL_BOX 1152
#define IDC_WP_DECIMAL_3 1157
#define IDC_WP_DECIMAL_4 1158
#define IDC_WP_DECIMAL_5 1159
#define IDC_WP_DECIMAL_6 1160
#define IDC_WP_LINE_BOX 1145
#define IDC_WP_LINE_SOLID 1136
#define IDC_WP_LINE_DASH 1137
#define IDC_WP_LINE_DOT 1138
#define IDC_WP_COLOR_RED 1168
#define IDC_WP_COLOR_GREEN 1169
#define IDC_WP_COLOR_BLUE 365
#define IDC_WP_WIDTH_1 1144
#define IDC_WP_WIDTH_2 1132
#define IDC_WP_WIDTH_3 1133
#define IDC_WP_SAMPLE_SOLID 1134
#define IDC_WP_SAMPLE_DASH 1135
#define IDC_WP_SAMPLE_DOT 1128
#define IDC_WP_SAMPLE_RED 1129
#define IDC_WP_SAMPLE_GREEN 1117
#define IDC_WP_SAMPLE_BLUE 1118
#define IDC_WP_SAMPLE_WIDTH_1 1119
#define IDC_WP_SAMPLE_WIDTH_2 1111
#define IDC_WP_SAMPLE_WIDTH_3 1108

// Calibration dialog: the real length of the calibration line, typed in millimetres.
#define IDD_WIFI_CALIBRATION 272
#define IDC_WC_PROMPT 1149
#define IDC_WC_DISTANCE 1150

// The still-picture view laid over the video area while the frame is frozen.
#define IDD_STILL_VIEW 333

// Photo Measure dialog: the tool bar, the tool name, calibrated magnification and
// magnification fields, and the frame the canvas lies on.
#define IDD_WIFI_PHOTO_MEASURE 211
#define IDC_WPM_OPEN 1140
#define IDC_WPM_SAVE 1116
#define IDC_WPM_PRINT 1146
#define IDC_WPM_SELECT 1147
#define IDC_WPM_MEASURE 1161
#define IDC_WPM_SETTING 1127
#define IDC_WPM_TEXT 1163
#define IDC_WPM_DELETE 1165
#define IDC_WPM_MOVE 1141
#define IDC_WPM_CALIBRATION 1170
#define IDC_WPM_TOOL_NAME 1142
#define IDC_WPM_CALIBRATED 1205
#define IDC_WPM_MAGNIFICATION 1130
#define IDC_WPM_FRAME 1131
// The measuring tools of the dialog's Measure popup.
#define ID_WPM_TOOL_LINE 32817
#define ID_WPM_TOOL_CONTINUOUS_LINE 32818
#define ID_WPM_TOOL_RECTANGLE 32819
#define ID_WPM_TOOL_POLYGON 32820
#define ID_WPM_TOOL_RADIUS_CIRCLE 32821
#define ID_WPM_TOOL_DIAMETER_CIRCLE 32822
#define ID_WPM_TOOL_THREE_POINT_CIRCLE 32823
#define ID_WPM_TOOL_ANGLE 1181
#define ID_WPM_TOOL_FOUR_POINT_ANGLE 32824
// Icons of the popup's entries.
#define IDI_WPM_LINE 256
#define IDI_WPM_CONTINUOUS_LINE 252
#define IDI_WPM_RECTANGLE 259
#define IDI_WPM_POLYGON 257
#define IDI_WPM_RADIUS_CIRCLE 258
#define IDI_WPM_DIAMETER_CIRCLE 254
#define IDI_WPM_THREE_POINT_CIRCLE 247
#define IDI_WPM_ANGLE 248
#define IDI_WPM_FOUR_POINT_ANGLE 255

// The photo-measure canvas: a borderless child on the dialog's frame, painted by its own code.
#define IDD_WIFI_MEASURE_CANVAS 212

// The Text dialog of the Photo Measure window: the text of an annotation, its font and a
// preview (the ids the shared Text dialog reads for Wavenor).
#define IDD_WIFI_TEXT 246
#define IDC_WT_EDIT 1164
#define IDC_WT_FONT 1163
#define IDC_WT_PROMPT 1166
#define IDC_WT_PREVIEW 1139
