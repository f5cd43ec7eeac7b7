// The read a BackgroundReader's helper thread makes, and its result: the same on every system.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace platform {

struct BackgroundRead {
    FileHandle file = kNoFile;
    uint64_t offset = 0;
    void* buffer = nullptr;
    uint32_t count = 0;
    uint32_t got = 0;
    bool read = false;  // what ReadAt returned
};

// Makes the read on the calling thread (the helper).
inline void MakeBackgroundRead(BackgroundRead& request)
{
    request.got = 0;
    request.read = ReadAt(request.file, request.offset, request.buffer, request.count, &request.got);
}

}  // namespace platform
