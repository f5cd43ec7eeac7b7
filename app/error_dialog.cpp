#include "app/error_dialog.h"

#include <mmsystem.h>

#include <atomic>

#include "app/message_boxes.h"
#include "app/resource_ids.h"
#include "platform/platform.h"

namespace app {
namespace {

// Asks an open error dialog to end with Abort Processing.
constexpr UINT kMsgEndWithAbort = WM_APP + 1;

// The dialog's parameter and, once closed, its answer.
struct ErrorDialogState {
    const engine::ErrorQuestion* question;
    bool after_all;
};

// The open error dialog, if any; only one run, and so one dialog, exists at a time.
std::atomic<HWND> g_open_dialog{nullptr};
// Set when the program is closing: a dialog that opens from now on ends at once.
std::atomic<bool> g_abort_requested{false};

constexpr int kChoiceOrder[] = {IDC_RETRY, IDC_SKIP_MAIL, IDC_SKIP_FOLDER, IDC_ABORT_PROCESSING};

bool AllowsAfterAll(int choice) { return choice == IDC_SKIP_MAIL || choice == IDC_SKIP_FOLDER; }

void InitErrorDialog(HWND dialog, const engine::ErrorQuestion& question)
{
    SetDlgItemTextA(dialog, IDC_ERROR_FOLDER, question.folder_name);
    SetDlgItemTextA(dialog, IDC_ERROR_TEXT, platform::ErrorText(question.code).c_str());
    SendDlgItemMessageA(dialog, IDC_ERROR_ICON, STM_SETICON, reinterpret_cast<WPARAM>(LoadIconA(nullptr, IDI_HAND)), 0);

    int choice = static_cast<int>(question.default_choice);
    if (question.file_level) {
        // The file cannot be read at all: there is no message to skip.
        EnableItem(dialog, IDC_SKIP_MAIL, false);
        if (choice == IDC_SKIP_MAIL) choice = IDC_RETRY;
    }
    bool known = false;
    for (int id : kChoiceOrder) known = known || id == choice;
    if (!known) choice = IDC_RETRY;
    CheckDlgButton(dialog, choice, BST_CHECKED);
    EnableItem(dialog, IDC_AFTER_ALL, AllowsAfterAll(choice));

    // Only OK and After All close the dialog: no Close command, no Esc.
    EnableMenuItem(GetSystemMenu(dialog, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
    SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDOK)), TRUE);
    PlaySoundA("SystemHand", nullptr, SND_ALIAS | SND_ASYNC | SND_NODEFAULT);
}

void Confirm(HWND dialog, ErrorDialogState& state, bool after_all)
{
    for (int id : kChoiceOrder) {
        if (IsDlgButtonChecked(dialog, id) != BST_CHECKED) continue;
        state.after_all = after_all;
        EndDialog(dialog, id);
        return;
    }
    // Nothing selected: the dialog stays open.
}

INT_PTR CALLBACK ErrorDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam)
{
    auto* state = reinterpret_cast<ErrorDialogState*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        state = reinterpret_cast<ErrorDialogState*>(lparam);
        SetWindowLongPtrA(dialog, DWLP_USER, lparam);
        g_open_dialog = dialog;
        InitErrorDialog(dialog, *state->question);
        // The program may have begun closing just before this dialog registered itself.
        if (g_abort_requested) PostMessageA(dialog, kMsgEndWithAbort, 0, 0);
        return FALSE;  // the focus is set already
    case WM_COMMAND:
        if (HIWORD(wparam) != BN_CLICKED) return TRUE;
        switch (LOWORD(wparam)) {
        case IDC_SKIP_MAIL:
        case IDC_SKIP_FOLDER:
            EnableItem(dialog, IDC_AFTER_ALL, true);
            break;
        case IDC_RETRY:
        case IDC_ABORT_PROCESSING:
            EnableItem(dialog, IDC_AFTER_ALL, false);
            break;
        case IDOK:
            Confirm(dialog, *state, false);
            break;
        case IDC_AFTER_ALL:
            Confirm(dialog, *state, true);
            break;
        default:
            break;  // Cancel from the Esc key among them: the dialog stays open
        }
        return TRUE;
    case kMsgEndWithAbort:
        state->after_all = false;
        EndDialog(dialog, IDC_ABORT_PROCESSING);
        return TRUE;
    case WM_DESTROY:
        g_open_dialog = nullptr;
        return FALSE;
    }
    return FALSE;
}

}  // namespace

engine::ErrorAnswer ShowErrorDialog(HWND owner, const engine::ErrorQuestion& question)
{
    ErrorDialogState state{&question, false};
    INT_PTR result = DialogBoxParamA(g_instance, MAKEINTRESOURCEA(IDD_ERROR_DIALOG), owner, ErrorDialogProc,
                                     reinterpret_cast<LPARAM>(&state));
    engine::ErrorAnswer answer;
    if (result == -1 || result == 0) return answer;  // NotShown
    answer.choice = static_cast<engine::ErrorChoice>(result);
    answer.after_all = state.after_all;
    return answer;
}

void AbortErrorDialogs()
{
    g_abort_requested = true;
    if (HWND dialog = g_open_dialog.load()) PostMessageA(dialog, kMsgEndWithAbort, 0, 0);
}

}  // namespace app
