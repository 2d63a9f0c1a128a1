// Resource ids of quadrix.dll.
#pragma once

// The module's own icon (About box, fallback tray icon).
#define IDI_QUADRIX 1

// Tray icons by service state, 16 x 16.
#define IDI_TRAY_FAILED     107
#define IDI_TRAY_IDLE       108
#define IDI_TRAY_STARTING   109
#define IDI_TRAY_SUPPRESSED 110
#define IDI_TRAY_PENDING    111

// Feedback marks by service state: 44 x 16, picture left, mask right.
#define IDB_MARK_SUPPRESSED 112
#define IDB_MARK_FAILED     113
#define IDB_MARK_STARTING   114
#define IDB_MARK_PENDING    115

// The corner picker: the monitor (368 x 170, picture left, mask right) and
// the 24 x 22 corner markers.
#define IDB_MARKER_NOW     101
#define IDB_MONITOR        102
#define IDB_MARKER_NEVER   103
#define IDB_MARKER_DEFAULT 104

// Strings: the picker's menu items and its marker anchors.
#define IDS_CORNER_DEFAULT 1
#define IDS_CORNER_NOW     2
#define IDS_CORNER_NEVER   3
#define IDS_MARKER_ANCHORS 4

// Dialog templates.
#define IDD_SETTINGS_PAGE 107
#define IDD_SETTINGS      108
#define IDD_ABOUT         114

// Controls of the settings dialog and page, and of the About box.
#define IDC_FEEDBACK        1001
#define IDC_PAGE            1002
#define IDC_TRAY_ICON       1003
#define IDC_STARTUP         1004
#define IDC_START_SERVICE   1005
#define IDC_STOP_SERVICE    1006
#define IDC_NOT_RUNNING     1007
#define IDC_RUNNING         1008
#define IDC_START_HINT      1011
#define IDC_CORNERS         1012
#define IDC_ABOUT_ICON      1013

// The service's tray menu.
#define IDM_PROPERTIES 100
#define IDM_SAVE_NOW   101
#define IDM_SAVER_CONFIG 102
#define IDM_ABOUT      103
#define IDM_QUIT       104
