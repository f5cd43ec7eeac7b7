// The Windows side of the writer: the module handle and the settings dialog for the storage file size.
#include <windows.h>

#include "plugins/bmf/setting.h"
#include "plugins/bmf/win32/resource.h"
#include "plugin_api/dovan_plugin.h"

namespace {

HINSTANCE g_module = nullptr;  // the dialog resource lives in this library, not in the program

INT_PTR CALLBACK SettingDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        SetDlgItemInt(dialog, kIdSplitSize, bmf::g_split_size_kb, FALSE);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wparam) == IDOK) {
            // Taken as it stands: a field without a number gives 0, a storage file per message.
            bmf::g_split_size_kb = GetDlgItemInt(dialog, kIdSplitSize, nullptr, FALSE);
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        if (LOWORD(wparam) == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = module;
        DisableThreadLibraryCalls(module);
    }
    return TRUE;
}

DOVAN_ENTRY(int) SettingDlg(DovanWindow owner)
{
    return static_cast<int>(
        DialogBoxParamA(g_module, MAKEINTRESOURCEA(kIdSettingDialog), static_cast<HWND>(owner), SettingDialogProc, 0));
}
