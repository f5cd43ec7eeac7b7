// The host's own directory creation on a failing disk: the run says why it cannot create the destination,
// never starts the writer, and a later run goes through once the fault has passed.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "engine/conversion_run.h"
#include "engine/messages.h"
#include "tests/engine/support/recorded_plugin.h"
#include "tests/engine/support/recording_front_end.h"
#include "tests/engine/support/scratch.h"
#include "tests/reliability/support/run_checks.h"

namespace reliability {
namespace {

TEST(DestinationFaults, AFailedLevelStopsTheRunWithItsReasonAndALaterRunGoesThrough)
{
    enginetest::Scratch scratch;
    enginetest::RecordedPlugin recorded;
    std::string source = scratch.Path("source");
    scratch.Store("source/Inbox.dbx", enginetest::Mails({"Subject: a\r\n\r\nA\r\n"}));
    std::string destination = scratch.Path("out/new/deeper");

    struct Case {
        const char* plan;
        int code;
        bool first_level_made;
    };
    for (Case c : {Case{"mkdir:1:EACCES", EACCES, false}, Case{"mkdir:2:ENOSPC", ENOSPC, true},
                   Case{"mkdir:1+:EROFS", EROFS, false}}) {
        SCOPED_TRACE(c.plan);
        std::filesystem::remove_all(scratch.Path("out"));
        enginetest::RecordingFrontEnd front_end;
        {
            FaultPlanScope faults(c.plan);
            EXPECT_EQ(engine::RunConversion(source.c_str(), destination.c_str(), recorded.plugin(), front_end),
                      engine::RunOutcome::DestinationFailed);
        }
        ASSERT_EQ(front_end.messages.size(), 1u);
        EXPECT_EQ(front_end.messages[0],
                  engine::MessageWithErrorText(engine::LoadMessage(engine::kMsgCannotCreateDirectory),
                                               static_cast<platform::ErrorCode>(c.code)));
        EXPECT_TRUE(recorded.Calls().empty()) << "the writer was called";
        EXPECT_EQ(std::filesystem::exists(scratch.Path("out")), c.first_level_made);
        EXPECT_FALSE(std::filesystem::exists(destination));
    }

    enginetest::RecordingFrontEnd front_end;
    EXPECT_EQ(engine::RunConversion(source.c_str(), destination.c_str(), recorded.plugin(), front_end),
              engine::RunOutcome::Completed);
    EXPECT_TRUE(std::filesystem::is_directory(destination));
    EXPECT_EQ(SummaryCount(front_end), 1);
}

}  // namespace
}  // namespace reliability
