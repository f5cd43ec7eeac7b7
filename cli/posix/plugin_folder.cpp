#include "cli/plugin_folder.h"

#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <vector>

#ifdef __APPLE__
#include <mach-o/dyld.h>
#endif

namespace cli {
namespace {

std::string RealPath(const std::string& path)
{
    char* resolved = realpath(path.c_str(), nullptr);
    if (!resolved) return std::string();
    std::string result = resolved;
    free(resolved);
    return result;
}

// As a shell would find a bare program name: the first executable of that name along PATH.
std::string SearchPath(const std::string& name)
{
    const char* path = getenv("PATH");
    if (!path) return std::string();
    std::string directories = path;
    size_t start = 0;
    while (start <= directories.size()) {
        size_t end = directories.find(':', start);
        if (end == std::string::npos) end = directories.size();
        std::string directory = directories.substr(start, end - start);
        if (directory.empty()) directory = ".";
        std::string candidate = directory + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0) return RealPath(candidate);
        start = end + 1;
    }
    return std::string();
}

}  // namespace

std::string ExecutablePath(const char* argv0)
{
#ifdef __APPLE__
    uint32_t size = 0;
    _NSGetExecutablePath(nullptr, &size);
    std::vector<char> buffer(size + 1, '\0');
    if (_NSGetExecutablePath(buffer.data(), &size) == 0) {
        std::string resolved = RealPath(buffer.data());
        if (!resolved.empty()) return resolved;
    }
#else
    std::string resolved = RealPath("/proc/self/exe");
    if (!resolved.empty()) return resolved;
#endif
    if (!argv0 || !*argv0) return std::string();
    if (std::strchr(argv0, '/')) return RealPath(argv0);
    return SearchPath(argv0);
}

std::string PluginFolderBeside(const std::string& executable_path)
{
    size_t slash = executable_path.rfind('/');
    std::string directory = slash == std::string::npos ? std::string(".") : executable_path.substr(0, slash);
    if (directory.empty()) directory = "/";
    std::string folder = directory + "/../lib/dovan";
    std::string resolved = RealPath(folder);
    return resolved.empty() ? folder : resolved;
}

}  // namespace cli
