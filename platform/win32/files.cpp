// Files on Windows: positioned reads through an OVERLAPPED offset, whole writes, handles as integers.
#include <windows.h>

#include "platform/platform.h"

namespace platform {
namespace {

HANDLE AsHandle(FileHandle file) { return reinterpret_cast<HANDLE>(file); }

FileHandle AsFileHandle(HANDLE handle)
{
    return handle == INVALID_HANDLE_VALUE ? kNoFile : reinterpret_cast<FileHandle>(handle);
}

}  // namespace

FileHandle OpenForReading(const char* path)
{
    // Others may read the store while it is open, none may write it.
    HANDLE handle =
        CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    return AsFileHandle(handle);
}

bool ReadAt(FileHandle file, uint64_t offset, void* buffer, uint32_t count, uint32_t* got)
{
    *got = 0;
    auto* bytes = static_cast<unsigned char*>(buffer);
    while (*got < count) {
        uint64_t position = offset + *got;
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(position);
        at.OffsetHigh = static_cast<DWORD>(position >> 32);
        DWORD arrived = 0;
        if (!ReadFile(AsHandle(file), bytes + *got, count - *got, &arrived, &at)) {
            // A positioned read at or past the end of a synchronous file fails with this code: it is the end.
            if (::GetLastError() == ERROR_HANDLE_EOF) break;
            return false;
        }
        if (arrived == 0) break;
        *got += arrived;
    }
    return true;
}

bool FileSize(FileHandle file, uint64_t* size)
{
    LARGE_INTEGER length;
    if (!GetFileSizeEx(AsHandle(file), &length)) return false;
    *size = static_cast<uint64_t>(length.QuadPart);
    return true;
}

FileHandle CreateForWriting(const char* path)
{
    HANDLE handle = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    return AsFileHandle(handle);
}

bool WriteAll(FileHandle file, const void* data, uint32_t count)
{
    const auto* bytes = static_cast<const unsigned char*>(data);
    uint32_t done = 0;
    while (done < count) {
        DWORD written = 0;
        if (!WriteFile(AsHandle(file), bytes + done, count - done, &written, nullptr)) return false;
        if (written == 0) {
            ::SetLastError(ERROR_DISK_FULL);
            return false;
        }
        done += written;
    }
    return true;
}

bool TruncateFile(FileHandle file, uint64_t size)
{
    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>(size);
    return SetFilePointerEx(AsHandle(file), position, nullptr, FILE_BEGIN) && SetEndOfFile(AsHandle(file));
}

bool CloseFile(FileHandle file) { return CloseHandle(AsHandle(file)) != 0; }

}  // namespace platform
