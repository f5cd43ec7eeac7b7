// Output gathered into large writes. A writer hands over its bytes as the host's pieces arrive (a few hundred
// bytes each, as stores keep text in 512-byte blocks); one write per piece would cost more than the copy.
//
// The rules that keep a writer's results as they were: every write failure is reported by a call of the same
// message (never after the message has been counted), by the call that flushes; what a failed write leaves is
// dropped, never written later. Each writer flushes at the end of every message.
//
// Writes that fill the buffer end at a multiple of kWriteAlignment in the file (the rest waits for the next
// write): the system then keeps the file's cached text in large pages, which costs it far less per byte than
// writes that straddle page boundaries.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/platform.h"

namespace plugins {

inline constexpr uint32_t kGatherCapacity = 1024 * 1024;
inline constexpr uint32_t kWriteAlignment = 64 * 1024;

struct GatheredOutput {
    platform::FileHandle file = platform::kNoFile;  // where the gathered bytes go
    uint32_t length = 0;                            // bytes gathered, not yet written
    uint64_t bytes_written = 0;                     // by successful writes since the start, for byte counts
    uint64_t file_offset = 0;                       // where the next write lands in `file`, as far as known
    // A write to `file` failed since file_offset was last known for sure: part of its bytes may lie beyond it.
    bool write_failed = false;
    unsigned char bytes[kGatherCapacity];
};

// Binds the output to a file just created (so empty), after writing what is gathered for the previous one.
bool StartFile(GatheredOutput& out, platform::FileHandle file);

// Adds bytes bound for `file`; writes what is gathered when it fills up (or first, when the bytes are bound for
// another file). False, with the system's reason, when a write fails.
bool Gather(GatheredOutput& out, platform::FileHandle file, const void* data, size_t count);

// Writes what is gathered. True when nothing was gathered. On failure the gathered bytes are dropped.
bool Flush(GatheredOutput& out);

// Forgets what is gathered without writing it.
void Discard(GatheredOutput& out);

// Where the next gathered byte will land in the file: a writer notes it where a message begins.
inline uint64_t GatheredEnd(const GatheredOutput& out) { return out.file_offset + out.length; }

// Takes back every byte from `start` (a GatheredEnd of the current file) on: the gathered ones are dropped, and
// the file is cut back to `start` where writes reached past it (a failed write counts). False, with the
// system's reason, when the file cannot be cut: what was written may remain.
bool TakeBack(GatheredOutput& out, uint64_t start);

}  // namespace plugins
