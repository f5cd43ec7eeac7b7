// Directories, paths and the ini writer on Windows.
#include <windows.h>

#include <cstring>

#include "platform/platform.h"

namespace platform {
namespace {

// True when the text's last character (walked as the code page's characters) is a separator.
bool EndsWithSeparator(const char* text)
{
    const char* last = nullptr;
    for (const char* c = text; *c; c = CharNextA(c)) last = c;
    return last && IsPathSeparator(*last);
}

bool HasDirectoryPart(const char* path)
{
    for (const char* c = path; *c; c = CharNextA(c))
        if (IsPathSeparator(*c) || *c == ':') return true;
    return false;
}

constexpr char kLongPathPrefix[] = "\\\\?\\";

// A directory's path may have at most MAX_PATH - 12 characters (room for an 8.3 name below it); a longer one is
// reachable only in the long-path form, whose "\\?\UNC\" stands for a share's leading "\\".
std::string LongPathWhereNeeded(const std::string& full_path)
{
    if (full_path.size() < MAX_PATH - 12) return full_path;
    if (full_path.size() > 2 && full_path[0] == '\\' && full_path[1] == '\\')
        return std::string(kLongPathPrefix) + "UNC\\" + full_path.substr(2);
    return kLongPathPrefix + full_path;
}

}  // namespace

bool IsPathSeparator(char c) { return c == '\\' || c == '/'; }

bool ListDirectory(const char* directory, std::vector<DirEntry>& entries)
{
    if (!*directory) {
        // As on POSIX: an empty name is no directory (rather than the current one).
        ::SetLastError(ERROR_PATH_NOT_FOUND);
        return false;
    }
    std::string pattern = directory;
    if (!EndsWithSeparator(directory)) pattern += '\\';
    pattern += '*';
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return ::GetLastError() == ERROR_FILE_NOT_FOUND;  // an empty drive root
    do {
        if (std::strcmp(found.cFileName, ".") == 0 || std::strcmp(found.cFileName, "..") == 0) continue;
        DirEntry entry;
        entry.name = found.cFileName;
        entry.is_directory = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        entries.push_back(std::move(entry));
    } while (FindNextFileA(search, &found));
    DWORD failure = ::GetLastError();
    FindClose(search);
    ::SetLastError(failure);
    return failure == ERROR_NO_MORE_FILES;
}

PathKind LookUpPath(const char* path)
{
    // GetFileAttributesA rather than a search: it answers for drive and share roots too and never matches
    // wildcards in the name.
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return PathKind::Missing;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? PathKind::Directory : PathKind::File;
}

bool CreateDir(const char* path) { return CreateDirectoryA(path, nullptr) != 0; }

bool GetCurrentDir(std::string& directory)
{
    DWORD needed = GetCurrentDirectoryA(0, nullptr);
    while (needed != 0) {
        std::string buffer(needed, '\0');
        DWORD length = GetCurrentDirectoryA(needed, buffer.data());
        if (length == 0) break;
        if (length < needed) {
            buffer.resize(length);
            directory = std::move(buffer);
            return true;
        }
        needed = length;  // it grew meanwhile
    }
    return false;
}

bool SetCurrentDir(const char* path) { return SetCurrentDirectoryA(path) != 0; }

bool AbsolutePath(const char* path, std::string& absolute)
{
    if (std::strncmp(path, kLongPathPrefix, 4) == 0) {
        absolute = path;
        return true;
    }
    DWORD needed = GetFullPathNameA(path, 0, nullptr, nullptr);
    while (needed != 0) {
        std::string buffer(needed, '\0');
        DWORD length = GetFullPathNameA(path, needed, buffer.data(), nullptr);
        if (length == 0) break;
        if (length < needed) {
            buffer.resize(length);
            absolute = LongPathWhereNeeded(buffer);
            return true;
        }
        needed = length;  // the current directory changed meanwhile
    }
    return false;
}

bool MoveFileNoReplace(const char* from, const char* to) { return MoveFileA(from, to) != 0; }

int RootSeparatorCount(const char* path)
{
    // "\\?\UNC\server\share\": the long form of a share.
    if (std::strncmp(path, kLongPathPrefix, 4) == 0 && (path[4] == 'U' || path[4] == 'u') &&
        (path[5] == 'N' || path[5] == 'n') && (path[6] == 'C' || path[6] == 'c') && IsPathSeparator(path[7]))
        return 6;
    // "\\server\share\", and "\\?\C:\", whose four separators end in the same place.
    if ((path[0] == '\\' && path[1] == '\\') || (path[0] == '/' && path[1] == '/')) return 4;
    bool letter = (path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z');
    if (letter && path[1] == ':' && IsPathSeparator(path[2])) return 1;
    return -1;
}

bool WriteIniString(const char* section, const char* key, const char* value, const char* path)
{
    // The profile writer puts a bare file name into the Windows folder; a file of the current folder is meant.
    std::string target = path;
    if (!HasDirectoryPart(path)) target = std::string(".\\") + path;
    return WritePrivateProfileStringA(section, key, value, target.c_str()) != 0;
}

}  // namespace platform
