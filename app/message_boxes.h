// Every message box of the program: the caption "Dovan", a text from the string table or a ready one, and
// where asked the system's description of an error code on the next line. Usable from any thread.
#pragma once

#include <windows.h>

#include <string>

namespace app {

// The module whose resources (strings, dialogs, icon) the program loads; set once by WinMain.
extern HINSTANCE g_instance;

// A string of the program's table loaded into a buffer of `buffer_size` bytes, as the callers' buffers are.
std::string LoadProgramText(UINT id, int buffer_size);

int ShowMessage(HWND owner, UINT id, UINT style);
int ShowErrorMessage(HWND owner, UINT id, DWORD code, UINT style);
int ShowErrorText(HWND owner, const std::string& text, DWORD code, UINT style);
int ShowText(HWND owner, const std::string& text, UINT style);

void EnableItem(HWND dialog, int id, bool enable);

}  // namespace app
