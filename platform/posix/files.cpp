// Files on POSIX: positioned reads with pread, whole writes that retry short writes.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/fault_injection.h"
#include "platform/platform.h"
#include "platform/posix/new_files.h"

namespace platform {

FileHandle OpenForReading(const char* path)
{
    int fd;
    do fd = open(path, O_RDONLY | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) return kNoFile;
    struct stat info;
    if (fstat(fd, &info) != 0) {
        int saved = errno;
        close(fd);
        errno = saved;
        return kNoFile;
    }
    if (S_ISDIR(info.st_mode)) {
        close(fd);
        errno = EISDIR;
        return kNoFile;
    }
    return fd;
}

bool ReadAt(FileHandle file, uint64_t offset, void* buffer, uint32_t count, uint32_t* got)
{
    *got = 0;
    auto* bytes = static_cast<unsigned char*>(buffer);
    while (*got < count) {
        ssize_t n = pread(static_cast<int>(file), bytes + *got, count - *got, static_cast<off_t>(offset + *got));
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) break;  // end of file
        *got += static_cast<uint32_t>(n);
    }
    return true;
}

bool FileSize(FileHandle file, uint64_t* size)
{
    struct stat info;
    if (fstat(static_cast<int>(file), &info) != 0) return false;
    *size = static_cast<uint64_t>(info.st_size);
    return true;
}

int OpenNewFile(const char* path)
{
    int fd;
    do fd = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    while (fd < 0 && errno == EINTR);
    return fd;
}

FileHandle CreateForWriting(const char* path)
{
    if (CheckFault(FaultOperation::CreateFile).fail) return kNoFile;
    int fd = OpenNewFile(path);
    return fd < 0 ? kNoFile : fd;
}

bool WriteAll(FileHandle file, const void* data, uint32_t count)
{
    const auto* bytes = static_cast<const unsigned char*>(data);
    uint32_t done = 0;
    FaultDecision fault = CheckFault(FaultOperation::Write);
    if (fault.fail) {
        // A disk that fills up during the write: part of the bytes arrive, then the write fails.
        int code = errno;  // the planned one
        if (fault.partial_write && count > 1) {
            ssize_t written = write(static_cast<int>(file), bytes, count / 2);
            (void)written;
        }
        errno = code;
        return false;
    }
    while (done < count) {
        ssize_t n = write(static_cast<int>(file), bytes + done, count - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) {
            errno = ENOSPC;
            return false;
        }
        done += static_cast<uint32_t>(n);
    }
    return true;
}

bool TruncateFile(FileHandle file, uint64_t size)
{
    if (CheckFault(FaultOperation::Truncate).fail) return false;
    if (size > static_cast<uint64_t>(INT64_MAX)) {
        errno = EINVAL;
        return false;
    }
    int fd = static_cast<int>(file);
    int result;
    do result = ftruncate(fd, static_cast<off_t>(size));
    while (result != 0 && errno == EINTR);
    return result == 0 && lseek(fd, static_cast<off_t>(size), SEEK_SET) != static_cast<off_t>(-1);
}

bool CloseFile(FileHandle file)
{
    // A planned failure still closes the file, as a close that reports lost bytes does.
    bool planned_failure = CheckFault(FaultOperation::Close).fail;
    int planned_code = errno;
    // A close that fails with EINTR has still released the descriptor on Linux: never close it twice.
    bool closed = close(static_cast<int>(file)) == 0 || errno == EINTR;
    if (!planned_failure) return closed;
    errno = planned_code;
    return false;
}

}  // namespace platform
