// Shared libraries on Windows: LoadLibraryA, GetProcAddress and the library's own string resources.
#include <windows.h>

#include <string>

#include "platform/platform.h"

namespace platform {

const char* SharedLibrarySuffix() { return ".dll"; }

LibraryHandle LoadSharedLibrary(const char* path)
{
    // A bare name would make the loader search the program's and the system's folders first: name the file of
    // the current folder itself.
    std::string name = path;
    if (name.find_first_of("\\/:") == std::string::npos) name = ".\\" + name;
    // A damaged or foreign library must fail quietly, never stop the start-up with a system error box.
    DWORD previous_mode = 0;
    SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previous_mode);
    HMODULE library = LoadLibraryA(name.c_str());
    DWORD failure = ::GetLastError();
    SetThreadErrorMode(previous_mode, nullptr);
    ::SetLastError(failure);
    return reinterpret_cast<LibraryHandle>(library);
}

void* FindSymbol(LibraryHandle library, const char* name)
{
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void FreeSharedLibrary(LibraryHandle library)
{
    if (library) FreeLibrary(static_cast<HMODULE>(library));
}

int LoadLibraryString(LibraryHandle library, uint32_t id, char* buffer, int size)
{
    if (size <= 0) return 0;
    buffer[0] = '\0';
    int copied = LoadStringA(static_cast<HMODULE>(library), id, buffer, size);
    if (copied < 0 || copied >= size) copied = 0;
    buffer[copied] = '\0';
    return copied;
}

bool LoadProgramString(uint32_t id, std::string& text)
{
    char buffer[1024];
    int copied = LoadLibraryString(GetModuleHandleA(nullptr), id, buffer, sizeof buffer);
    if (copied <= 0) return false;
    text.assign(buffer, static_cast<size_t>(copied));
    return true;
}

}  // namespace platform
