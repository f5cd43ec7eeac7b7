// A whole conversion through the program's main dialog, as a user runs one.
#include <windows.h>

#include <cstdio>
#include <string>

#include "tests/windows/checks.h"
#include "tests/windows/driver.h"
#include "tests/windows/gui.h"
#include "tests/windows/program.h"

namespace driver {
namespace {

// Changes the chosen writer's setting through its own settings dialog, opened with the Settings button.
bool ChangeSetting(const Program& program, const std::string& setting)
{
    Click(program.main, kSettings);
    HWND dialog = FindDialog(program.process.dwProcessId, "", IDCANCEL);
    if (!dialog || dialog == program.main) return false;
    size_t equals = setting.find('=');
    std::string kind = setting.substr(0, equals);
    std::string value = setting.substr(equals + 1);
    if (kind == "radio") Click(dialog, std::stoi(value));
    if (kind == "size") SetItemText(dialog, 1001, value);
    Click(dialog, IDOK);
    return WaitUntilGone(dialog);
}

}  // namespace

int ConvertWithDovan(const std::string& exe, const std::string& plugin_dir, const std::string& source,
                     const std::string& destination, const std::string& format, const std::string& setting)
{
    Program program = StartDovan(exe, plugin_dir);
    if (!Check(program.main != nullptr, "the main dialog opens")) {
        KillDovan(program);
        return Summary();
    }
    SendDlgItemMessageA(program.main, kSource, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    SetItemText(program.main, kSource, source);
    Check(ChooseComboItem(program.main, kFormat, format), "format " + format + " is listed");
    WaitFor([&] { return IsItemEnabled(program.main, kStart); });
    // The bmf writer proposes a default destination; the one typed now replaces it.
    SetItemText(program.main, kDestination, destination);
    if (!setting.empty()) Check(ChangeSetting(program, setting), "setting " + setting + " chosen in its dialog");
    Click(program.main, kStart);
    std::string summary = ConfirmMessage(program, IDOK, 120000);
    std::printf("summary: %s\n", summary.c_str());
    Check(summary.find("message(s) were converted.") != std::string::npos, "the run ends with its summary");
    Check(WaitFor([&] { return IsItemEnabled(program.main, kStart); }), "the inputs are unlocked after the run");
    Check(CloseDovan(program) == 0, "the program exits with 0");
    KillDovan(program);
    return Summary();
}

}  // namespace driver
