#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/store_warm_up.h"
#include "platform/platform.h"
#include "tests/engine/support/scratch.h"

namespace {

// However far the run has come when it ends, whatever the files are, and even while the helper waits for the run
// to come far enough for its next chunk, the helper ends at once and leaves the last-error code that the
// conversion may still report as it was.
TEST(StoreWarmUp, EndsWhereverTheRunStopsAndLeavesTheLastErrorAlone)
{
    enginetest::Scratch scratch;
    std::vector<std::string> paths = {
        scratch.File("first.dbx", std::string(2 << 20, 'a')),
        scratch.Path("missing.dbx"),
        scratch.File("small.dbx", std::string(4096, 'b')),
        scratch.File("large.dbx", std::string(3 << 20, 'c')),
    };
    constexpr platform::ErrorCode kEarlier = platform::kErrorStoreDamaged;
    // With a byte of room, the helper waits before the large file until the run comes to it.
    for (uint64_t ahead : {engine::kWarmUpAhead, uint64_t{1}}) {
        for (size_t stop_at = 0; stop_at <= paths.size(); ++stop_at) {
            platform::SetLastError(kEarlier);
            engine::StoreWarmUp* warm_up = engine::StartWarmingUp(paths, ahead);
            EXPECT_NE(warm_up, nullptr);
            for (size_t index = 0; index < stop_at; ++index) engine::WarmUpFrom(warm_up, index);
            platform::SleepMilliseconds(5);  // time to come to the wait, where it does
            engine::StopWarmingUp(warm_up);
            EXPECT_EQ(platform::LastError(), kEarlier) << "room " << ahead << ", stopped at " << stop_at;
        }
    }
    // A run of one folder has nothing to warm up beside its reader's own prefetching.
    EXPECT_EQ(engine::StartWarmingUp({paths[0]}), nullptr);
    EXPECT_EQ(platform::LastError(), kEarlier);
}

}  // namespace
