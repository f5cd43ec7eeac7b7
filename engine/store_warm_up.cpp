// Warming up the store's next files, one chunk at a time, within the bound beyond the folder being converted.
#include "engine/store_warm_up.h"

#include <atomic>
#include <new>
#include <utility>

#include "dbx/byte_source.h"
#include "platform/platform.h"

namespace engine {

namespace {

// How long the helper waits before it looks again whether the run has come far enough for its next chunk.
constexpr uint32_t kWaitMilliseconds = 10;

}  // namespace

struct StoreWarmUp {
    std::vector<std::string> paths;
    uint64_t ahead = kWarmUpAhead;      // what the helper may read beyond the file being converted
    std::vector<uint64_t> sizes;        // the helper's: each file's size once it has looked (0 before, or unreadable)
    std::atomic<size_t> reached{0};     // the file the run converts
    std::atomic<bool> stopping{false};  // the run is done
    platform::BackgroundReader* helper = nullptr;
};

namespace {

// Bytes the helper would have read beyond the file the run converts, once it has read `at` bytes of file `index`.
uint64_t BytesAhead(const StoreWarmUp& warm_up, size_t reached, size_t index, uint64_t at)
{
    uint64_t ahead = at;
    for (size_t i = reached + 1; i < index; ++i) ahead += warm_up.sizes[i];
    return ahead;
}

// False when the helper is to give up the file: the run has gone past it, or is done. The file the run
// converts is read along with its reader's own prefetcher (which has handed most of it over already, so this
// mostly waits for it): a next file read beside it would halve what the disk gives the folder converted now.
bool WaitForRoom(const StoreWarmUp& warm_up, size_t index, uint64_t at)
{
    for (;;) {
        if (warm_up.stopping.load(std::memory_order_relaxed)) return false;
        size_t reached = warm_up.reached.load(std::memory_order_relaxed);
        if (index < reached) return false;
        if (index == reached || BytesAhead(warm_up, reached, index, at) < warm_up.ahead) return true;
        platform::SleepMilliseconds(kWaitMilliseconds);
    }
}

void WarmUpFile(StoreWarmUp& warm_up, size_t index)
{
    platform::FileHandle file = platform::OpenForReading(warm_up.paths[index].c_str());
    if (file == platform::kNoFile) return;
    uint64_t size = 0;
    if (platform::FileSize(file, &size)) warm_up.sizes[index] = size;
    // A file too small for the reader to prefetch comes from the disk in a read or two of its own.
    if (size >= dbx::kSmallestPrefetchedFile) {
        for (uint64_t at = 0; at < size && WaitForRoom(warm_up, index, at); at += platform::kPrefetchChunk) {
            uint64_t count = size - at < platform::kPrefetchChunk ? size - at : platform::kPrefetchChunk;
            platform::PrefetchFileChunk(file, at, static_cast<uint32_t>(count));
        }
    }
    platform::CloseFile(file);
}

void WarmUpFiles(void* context)
{
    auto& warm_up = *static_cast<StoreWarmUp*>(context);
    for (size_t i = 0; i < warm_up.paths.size(); ++i) {
        if (warm_up.stopping.load(std::memory_order_relaxed)) return;
        if (i >= warm_up.reached.load(std::memory_order_relaxed)) WarmUpFile(warm_up, i);
    }
}

}  // namespace

StoreWarmUp* StartWarmingUp(std::vector<std::string> paths, uint64_t ahead)
{
    if (paths.size() < 2) return nullptr;  // the first file is its reader's own
    platform::ErrorCode code = platform::LastError();
    auto* warm_up = new (std::nothrow) StoreWarmUp;
    if (warm_up) warm_up->helper = platform::StartBackgroundReader();
    if (!warm_up || !warm_up->helper) {
        delete warm_up;
        platform::SetLastError(code);
        return nullptr;
    }
    warm_up->paths = std::move(paths);
    warm_up->ahead = ahead;
    warm_up->sizes.assign(warm_up->paths.size(), 0);
    platform::BeginBackgroundWork(warm_up->helper, WarmUpFiles, warm_up);
    platform::SetLastError(code);
    return warm_up;
}

void WarmUpFrom(StoreWarmUp* warm_up, size_t index)
{
    if (warm_up) warm_up->reached.store(index, std::memory_order_relaxed);
}

void StopWarmingUp(StoreWarmUp* warm_up)
{
    if (!warm_up) return;
    platform::ErrorCode code = platform::LastError();
    warm_up->stopping.store(true, std::memory_order_relaxed);
    platform::StopBackgroundReader(warm_up->helper);  // after the work under way, which the flag cuts short
    delete warm_up;
    platform::SetLastError(code);
}

}  // namespace engine
