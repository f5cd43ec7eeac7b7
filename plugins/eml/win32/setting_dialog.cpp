// The Windows side of the writer: the module handle and the settings dialog for the naming rule.
#include <windows.h>

#include "plugins/eml/setting.h"
#include "plugins/eml/win32/resource.h"
#include "plugin_api/dovan_plugin.h"

namespace {

HINSTANCE g_module = nullptr;  // the dialog resource lives in this library, not in the program

int ButtonOfRule(uint32_t rule)
{
    if (rule == eml::kSequence) return kIdSequence;
    if (rule == eml::kSequenceNoExtension) return kIdSequenceNoExtension;
    return kIdSubject;
}

uint32_t RuleOfButtons(HWND dialog)
{
    if (IsDlgButtonChecked(dialog, kIdSequence) == BST_CHECKED) return eml::kSequence;
    if (IsDlgButtonChecked(dialog, kIdSequenceNoExtension) == BST_CHECKED) return eml::kSequenceNoExtension;
    return eml::kSubjectName;
}

INT_PTR CALLBACK SettingDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        CheckDlgButton(dialog, ButtonOfRule(eml::g_naming_rule), BST_CHECKED);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wparam) == IDOK) {
            eml::g_naming_rule = RuleOfButtons(dialog);
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
