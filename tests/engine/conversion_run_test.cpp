#include "engine/conversion_run.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <filesystem>
#include <mutex>

#include "engine/error_recovery.h"
#include "tests/engine/support/language.h"
#include "tests/engine/support/recorded_plugin.h"
#include "tests/engine/support/recording_front_end.h"
#include "tests/engine/support/scratch.h"

using engine::ErrorChoice;
using engine::RunOutcome;
using Trace = std::vector<std::string>;
namespace fs = std::filesystem;

namespace {

class ConversionRun : public testing::Test {
protected:
    RunOutcome Run(const std::string& source, const std::string& destination)
    {
        return engine::RunConversion(source.c_str(), destination.c_str(), recorded.plugin(), front_end);
    }
    RunOutcome Run() { return Run(scratch.Path("source"), scratch.Path("out")); }

    enginetest::LanguageScope language{"C"};
    enginetest::Scratch scratch;
    enginetest::RecordedPlugin recorded;
    enginetest::RecordingFrontEnd front_end;
};

TEST_F(ConversionRun, ConvertsTheDbxFilesInCaseInsensitiveOrder)
{
    scratch.Store("source/inbox.dbx", enginetest::Mails({"in\r\n"}));
    scratch.Store("source/Sent.DBX", enginetest::Mails({"sent\r\n"}));  // opened under its real name
    scratch.Store("source/archive.dbx", enginetest::Mails({"old\r\n", "older\r\n"}));
    for (const char* skipped : {"Folders.dbx", "OFFLINE.DBX", "pop3uidl.Dbx", "notes.txt", "dbx", "inbox.dbx.bak"})
        scratch.Store(std::string("source/") + skipped, enginetest::Mails({"never\r\n"}));
    fs::create_directories(scratch.Path("source/Directory.dbx"));

    EXPECT_EQ(Run(), RunOutcome::Completed);
    EXPECT_EQ(front_end.EventsStartingWith("folder "),
              (Trace{"folder archive 1/3 [1 / 3]", "folder inbox 2/3 [2 / 3]", "folder Sent 3/3 [3 / 3]"}));
    Trace folders;
    for (const enginetest::RecordedCall& call : recorded.Calls())
        if (call.entry == "NewFolder") folders.push_back(call.argument);
    EXPECT_EQ(folders, (Trace{"archive", "inbox", "Sent"}));
    EXPECT_EQ(recorded.MessageTexts(), (Trace{"old\r\n", "older\r\n", "in\r\n", "sent\r\n"}));
    EXPECT_EQ(front_end.messages, Trace{"4 message(s) were converted."});
    EXPECT_EQ(front_end.events.back(), "finished Completed");
    // Each folder: 0 at its start (with the folder), a position per message, 100 at its end.
    EXPECT_EQ(front_end.progress, (std::vector<unsigned>{0, 50, 100, 0, 100, 0, 100}));
}

TEST_F(ConversionRun, ASourceWithNothingToConvertTouchesNothing)
{
    scratch.Store("only-store-files/Folders.dbx", enginetest::Mails({"x\r\n"}));
    scratch.Store("only-store-files/Pop3uidl.dbx", enginetest::Mails({"x\r\n"}));
    for (std::string source : {scratch.Path("missing"), scratch.Path("only-store-files"), std::string()}) {
        front_end.messages.clear();
        EXPECT_EQ(Run(source, scratch.Path("out")), RunOutcome::NothingToConvert) << source;
        EXPECT_EQ(front_end.messages, Trace{"No dbx files to convert."}) << source;
    }
    EXPECT_FALSE(fs::exists(scratch.Path("out")));
    EXPECT_TRUE(recorded.Calls().empty());
}

TEST_F(ConversionRun, TheDestinationIsCreatedAndHandedOnWithoutTrailingSeparator)
{
    scratch.Store("source/Inbox.dbx", enginetest::Mails({"x\r\n"}));
    EXPECT_EQ(Run(scratch.Path("source") + "/", scratch.Path("out/new") + "/"), RunOutcome::Completed);
    EXPECT_TRUE(fs::is_directory(scratch.Path("out/new")));
    ASSERT_FALSE(recorded.Calls().empty());
    EXPECT_EQ(recorded.Calls()[0].entry, "StartConvert");
    EXPECT_EQ(recorded.Calls()[0].argument, scratch.Path("out/new"));
}

TEST_F(ConversionRun, ADestinationThatCannotBeCreatedEndsTheRunWithTheSystemsReason)
{
    scratch.Store("source/Inbox.dbx", enginetest::Mails({"x\r\n"}));
    scratch.File("a-file", "in the way");
    EXPECT_EQ(Run(scratch.Path("source"), "relative/out"), RunOutcome::DestinationFailed);
    EXPECT_EQ(Run(scratch.Path("source"), scratch.Path("a-file/out")), RunOutcome::DestinationFailed);
    EXPECT_EQ(front_end.messages,
              (Trace{"Could not create a directory.\r\n" + platform::ErrorText(platform::kErrorBadPathname),
                     "Could not create a directory.\r\n" + platform::ErrorText(platform::kErrorAlreadyExists)}));
    EXPECT_TRUE(recorded.Calls().empty());
    EXPECT_FALSE(fs::exists("relative"));
}

TEST_F(ConversionRun, AFailedStartEndsTheRunWithoutFinishConvert)
{
    scratch.Store("source/Inbox.dbx", enginetest::Mails({"x\r\n"}));
    recorded.Fail("StartConvert", 1, EACCES);
    EXPECT_EQ(Run(), RunOutcome::StartFailed);
    EXPECT_EQ(recorded.Trace(), Trace{"StartConvert FAILED"});
    EXPECT_EQ(front_end.messages, Trace{"Failed to convert.\r\n" + platform::ErrorText(EACCES)});
    EXPECT_TRUE(front_end.EventsStartingWith("folder").empty());
    EXPECT_EQ(front_end.events.back(), "finished StartFailed");
}

TEST_F(ConversionRun, ARunWhoseFoldersAreAllSkippedStillFinishesWithASummary)
{
    scratch.Store("source/A.dbx", enginetest::Mails({"a\r\n"}));
    scratch.Store("source/B.dbx", enginetest::Mails({"b\r\n"}));
    recorded.Fail("NewFolder", 1, EIO);
    recorded.Fail("NewFolder", 2, EIO);
    front_end.Answer(ErrorChoice::SkipFolder);
    front_end.Answer(ErrorChoice::SkipFolder);
    EXPECT_EQ(Run(), RunOutcome::Completed);
    EXPECT_EQ(recorded.Trace(), (Trace{"StartConvert", "NewFolder A FAILED", "NewFolder B FAILED", "FinishConvert"}));
    EXPECT_EQ(front_end.messages, Trace{"0 message(s) were converted."});
    EXPECT_EQ(front_end.EventsStartingWith("folder skipped"), (Trace{"folder skipped A", "folder skipped B"}));
}

TEST_F(ConversionRun, AbortProcessingInTheSecondFolderLeavesTheRestUntouched)
{
    for (const char* name : {"A", "B", "C"})
        scratch.Store(std::string("source/") + name + ".dbx", enginetest::Mails({"1\r\n", "2\r\n"}));
    recorded.Fail("AppendBuffer", 4, ENOSPC);  // the second message of folder B
    front_end.Answer(ErrorChoice::AbortProcessing);
    std::string before = fs::current_path();

    EXPECT_EQ(Run(), RunOutcome::Stopped);
    Trace trace = recorded.Trace();
    ASSERT_GE(trace.size(), 4u);
    EXPECT_EQ(Trace(trace.end() - 4, trace.end()),
              (Trace{"AppendBuffer 3 FAILED", "FinishConvert", "FinishMessage", "FinishFolder"}));
    EXPECT_TRUE(front_end.messages.empty());
    EXPECT_EQ(front_end.EventsStartingWith("folder "), (Trace{"folder A 1/3 [1 / 3]", "folder B 2/3 [2 / 3]"}));
    // The writer moved into the destination; the run put the current directory back before it reported its end.
    EXPECT_EQ(fs::current_path(), before);
    EXPECT_EQ(front_end.events.back(), "finished Stopped");
}

TEST_F(ConversionRun, AfterAllLastsForOneRunAndTheDefaultForEveryRun)
{
    for (const char* name : {"A", "B"})
        scratch.Store(std::string("source/") + name + ".dbx", enginetest::Mails({"1\r\n", "2\r\n"}));
    // Run 1: both folders fail at their first message; the first answer is Skip Folder for all.
    recorded.Fail("NewFolder", 1, EIO);
    recorded.Fail("NewFolder", 2, EIO);
    front_end.Answer(ErrorChoice::SkipFolder, true);
    EXPECT_EQ(Run(), RunOutcome::Completed);
    EXPECT_EQ(front_end.questions.size(), 1u);
    EXPECT_EQ(front_end.EventsStartingWith("folder skipped"), (Trace{"folder skipped A", "folder skipped B"}));
    EXPECT_EQ(front_end.messages.back(), "0 message(s) were converted.");

    // Run 2: asked again, with the answer confirmed last selected.
    recorded.Fail("NewFolder", 3, EIO);
    front_end.Answer(ErrorChoice::Retry);
    EXPECT_EQ(Run(), RunOutcome::Completed);
    ASSERT_EQ(front_end.questions.size(), 2u);
    EXPECT_EQ(front_end.questions[1].default_choice, ErrorChoice::SkipFolder);
    EXPECT_EQ(front_end.messages.back(), "4 message(s) were converted.");
}

TEST_F(ConversionRun, AFolderWhoseStoreIsDamagedIsReportedByName)
{
    scratch.Store("source/Good.dbx", enginetest::Mails({"fine\r\n"}));
    std::string image = fixture::BuildDbx(enginetest::Mails({"lost\r\n"}));
    fixture::PatchLe32(image, fixture::kHeaderRootNode, static_cast<uint32_t>(image.size() + 4096));
    scratch.File("source/Bad.dbx", image);
    EXPECT_EQ(Run(), RunOutcome::Completed);
    EXPECT_EQ(front_end.EventsStartingWith("damaged"), Trace{"damaged Bad"});
    EXPECT_EQ(front_end.messages, Trace{"1 message(s) were converted."});
}

TEST_F(ConversionRun, StartConversionRunsOnAWorkerAndReportsTheEnd)
{
    scratch.Store("source/Inbox.dbx", enginetest::Mails({"x\r\n"}));
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    front_end.on_finished = [&](RunOutcome) {
        std::lock_guard<std::mutex> lock(mutex);
        done = true;
        finished.notify_all();
    };
    {
        // The texts are the worker's own copies: the caller's may go away at once.
        std::string source = scratch.Path("source"), destination = scratch.Path("out");
        ASSERT_TRUE(engine::StartConversion(source.c_str(), destination.c_str(), recorded.plugin(), front_end));
    }
    std::unique_lock<std::mutex> lock(mutex);
    ASSERT_TRUE(finished.wait_for(lock, std::chrono::seconds(30), [&] { return done; }));
    EXPECT_NE(front_end.finished_on, std::this_thread::get_id());
    EXPECT_EQ(front_end.messages, Trace{"1 message(s) were converted."});
}

}  // namespace
