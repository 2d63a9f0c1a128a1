// Resource identifiers of the configuration dialog.
#pragma once

#define IDD_CONFIG 1000
#define IDC_PAGES 1001

// Page "General".
#define IDC_HOTSINFO 1100
#define IDC_MONITOR 1101
#define IDC_CORNER0 1102 // top-left; 1103 top-right, 1104 bottom-right, 1105 bottom-left
#define IDC_DISMISS 1106
#define IDC_LSENSITIVITY 1107
#define IDC_SENSITIVITY 1108
#define IDC_LWAIT 1109
#define IDC_WAITTIME 1110
#define IDC_WAITSPIN 1111
#define IDC_WAITUNIT 1112
#define IDC_LPASSWORD 1113

// Page "Driver".
#define IDC_PREVIEW 1200
#define IDC_LCOMPLEXITY 1201
#define IDC_COMPLEXITY 1202
#define IDC_LVELOCITY 1203
#define IDC_VELOCITY 1204
#define IDC_LCAMERA 1205
#define IDC_CAMERA 1206
#define IDC_MONOCHROME 1207
#define IDC_FLAT 1208
#define IDC_SHOWLOGO 1209
#define IDC_DRIVERGROUP 1210
#define IDC_DRIVERS 1211
#define IDC_LMODE 1212
#define IDC_MODE 1213
#define IDC_DRIVERBUTTON 1214

// Corner pop-up menu commands.
#define IDM_CORNER_NOW 1300
#define IDM_CORNER_NEVER 1301
#define IDM_CORNER_DEFAULT 1302
