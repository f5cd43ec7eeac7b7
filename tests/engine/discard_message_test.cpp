// A writer with the optional DiscardMessage export: every message the host gives up on after NewMessage is taken
// back with it instead of being closed with FinishMessage. (The plain recording writer, without the export,
// keeps today's calls: the folder conversion's own tests.)
#include <gtest/gtest.h>

#include <cerrno>

#include "engine/folder_conversion.h"
#include "tests/engine/support/recorded_plugin.h"
#include "tests/engine/support/recording_front_end.h"
#include "tests/engine/support/scratch.h"

using engine::ErrorChoice;
using Trace = std::vector<std::string>;

namespace {

struct Failure {
    const char* entry;
    uint32_t nth;
};

struct Case {
    const char* name;
    std::vector<Failure> failures;
    std::vector<ErrorChoice> answers;
    bool go_on;
    Trace after_failure;  // the calls after the failed one
    uint32_t converted;
};

// Message 2 has two blocks; its second piece (the third AppendBuffer of the run) is the one made to fail.
const Trace kBeforeFailure{"NewFolder Inbox", "NewMessage 1",     "AppendBuffer 5",         "FinishMessage",
                           "NewMessage 1",    "AppendBuffer 512", "AppendBuffer 188 FAILED"};
const Trace kMessage2{"NewMessage 1", "AppendBuffer 512", "AppendBuffer 188", "AppendBuffer 2", "FinishMessage"};
const Trace kMessage3{"NewMessage 1", "AppendBuffer 7", "FinishMessage"};

Trace Join(std::initializer_list<Trace> parts)
{
    Trace joined;
    for (const Trace& part : parts) joined.insert(joined.end(), part.begin(), part.end());
    return joined;
}

std::string Inbox(const enginetest::Scratch& scratch)
{
    std::vector<fixture::FixtureMessage> messages(3);
    messages[0].text = "one\r\n";
    messages[1].text = std::string(700, 'z');
    messages[1].block_sizes = {512, 188};
    messages[2].text = "three\r\n";
    return scratch.Store("Inbox.dbx", messages);
}

TEST(DiscardMessage, TheMessageGivenUpIsTakenBackWhateverTheAnswer)
{
    const Case cases[] = {
        {"Retry: exactly one whole copy follows",
         {{"AppendBuffer", 3}},
         {ErrorChoice::Retry},
         true,
         Join({{"DiscardMessage"}, kMessage2, kMessage3, {"FinishFolder"}}),
         3},
        {"Skip Mail: none of it",
         {{"AppendBuffer", 3}},
         {ErrorChoice::SkipMail},
         true,
         Join({{"DiscardMessage"}, kMessage3, {"FinishFolder"}}),
         2},
        {"Skip Folder", {{"AppendBuffer", 3}}, {ErrorChoice::SkipFolder}, true, {"DiscardMessage", "FinishFolder"}, 1},
        {"Abort Processing",
         {{"AppendBuffer", 3}},
         {ErrorChoice::AbortProcessing},
         false,
         {"DiscardMessage", "FinishFolder"},
         1},
        {"a refused DiscardMessage is asked about once more, and that answer stands",
         {{"AppendBuffer", 3}, {"DiscardMessage", 1}},
         {ErrorChoice::Retry, ErrorChoice::SkipMail},
         true,
         Join({{"DiscardMessage FAILED"}, kMessage3, {"FinishFolder"}}),
         2},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        enginetest::Scratch scratch;
        enginetest::RecordedPlugin recorded(DOVAN_RECORDING_DISCARD_PLUGIN);
        enginetest::RecordingFrontEnd front_end;
        for (const Failure& failure : test.failures) recorded.Fail(failure.entry, failure.nth, ENOSPC);
        for (ErrorChoice answer : test.answers) front_end.Answer(answer);

        engine::FolderScope scope = engine::MakeFolderScope(recorded.plugin(), "Inbox");
        uint32_t total = 0;
        std::string path = Inbox(scratch);
        EXPECT_EQ(engine::ConvertFolder(front_end, path.c_str(), scope, total), test.go_on);
        engine::EndFolder(scope);
        EXPECT_EQ(recorded.Trace(), Join({kBeforeFailure, test.after_failure}));
        EXPECT_EQ(front_end.questions.size(), test.answers.size());
        EXPECT_EQ(total, test.converted);
    }
}

TEST(DiscardMessage, AMessageCutByADamagedStoreIsTakenBack)
{
    enginetest::Scratch scratch;
    enginetest::RecordedPlugin recorded(DOVAN_RECORDING_DISCARD_PLUGIN);
    enginetest::RecordingFrontEnd front_end;
    fixture::StoreLayout layout;
    std::vector<fixture::FixtureMessage> messages(2);
    messages[0].text = std::string(700, 'z');
    messages[0].block_sizes = {512, 188};
    messages[1].text = "two\r\n";
    std::string image = fixture::BuildDbx(messages, {}, &layout);
    fixture::PatchLe32(image, layout.blocks[0][1] + 8, 0x7FFFFFF0);  // more text than the file holds
    std::string path = scratch.File("Inbox.dbx", image);

    front_end.Answer(ErrorChoice::SkipMail);
    engine::FolderScope scope = engine::MakeFolderScope(recorded.plugin(), "Inbox");
    uint32_t total = 0;
    EXPECT_TRUE(engine::ConvertFolder(front_end, path.c_str(), scope, total));
    engine::EndFolder(scope);
    EXPECT_EQ(recorded.Trace(), (Trace{"NewFolder Inbox", "NewMessage 1", "AppendBuffer 512", "DiscardMessage",
                                       "NewMessage 1", "AppendBuffer 5", "FinishMessage", "FinishFolder"}));
    EXPECT_EQ(total, 1u);
}

}  // namespace
