// On Windows the writer DLLs lie beside the program, as they do for Dovan.exe.
#include <windows.h>

#include "cli/plugin_folder.h"

namespace cli {

std::string ExecutablePath(const char* argv0)
{
    std::string buffer(MAX_PATH, '\0');
    for (;;) {
        DWORD length = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return argv0 ? std::string(argv0) : std::string();
        if (length < buffer.size()) {
            buffer.resize(length);
            return buffer;
        }
        buffer.resize(buffer.size() * 2);  // cut short: a long path
    }
}

std::string PluginFolderBeside(const std::string& executable_path)
{
    // The last separator, walked by character so that a double-byte character's second byte never counts.
    const char* last = nullptr;
    for (const char* c = executable_path.c_str(); *c; c = CharNextA(c))
        if (*c == '\\' || *c == '/') last = c;
    if (!last) return ".";
    return executable_path.substr(0, static_cast<size_t>(last - executable_path.c_str()));
}

}  // namespace cli
