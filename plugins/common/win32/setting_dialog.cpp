#include "plugins/common/win32/setting_dialog.h"

#include "plugin_api/dovan_plugin.h"

namespace {

constexpr int kSettingDialogId = 101;

HINSTANCE g_module = nullptr;

INT_PTR CALLBACK SettingDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        ShowSettingInDialog(dialog);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wparam) == IDOK) {
            TakeSettingFromDialog(dialog);
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
        DialogBoxParamA(g_module, MAKEINTRESOURCEA(kSettingDialogId), static_cast<HWND>(owner), SettingDialogProc, 0));
}
