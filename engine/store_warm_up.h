// The store's next files brought into the system's file cache while a folder converts: where the store is not in
// memory, the disk then reads them beside the conversion instead of before each folder can begin. One helper
// thread per run reads the files in the run's order: first along with the file being converted (so that the next
// ones never take the disk from it), then on, never more than a bounded amount beyond it, so that it cannot push
// that folder's own text out of the cache. Changes nothing but speed: the files are only read, and whatever fails
// here is left to each folder's own open.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace engine {

// What the helper may read beyond the folder being converted: enough for the next folders of a large store to
// be in the cache when their turn comes.
inline constexpr uint64_t kWarmUpAhead = 256u << 20;

struct StoreWarmUp;

// Starts the helper over the files, in the order the run converts them, reading at most `ahead` bytes beyond the
// file being converted; null where it cannot start (nothing is warmed up then). The caller's last-error code
// stays as it was.
StoreWarmUp* StartWarmingUp(std::vector<std::string> paths, uint64_t ahead = kWarmUpAhead);

// The run has come to paths[index]: the helper reads on from there, up to the bound beyond it.
void WarmUpFrom(StoreWarmUp* warm_up, size_t index);

// Ends the helper (after the chunk under way) and frees it. Null is ignored. The last-error code stays as it was.
void StopWarmingUp(StoreWarmUp* warm_up);

}  // namespace engine
