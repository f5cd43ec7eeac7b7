// The bmf writer's settings dialog: the storage file size in KB.
#include "plugins/common/win32/setting_dialog.h"
#include "plugins/bmf/setting.h"
#include "plugins/bmf/win32/resource.h"

void ShowSettingInDialog(HWND dialog) { SetDlgItemInt(dialog, kIdSplitSize, bmf::g_split_size_kb, FALSE); }

void TakeSettingFromDialog(HWND dialog)
{
    // Taken as it stands: a field without a number gives 0, a storage file per message.
    bmf::g_split_size_kb = GetDlgItemInt(dialog, kIdSplitSize, nullptr, FALSE);
}
