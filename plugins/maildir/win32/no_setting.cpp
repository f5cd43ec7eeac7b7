// The shared Windows skeleton asks every writer for its setting's dialog functions. The Maildir writer has no
// setting and exports no SettingDlg, so these are never called.
#include "plugins/common/win32/setting_dialog.h"

void ShowSettingInDialog(HWND) {}

void TakeSettingFromDialog(HWND) {}
