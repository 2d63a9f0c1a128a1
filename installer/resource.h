// Resource ids of the installer.
#pragma once

// String table: what varies from one saver to the next.
#define IDS_DESCRIPTIVE_NAME 1
#define IDS_SAVER_TITLE      2
#define IDS_SAVER_FILE_NAME  3

// Icons of the preliminary dialog.
#define IDI_SAVER   2
#define IDI_KIT     3
#define IDI_QUADRIX 4

// Controls of DIALOG_PRELIM besides IDOK ("&Install") and IDCANCEL.
#define IDC_INSTALL_QUADRIX 6
#define IDC_QUADRIX_TEXT    7
