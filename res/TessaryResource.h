// Resource ids of Tessary shared by the resource script and the code.
#pragma once

#define IDD_ABOUTBOX 100
#define IDD_MAIN 102
#define IDD_CALIBRATE_PROMPT 430
#define IDS_ABOUTBOX 101
#define IDI_TESSARY 128
#define IDB_SKIN 140
#define IDB_STRIP_VIDEOS 146
#define IDB_STRIP_PICTURES 147
#define IDB_ABOUT 256
#define IDC_PREVIEW_CURSOR 258

#define IDR_ACCEL_F2 224
#define IDR_ACCEL_F3 225
#define IDR_ACCEL_F4 226
#define IDR_ACCEL_F10 255
#define IDR_ACCEL_F11 253
#define IDR_ACCEL_F12 347

// About box
#define IDC_ABOUT_LINK 394
#define IDC_ABOUT_NAME 1082
#define IDC_ABOUT_DESCRIPTION 1083
#define IDC_ABOUT_VERSION 1084
#define IDC_ABOUT_COPYRIGHT 1085
#define IDC_ABOUT_PICTURE 1109

// Calibration prompt
#define IDC_PROMPT_AGAIN 1230
#define IDC_PROMPT_TEXT 1361

// Main window controls besides the 46 skinned buttons (their ids are in shell/SkinButtons.h)
#define IDC_PREVIEW 1000
#define IDC_THUMBNAILS 1002
#define IDC_SCALE 1147
#define IDC_FRAME_CALIBRATION 1148
#define IDC_CALIBRATED 1200
#define IDC_FRAME_MEASURE 1203
#define IDC_FRAME_COMPARISON 1247
#define IDC_FRAME_AUTO 1248
#define IDC_SCALE_LABEL 1350
#define IDC_ZOOM_FIELD 1358

// Commands
#define ID_ABOUT_SYSMENU 16
#define ID_UPDATE_WEB 379
#define ID_HELP_FILE 1239
#define ID_ABOUT_BOX 1241
