#include <gtest/gtest.h>

#include <string>

#include "engine/next_file_warm_up.h"
#include "platform/platform.h"
#include "tests/engine/support/scratch.h"

namespace {

// Whatever the next file is, warming it up leaves the last-error code that the conversion may still report as it
// was, and holds the file only while the helper runs.
TEST(NextFileWarmUp, StartsOnlyForALargeFileAndLeavesTheLastErrorAlone)
{
    enginetest::Scratch scratch;
    struct Case {
        const char* name;
        std::string path;
        bool started;
    } cases[] = {
        {"no next file", "", false},
        {"missing", scratch.Path("missing.dbx"), false},
        {"small", scratch.File("small.dbx", std::string(4096, 'x')), false},
        {"large", scratch.File("large.dbx", std::string(3 << 20, 'x')), true},
    };
    for (const Case& test : cases) {
        constexpr platform::ErrorCode kEarlier = platform::kErrorStoreDamaged;
        platform::SetLastError(kEarlier);
        engine::FileWarmUp warm_up = engine::StartWarmingUp(test.path.c_str());
        EXPECT_EQ(warm_up.prefetcher != nullptr, test.started) << test.name;
        EXPECT_EQ(warm_up.file != platform::kNoFile, test.started) << test.name;
        EXPECT_EQ(platform::LastError(), kEarlier) << test.name;
        engine::StopWarmingUp(warm_up);
        EXPECT_EQ(warm_up.file, platform::kNoFile) << test.name;
        EXPECT_EQ(platform::LastError(), kEarlier) << test.name;
    }
}

}  // namespace
