// The next folder's file brought into the system's file cache while the current folder converts: where the store
// is not in memory, the disk then reads it beside the conversion instead of before each folder can begin.
// Changes nothing but speed: the file is only read, and whatever fails here is left to the folder's own open.
#pragma once

#include "platform/platform.h"

namespace engine {

struct FileWarmUp {
    platform::FileHandle file = platform::kNoFile;
    platform::FilePrefetcher* prefetcher = nullptr;
};

// Starts bringing the file into the cache on a helper thread; nothing where the path is empty, the file cannot be
// opened or is small, or no helper can start. The last-error code stays as it was.
FileWarmUp StartWarmingUp(const char* path);

// Ends the helper (after the chunk under way) and closes the file. The last-error code stays as it was.
void StopWarmingUp(FileWarmUp& warm_up);

}  // namespace engine
