// The fault plan: its syntax, and how this module's copy of the platform layer counts and fails calls.
#include <fcntl.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "platform/fault_injection.h"
#include "tests/engine/support/scratch.h"
#include "tests/reliability/support/run_checks.h"

namespace reliability {
namespace {

TEST(FaultPlan, ReadsEveryFormOfRule)
{
    std::vector<platform::FaultRule> rules;
    std::string bad;
    ASSERT_TRUE(platform::ParseFaultPlan(
        "write:3:ENOSPC,short-write:2-4:EACCES,mkdir:1+:EIO,rename:7:13,create:1:EROFS,close:2+:EIO,truncate:1:EIO",
        rules, bad));
    ASSERT_EQ(rules.size(), 7u);
    EXPECT_EQ(rules[0].operation, platform::FaultOperation::Write);
    EXPECT_EQ(rules[0].first_call, 3u);
    EXPECT_EQ(rules[0].last_call, 3u);
    EXPECT_EQ(rules[0].code, static_cast<platform::ErrorCode>(ENOSPC));
    EXPECT_FALSE(rules[0].partial_write);
    EXPECT_TRUE(rules[1].partial_write);
    EXPECT_EQ(rules[1].last_call, 4u);
    EXPECT_EQ(rules[2].operation, platform::FaultOperation::CreateDir);
    EXPECT_EQ(rules[2].last_call, UINT32_MAX);
    EXPECT_EQ(rules[3].code, 13u);
    EXPECT_EQ(rules[4].operation, platform::FaultOperation::CreateFile);
    EXPECT_EQ(rules[5].operation, platform::FaultOperation::Close);
    EXPECT_EQ(rules[5].first_call, 2u);
    EXPECT_EQ(rules[6].operation, platform::FaultOperation::Truncate);
}

TEST(FaultPlan, RefusesMalformedRulesButKeepsTheOthers)
{
    for (const char* text : {"write", "write:3", "write:0:EIO", "write:x:EIO", "write:4-2:EIO", "chmod:1:EIO",
                             "write:1:ENOPE", "write:1:0", "write:99999999999:EIO"}) {
        std::vector<platform::FaultRule> rules;
        std::string bad;
        EXPECT_FALSE(platform::ParseFaultPlan((std::string(text) + ",mkdir:1:EIO").c_str(), rules, bad)) << text;
        EXPECT_EQ(bad, text);
        ASSERT_EQ(rules.size(), 1u) << text;
        EXPECT_EQ(rules[0].operation, platform::FaultOperation::CreateDir);
    }
}

// Through the real file calls of this process: the planned calls fail with the planned code, the others do
// not, and a new plan starts counting afresh.
TEST(FaultPlan, FailsExactlyThePlannedCalls)
{
    enginetest::Scratch scratch;
    FaultPlanScope faults("mkdir:2:EACCES,create:1-2:ENOSPC,write:2:EIO");
    EXPECT_TRUE(platform::CreateDir(scratch.Path("a").c_str()));
    EXPECT_FALSE(platform::CreateDir(scratch.Path("b").c_str()));
    EXPECT_EQ(platform::LastError(), static_cast<platform::ErrorCode>(EACCES));
    EXPECT_FALSE(std::filesystem::exists(scratch.Path("b")));
    EXPECT_TRUE(platform::CreateDir(scratch.Path("b").c_str()));

    std::string file = scratch.Path("a/f");
    EXPECT_EQ(platform::CreateForWriting(file.c_str()), platform::kNoFile);
    EXPECT_EQ(platform::LastError(), static_cast<platform::ErrorCode>(ENOSPC));
    EXPECT_EQ(platform::CreateForWriting(file.c_str()), platform::kNoFile);
    platform::FileHandle handle = platform::CreateForWriting(file.c_str());
    ASSERT_NE(handle, platform::kNoFile);
    EXPECT_TRUE(platform::WriteAll(handle, "one", 3));
    EXPECT_FALSE(platform::WriteAll(handle, "two", 3));
    EXPECT_EQ(platform::LastError(), static_cast<platform::ErrorCode>(EIO));
    EXPECT_TRUE(platform::WriteAll(handle, "three", 5));
    platform::CloseFile(handle);
    EXPECT_EQ(FileBytes(file), "onethree");

    // Read again at the next creation: the new plan counts from one.
    setenv("DOVAN_FAULTS", "mkdir:1:EROFS,short-write:1:ENOSPC", 1);
    EXPECT_FALSE(platform::CreateDir(scratch.Path("c").c_str()));
    EXPECT_EQ(platform::LastError(), static_cast<platform::ErrorCode>(EROFS));
    handle = platform::CreateForWriting(file.c_str());
    ASSERT_NE(handle, platform::kNoFile);
    EXPECT_FALSE(platform::WriteAll(handle, "abcdef", 6));
    EXPECT_EQ(platform::LastError(), static_cast<platform::ErrorCode>(ENOSPC));
    platform::CloseFile(handle);
    EXPECT_EQ(FileBytes(file), "abc");  // half of it reached the disk

    unsetenv("DOVAN_FAULTS");
    EXPECT_TRUE(platform::CreateDir(scratch.Path("c").c_str()));
}

// A planned failing close reports the planned code, yet closes the file with every byte written to it.
TEST(FaultPlan, CloseFailsButReleasesTheFile)
{
    enginetest::Scratch scratch;
    std::string file = scratch.Path("f");
    platform::FileHandle handle = platform::CreateForWriting(file.c_str());
    ASSERT_NE(handle, platform::kNoFile);
    ASSERT_TRUE(platform::WriteAll(handle, "kept", 4));
    FaultPlanScope faults("close:1:EIO");
    EXPECT_FALSE(platform::CloseFile(handle));
    EXPECT_EQ(platform::LastError(), static_cast<platform::ErrorCode>(EIO));
    EXPECT_EQ(fcntl(static_cast<int>(handle), F_GETFD), -1);  // released: never to be closed again
    EXPECT_EQ(FileBytes(file), "kept");
    handle = platform::CreateForWriting(file.c_str());
    ASSERT_NE(handle, platform::kNoFile);
    EXPECT_TRUE(platform::CloseFile(handle));  // only the first close was planned to fail
}

// Truncation cuts the file back and the next write lands at the new end; a planned failure leaves it as it was.
TEST(FaultPlan, TruncateCutsBackUnlessPlannedToFail)
{
    enginetest::Scratch scratch;
    std::string file = scratch.Path("f");
    platform::FileHandle handle = platform::CreateForWriting(file.c_str());
    ASSERT_NE(handle, platform::kNoFile);
    ASSERT_TRUE(platform::WriteAll(handle, "kept-cut", 8));
    {
        FaultPlanScope faults("truncate:1:EIO");
        EXPECT_FALSE(platform::TruncateFile(handle, 4));
        EXPECT_EQ(platform::LastError(), static_cast<platform::ErrorCode>(EIO));
        EXPECT_EQ(FileBytes(file), "kept-cut");
        EXPECT_TRUE(platform::TruncateFile(handle, 4));  // only the first was planned to fail
    }
    EXPECT_TRUE(platform::WriteAll(handle, "+", 1));
    platform::CloseFile(handle);
    EXPECT_EQ(FileBytes(file), "kept+");
}

TEST(FaultPlan, RenameFailsWithoutTouchingEitherName)
{
    enginetest::Scratch scratch;
    std::string from = scratch.File("from", "x");
    FaultPlanScope faults("rename:1:EACCES");
    EXPECT_FALSE(platform::MoveFileNoReplace(from.c_str(), scratch.Path("to").c_str()));
    EXPECT_EQ(platform::LastError(), static_cast<platform::ErrorCode>(EACCES));
    EXPECT_TRUE(std::filesystem::exists(from));
    EXPECT_FALSE(std::filesystem::exists(scratch.Path("to")));
    EXPECT_TRUE(platform::MoveFileNoReplace(from.c_str(), scratch.Path("to").c_str()));
}

}  // namespace
}  // namespace reliability
