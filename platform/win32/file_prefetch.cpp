// File prefetching on Windows: one thread per file, reading the chunks through the file cache into a buffer it
// then drops (Windows has no read-ahead call for a file handle).
#include <windows.h>

#include <memory>
#include <new>

#include "platform/file_prefetch.h"
#include "platform/platform.h"

namespace platform {

struct FilePrefetcher {
    HANDLE thread = nullptr;
    PrefetchWork work;
    std::unique_ptr<unsigned char[]> buffer;
};

namespace {

DWORD WINAPI Prefetch(void* prefetcher_pointer)
{
    auto* prefetcher = static_cast<FilePrefetcher*>(prefetcher_pointer);
    PrefetchWholeFile(prefetcher->work, prefetcher->buffer.get());
    return 0;
}

}  // namespace

// Reads on a synchronous handle take turns: the owner's wait for one piece stays short.
constexpr uint32_t kPrefetchPiece = 1 << 20;

void PrefetchChunk(FileHandle file, uint64_t offset, uint32_t count, unsigned char* buffer)
{
    for (uint32_t done = 0; done < count; done += kPrefetchPiece) {
        uint32_t got = 0;
        uint32_t piece = count - done < kPrefetchPiece ? count - done : kPrefetchPiece;
        if (!ReadAt(file, offset + done, buffer, piece, &got)) return;  // the owner's own read meets the failure
    }
}

void PrefetchFileChunk(FileHandle file, uint64_t offset, uint32_t count)
{
    std::unique_ptr<unsigned char[]> buffer(new (std::nothrow) unsigned char[kPrefetchPiece]);
    if (buffer) PrefetchChunk(file, offset, count, buffer.get());
}

FilePrefetcher* StartFilePrefetcher(FileHandle file, uint64_t size)
{
    auto* prefetcher = new (std::nothrow) FilePrefetcher;
    if (prefetcher) prefetcher->buffer.reset(new (std::nothrow) unsigned char[kPrefetchPiece]);
    if (!prefetcher || !prefetcher->buffer) {
        delete prefetcher;
        ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    prefetcher->work.file = file;
    prefetcher->work.size = size;
    prefetcher->thread = CreateThread(nullptr, 0, Prefetch, prefetcher, 0, nullptr);
    if (!prefetcher->thread) {
        DWORD failure = ::GetLastError();
        delete prefetcher;
        ::SetLastError(failure);
        return nullptr;
    }
    return prefetcher;
}

void StopFilePrefetcher(FilePrefetcher* prefetcher)
{
    if (!prefetcher) return;
    prefetcher->work.stop.store(true, std::memory_order_relaxed);
    WaitForSingleObject(prefetcher->thread, INFINITE);
    CloseHandle(prefetcher->thread);
    delete prefetcher;
}

}  // namespace platform
