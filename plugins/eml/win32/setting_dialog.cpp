// The eml writer's settings dialog: the naming rule as three radio buttons.
#include "plugins/common/win32/setting_dialog.h"
#include "plugins/eml/setting.h"
#include "plugins/eml/win32/resource.h"

void ShowSettingInDialog(HWND dialog)
{
    int button = kIdSubject;  // any other value shows as subject naming
    if (eml::g_naming_rule == eml::kSequence) button = kIdSequence;
    if (eml::g_naming_rule == eml::kSequenceNoExtension) button = kIdSequenceNoExtension;
    CheckDlgButton(dialog, button, BST_CHECKED);
}

void TakeSettingFromDialog(HWND dialog)
{
    if (IsDlgButtonChecked(dialog, kIdSequence) == BST_CHECKED) eml::g_naming_rule = eml::kSequence;
    else if (IsDlgButtonChecked(dialog, kIdSequenceNoExtension) == BST_CHECKED)
        eml::g_naming_rule = eml::kSequenceNoExtension;
    else eml::g_naming_rule = eml::kSubjectName;
}
