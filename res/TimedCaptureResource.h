// Resource ids of the timed-capture dialog, which both programs' resource scripts hold under
// the same numbers.
#pragma once

#define IDD_TIMED_CAPTURE 145
#define IDC_TC_START 1015
#define IDC_TC_YEAR 1017
#define IDC_TC_MONTH 1018
#define IDC_TC_DAY 1019
#define IDC_TC_HOUR 1020
#define IDC_TC_MINUTE 1021
#define IDC_TC_INTERVAL_MINUTES 1023
#define IDC_TC_INTERVAL_SECONDS 1024
#define IDC_TC_SECOND 1022
#define IDC_TC_FRAMES 1025
#define IDC_TC_COMPLETED 1026
#define IDC_TC_START_LABEL 1030
#define IDC_TC_INTERVAL_LABEL 1031
#define IDC_TC_CAPTURE_LABEL 1032
#define IDC_TC_COMPLETED_LABEL 1033
#define IDC_TC_FRAME_LABEL 1034
#define IDC_TC_FRAME_LABEL2 1035
#define IDC_TC_FILE_SIZE 1080
#define IDC_TC_FILE_SIZE_LABEL 1081
