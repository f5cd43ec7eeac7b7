// Where the command line finds its plugins when --plugin-dir is not given: on POSIX ../lib/dovan beside the running
// executable, so that the program works from any current directory, in the build tree and once installed; on
// Windows the executable's own folder, where the DLLs lie beside Dovan.exe.
#pragma once

#include <string>

namespace cli {

// The absolute path of the running executable; `argv0` is the fallback where the system cannot tell.
// Empty when it cannot be found.
std::string ExecutablePath(const char* argv0);

// The default plugin folder for an executable path: "<its folder>/../lib/dovan", resolved when it exists (POSIX);
// "<its folder>" (Windows).
std::string PluginFolderBeside(const std::string& executable_path);

}  // namespace cli
