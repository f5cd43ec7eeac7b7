// Working another program's dialogs by their control ids, as a user would, from a test driver.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace driver {

constexpr DWORD kWaitMs = 15000;

// A UTF-8 text as the program sees it: in the process's ANSI code page, or in code page 932.
std::string Ansi(const std::string& utf8);
std::string CodePage932(const std::string& utf8);

// Polls until the condition holds; false after `timeout_ms`.
bool WaitFor(const std::function<bool()>& condition, DWORD timeout_ms = kWaitMs);

// A visible dialog (class #32770) of the process with this caption ("" for any) that has control `marker_id`
// (0 for any); nullptr after the timeout.
HWND FindDialog(DWORD process_id, const std::string& caption, int marker_id = 0, DWORD timeout_ms = kWaitMs);

// A message box of the process: a dialog holding the box's text control.
HWND FindMessageBox(DWORD process_id, DWORD timeout_ms = kWaitMs);
std::string MessageBoxText(HWND box);

std::string WindowText(HWND window);
std::string ItemText(HWND dialog, int id);
bool IsItemEnabled(HWND dialog, int id);
bool IsItemChecked(HWND dialog, int id);
bool HasFocus(HWND dialog, int id);  // the control that has the keyboard focus in the dialog's thread

// A click that does not wait for what it opens (a modal window would block a sent message).
void Click(HWND dialog, int id);
void SetItemText(HWND dialog, int id, const std::string& text);
// Chooses a combo box entry by its text and tells the dialog, as a user's choice does; false when missing.
bool ChooseComboItem(HWND dialog, int id, const std::string& text);
std::string ComboItem(HWND dialog, int id, int index);
int ComboCount(HWND dialog, int id);
int ComboSelection(HWND dialog, int id);

bool WaitUntilGone(HWND window, DWORD timeout_ms = kWaitMs);

// Saves what the screen shows of the window as a 24-bit BMP file.
bool Screenshot(HWND window, const std::string& path);

}  // namespace driver
