#include "plugins/common/gathered_output.h"

#include <cstring>

namespace plugins {
namespace {

// The platform writes 32-bit counts; a writer may hand over more at once (a large held header).
bool WriteDirect(GatheredOutput& out, platform::FileHandle file, const unsigned char* data, size_t count)
{
    constexpr size_t kChunk = 0x40000000;
    while (count > 0) {
        size_t part = count < kChunk ? count : kChunk;
        if (!platform::WriteAll(file, data, static_cast<uint32_t>(part))) {
            out.write_failed = true;
            return false;
        }
        out.bytes_written += part;
        out.file_offset += part;
        data += part;
        count -= part;
    }
    return true;
}

// Writes the gathered bytes up to the last aligned place in the file and keeps the rest; all of them when
// they do not reach one.
bool FlushToAlignment(GatheredOutput& out)
{
    uint64_t end = out.file_offset + out.length;
    uint64_t aligned_end = end - end % kWriteAlignment;
    if (aligned_end <= out.file_offset) return Flush(out);
    uint32_t head = static_cast<uint32_t>(aligned_end - out.file_offset);
    uint32_t rest = out.length - head;
    out.length = 0;  // dropped on failure, as in Flush
    if (!WriteDirect(out, out.file, out.bytes, head)) return false;
    std::memmove(out.bytes, out.bytes + head, rest);
    out.length = rest;
    return true;
}

}  // namespace

bool Flush(GatheredOutput& out)
{
    if (out.length == 0) return true;
    uint32_t length = out.length;
    // Dropped whatever the outcome: after a failure the host passes the message again, or gives it up.
    out.length = 0;
    return WriteDirect(out, out.file, out.bytes, length);
}

void Discard(GatheredOutput& out) { out.length = 0; }

bool TakeBack(GatheredOutput& out, uint64_t start)
{
    if (!out.write_failed && start >= out.file_offset) {
        // Nothing from `start` on has reached the file.
        uint64_t kept = start - out.file_offset;
        if (kept < out.length) out.length = static_cast<uint32_t>(kept);
        return true;
    }
    out.length = 0;
    if (!platform::TruncateFile(out.file, start)) return false;
    out.file_offset = start;
    out.write_failed = false;
    return true;
}

bool StartFile(GatheredOutput& out, platform::FileHandle file)
{
    bool flushed = Flush(out);
    out.file = file;
    out.file_offset = 0;
    out.write_failed = false;
    return flushed;
}

bool Gather(GatheredOutput& out, platform::FileHandle file, const void* data, size_t count)
{
    if (out.file != file) {
        if (!Flush(out)) return false;
        out.file = file;
    }
    if (count > kGatherCapacity - out.length) {
        if (!FlushToAlignment(out)) return false;
        if (count > kGatherCapacity - out.length) {
            if (!Flush(out)) return false;
            // Bytes that would fill the buffer by themselves go out as they are.
            if (count >= kGatherCapacity) return WriteDirect(out, file, static_cast<const unsigned char*>(data), count);
        }
    }
    if (count != 0) std::memcpy(out.bytes + out.length, data, count);
    out.length += static_cast<uint32_t>(count);
    return true;
}

}  // namespace plugins
