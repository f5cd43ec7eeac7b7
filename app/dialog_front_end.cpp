#include "app/dialog_front_end.h"

#include <commctrl.h>

#include "app/error_dialog.h"
#include "app/message_boxes.h"
#include "app/resource_ids.h"
#include "engine/messages.h"

namespace app {
namespace {

UINT StyleOfMessage(int string_id)
{
    switch (string_id) {
    case engine::kMsgNoDbxFiles:
        return MB_ICONEXCLAMATION;
    case engine::kMsgConverted:
        return MB_ICONINFORMATION;
    default:
        return MB_ICONHAND;  // the failures: messages 2, 3 and 14
    }
}

}  // namespace

void DialogFrontEnd::FolderStarted(const char* folder_name, int, int, const std::string& position)
{
    if (closing_) return;
    SetDlgItemTextA(dialog_, IDC_FOLDER_NAME, folder_name);
    SetDlgItemTextA(dialog_, IDC_POSITION, position.c_str());
    SendDlgItemMessageA(dialog_, IDC_PROGRESS, PBM_SETPOS, 0, 0);
}

void DialogFrontEnd::ProgressChanged(unsigned position)
{
    if (closing_) return;
    SendDlgItemMessageA(dialog_, IDC_PROGRESS, PBM_SETPOS, position, 0);
}

engine::ErrorAnswer DialogFrontEnd::AskError(const engine::ErrorQuestion& question)
{
    engine::ErrorAnswer abort_run{engine::ErrorChoice::AbortProcessing, false};
    if (closing_) return abort_run;
    engine::ErrorAnswer answer = ShowErrorDialog(dialog_, question);
    // The dialog may have been ended because the main dialog is closing.
    return closing_ ? abort_run : answer;
}

void DialogFrontEnd::ShowMessage(int string_id, const std::string& text)
{
    if (closing_) return;
    ShowText(dialog_, text, StyleOfMessage(string_id));
}

void DialogFrontEnd::RunFinished(engine::RunOutcome) { PostMessageA(dialog_, WM_CONVERT_FINISHED, 0, 0); }

}  // namespace app
