// Directories, paths and the ini writer on POSIX.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/fault_injection.h"
#include "platform/platform.h"

namespace platform {

bool IsPathSeparator(char c) { return c == '/'; }

bool ListDirectory(const char* directory, std::vector<DirEntry>& entries)
{
    DIR* dir = opendir(directory);
    if (!dir) return false;
    std::string base = directory;
    if (!base.empty() && base.back() != '/') base += '/';
    errno = 0;
    while (dirent* entry = readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
        DirEntry found;
        found.name = entry->d_name;
        // Follow links, as a Windows search reports what a name stands for.
        struct stat info;
        std::string full = base + found.name;
        found.is_directory = stat(full.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
        entries.push_back(std::move(found));
        errno = 0;
    }
    int failure = errno;
    closedir(dir);
    errno = failure;
    return failure == 0;
}

PathKind LookUpPath(const char* path)
{
    struct stat info;
    if (stat(path, &info) != 0) return PathKind::Missing;
    return S_ISDIR(info.st_mode) ? PathKind::Directory : PathKind::File;
}

bool CreateDir(const char* path) { return !CheckFault(FaultOperation::CreateDir).fail && mkdir(path, 0777) == 0; }

bool GetCurrentDir(std::string& directory)
{
    std::vector<char> buffer(4096);
    while (!getcwd(buffer.data(), buffer.size())) {
        if (errno != ERANGE || buffer.size() > (1u << 20)) return false;
        buffer.resize(buffer.size() * 2);
    }
    directory = buffer.data();
    return true;
}

bool SetCurrentDir(const char* path) { return chdir(path) == 0; }

bool AbsolutePath(const char* path, std::string& absolute)
{
    if (path[0] == '/') {
        absolute = path;
        return true;
    }
    std::string current;
    if (!GetCurrentDir(current)) return false;
    if (current.empty() || current.back() != '/') current += '/';
    absolute = current + path;
    return true;
}

bool MoveFileNoReplace(const char* from, const char* to)
{
    if (CheckFault(FaultOperation::Rename).fail) return false;
#ifdef RENAME_NOREPLACE
    // One step where the system and the file system offer it.
    if (renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return false;
#endif
    // link + unlink never replaces an existing target, unlike rename.
    if (link(from, to) != 0) {
        if (errno == EEXIST) return false;
        // Some file systems have no hard links: fall back to a checked rename.
        if (errno != EPERM && errno != ENOTSUP && errno != EOPNOTSUPP && errno != EXDEV) return false;
        struct stat info;
        if (lstat(to, &info) == 0) {
            errno = EEXIST;
            return false;
        }
        return rename(from, to) == 0;
    }
    if (unlink(from) != 0) {
        int saved = errno;
        unlink(to);
        errno = saved;
        return false;
    }
    return true;
}

int RootSeparatorCount(const char* path) { return path[0] == '/' ? 1 : -1; }

bool WriteIniString(const char* section, const char* key, const char* value, const char* path)
{
    // Dovan writes profiles only into new mailbox folders, so an existing file is replaced by one holding just
    // this section, laid out as the Windows profile writer lays out a new file.
    std::string text = std::string("[") + section + "]\r\n" + key + "=" + value + "\r\n";
    FileHandle file = CreateForWriting(path);
    if (file == kNoFile) return false;
    bool ok = WriteAll(file, text.data(), static_cast<uint32_t>(text.size()));
    int saved = errno;
    bool closed = CloseFile(file);
    if (!ok) errno = saved;
    return ok && closed;
}

}  // namespace platform
