// The main dialog (102): source, format, settings, destination, START and ABORT.
#pragma once

#include <windows.h>

namespace app {

// Runs the main dialog modally without an owner; returns when it has closed and every plugin is unloaded.
void RunMainDialog();

}  // namespace app
