// The main dialog during runs: locking and progress, ABORT answered No and Yes, the error dialog, and closing
// the program while a run is in progress.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <set>
#include <string>

#include "tests/windows/checks.h"
#include "tests/windows/expected_texts.h"
#include "tests/windows/scenario_setup.h"

namespace driver {
namespace {

constexpr int kLockedSet[] = {kStart, kSource, kSourceBrowse, kFormat, kDestination, kDestinationBrowse};
constexpr int kRetry = 1028, kSkipMail = 1017, kSkipFolder = 1004, kAbortProcessing = 1008, kAfterAll = 1021;
constexpr int kErrorFolder = 1016, kErrorText = 1022;
constexpr const char* kLargeTotal = "5000";  // messages of the large store
constexpr const char* kSmallTotal = "307";   // messages of the small store

bool AnyLockedEnabled(HWND main)
{
    for (int id : kLockedSet)
        if (IsItemEnabled(main, id)) return true;
    return false;
}

std::string Lang(const Setup& setup) { return setup.japanese ? "ja" : "en"; }

HWND WaitForErrorDialog(const Setup& setup, const Program& program, DWORD timeout_ms = 30000)
{
    return FindDialog(program.process.dwProcessId, Ansi(setup.japanese ? "変換エラー" : "Conversion Error"), kAfterAll,
                      timeout_ms);
}

bool OnlyChecked(HWND dialog, int id)
{
    for (int choice : {kRetry, kSkipMail, kSkipFolder, kAbortProcessing})
        if (IsItemChecked(dialog, choice) != (choice == id)) return false;
    return true;
}

bool WaitForPosition(const Program& program, const char* position)
{
    return WaitFor([&] { return ItemText(program.main, kPosition) == position; }, 60000);
}

int Progress(const Program& program)
{
    return static_cast<int>(SendDlgItemMessageA(program.main, kProgress, PBM_GETPOS, 0, 0));
}

}  // namespace

int ScenarioRun(const Setup& setup)
{
    Program program = Start(setup);
    HWND main = program.main;
    if (!main) return Summary();
    PrepareRun(setup, program, setup.work + "\\store-large", setup.work + "\\run-" + Lang(setup), "Dovanmbox.dll");
    Click(main, kStart);
    Check(WaitFor([&] { return IsItemEnabled(main, kAbort); }, 5000), "START enables ABORT");
    // START enables ABORT first and then locks the rest.
    Check(WaitFor([&] { return !AnyLockedEnabled(main) && !IsItemEnabled(main, kSettings); }, 3000),
          "the inputs and Settings are locked");
    Check(HasFocus(main, kAbort), "the focus moves to ABORT");

    std::set<std::string> positions;
    std::set<std::string> folders;
    int highest = 0;
    bool shot = false;
    HWND box = nullptr;
    WaitFor(
        [&] {
            positions.insert(ItemText(main, kPosition));
            folders.insert(ItemText(main, kFolderName));
            highest = std::max(highest, Progress(program));
            if (!shot && ItemText(main, kPosition) == "3 / 5") {
                Shot(setup, main, "main-running");
                shot = true;
            }
            box = FindMessageBox(program.process.dwProcessId, 0);
            return box != nullptr;
        },
        180000);
    positions.erase("");
    folders.erase("");
    bool positions_ok = positions.size() >= 3;
    for (const std::string& position : positions)
        positions_ok = positions_ok && position.size() == 5 && position.substr(1) == " / 5" && position[0] >= '1' &&
                       position[0] <= '5';
    Check(positions_ok, "the position shows \"k / 5\" as the folders go by");
    bool folders_ok = folders.size() >= 3;
    for (const std::string& folder : folders) folders_ok = folders_ok && folder.rfind("Folder ", 0) == 0;
    Check(folders_ok, "the folder names are shown as the folders go by");
    Check(highest > 0, "the progress bar moves");
    if (Check(box != nullptr, "the run ends with a message")) {
        CheckEqual(MessageBoxText(box), ProgramText(5, setup.japanese, kLargeTotal),
                   "the summary counts every message");
        Check(!IsItemEnabled(main, kStart), "the dialog stays locked while the summary is open");
        Click(box, IDOK);
    }
    Check(WaitForIdle(program, 10000), "the end of the run unlocks the inputs");
    bool all_unlocked = true;
    for (int id : kLockedSet) all_unlocked = all_unlocked && IsItemEnabled(main, id);
    Check(all_unlocked && !IsItemEnabled(main, kAbort) && IsItemEnabled(main, kSettings),
          "the locked set and Settings are enabled, ABORT disabled");
    Check(WaitFor([&] { return HasFocus(main, kSource); }, 3000), "the focus returns to the Source combo");
    Check(ItemText(main, kFolderName).empty() && ItemText(main, kPosition).empty() && Progress(program) == 0,
          "the folder name, position and progress are cleared");
    Check(CloseDovan(program) == 0, "the program exits with 0");
    KillDovan(program);
    return Summary();
}

int ScenarioAbort(const Setup& setup)
{
    Program program = Start(setup);
    HWND main = program.main;
    if (!main) return Summary();
    PrepareRun(setup, program, setup.work + "\\store-large", setup.work + "\\abort-no-" + Lang(setup), "Dovanmbox.dll");
    Click(main, kStart);
    Check(WaitForPosition(program, "2 / 5"), "the run reaches folder 2");
    Click(main, kAbort);
    HWND question = WaitForBox(program);
    if (Check(question != nullptr, "ABORT asks first")) {
        CheckEqual(MessageBoxText(question), ProgramText(4, setup.japanese), "the question is message 4");
        Check(HasFocus(question, IDNO), "No is the default answer");
        Shot(setup, question, "abort-question");
        int before = Progress(program);
        std::string folder = ItemText(main, kPosition);
        Sleep(700);
        Check(Progress(program) == before && ItemText(main, kPosition) == folder, "the run halts while asking");
        Click(question, IDNO);
        WaitUntilGone(question);
    }
    CheckEqual(ConfirmMessage(program, IDOK, 180000), ProgramText(5, setup.japanese, kLargeTotal),
               "after No the run goes on and skips nothing");
    WaitForIdle(program);

    SetItemText(main, kDestination, setup.work + "\\abort-yes-" + Lang(setup));
    Click(main, kStart);
    Check(WaitForPosition(program, "2 / 5"), "the second run reaches folder 2");
    Click(main, kAbort);
    question = WaitForBox(program);
    if (question) Click(question, IDYES);
    Check(WaitForIdle(program, 30000), "after Yes the run stops and the inputs are unlocked");
    Check(WaitForBox(program, 1500) == nullptr, "a stopped run shows no summary");
    Check(CloseDovan(program) == 0, "the program exits with 0");
    KillDovan(program);
    return Summary();
}

int ScenarioErrors(const Setup& setup)
{
    // Folders where the mbox files should go make the writer fail for archive and Inbox.
    std::string destination = setup.work + "\\errors-" + Lang(setup);
    for (const char* name : {"", "\\archive.mbx", "\\Inbox.mbx"})
        CreateDirectoryA((destination + name).c_str(), nullptr);
    Program program = Start(setup);
    HWND main = program.main;
    if (!main) return Summary();
    PrepareRun(setup, program, setup.work + "\\store", destination, "Dovanmbox.dll");
    Click(main, kStart);
    HWND dialog = WaitForErrorDialog(setup, program);
    if (!Check(dialog != nullptr, "a failing writer brings the error dialog")) {
        KillDovan(program);
        return Summary();
    }
    CheckEqual(ItemText(dialog, kErrorFolder), "archive", "the dialog names the folder");
    Check(!ItemText(dialog, kErrorText).empty(), "the dialog shows the system's text");
    Check(OnlyChecked(dialog, kRetry), "Retry is selected at the first error");
    Check(!IsItemEnabled(dialog, kAfterAll) && IsItemEnabled(dialog, kSkipMail), "After All is disabled");
    Check(GetWindow(dialog, GW_OWNER) == main && !IsWindowEnabled(main), "the main dialog owns it and waits");
    Shot(setup, dialog, "error");
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    PostMessageA(dialog, WM_CLOSE, 0, 0);
    Sleep(700);
    Check(IsWindow(dialog) && IsWindowVisible(dialog), "Esc and the close command do not close it");

    Click(dialog, IDOK);  // Retry: the same failure again
    WaitUntilGone(dialog);
    dialog = WaitForErrorDialog(setup, program);
    Check(dialog && OnlyChecked(dialog, kRetry), "Retry fails again and asks again");
    if (dialog) {
        Click(dialog, kSkipFolder);
        Check(WaitFor([&] { return IsItemEnabled(dialog, kAfterAll); }, 3000), "Skip Folder enables After All");
        Click(dialog, kRetry);
        Check(WaitFor([&] { return !IsItemEnabled(dialog, kAfterAll); }, 3000), "Retry disables After All");
        Click(dialog, kSkipFolder);
        WaitFor([&] { return IsItemEnabled(dialog, kAfterAll); }, 3000);
        Click(dialog, kAfterAll);
        WaitUntilGone(dialog);
    }
    // Inbox fails too, answered by After All without a dialog; news.group and Sent Items hold 7 messages.
    CheckEqual(ConfirmMessage(program, IDOK, 60000), ProgramText(5, setup.japanese, "7"),
               "After All skips the later failing folder without asking");
    WaitForIdle(program);

    // A new run asks again, with the answer confirmed last selected.
    SetItemText(main, kDestination, destination);
    Click(main, kStart);
    dialog = WaitForErrorDialog(setup, program);
    if (Check(dialog && OnlyChecked(dialog, kSkipFolder) && IsItemEnabled(dialog, kAfterAll),
              "the next run asks again with Skip Folder selected")) {
        Click(dialog, kAbortProcessing);
        WaitFor([&] { return !IsItemEnabled(dialog, kAfterAll); }, 3000);
        Click(dialog, IDOK);
    }
    Check(WaitForIdle(program, 30000) && WaitForBox(program, 1500) == nullptr,
          "Abort Processing stops the run silently");

    // A store file that cannot be opened: a file-level error, where Skip Mail is not offered.
    std::string locked_path = setup.work + "\\store\\Sent Items.dbx";
    HANDLE locked = CreateFileA(locked_path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    std::string clean = setup.work + "\\errors-clean-" + Lang(setup);
    SetItemText(main, kDestination, clean);
    Click(main, kStart);
    dialog = WaitForErrorDialog(setup, program);
    if (Check(dialog != nullptr, "an unreadable store file brings the error dialog")) {
        CheckEqual(ItemText(dialog, kErrorFolder), "Sent Items", "it names that folder");
        Check(!IsItemEnabled(dialog, kSkipMail) && OnlyChecked(dialog, kAbortProcessing),
              "Skip Mail is disabled; the last answer is selected");
        Click(dialog, kSkipFolder);
        Click(dialog, IDOK);
    }
    CheckEqual(ConfirmMessage(program, IDOK, 60000), ProgramText(5, setup.japanese, "306"),
               "Skip Folder leaves out the unreadable folder only");
    CloseHandle(locked);
    WaitForIdle(program);
    Check(CloseDovan(program) == 0, "the program exits with 0");
    KillDovan(program);
    return Summary();
}

int ScenarioCloseDuringRun(const Setup& setup)
{
    Program program = Start(setup);
    if (!program.main) return Summary();
    PrepareRun(setup, program, setup.work + "\\store-large", setup.work + "\\closed-" + Lang(setup), "Dovanmbox.dll");
    Click(program.main, kStart);
    Check(WaitForPosition(program, "2 / 5"), "the run reaches folder 2");
    Check(CloseDovan(program) == 0, "Esc during a run ends the program cleanly, with exit code 0");
    KillDovan(program);

    // Closing while the worker waits on the error dialog: the question is answered and the program ends.
    std::string destination = setup.work + "\\closed-error-" + Lang(setup);
    CreateDirectoryA(destination.c_str(), nullptr);
    CreateDirectoryA((destination + "\\archive.mbx").c_str(), nullptr);
    program = Start(setup);
    if (!program.main) return Summary();
    PrepareRun(setup, program, setup.work + "\\store", destination, "Dovanmbox.dll");
    Click(program.main, kStart);
    Check(WaitForErrorDialog(setup, program) != nullptr, "the error dialog is open");
    Check(CloseDovan(program) == 0, "closing then ends the program cleanly, with exit code 0");
    KillDovan(program);
    return Summary();
}

}  // namespace driver
