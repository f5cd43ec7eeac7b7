// The Windows skeleton every writer shares: DllMain keeps the module handle (the dialog resource lives in the
// writer's own library), and SettingDlg shows dialog 101 modally. A writer supplies only the two functions
// below, which move its one setting into and out of the dialog's controls.
#pragma once

#include <windows.h>

// Puts the current setting into the controls (on WM_INITDIALOG).
void ShowSettingInDialog(HWND dialog);

// Reads the controls into the setting (on OK only; Cancel leaves the setting alone).
void TakeSettingFromDialog(HWND dialog);
