// The worker thread of a run, kept track of so that the program never unloads a plugin or destroys the dialog
// while the worker still uses them.
#pragma once

#include <windows.h>

#include <string>

#include "engine/plugin_host.h"

namespace app {

class DialogFrontEnd;

// Starts the run on a new thread. False, with message 14 and the system's text shown, when the thread
// cannot be created.
bool StartRun(HWND dialog, std::string source, std::string destination, const engine::WriterPlugin& plugin,
              DialogFrontEnd& front_end);

// Whether the last run's worker is still alive.
bool RunInProgress();

// Waits until the last run's worker has ended, serving the messages that it sends meanwhile.
void WaitForRunEnd();

}  // namespace app
