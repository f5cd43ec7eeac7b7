// The scenarios of the Windows test driver; each returns the process exit code after its "N passed, N failed".
#pragma once

#include <string>
#include <vector>

namespace driver {

// Strings, dialogs, icon, manifest and version of Dovan.exe and the writers, as LoadStringA and friends see them.
int CheckResources(const std::string& exe, const std::string& plugin_dir, bool japanese);

// Each writer's settings dialog, worked through its control ids; screenshots go to `shots` (may be empty).
int CheckSettingDialogs(const std::string& plugin_dir, bool japanese, const std::string& shots);

// The bmf writer's default destination read from the registry.
int CheckDefaultDestination(const std::string& plugin_dir);

// One whole conversion through Dovan.exe's main dialog: the program started in `plugin_dir`, the source and
// destination typed, the format chosen by name, its setting changed through its own dialog when asked
// ("radio=ID" or "size=N"), START, the summary read and confirmed, the program closed.
int ConvertWithDovan(const std::string& exe, const std::string& plugin_dir, const std::string& source,
                     const std::string& destination, const std::string& format, const std::string& setting);

// The main dialog's behaviour (the rest of the scenarios, one per name).
int RunDialogScenario(const std::string& name, const std::vector<std::string>& arguments);

}  // namespace driver
