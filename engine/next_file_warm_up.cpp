// Warming up the next folder's file.
#include "engine/next_file_warm_up.h"

#include "dbx/byte_source.h"

namespace engine {

FileWarmUp StartWarmingUp(const char* path)
{
    FileWarmUp warm_up;
    if (!path || !*path) return warm_up;
    platform::ErrorCode code = platform::LastError();
    warm_up.file = platform::OpenForReading(path);
    uint64_t size = 0;
    // A file too small for the reader to prefetch is not worth a helper here either.
    if (warm_up.file != platform::kNoFile && platform::FileSize(warm_up.file, &size) &&
        size >= dbx::kSmallestPrefetchedFile)
        warm_up.prefetcher = platform::StartFilePrefetcher(warm_up.file, size);
    if (!warm_up.prefetcher) StopWarmingUp(warm_up);
    platform::SetLastError(code);
    return warm_up;
}

void StopWarmingUp(FileWarmUp& warm_up)
{
    platform::ErrorCode code = platform::LastError();
    platform::StopFilePrefetcher(warm_up.prefetcher);
    if (warm_up.file != platform::kNoFile) platform::CloseFile(warm_up.file);
    warm_up = FileWarmUp{};
    platform::SetLastError(code);
}

}  // namespace engine
