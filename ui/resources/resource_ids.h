// Numeric ids of the module's dialog templates, bitmaps and controls, shared
// by the resource script Twain_32.rc and the dialog code. Plain #defines so
// that the resource compilers read them too.
#pragma once

// Dialog templates.
#define IDD_SETTINGS_DIALOG 110
#define IDD_VIDEO_FORMAT_PAGE 119
#define IDD_COMPOSITE_PAGE 120
#define IDD_LUT_PAGE 122
#define IDD_RGB_PAGE 125
#define IDD_NO_LUT_PAGE 127

// Bitmaps: the grey ramps along the LUT curve area's axes.
#define IDB_INPUT_LEGEND 131
#define IDB_OUTPUT_LEGEND 132

// A control that is never addressed.
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// Settings dialog (template 110).
#define IDC_TRANSFER 1
#define IDC_CANCEL 2
#define IDC_BOARD_TYPE 1011
#define IDC_SETTINGS_TAB 1034
#define IDC_SAVE_SETTINGS 1043
#define IDC_ZOOM_4_1 1077
#define IDC_ZOOM_2_1 1078
#define IDC_ZOOM_1_1 1079
#define IDC_ZOOM_1_2 1080
#define IDC_ZOOM_1_4 1081
#define IDC_GRAB_MEMORY 1084
#define IDC_PREVIEW_PICTURE 1085
#define IDC_PREVIEW_BUTTON 1086
#define IDC_PREVIEW_MARKER 1087
#define IDC_PREVIEW_GROUP 1088
#define IDC_EXTERNAL_PREVIEW 1089

// Video format page (template 119).
#define IDC_FORMAT_CCIR 1020
#define IDC_FORMAT_RS170 1021
#define IDC_FORMAT_PAL 1022
#define IDC_FORMAT_NTSC 1023
#define IDC_INPUT_YC 1049
#define IDC_INPUT_RGB 1050
#define IDC_INPUT_CVBS 1051
#define IDC_INPUT_GROUP 1070
#define IDC_SYNC_GREEN 1071
#define IDC_SYNC_EXTERN 1072
#define IDC_SYNC_GROUP 1073
#define IDC_NORM_GROUP 1074
#define IDC_COLOR_GROUP 1076

// Composite A/D page (template 120).
#define IDC_BRIGHTNESS_VALUE 1018
#define IDC_CONTRAST_VALUE 1012
#define IDC_SATURATION_VALUE 1013
#define IDC_HUE_VALUE 1014
#define IDC_BRIGHTNESS_SLIDER 1027
#define IDC_SATURATION_SLIDER 1028
#define IDC_CONTRAST_SLIDER 1029
#define IDC_HUE_SLIDER 1030
#define IDC_COMPOSITE_DEFAULT 1031

// RGB A/D page (template 125). Its ids overlap those of the other pages, as
// only one page exists at a time.
#define IDC_RED_LOWER_SLIDER 1047
#define IDC_RED_LOWER_VALUE 1048
#define IDC_RED_UPPER_SLIDER 1030
#define IDC_RED_UPPER_VALUE 1021
#define IDC_GREEN_LOWER_SLIDER 1028
#define IDC_GREEN_LOWER_VALUE 1019
#define IDC_GREEN_UPPER_SLIDER 1031
#define IDC_GREEN_UPPER_VALUE 1022
#define IDC_BLUE_LOWER_SLIDER 1029
#define IDC_BLUE_LOWER_VALUE 1020
#define IDC_BLUE_UPPER_SLIDER 1032
#define IDC_BLUE_UPPER_VALUE 1023
#define IDC_LOCK_LOWER 1045
#define IDC_LOCK_UPPER 1046
#define IDC_RGB_DEFAULT 1039

// LUT page (template 122).
#define IDC_LUT_RED 1054
#define IDC_LUT_GREEN 1055
#define IDC_LUT_BLUE 1056
#define IDC_LUT_ALL 1057
#define IDC_CURVE_AREA 1059
#define IDC_NODE_ADD 1060
#define IDC_NODE_REMOVE 1061
#define IDC_PREDEFINED_LUT 1066
#define IDC_LEVEL_Y 1067
#define IDC_LEVEL_X 1068
