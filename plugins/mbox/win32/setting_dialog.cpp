// The Windows side of the writer: the module handle and the settings dialog for the quoting mode.
#include <windows.h>

#include "plugins/mbox/setting.h"
#include "plugins/mbox/win32/resource.h"
#include "plugin_api/dovan_plugin.h"

namespace {

HINSTANCE g_module = nullptr;  // the dialog resource lives in this library, not in the program

int ButtonOfMode(uint32_t mode)
{
    if (mode == mbox::kFromQuoting) return kIdFromQuoting;
    if (mode == mbox::kIgnoreCase) return kIdIgnoreCase;
    return kIdPassThrough;
}

uint32_t ModeOfButtons(HWND dialog)
{
    if (IsDlgButtonChecked(dialog, kIdFromQuoting) == BST_CHECKED) return mbox::kFromQuoting;
    if (IsDlgButtonChecked(dialog, kIdIgnoreCase) == BST_CHECKED) return mbox::kIgnoreCase;
    return mbox::kPassThrough;
}

INT_PTR CALLBACK SettingDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        CheckDlgButton(dialog, ButtonOfMode(mbox::g_quoting_mode), BST_CHECKED);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wparam) == IDOK) {
            mbox::g_quoting_mode = ModeOfButtons(dialog);
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
