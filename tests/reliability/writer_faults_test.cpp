// Failing disks under each delivered writer, driven by the real engine: every write, file creation, directory
// creation and rename of a run (and for bmf, which closes full storage files mid-folder, every close) is made to
// fail in turn, with each answer to the error question. Whatever fails, the question names the planned error, a
// retry goes through once the fault has passed, nothing written is left garbled, and the summary counts exactly
// the messages that are whole in the output.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "engine/conversion_run.h"
#include "tests/engine/support/recording_front_end.h"
#include "tests/engine/support/scratch.h"
#include "tests/reliability/support/ledger_writer.h"
#include "tests/reliability/support/output_reading.h"
#include "tests/reliability/support/run_checks.h"

namespace reliability {
namespace {

using engine::ErrorChoice;
using engine::RunOutcome;

struct WriterCase {
    const char* label;
    const char* module;
    const char* setting;
    Format format;
};

const WriterCase kMbox = {"mbox", "Dovanmbox", nullptr, Format::Mbox};
const WriterCase kEmlSequence = {"eml_sequence", "Dovaneml", nullptr, Format::Eml};
const WriterCase kEmlSubject = {"eml_subject", "Dovaneml", "subject", Format::Eml};  // names by renaming
const WriterCase kBmf = {"bmf_small_files", "Dovanbmf", "1", Format::Bmf};           // 1 KB files: many creations
const WriterCase kBmfOneFile = {"bmf", "Dovanbmf", nullptr, Format::Bmf};            // the default size: no split here
const WriterCase kMaildir = {"maildir", "Dovanmaildir", nullptr, Format::Maildir};   // written, then renamed

// A writer and the operation whose calls are made to fail in turn.
struct FaultCase {
    WriterCase writer;
    const char* operation;
};

std::string Mail(const std::string& subject, const std::string& body)
{
    return "From: Sender <sender@example.org>\r\nSubject: " + subject + "\r\n\r\n" + body;
}

// Two folders; a message of several pieces, a body line that the mbox writer quotes, and short ones.
struct TestStore {
    std::string source;
    size_t message_count = 0;
};

TestStore MakeStore(const enginetest::Scratch& scratch)
{
    std::string long_body;
    for (int line = 0; line < 120; ++line) long_body += "Line " + std::to_string(line) + " of a long message body.\r\n";
    std::vector<std::string> inbox = {Mail("First", "Hello.\r\n"), Mail("Long", long_body),
                                      Mail("Quoted", "From here it goes on.\r\nEnd.\r\n"), Mail("Fourth", "Bye.\r\n")};
    std::vector<std::string> sent = {Mail("Sent one", "One.\r\n"), Mail("Sent two", "Two.\r\n")};
    TestStore store;
    store.source = scratch.Path("source");
    scratch.Store("source/Inbox.dbx", enginetest::Mails(inbox));
    scratch.Store("source/Sent.dbx", enginetest::Mails(sent));
    store.message_count = inbox.size() + sent.size();
    return store;
}

struct FaultyRun {
    RunOutcome outcome = RunOutcome::NothingToConvert;
    enginetest::RecordingFrontEnd front_end;
    Ledger ledger;
    std::string destination;
    long summary = -1;
    size_t skipped_messages = 0;
};

// One run with `plan` in force, every question answered with `answer` (a run that keeps failing is stopped).
void RunWithFaults(LoadedWriter& writer, const TestStore& store, const std::string& destination,
                   const std::string& plan, ErrorChoice answer, FaultyRun& run)
{
    enginetest::ResetEngineState();
    run.destination = destination;
    // The destination exists, so the host creates nothing: every planned fault falls to the writer.
    std::filesystem::create_directories(destination);
    run.front_end.on_ask = [&run, answer](const engine::ErrorQuestion&) {
        run.front_end.Answer(run.front_end.questions.size() > 40 ? ErrorChoice::AbortProcessing : answer);
    };
    {
        FaultPlanScope faults(plan);
        run.outcome = engine::RunConversion(store.source.c_str(), destination.c_str(), writer.WithLedger(run.ledger),
                                            run.front_end);
    }
    run.summary = SummaryCount(run.front_end);
    run.skipped_messages = run.front_end.EventsStartingWith("skipped ").size();
}

std::string Describe(const FaultyRun& run, const std::string& plan)
{
    std::string text = "plan " + plan + ", outcome " + enginetest::OutcomeName(run.outcome) + ", failed calls:";
    for (const std::string& call : run.ledger.failed_calls) text += " " + call;
    return text;
}

// What holds whatever the answer: the question's code, the start failure's text, and the output.
void ExpectSoundRun(const WriterCase& writer_case, const FaultyRun& run, const std::string& plan, int planned_code)
{
    SCOPED_TRACE(Describe(run, plan));
    for (const enginetest::AskedQuestion& question : run.front_end.questions) {
        EXPECT_FALSE(question.file_level);
        if (question.code == static_cast<platform::ErrorCode>(planned_code)) continue;
        // The eml and bmf writers report a folder they could not make as the failure to enter it.
        bool entered_missing_folder =
            plan.rfind("mkdir", 0) == 0 && question.code == ENOENT && writer_case.format != Format::Mbox;
        EXPECT_TRUE(entered_missing_folder) << "the question names error " << question.code;
    }
    if (run.outcome == RunOutcome::StartFailed) {
        ASSERT_EQ(run.front_end.messages.size(), 1u);
        EXPECT_NE(run.front_end.messages[0].find(platform::ErrorText(planned_code)), std::string::npos)
            << run.front_end.messages[0];
    }
    for (const std::string& problem : CompareWithLedger(writer_case.format, run.destination, run.ledger, run.summary))
        ADD_FAILURE() << problem;
}

// Every message given up was taken back: each folder holds exactly its counted messages, so after Retry one
// whole copy of the failed message remains and after Skip Mail none.
void ExpectOnlyCountedMessages(const WriterCase& writer_case, const FaultyRun& run)
{
    std::map<std::string, size_t> counted;
    for (const LedgerMessage& message : run.ledger.messages) counted[message.folder] += message.Counted() ? 1 : 0;
    for (const auto& [folder, messages] : ReadOutput(writer_case.format, run.destination))
        EXPECT_EQ(messages.size(), counted[folder]) << "messages in " << folder;
}

class WriterFaults : public testing::TestWithParam<FaultCase> {
protected:
    // Plans the fault at call 1, 2, 3, ... of `operation` until a run no longer meets it.
    template <typename Check>
    void Sweep(const std::string& calls_suffix, int code, const char* code_name, ErrorChoice answer, Check check)
    {
        const WriterCase& writer_case = GetParam().writer;
        const std::string operation = GetParam().operation;
        LoadedWriter writer(writer_case.module, writer_case.setting);
        ASSERT_TRUE(writer.loaded());
        TestStore store = MakeStore(scratch_);
        int runs_with_a_fault = 0;
        for (int call = 1; call <= 400; ++call) {
            std::string plan = operation + ":" + std::to_string(call) + calls_suffix + ":" + code_name;
            if (calls_suffix == "-next")
                plan = operation + ":" + std::to_string(call) + "-" + std::to_string(call + 1) + ":" + code_name;
            FaultyRun run;
            RunWithFaults(writer, store, scratch_.Path("out-" + std::to_string(++runs_)), plan, answer, run);
            bool met = !run.ledger.failed_calls.empty() || run.outcome != RunOutcome::Completed;
            if (!met) break;
            ++runs_with_a_fault;
            ExpectSoundRun(writer_case, run, plan, code);
            check(run, store, plan);
            if (HasFailure()) return;  // one broken run tells enough
        }
        RecordProperty("runs_with_a_fault", runs_with_a_fault);
    }

    enginetest::Scratch scratch_;
    int runs_ = 0;  // every run writes into a destination of its own
};

// A fault that passes: Retry converts everything, and the summary says so.
TEST_P(WriterFaults, RetryConvertsEverythingOnceAFaultHasPassed)
{
    const WriterCase& writer_case = GetParam().writer;
    auto all_converted = [&writer_case](const FaultyRun& run, const TestStore& store, const std::string& plan) {
        SCOPED_TRACE(Describe(run, plan));
        if (run.outcome == RunOutcome::StartFailed) return;
        ExpectOnlyCountedMessages(writer_case, run);
        EXPECT_EQ(run.outcome, RunOutcome::Completed);
        EXPECT_EQ(run.ledger.CountedMessages(), store.message_count);
        EXPECT_EQ(run.summary, static_cast<long>(store.message_count));
    };
    Sweep("", ENOSPC, "ENOSPC", ErrorChoice::Retry, all_converted);
    // A disk that stays full for a while: the second attempt fails too, the third goes through.
    Sweep("-next", EACCES, "EACCES", ErrorChoice::Retry, all_converted);
}

// Skipping the failed message: every other message converted, the failed one reported and not counted.
TEST_P(WriterFaults, SkipMailLosesOnlyTheReportedMessages)
{
    const WriterCase& writer_case = GetParam().writer;
    auto rest_converted = [&writer_case](const FaultyRun& run, const TestStore& store, const std::string& plan) {
        SCOPED_TRACE(Describe(run, plan));
        if (run.outcome == RunOutcome::StartFailed) return;
        ExpectOnlyCountedMessages(writer_case, run);
        EXPECT_EQ(run.outcome, RunOutcome::Completed);
        EXPECT_EQ(run.ledger.CountedMessages() + run.skipped_messages, store.message_count);
    };
    Sweep("", ENOSPC, "ENOSPC", ErrorChoice::SkipMail, rest_converted);
    Sweep("-next", ENOSPC, "ENOSPC", ErrorChoice::SkipMail, rest_converted);
}

// Skipping the folder or stopping the run, also when the disk stays full: what was written stays sound.
TEST_P(WriterFaults, SkipFolderAndAbortLeaveSoundOutput)
{
    auto stopped_or_skipped = [](const FaultyRun& run, const TestStore& store, const std::string& plan) {
        SCOPED_TRACE(Describe(run, plan));
        EXPECT_LE(run.ledger.CountedMessages(), store.message_count);
    };
    Sweep("", EACCES, "EACCES", ErrorChoice::SkipFolder, stopped_or_skipped);
    Sweep("", ENOSPC, "ENOSPC", ErrorChoice::AbortProcessing, stopped_or_skipped);
    Sweep("+", ENOSPC, "ENOSPC", ErrorChoice::SkipMail, stopped_or_skipped);
}

// Python's own readers take the output of runs that skipped or stopped after a short write.
TEST_P(WriterFaults, PythonReadsTheOutputOfSkippedAndStoppedRuns)
{
    const WriterCase& writer_case = GetParam().writer;
    const std::string operation = GetParam().operation;
    if (operation == "mkdir" || operation == "rename" || operation == "close")
        GTEST_SKIP() << "no message output is cut short";
    LoadedWriter writer(writer_case.module, writer_case.setting);
    ASSERT_TRUE(writer.loaded());
    TestStore store = MakeStore(scratch_);
    // The second call falls inside the first folder for every writer.
    const std::pair<std::string, ErrorChoice> kCases[] = {{operation + ":2:ENOSPC", ErrorChoice::SkipMail},
                                                          {operation + ":2+:ENOSPC", ErrorChoice::SkipMail},
                                                          {operation + ":2:ENOSPC", ErrorChoice::AbortProcessing}};
    int number = 0;
    for (const auto& [plan, answer] : kCases) {
        ++number;
        FaultyRun run;
        RunWithFaults(writer, store, scratch_.Path("out-" + std::to_string(number)), plan, answer, run);
        SCOPED_TRACE(Describe(run, plan));
        ASSERT_FALSE(run.front_end.questions.empty());
        std::string counted = scratch_.Path("counted-" + std::to_string(number));
        std::filesystem::create_directories(counted);
        WriteCountedTexts(run.ledger, counted);
        int status = CheckWithPython(writer_case.format, run.destination, counted);
        if (status == -2) GTEST_SKIP() << "no /usr/bin/python3";
        EXPECT_EQ(status, 0);
    }
}

// A file that cannot be cut back: the message given up may remain, the writer says so, and the messages
// around it are still read apart from it, by the checks and by Python's readers.
TEST(WriterTakeBack, AFileThatCannotBeCutBackStaysReadable)
{
    struct TakeBackCase {
        WriterCase writer;
        const char* plan;
        ErrorChoice answer;
    };
    const TakeBackCase kCases[] = {
        {kMbox, "short-write:2:ENOSPC,truncate:1+:ENOSPC", ErrorChoice::SkipMail},
        {kMbox, "short-write:3:ENOSPC,truncate:1+:ENOSPC", ErrorChoice::Retry},
        {kBmf, "short-write:2:ENOSPC,truncate:1+:ENOSPC", ErrorChoice::SkipMail},
        {kBmf, "short-write:3:ENOSPC,truncate:1+:ENOSPC", ErrorChoice::Retry},
    };
    enginetest::Scratch scratch;
    TestStore store = MakeStore(scratch);
    int number = 0;
    for (const TakeBackCase& c : kCases) {
        ++number;
        LoadedWriter writer(c.writer.module, c.writer.setting);
        ASSERT_TRUE(writer.loaded());
        FaultyRun run;
        RunWithFaults(writer, store, scratch.Path("out-" + std::to_string(number)), c.plan, c.answer, run);
        SCOPED_TRACE(Describe(run, c.plan));
        ASSERT_FALSE(run.front_end.questions.empty());
        EXPECT_EQ(run.outcome, RunOutcome::Completed);
        ExpectSoundRun(c.writer, run, c.plan, ENOSPC);
        // The cut copy that could not be taken back stays, as a message of its own.
        size_t found = 0;
        for (const auto& [folder, messages] : ReadOutput(c.writer.format, run.destination)) found += messages.size();
        EXPECT_EQ(found, run.ledger.CountedMessages() + 1);
        std::string counted = scratch.Path("counted-" + std::to_string(number));
        std::filesystem::create_directories(counted);
        WriteCountedTexts(run.ledger, counted);
        int status = CheckWithPython(c.writer.format, run.destination, counted);
        if (status != -2) {
            EXPECT_EQ(status, 0);
        }
    }
}

// The last file of a folder is closed by FinishFolder: a close that fails there is reported like any other
// (its bytes may not have reached the disk), and every message stays counted.
TEST(WriterFaultsAtFolderEnd, AFailingLastCloseIsReportedByFinishFolder)
{
    struct CloseCase {
        WriterCase writer;
        const char* plan;  // the close at the end of the first or second folder (bmf closes Mailbox.ini first)
    };
    const CloseCase kCases[] = {
        {kMbox, "close:1:EIO"}, {kMbox, "close:2:EIO"}, {kBmfOneFile, "close:2:EIO"}, {kBmfOneFile, "close:3:EIO"}};
    enginetest::Scratch scratch;
    TestStore store = MakeStore(scratch);
    int number = 0;
    for (const CloseCase& c : kCases) {
        LoadedWriter writer(c.writer.module, c.writer.setting);
        ASSERT_TRUE(writer.loaded());
        FaultyRun run;
        RunWithFaults(writer, store, scratch.Path("out-" + std::to_string(++number)), c.plan, ErrorChoice::SkipMail,
                      run);
        SCOPED_TRACE(Describe(run, c.plan));
        EXPECT_EQ(run.ledger.failed_calls, std::vector<std::string>{"FinishFolder"});
        EXPECT_EQ(run.ledger.CountedMessages(), store.message_count);
        ExpectSoundRun(c.writer, run, c.plan, EIO);
    }
}

std::string CaseName(const testing::TestParamInfo<FaultCase>& info)
{
    std::string name = std::string(info.param.writer.label) + "_" + info.param.operation;
    for (char& c : name)
        if (c == '-') c = '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Writers, WriterFaults,
                         testing::Values(FaultCase{kMbox, "write"}, FaultCase{kMbox, "short-write"},
                                         FaultCase{kMbox, "create"}, FaultCase{kEmlSequence, "write"},
                                         FaultCase{kEmlSequence, "short-write"}, FaultCase{kEmlSequence, "create"},
                                         FaultCase{kEmlSequence, "mkdir"}, FaultCase{kEmlSubject, "write"},
                                         FaultCase{kEmlSubject, "short-write"}, FaultCase{kEmlSubject, "create"},
                                         FaultCase{kEmlSubject, "mkdir"}, FaultCase{kEmlSubject, "rename"},
                                         FaultCase{kBmf, "write"}, FaultCase{kBmf, "short-write"},
                                         FaultCase{kBmf, "create"}, FaultCase{kBmf, "mkdir"}, FaultCase{kBmf, "close"},
                                         FaultCase{kMaildir, "write"}, FaultCase{kMaildir, "short-write"},
                                         FaultCase{kMaildir, "create"}, FaultCase{kMaildir, "mkdir"},
                                         FaultCase{kMaildir, "rename"}),
                         CaseName);

}  // namespace
}  // namespace reliability
