// What a FilePrefetcher's helper thread does, the same on every system: the file in chunks from its start to
// its end, each chunk handed to the system's read-ahead, until the owner stops it.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/platform.h"

namespace platform {

// Brings one chunk into the file cache (platform specific). The buffer is for systems that can only read the
// chunk, in pieces of their own size.
void PrefetchChunk(FileHandle file, uint64_t offset, uint32_t count, unsigned char* buffer);

struct PrefetchWork {
    FileHandle file = kNoFile;
    uint64_t size = 0;
    std::atomic<bool> stop{false};
};

inline void PrefetchWholeFile(PrefetchWork& work, unsigned char* buffer)
{
    for (uint64_t at = 0; at < work.size && !work.stop.load(std::memory_order_relaxed); at += kPrefetchChunk) {
        uint64_t count = work.size - at < kPrefetchChunk ? work.size - at : kPrefetchChunk;
        PrefetchChunk(work.file, at, static_cast<uint32_t>(count), buffer);
    }
}

}  // namespace platform
