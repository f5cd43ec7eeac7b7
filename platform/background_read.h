// The read (or other work) a BackgroundReader's helper thread makes, and its result: the same on every system.
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
    // Work handed over instead of a read (BeginBackgroundWork): run on the helper thread when set.
    void (*work)(void*) = nullptr;
    void* context = nullptr;
};

// Makes the read on the calling thread (the helper).
inline void MakeBackgroundRead(BackgroundRead& request)
{
    if (request.work) {
        request.work(request.context);
        return;
    }
    request.got = 0;
    request.read = ReadAt(request.file, request.offset, request.buffer, request.count, &request.got);
}

}  // namespace platform
