// The shell's folder browser, shared by the main dialog's two Browse buttons.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace app {

// Lets the user pick a file-system folder, starting at `initial_path`, titled with string `title_id`.
// The chosen path, or nothing when the user cancels.
std::optional<std::string> BrowseForFolder(HWND owner, const std::string& initial_path, UINT title_id);

}  // namespace app
