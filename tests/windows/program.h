// Dovan.exe started and stopped by a driver, with its main dialog found by process and control id.
#pragma once

#include <windows.h>

#include <string>

namespace driver {

// Control ids of the main dialog.
enum MainControl {
    kSource = 1000,
    kDestination = 1001,
    kSourceBrowse = 1002,
    kDestinationBrowse = 1003,
    kFolderName = 1005,
    kStart = 1007,
    kAbort = 1008,
    kNote = 1009,
    kFormat = 1010,
    kSettings = 1011,
    kPosition = 1013,
    kProgress = 1014,
};

struct Program {
    PROCESS_INFORMATION process{};
    HWND main = nullptr;  // the main dialog, when it showed
};

// Starts the program with `directory` as its current directory and waits for its main dialog (a missing dialog
// leaves `main` empty, as when no plugin is found).
Program StartDovan(const std::string& exe, const std::string& directory, DWORD dialog_timeout_ms = 15000);

// The exit code after the process ended, or -1 when it is still running after the timeout.
long WaitForExit(Program& program, DWORD timeout_ms = 15000);

// Presses Esc in the main dialog (the Cancel command) and waits for the program to end.
long CloseDovan(Program& program);

// Ends a program that did not end by itself.
void KillDovan(Program& program);

// Confirms the message box that the program shows next and returns its text ("<no message>" when none came).
std::string ConfirmMessage(const Program& program, int button = IDOK, DWORD timeout_ms = 30000);

}  // namespace driver
