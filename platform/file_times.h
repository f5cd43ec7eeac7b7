// File times and file removal for writers that keep a message's own date on its file.
//
// Times are FILETIME values (100-ns ticks since 1601-01-01 00:00 UTC), as the message stores keep them; the
// helpers below convert from and to seconds since 1970 for systems that count so.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace platform {

// Ticks between 1601-01-01 and 1970-01-01.
inline constexpr uint64_t kFiletimeOf1970 = 116444736000000000ull;
inline constexpr uint64_t kFiletimeTicksPerSecond = 10000000ull;

inline uint64_t FiletimeFromUnixSeconds(int64_t seconds)
{
    return static_cast<uint64_t>(static_cast<int64_t>(kFiletimeOf1970) + seconds * 10000000ll);
}

// Whole seconds, rounded down (times before 1970 give negative values).
inline int64_t UnixSecondsFromFiletime(uint64_t filetime)
{
    int64_t ticks = static_cast<int64_t>(filetime) - static_cast<int64_t>(kFiletimeOf1970);
    int64_t seconds = ticks / 10000000ll;
    return ticks % 10000000ll < 0 ? seconds - 1 : seconds;
}

// Sets the modification time of an open file (written to, not yet closed: the next write would move it again).
// The access time stays as it is.
bool SetFileModifiedTime(FileHandle file, uint64_t filetime);

// Deletes a file.
bool RemoveFile(const char* path);

}  // namespace platform
