// The main dialog at rest: its start-up, the Format list and Note, the default destination, the checks of START,
// store discovery, and a start without plugins.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tests/windows/checks.h"
#include "tests/windows/driver.h"
#include "tests/windows/expected_texts.h"
#include "tests/windows/scenario_setup.h"

namespace driver {
namespace {

constexpr const char* kBeckyKey = "Software\\RimArts\\B2\\Settings";
constexpr const char* kBeckyData = "C:\\Becky\\Data";

void SetBeckyDataDir(const char* folder)
{
    RegDeleteKeyA(HKEY_CURRENT_USER, kBeckyKey);
    if (!folder) return;
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, kBeckyKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
    RegSetValueExA(key, "DataDir", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder),
                   static_cast<DWORD>(strlen(folder) + 1));
    RegCloseKey(key);
}

// Chooses a writer and answers the default-destination question when one comes; the question's text, or "".
std::string ChooseWriter(const Setup& setup, const Program& program, const char* plugin_file, int answer = IDNO)
{
    ChooseComboItem(program.main, kFormat, WriterName(setup, plugin_file));
    std::string question;
    if (HWND box = WaitForBox(program, 1500)) {
        question = MessageBoxText(box);
        Check(GetDlgItem(box, IDYES) && GetDlgItem(box, IDNO), "the question offers Yes and No");
        Click(box, answer);
        WaitUntilGone(box);
    }
    // The format change has run when the Note shows this writer.
    WaitFor([&] { return ItemText(program.main, kNote) == NoteFor(setup, plugin_file); }, 5000);
    return question;
}

}  // namespace

int ScenarioFormats(const Setup& setup)
{
    SetBeckyDataDir(kBeckyData);
    Program program = Start(setup);
    HWND main = program.main;
    if (!main) return Summary();
    Check(ComboCount(main, kFormat) == 4 && ComboItem(main, kFormat, 0) == WriterName(setup, "Dovanbmf.dll") &&
              ComboItem(main, kFormat, 1) == WriterName(setup, "Dovaneml.dll") &&
              ComboItem(main, kFormat, 2) == WriterName(setup, "Dovanmaildir.dll") &&
              ComboItem(main, kFormat, 3) == WriterName(setup, "Dovanmbox.dll"),
          "the Format list reads bmf, eml, maildir, mbox, in this order");
    Check(ComboSelection(main, kFormat) == CB_ERR, "no format is chosen at start");
    CheckEqual(ItemText(main, kNote), ProgramText(13, setup.japanese), "the Note asks for a format");
    Check(!IsItemEnabled(main, kSettings) && !IsItemEnabled(main, kStart) && !IsItemEnabled(main, kAbort),
          "Settings, START and ABORT start disabled");
    Check(SendDlgItemMessageA(main, kProgress, PBM_GETRANGE, FALSE, 0) == 100, "the progress bar runs to 100");
    Check(HasFocus(main, kSource), "the focus starts in the Source combo");
    Check(ItemText(main, kDestination).empty(), "the destination starts empty");
    Shot(setup, main, "main-start");

    // A default destination fills an untouched field; a writer without one empties it again.
    Check(ChooseWriter(setup, program, "Dovanbmf.dll").empty(), "no question for an untouched destination");
    CheckEqual(ItemText(main, kNote), NoteFor(setup, "Dovanbmf.dll"), "the Note shows the fixed lines and bmf's note");
    Check(IsItemEnabled(main, kSettings) && IsItemEnabled(main, kStart), "Settings and START are enabled");
    CheckEqual(ItemText(main, kDestination), kBeckyData, "bmf's default destination is filled in");
    Shot(setup, main, "main-format");
    ChooseWriter(setup, program, "Dovaneml.dll");
    CheckEqual(ItemText(main, kNote), NoteFor(setup, "Dovaneml.dll"), "the Note shows eml's note");
    CheckEqual(ItemText(main, kDestination), "", "a writer without default empties a default destination");

    // A destination the user typed stays, and is replaced by a default only on Yes.
    SetItemText(main, kDestination, "C:\\mine");
    ChooseWriter(setup, program, "Dovanmbox.dll");
    CheckEqual(ItemText(main, kNote), NoteFor(setup, "Dovanmbox.dll"), "the Note shows mbox's note");
    CheckEqual(ItemText(main, kDestination), "C:\\mine", "a writer without default keeps a typed destination");
    std::string question = ChooseWriter(setup, program, "Dovanbmf.dll", IDNO);
    CheckEqual(question, ProgramText(12, setup.japanese, kBeckyData), "the default destination is offered");
    CheckEqual(ItemText(main, kDestination), "C:\\mine", "No keeps the typed destination");
    Check(ChooseWriter(setup, program, "Dovaneml.dll").empty(), "a writer without default asks nothing");
    CheckEqual(ItemText(main, kDestination), "C:\\mine", "and keeps the typed destination");
    Check(ChooseWriter(setup, program, "Dovanbmf.dll", IDYES) == question, "after No the question comes again");
    CheckEqual(ItemText(main, kDestination), kBeckyData, "Yes takes the default destination");
    ChooseWriter(setup, program, "Dovaneml.dll");
    CheckEqual(ItemText(main, kDestination), "", "a default taken on Yes is replaced silently later");

    // Settings opens the writer's own dialog, owned by the main dialog.
    Click(main, kSettings);
    HWND settings = FindDialog(program.process.dwProcessId, "", IDCANCEL);  // the main dialog has no Cancel
    Check(settings && settings != main && GetWindow(settings, GW_OWNER) == main,
          "Settings opens the writer's dialog owned by the main dialog");
    if (settings) {
        Click(settings, IDCANCEL);
        WaitUntilGone(settings);
    }
    // Cancelled browsers change nothing.
    Click(main, kDestinationBrowse);
    HWND browser = FindDialog(program.process.dwProcessId, "", IDCANCEL);
    if (Check(browser && browser != main, "Destination Browse opens the folder browser")) {
        PostMessageA(browser, WM_COMMAND, IDCANCEL, 0);
        WaitUntilGone(browser);
        CheckEqual(ItemText(main, kDestination), "", "a cancelled browser leaves the destination alone");
    }
    Check(CloseDovan(program) == 0, "Esc closes the program with exit code 0");
    KillDovan(program);
    SetBeckyDataDir(nullptr);
    return Summary();
}

int ScenarioStartChecks(const Setup& setup)
{
    Program program = Start(setup);
    HWND main = program.main;
    if (!main) return Summary();
    // START is disabled until a format is chosen; its command still checks for one.
    PostMessageA(main, WM_COMMAND, MAKEWPARAM(kStart, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(main, kStart)));
    CheckEqual(ConfirmMessage(program), ProgramText(13, setup.japanese), "START without a format asks for one");
    Check(WaitFor([&] { return HasFocus(main, kFormat); }, 3000), "the focus moves to the Format combo");

    ChooseComboItem(main, kFormat, WriterName(setup, "Dovanmbox.dll"));
    WaitFor([&] { return IsItemEnabled(main, kStart); });
    SetItemText(main, kDestination, "");
    Click(main, kStart);
    CheckEqual(ConfirmMessage(program), ProgramText(8, setup.japanese), "START without a destination asks for one");
    Check(WaitFor([&] { return HasFocus(main, kDestination); }, 3000), "the focus moves to the Destination edit");
    Check(IsItemEnabled(main, kStart) && !IsItemEnabled(main, kAbort), "nothing was started");

    // A source folder without stores: message 1 from the run, then the dialog is idle again.
    SetItemText(main, kDestination, setup.work + "\\unused-destination");
    SetItemText(main, kSource, setup.work);
    Click(main, kStart);
    CheckEqual(ConfirmMessage(program), ProgramText(1, setup.japanese), "a source without stores: message 1");
    Check(WaitForIdle(program), "the inputs are unlocked after message 1");
    Check(GetFileAttributesA((setup.work + "\\unused-destination").c_str()) == INVALID_FILE_ATTRIBUTES,
          "nothing to convert creates no destination");
    Check(CloseDovan(program) == 0, "the program exits with 0");
    KillDovan(program);
    return Summary();
}

int ScenarioNoPlugins(const Setup& setup)
{
    std::string empty = setup.work + "\\no-plugins";
    CreateDirectoryA(empty.c_str(), nullptr);
    Program program = StartIn(setup, empty);
    Check(program.main == nullptr, "without plugins the main dialog never shows");
    HWND box = WaitForBox(program);
    if (Check(box != nullptr, "a message box says so")) {
        CheckEqual(MessageBoxText(box), ProgramText(7, setup.japanese), "the text is message 7");
        Check(GetWindow(box, GW_OWNER) == nullptr, "the box has no owner");
        Shot(setup, box, "no-plugins");
        Click(box, IDOK);
    }
    Check(WaitForExit(program) == 0, "the program then exits with 0");
    KillDovan(program);
    return Summary();
}

int ScenarioJapaneseFolders(const Setup& setup)
{
    // Names whose last character's second byte in code page 932 is 0x5C, the byte of a backslash.
    std::string folder = setup.work + "\\" + Ansi("プラグイン表");
    CreateDirectoryA(folder.c_str(), nullptr);
    for (const char* file : {"Dovanmbox.dll", "Dovaneml.dll", "Dovanbmf.dll"})
        CopyFileA((setup.plugins + "\\" + file).c_str(), (folder + "\\" + file).c_str(), FALSE);
    Program program = StartIn(setup, folder);
    if (!Check(program.main != nullptr, "the program starts in a folder named in Japanese")) {
        KillDovan(program);
        return Summary();
    }
    Check(ComboCount(program.main, kFormat) == 3, "it finds its three writers there");
    std::string destination = setup.work + "\\" + Ansi("出力表") + "\\" + Ansi("ソ");
    PrepareRun(setup, program, setup.work + "\\store", destination, "Dovanmbox.dll");
    Click(program.main, kStart);
    CheckEqual(ConfirmMessage(program, IDOK, 60000), ProgramText(5, setup.japanese, "307"),
               "a destination named in Japanese is created and filled");
    Check(GetFileAttributesA((destination + "\\Inbox.mbx").c_str()) != INVALID_FILE_ATTRIBUTES,
          "the output lies in that destination");
    WaitForIdle(program);
    Check(CloseDovan(program) == 0, "the program exits with 0");
    KillDovan(program);
    return Summary();
}

int RunDialogScenario(const std::string& name, const std::vector<std::string>& arguments)
{
    if (arguments.size() < 5) {
        std::fprintf(stderr, "dialog NAME EXE PLUGIN_DIR WORK_DIR SHOTS_DIR en|ja\n");
        return 2;
    }
    Setup setup{arguments[0], arguments[1], arguments[2], arguments[3], arguments[4] == "ja"};
    if (name == "formats") return ScenarioFormats(setup);
    if (name == "start-checks") return ScenarioStartChecks(setup);
    if (name == "no-plugins") return ScenarioNoPlugins(setup);
    if (name == "japanese-folders") return ScenarioJapaneseFolders(setup);
    if (name == "identities") return ScenarioIdentities(setup);
    if (name == "run") return ScenarioRun(setup);
    if (name == "abort") return ScenarioAbort(setup);
    if (name == "errors") return ScenarioErrors(setup);
    if (name == "close-during-run") return ScenarioCloseDuringRun(setup);
    std::fprintf(stderr, "unknown dialog scenario %s\n", name.c_str());
    return 2;
}

}  // namespace driver
