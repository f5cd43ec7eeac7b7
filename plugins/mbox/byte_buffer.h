// A growable block of bytes for the line being assembled and the header being held back.
#pragma once

#include <cstddef>
#include <cstdint>

namespace mbox {

struct ByteBuffer {
    char* data = nullptr;
    size_t length = 0;    // bytes held
    size_t capacity = 0;  // bytes allocated
};

// No buffer grows beyond this: lengths travel as 32-bit values through the writer's interfaces.
inline constexpr size_t kMaxBufferCapacity = 0xFFFFFFFFu;

// The allocator behind every buffer: realloc semantics (the old block stays valid when it returns null).
// Tests replace it to make growth fail; the plugin never changes it.
using Reallocator = void* (*)(void* block, size_t size);
extern Reallocator g_reallocate;

// Replaces the buffer's block by a new one of exactly `capacity` bytes and empties it. False, with
// kErrorNotEnoughMemory and the buffer left empty and unallocated, when the block cannot be had.
bool AllocateBuffer(ByteBuffer& buffer, size_t capacity);

void FreeBuffer(ByteBuffer& buffer);

// Makes room for `needed` bytes in all: the capacity doubles (from `initial` when nothing is allocated yet)
// until it holds them. False with kErrorNotEnoughMemory when the block cannot grow; the contents stay.
bool ReserveBuffer(ByteBuffer& buffer, size_t needed, size_t initial);

// Appends count bytes, growing as ReserveBuffer does; `spare` more bytes of room are kept free after them.
bool AppendToBuffer(ByteBuffer& buffer, const char* bytes, size_t count, size_t spare, size_t initial);

}  // namespace mbox
