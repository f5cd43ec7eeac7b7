// The error dialog: how to go on after a failed step of a run. Shown by the run's worker thread.
#pragma once

#include <windows.h>

#include "engine/front_end.h"

namespace app {

// Shows dialog 101 owned by the main dialog and returns the confirmed choice and whether After All closed it;
// NotShown when the dialog cannot be created.
engine::ErrorAnswer ShowErrorDialog(HWND owner, const engine::ErrorQuestion& question);

// Ends an open error dialog, and any that opens later, with Abort Processing; from any thread (the main dialog
// closing during a run).
void AbortErrorDialogs();

}  // namespace app
