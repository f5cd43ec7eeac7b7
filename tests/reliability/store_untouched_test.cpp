// The store is read, never written: whatever a run does and however it ends, every source file keeps its bytes,
// its size and its modification time, and no file appears or goes in the source folder.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <string>

#include "engine/conversion_run.h"
#include "tests/engine/support/recorded_plugin.h"
#include "tests/engine/support/recording_front_end.h"
#include "tests/engine/support/scratch.h"
#include "tests/reliability/support/ledger_writer.h"
#include "tests/reliability/support/output_reading.h"

namespace fs = std::filesystem;

namespace reliability {
namespace {

using engine::ErrorChoice;
using engine::RunOutcome;

struct FileState {
    std::string bytes;
    uintmax_t size = 0;
    fs::file_time_type modified;
    fs::perms permissions = fs::perms::none;
    bool operator==(const FileState&) const = default;
};

std::map<std::string, FileState> Snapshot(const std::string& directory)
{
    std::map<std::string, FileState> files;
    for (const std::string& name : FilesBelow(directory)) {
        fs::path path = fs::path(directory) / name;
        files[name] = {FileBytes(path.string()), fs::file_size(path), fs::last_write_time(path),
                       fs::status(path).permissions()};
    }
    return files;
}

class StoreUntouched : public testing::Test {
protected:
    void SetUp() override
    {
        source_ = scratch_.Path("store");
        std::string long_text = "Subject: long\r\n\r\n" + std::string(9000, 'x') + "\r\n";
        scratch_.Store("store/Inbox.dbx",
                       enginetest::Mails({"Subject: a\r\n\r\nA\r\n", long_text, "Subject: b\r\n\r\nB"}));
        scratch_.Store("store/Sent.dbx", enginetest::Mails({"Subject: c\r\n\r\nC\r\n", "Subject: d\r\n\r\nD\r\n"}));
        scratch_.Store("store/Folders.dbx", enginetest::Mails({"Subject: not a message folder\r\n\r\n"}));
        // A damaged folder: cut in the middle of its second message.
        std::string damaged = fixture::BuildDbx(enginetest::Mails({"Subject: e\r\n\r\nE\r\n", long_text}));
        scratch_.File("store/Damaged.dbx", damaged.substr(0, damaged.size() - 3000));
        // An old, exact time, so that any touch shows.
        auto old_time = fs::file_time_type::clock::now() - std::chrono::hours(24 * 365 * 10);
        for (const std::string& name : FilesBelow(source_)) fs::last_write_time(fs::path(source_) / name, old_time);
        before_ = Snapshot(source_);
        ASSERT_EQ(before_.size(), 4u);
    }

    void ExpectUntouched(const char* what)
    {
        std::map<std::string, FileState> after = Snapshot(source_);
        EXPECT_EQ(after.size(), before_.size()) << what;
        for (const auto& [name, state] : before_) {
            ASSERT_TRUE(after.count(name)) << what << ": " << name << " is gone";
            EXPECT_TRUE(after[name] == state) << what << ": " << name << " changed";
        }
    }

    std::string Destination() { return scratch_.Path("out-" + std::to_string(++runs_)); }

    enginetest::Scratch scratch_;
    std::string source_;
    std::map<std::string, FileState> before_;
    int runs_ = 0;
};

TEST_F(StoreUntouched, CompletedRunsOfEveryWriter)
{
    for (const char* module : {"Dovanmbox", "Dovaneml", "Dovanbmf"}) {
        LoadedWriter writer(module);
        ASSERT_TRUE(writer.loaded());
        enginetest::RecordingFrontEnd front_end;
        front_end.on_ask = [&front_end](const engine::ErrorQuestion&) { front_end.Answer(ErrorChoice::SkipMail); };
        std::string destination = Destination();
        EXPECT_EQ(engine::RunConversion(source_.c_str(), destination.c_str(), writer.plugin(), front_end),
                  RunOutcome::Completed);
        EXPECT_FALSE(front_end.EventsStartingWith("damaged Damaged").empty());
        ExpectUntouched(module);
    }
}

TEST_F(StoreUntouched, RunsThatFailOrAreStopped)
{
    enginetest::RecordedPlugin recorded;
    auto run = [&](RunOutcome expected, const char* what, enginetest::RecordingFrontEnd& front_end) {
        enginetest::ResetEngineState();
        std::string destination = Destination();
        EXPECT_EQ(engine::RunConversion(source_.c_str(), destination.c_str(), recorded.plugin(), front_end), expected)
            << what;
        ExpectUntouched(what);
    };

    {
        enginetest::RecordingFrontEnd front_end;
        recorded.Fail("StartConvert", 1, EACCES);
        run(RunOutcome::StartFailed, "the writer cannot start", front_end);
    }
    {
        enginetest::RecordingFrontEnd front_end;
        recorded.Fail("AppendBuffer", 4, ENOSPC);
        front_end.Answer(ErrorChoice::AbortProcessing);
        run(RunOutcome::Stopped, "a failed piece, then Abort Processing", front_end);
    }
    {
        enginetest::RecordingFrontEnd front_end;
        recorded.Fail("NewFolder", 3, EIO);
        front_end.Answer(ErrorChoice::SkipFolder);
        run(RunOutcome::Completed, "a failed folder, skipped", front_end);
    }
    {
        // The user stops the run while its first message is being written.
        enginetest::RecordingFrontEnd front_end;
        recorded.SetHook(
            [](const char* entry, uint32_t, void*) {
                if (std::string(entry) == "NewMessage") engine::TheRunControl().abort = true;
            },
            nullptr);
        run(RunOutcome::Stopped, "stopped by the user", front_end);
        recorded.SetHook(nullptr, nullptr);
    }
    {
        // A destination inside the store folder: the output lands there, the store files stay as they were.
        enginetest::RecordingFrontEnd front_end;
        std::string destination = source_ + "/converted";
        enginetest::ResetEngineState();
        LoadedWriter writer("Dovanmbox");
        ASSERT_TRUE(writer.loaded());
        EXPECT_EQ(engine::RunConversion(source_.c_str(), destination.c_str(), writer.plugin(), front_end),
                  RunOutcome::Completed);
        fs::remove_all(destination);
        ExpectUntouched("a destination inside the store");
    }
}

}  // namespace
}  // namespace reliability
