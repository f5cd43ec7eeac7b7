// Ids of the program's resources and controls, shared by dovan.rc and the dialog code.
#pragma once

// Dialogs and the icon.
#define IDD_ERROR_DIALOG 101
#define IDD_MAIN_DIALOG 102
#define IDI_DOVAN 128

// Main dialog controls.
#define IDC_SOURCE 1000
#define IDC_DESTINATION 1001
#define IDC_SOURCE_BROWSE 1002
#define IDC_DESTINATION_BROWSE 1003
#define IDC_FOLDER_NAME 1005
#define IDC_START 1007
#define IDC_ABORT 1008
#define IDC_NOTE 1009
#define IDC_FORMAT 1010
#define IDC_SETTINGS 1011
#define IDC_POSITION 1013
#define IDC_PROGRESS 1014

// Error dialog controls; the four radio buttons' ids are the answers themselves.
#define IDC_ERROR_ICON 1015
#define IDC_ERROR_FOLDER 1016
#define IDC_ERROR_TEXT 1022
#define IDC_AFTER_ALL 1021
#define IDC_RETRY 1028
#define IDC_SKIP_MAIL 1017
#define IDC_SKIP_FOLDER 1004
#define IDC_ABORT_PROCESSING 1008

// Posted by the worker to the main dialog once at the end of every run.
#define WM_CONVERT_FINISHED (WM_USER + 100)
