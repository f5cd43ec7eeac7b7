#include "tests/windows/program.h"

#include <vector>

#include "tests/windows/gui.h"

namespace driver {

Program StartDovan(const std::string& exe, const std::string& directory, DWORD dialog_timeout_ms)
{
    Program program;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    std::vector<char> command(exe.begin(), exe.end());
    command.push_back('\0');
    if (!CreateProcessA(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, directory.c_str(), &startup,
                        &program.process))
        return program;
    program.main = FindDialog(program.process.dwProcessId, "Dovan", kSource, dialog_timeout_ms);
    return program;
}

long WaitForExit(Program& program, DWORD timeout_ms)
{
    if (!program.process.hProcess) return -1;
    if (WaitForSingleObject(program.process.hProcess, timeout_ms) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(program.process.hProcess, &code);
    CloseHandle(program.process.hProcess);
    CloseHandle(program.process.hThread);
    program.process = PROCESS_INFORMATION{};
    return static_cast<long>(code);
}

long CloseDovan(Program& program)
{
    if (program.main) PostMessageA(program.main, WM_COMMAND, IDCANCEL, 0);
    return WaitForExit(program);
}

void KillDovan(Program& program)
{
    if (!program.process.hProcess) return;
    TerminateProcess(program.process.hProcess, 99);
    WaitForExit(program, 5000);
}

std::string ConfirmMessage(const Program& program, int button, DWORD timeout_ms)
{
    HWND box = FindMessageBox(program.process.dwProcessId, timeout_ms);
    if (!box) return "<no message>";
    std::string text = MessageBoxText(box);
    Click(box, button);
    WaitUntilGone(box);
    return text;
}

}  // namespace driver
