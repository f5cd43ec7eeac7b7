// File times on Windows: the last-write time of the open handle, which the system then keeps at the close.
#include <windows.h>

#include "platform/file_times.h"

namespace platform {

bool SetFileModifiedTime(FileHandle file, uint64_t filetime)
{
    FILETIME written;
    written.dwLowDateTime = static_cast<DWORD>(filetime);
    written.dwHighDateTime = static_cast<DWORD>(filetime >> 32);
    return SetFileTime(reinterpret_cast<HANDLE>(file), nullptr, nullptr, &written) != 0;
}

bool RemoveFile(const char* path) { return DeleteFileA(path) != 0; }

}  // namespace platform
