#include "plugins/mbox/output.h"

#include <cstdint>

namespace mbox {

bool WriteOutput(platform::FileHandle file, const char* bytes, size_t count)
{
    // The platform writes 32-bit counts; a held header may in principle be longer.
    constexpr size_t kChunk = 0x40000000;
    while (count > 0) {
        size_t part = count < kChunk ? count : kChunk;
        if (!platform::WriteAll(file, bytes, static_cast<uint32_t>(part))) return false;
        bytes += part;
        count -= part;
    }
    return true;
}

}  // namespace mbox
