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
        if (!platform::WriteAll(file, data, static_cast<uint32_t>(part))) return false;
        out.bytes_written += part;
        data += part;
        count -= part;
    }
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

bool Gather(GatheredOutput& out, platform::FileHandle file, const void* data, size_t count)
{
    if (out.file != file) {
        if (!Flush(out)) return false;
        out.file = file;
    }
    if (count > kGatherCapacity - out.length) {
        if (!Flush(out)) return false;
        // Bytes that would fill the buffer by themselves go out as they are.
        if (count >= kGatherCapacity) return WriteDirect(out, file, static_cast<const unsigned char*>(data), count);
    }
    if (count != 0) std::memcpy(out.bytes + out.length, data, count);
    out.length += static_cast<uint32_t>(count);
    return true;
}

bool WriteThrough(GatheredOutput& out, platform::FileHandle file, const void* data, size_t count)
{
    if (!Gather(out, file, data, count)) return false;
    return Flush(out);
}

}  // namespace plugins
