// Shared libraries on POSIX: dlopen, and string tables reached through the library's LoadPluginString export.
#include <dlfcn.h>

#include <cerrno>
#include <string>

#include "platform/platform.h"

namespace platform {

const char* SharedLibrarySuffix() { return ".so"; }

LibraryHandle LoadSharedLibrary(const char* path)
{
    // A bare name would make dlopen search the system's library path: always name the file itself.
    std::string name = path;
    if (name.find('/') == std::string::npos) name = "./" + name;
    void* library = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) errno = ENOENT;
    return library;
}

void* FindSymbol(LibraryHandle library, const char* name) { return dlsym(library, name); }

void FreeSharedLibrary(LibraryHandle library)
{
    if (library) dlclose(library);
}

int LoadLibraryString(LibraryHandle library, uint32_t id, char* buffer, int size)
{
    if (size <= 0) return 0;
    buffer[0] = '\0';
    using LoadString = int (*)(uint32_t, char*, int);
    auto load = reinterpret_cast<LoadString>(dlsym(library, "LoadPluginString"));
    if (!load) return 0;
    int copied = load(id, buffer, size);
    if (copied < 0 || copied >= size) copied = 0;
    buffer[copied] = '\0';
    return copied;
}

bool LoadProgramString(uint32_t, std::string&) { return false; }

}  // namespace platform
