// Where the command line finds its plugins when --plugin-dir is not given: ../lib/dovan beside the running
// executable, so that the program works from any current directory, in the build tree and once installed.
#pragma once

#include <string>

namespace cli {

// The absolute path of the running executable; `argv0` is the fallback where the system cannot tell.
// Empty when it cannot be found.
std::string ExecutablePath(const char* argv0);

// The default plugin folder for an executable path: "<its folder>/../lib/dovan", resolved when it exists.
std::string PluginFolderBeside(const std::string& executable_path);

}  // namespace cli
