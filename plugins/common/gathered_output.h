// Output gathered into large writes. A writer hands over its bytes as the host's pieces arrive (a few hundred
// bytes each, as stores keep text in 512-byte blocks); one write per piece would cost more than the copy.
//
// The rules that keep a writer's results as they were: every write failure is reported by a call of the same
// message (never after the message has been counted), by the call that flushes; the first output of each
// message goes straight out (WriteThrough), so that a destination that takes nothing at all (a full disk, a
// read-only device) fails the very call it failed before; what a failed write leaves is dropped, never written
// later. Each writer flushes at the end of every message.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/platform.h"

namespace plugins {

inline constexpr uint32_t kGatherCapacity = 64 * 1024;

struct GatheredOutput {
    platform::FileHandle file = platform::kNoFile;  // where the gathered bytes go
    uint32_t length = 0;                            // bytes gathered, not yet written
    uint64_t bytes_written = 0;                     // by successful writes since the start, for byte counts
    unsigned char bytes[kGatherCapacity];
};

// Adds bytes bound for `file`; writes what is gathered when it fills up (or first, when the bytes are bound for
// another file). False, with the system's reason, when a write fails.
bool Gather(GatheredOutput& out, platform::FileHandle file, const void* data, size_t count);

// Writes what is gathered, then these bytes, at once.
bool WriteThrough(GatheredOutput& out, platform::FileHandle file, const void* data, size_t count);

// Writes what is gathered. True when nothing was gathered. On failure the gathered bytes are dropped.
bool Flush(GatheredOutput& out);

// Forgets what is gathered without writing it.
void Discard(GatheredOutput& out);

}  // namespace plugins
