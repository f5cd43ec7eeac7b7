// The mbox writer's settings dialog: the quoting mode as three radio buttons.
#include "plugins/common/win32/setting_dialog.h"
#include "plugins/mbox/setting.h"
#include "plugins/mbox/win32/resource.h"

void ShowSettingInDialog(HWND dialog)
{
    int button = kIdPassThrough;  // any other value shows as pass-through
    if (mbox::g_quoting_mode == mbox::kFromQuoting) button = kIdFromQuoting;
    if (mbox::g_quoting_mode == mbox::kIgnoreCase) button = kIdIgnoreCase;
    CheckDlgButton(dialog, button, BST_CHECKED);
}

void TakeSettingFromDialog(HWND dialog)
{
    if (IsDlgButtonChecked(dialog, kIdFromQuoting) == BST_CHECKED) mbox::g_quoting_mode = mbox::kFromQuoting;
    else if (IsDlgButtonChecked(dialog, kIdIgnoreCase) == BST_CHECKED) mbox::g_quoting_mode = mbox::kIgnoreCase;
    else mbox::g_quoting_mode = mbox::kPassThrough;
}
