#include "plugins/mbox/byte_buffer.h"

#include <cstdlib>
#include <cstring>

#include "platform/platform.h"

namespace mbox {

Reallocator g_reallocate = std::realloc;

bool AllocateBuffer(ByteBuffer& buffer, size_t capacity)
{
    FreeBuffer(buffer);
    void* block = g_reallocate(nullptr, capacity);
    if (!block) {
        platform::SetLastError(platform::kErrorNotEnoughMemory);
        return false;
    }
    buffer.data = static_cast<char*>(block);
    buffer.capacity = capacity;
    return true;
}

void FreeBuffer(ByteBuffer& buffer)
{
    std::free(buffer.data);
    buffer = ByteBuffer{};
}

bool ReserveBuffer(ByteBuffer& buffer, size_t needed, size_t initial)
{
    if (needed <= buffer.capacity) return true;
    if (static_cast<uint64_t>(needed) > kMaxBufferCapacity) {
        platform::SetLastError(platform::kErrorNotEnoughMemory);
        return false;
    }
    // Doubling in 64 bits and stopping at the limit: a 32-bit capacity that doubles past 2 GiB would wrap
    // to zero and never fit.
    uint64_t capacity = buffer.capacity ? buffer.capacity : (initial ? initial : 1);
    while (capacity < needed) capacity *= 2;
    if (capacity > kMaxBufferCapacity) capacity = kMaxBufferCapacity;
    void* block = g_reallocate(buffer.data, static_cast<size_t>(capacity));
    if (!block) {
        platform::SetLastError(platform::kErrorNotEnoughMemory);
        return false;
    }
    buffer.data = static_cast<char*>(block);
    buffer.capacity = static_cast<size_t>(capacity);
    return true;
}

bool AppendToBuffer(ByteBuffer& buffer, const char* bytes, size_t count, size_t spare, size_t initial)
{
    if (buffer.length > kMaxBufferCapacity - spare || count > kMaxBufferCapacity - spare - buffer.length) {
        platform::SetLastError(platform::kErrorNotEnoughMemory);
        return false;
    }
    if (!ReserveBuffer(buffer, buffer.length + count + spare, initial)) return false;
    if (count) std::memcpy(buffer.data + buffer.length, bytes, count);
    buffer.length += count;
    return true;
}

}  // namespace mbox
