#include "app/main_dialog.h"

#include <commctrl.h>

#include <optional>
#include <string>
#include <vector>

#include "app/dialog_front_end.h"
#include "app/error_dialog.h"
#include "app/folder_browser.h"
#include "app/message_boxes.h"
#include "app/resource_ids.h"
#include "app/run_thread.h"
#include "app/store_discovery.h"
#include "engine/front_end.h"
#include "engine/messages.h"
#include "engine/plugin_host.h"

namespace app {
namespace {

// The controls that a run locks, in the order they are locked and unlocked.
constexpr int kLockedSet[] = {IDC_START,  IDC_SOURCE,      IDC_SOURCE_BROWSE,
                              IDC_FORMAT, IDC_DESTINATION, IDC_DESTINATION_BROWSE};

struct DialogState {
    HWND dialog = nullptr;
    // True when the Destination text was last changed by the user, false when the dialog set a plugin's default.
    bool destination_edited = false;
    // True when the user typed into the Source combo after choosing an entry: the typed text is the source.
    bool source_typed = false;
    bool closing = false;
    DialogFrontEnd* front_end = nullptr;
};

DialogState g_state;

std::string ItemText(HWND dialog, int id)
{
    HWND control = GetDlgItem(dialog, id);
    int length = GetWindowTextLengthA(control);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    int copied = GetWindowTextA(control, text.data(), length + 1);
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

LRESULT SelectedIndex(HWND dialog, int combo) { return SendDlgItemMessageA(dialog, combo, CB_GETCURSEL, 0, 0); }

template <typename Data>
Data* ItemData(HWND dialog, int combo, LRESULT index)
{
    LRESULT data = SendDlgItemMessageA(dialog, combo, CB_GETITEMDATA, static_cast<WPARAM>(index), 0);
    return data == CB_ERR ? nullptr : reinterpret_cast<Data*>(data);
}

const engine::WriterPlugin* SelectedPlugin(HWND dialog)
{
    LRESULT index = SelectedIndex(dialog, IDC_FORMAT);
    return index == CB_ERR ? nullptr : ItemData<engine::WriterPlugin>(dialog, IDC_FORMAT, index);
}

// The selected identity's store path, or nothing when the source is a typed or browsed text.
const char* SelectedStorePath(HWND dialog)
{
    if (g_state.source_typed) return nullptr;
    LRESULT index = SelectedIndex(dialog, IDC_SOURCE);
    return index == CB_ERR ? nullptr : ItemData<char>(dialog, IDC_SOURCE, index);
}

// Sets the Destination text on the dialog's behalf; the change notification marks it as the user's, so undo that.
void SetDefaultDestination(HWND dialog, const std::string& folder)
{
    SetDlgItemTextA(dialog, IDC_DESTINATION, folder.c_str());
    g_state.destination_edited = false;
}

int LoadPlugins(HWND dialog)
{
    // The start-up current directory, named relatively: its full name may end in a double-byte character whose
    // second byte looks like a separator, and "." needs no such care.
    int count = 0;
    for (engine::WriterPlugin* plugin : engine::LoadWriterPlugins(".")) {
        LRESULT item = SendDlgItemMessageA(dialog, IDC_FORMAT, CB_ADDSTRING, 0,
                                           reinterpret_cast<LPARAM>(plugin->display_name.c_str()));
        if (item < 0) {
            engine::UnloadWriterPlugin(plugin);
            continue;
        }
        SendDlgItemMessageA(dialog, IDC_FORMAT, CB_SETITEMDATA, static_cast<WPARAM>(item),
                            reinterpret_cast<LPARAM>(plugin));
        ++count;
    }
    return count;
}

void SetIcons(HWND dialog)
{
    auto big = static_cast<HICON>(LoadImageA(g_instance, MAKEINTRESOURCEA(IDI_DOVAN), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
    auto small = static_cast<HICON>(LoadImageA(g_instance, MAKEINTRESOURCEA(IDI_DOVAN), IMAGE_ICON, 16, 16, 0));
    SendMessageA(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    SendMessageA(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
}

BOOL Initialize(HWND dialog)
{
    g_state = DialogState{};
    g_state.dialog = dialog;
    if (LoadPlugins(dialog) == 0) {
        ShowMessage(nullptr, engine::kMsgNoPlugins, MB_ICONEXCLAMATION);
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    g_state.front_end = new DialogFrontEnd(dialog);
    AddOutlookExpressStores(GetDlgItem(dialog, IDC_SOURCE));
    SendDlgItemMessageA(dialog, IDC_SOURCE, CB_SETCURSEL, 0, 0);
    SetDlgItemTextA(dialog, IDC_NOTE, LoadProgramText(engine::kMsgSelectFormat, 128).c_str());
    EnableItem(dialog, IDC_SETTINGS, false);
    EnableItem(dialog, IDC_START, false);
    EnableItem(dialog, IDC_ABORT, false);
    SendDlgItemMessageA(dialog, IDC_PROGRESS, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    SetIcons(dialog);
    return TRUE;  // the focus goes to the Source combo, the first tab stop
}

void FormatChanged(HWND dialog)
{
    const engine::WriterPlugin* plugin = SelectedPlugin(dialog);
    if (!plugin) return;
    // The fixed lines end with a line of hyphens; the plugin's note begins under it.
    std::string note = LoadProgramText(engine::kMsgNoteHead, 128);
    if (std::optional<std::string> plugin_note = engine::PluginText(*plugin, plugin->GetNote)) note += *plugin_note;
    SetDlgItemTextA(dialog, IDC_NOTE, note.c_str());
    EnableItem(dialog, IDC_SETTINGS, plugin->SettingDlg != nullptr);
    EnableItem(dialog, IDC_START, true);

    std::optional<std::string> folder = engine::PluginText(*plugin, plugin->GetDefaultDestDir);
    if (folder && !g_state.destination_edited) {
        SetDefaultDestination(dialog, *folder);
    } else if (folder) {
        // The user chose the destination: replace it only with the user's consent.
        std::string question = LoadProgramText(engine::kMsgChangeDestination, 128);
        std::vector<char> text(question.size() + folder->size() + 16, '\0');
        wsprintfA(text.data(), question.c_str(), folder->c_str());
        if (ShowText(dialog, text.data(), MB_YESNO | MB_ICONQUESTION) == IDYES) SetDefaultDestination(dialog, *folder);
    } else if (!g_state.destination_edited) {
        SetDefaultDestination(dialog, std::string());
    }
}

void OpenSettings(HWND dialog)
{
    const engine::WriterPlugin* plugin = SelectedPlugin(dialog);
    if (plugin && plugin->SettingDlg) plugin->SettingDlg(dialog);
}

void BrowseSource(HWND dialog)
{
    const char* store_path = SelectedStorePath(dialog);
    std::string initial = store_path ? std::string(store_path) : ItemText(dialog, IDC_SOURCE);
    std::optional<std::string> chosen = BrowseForFolder(dialog, initial, engine::kMsgSelectSource);
    if (!chosen) return;
    SendDlgItemMessageA(dialog, IDC_SOURCE, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    SetDlgItemTextA(dialog, IDC_SOURCE, chosen->c_str());
    g_state.source_typed = true;
}

void BrowseDestination(HWND dialog)
{
    std::optional<std::string> chosen =
        BrowseForFolder(dialog, ItemText(dialog, IDC_DESTINATION), engine::kMsgSelectDestination);
    if (chosen) SetDlgItemTextA(dialog, IDC_DESTINATION, chosen->c_str());  // the user's choice: stays marked
}

void LockInputs(HWND dialog, bool locked)
{
    for (int id : kLockedSet) EnableItem(dialog, id, !locked);
    HMENU menu = GetSystemMenu(dialog, FALSE);
    if (locked) {
        EnableItem(dialog, IDC_SETTINGS, false);
        EnableMenuItem(menu, SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
    }
}

void RunFinished(HWND dialog)
{
    LockInputs(dialog, false);
    SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDC_SOURCE)), TRUE);
    EnableItem(dialog, IDC_ABORT, false);
    const engine::WriterPlugin* plugin = SelectedPlugin(dialog);
    EnableItem(dialog, IDC_SETTINGS, plugin && plugin->SettingDlg);
    EnableMenuItem(GetSystemMenu(dialog, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_ENABLED);
    SetDlgItemTextA(dialog, IDC_FOLDER_NAME, "");
    SetDlgItemTextA(dialog, IDC_POSITION, "");
    SendDlgItemMessageA(dialog, IDC_PROGRESS, PBM_SETPOS, 0, 0);
}

void Start(HWND dialog)
{
    const engine::WriterPlugin* plugin = SelectedPlugin(dialog);
    if (!plugin) {
        ShowMessage(dialog, engine::kMsgSelectFormat, MB_ICONEXCLAMATION);
        SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDC_FORMAT)), TRUE);
        return;
    }
    std::string destination = ItemText(dialog, IDC_DESTINATION);
    if (destination.empty()) {
        ShowMessage(dialog, engine::kMsgSpecifyDestination, MB_ICONEXCLAMATION);
        SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDC_DESTINATION)), TRUE);
        return;
    }
    const char* store_path = SelectedStorePath(dialog);
    std::string source = store_path ? std::string(store_path) : ItemText(dialog, IDC_SOURCE);

    EnableItem(dialog, IDC_ABORT, true);
    SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDC_ABORT)), TRUE);
    LockInputs(dialog, true);
    engine::RunControl& control = engine::TheRunControl();
    control.abort = false;
    control.pause = false;
    if (!StartRun(dialog, std::move(source), std::move(destination), *plugin, *g_state.front_end)) RunFinished(dialog);
}

void Abort(HWND dialog)
{
    engine::RunControl& control = engine::TheRunControl();
    // The worker halts before its next message while the question is open.
    control.pause = true;
    if (ShowMessage(dialog, engine::kMsgConfirmAbort, MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2) == IDYES)
        control.abort = true;
    control.pause = false;
}

void Cancel(HWND dialog)
{
    if (g_state.closing) return;
    g_state.closing = true;
    engine::TheRunControl().abort = true;
    if (RunInProgress()) {
        // Let the worker reach its next check and leave before anything it uses goes away: it shows nothing
        // more, and a question it is waiting on is answered with Abort Processing.
        ShowWindow(dialog, SW_HIDE);
        g_state.front_end->BeginClosing();
        AbortErrorDialogs();
        WaitForRunEnd();
    }
    EndDialog(dialog, IDCANCEL);
}

void Release(HWND dialog)
{
    LRESULT sources = SendDlgItemMessageA(dialog, IDC_SOURCE, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < sources; ++i) delete[] ItemData<char>(dialog, IDC_SOURCE, i);
    LRESULT formats = SendDlgItemMessageA(dialog, IDC_FORMAT, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < formats; ++i)
        engine::UnloadWriterPlugin(ItemData<engine::WriterPlugin>(dialog, IDC_FORMAT, i));
    delete g_state.front_end;
    g_state.front_end = nullptr;
}

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        return Initialize(dialog);
    case WM_COMMAND:
        switch (LOWORD(wparam)) {
        case IDC_FORMAT:
            if (HIWORD(wparam) == CBN_SELCHANGE) FormatChanged(dialog);
            return TRUE;
        case IDC_SOURCE:
            // A typed text is the source until an entry is chosen from the list again.
            if (HIWORD(wparam) == CBN_EDITCHANGE) g_state.source_typed = true;
            if (HIWORD(wparam) == CBN_SELCHANGE) g_state.source_typed = false;
            return TRUE;
        case IDC_SETTINGS:
            OpenSettings(dialog);
            return TRUE;
        case IDC_SOURCE_BROWSE:
            BrowseSource(dialog);
            return TRUE;
        case IDC_DESTINATION_BROWSE:
            BrowseDestination(dialog);
            return TRUE;
        case IDC_DESTINATION:
            if (HIWORD(wparam) == EN_CHANGE) g_state.destination_edited = true;
            return TRUE;
        case IDC_START:
            Start(dialog);
            return TRUE;
        case IDC_ABORT:
            Abort(dialog);
            return TRUE;
        case IDCANCEL:
            Cancel(dialog);
            return TRUE;
        }
        return FALSE;
    case WM_CONVERT_FINISHED:
        if (!g_state.closing) RunFinished(dialog);
        return TRUE;
    case WM_DESTROY:
        Release(dialog);
        return FALSE;
    }
    return FALSE;
}

}  // namespace

void RunMainDialog() { DialogBoxParamA(g_instance, MAKEINTRESOURCEA(IDD_MAIN_DIALOG), nullptr, MainDialogProc, 0); }

}  // namespace app
