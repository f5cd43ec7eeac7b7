// File times on POSIX: futimens with nanoseconds, the access time left alone.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/file_times.h"

namespace platform {

bool SetFileModifiedTime(FileHandle file, uint64_t filetime)
{
    int64_t ticks = static_cast<int64_t>(filetime) - static_cast<int64_t>(kFiletimeOf1970);
    int64_t seconds = UnixSecondsFromFiletime(filetime);
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = static_cast<time_t>(seconds);
    times[1].tv_nsec = static_cast<long>((ticks - seconds * 10000000ll) * 100);
    return futimens(static_cast<int>(file), times) == 0;
}

bool RemoveFile(const char* path) { return unlink(path) == 0; }

}  // namespace platform
