#include "engine/folder_conversion.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <thread>

#include "engine/error_recovery.h"
#include "tests/engine/support/recorded_plugin.h"
#include "tests/engine/support/recording_front_end.h"
#include "tests/engine/support/scratch.h"

using engine::ErrorChoice;
using fixture::FixtureMessage;
using Trace = std::vector<std::string>;

namespace {

class FolderConversion : public testing::Test {
protected:
    bool Convert(const std::string& path, const char* name = "Inbox")
    {
        engine::FolderScope scope = engine::MakeFolderScope(recorded.plugin(), name);
        bool go_on = engine::ConvertFolder(front_end, path.c_str(), scope, total);
        engine::EndFolder(scope);
        return go_on;
    }

    enginetest::Scratch scratch;
    enginetest::RecordedPlugin recorded;
    enginetest::RecordingFrontEnd front_end;
    uint32_t total = 0;
};

FixtureMessage Message(const std::string& text, std::vector<uint32_t> blocks = {}, uint32_t kind = 1)
{
    FixtureMessage message;
    message.text = text;
    message.block_sizes = std::move(blocks);
    message.kind = kind;
    return message;
}

TEST_F(FolderConversion, PassesEveryMessageInIndexOrderAndMovesTheProgressBar)
{
    fixture::FixtureOptions options;
    options.entries_per_node = 2;  // a tree of several nodes
    std::string path =
        scratch.Store("Inbox.dbx", {Message("one\r\n"), Message("two\r\n", {}, 2), Message("three\r\n")}, options);
    EXPECT_TRUE(Convert(path));
    EXPECT_EQ(recorded.Trace(), (Trace{"NewFolder Inbox", "NewMessage 1", "AppendBuffer 5", "FinishMessage",
                                       "NewMessage 2", "AppendBuffer 5", "FinishMessage", "NewMessage 1",
                                       "AppendBuffer 7", "FinishMessage", "FinishFolder"}));
    EXPECT_EQ(recorded.MessageTexts(), (Trace{"one\r\n", "two\r\n", "three\r\n"}));
    EXPECT_EQ(front_end.progress, (std::vector<unsigned>{0, 33, 66}));
    EXPECT_EQ(total, 3u);
    EXPECT_TRUE(front_end.questions.empty());
}

TEST_F(FolderConversion, PiecesFollowTheBlocksAndTheTextEndsWithALineFeed)
{
    std::string long_text(4100, 'x');
    long_text.back() = '\n';
    std::string two_blocks(812, 'y');
    std::string path = scratch.Store("Inbox.dbx", {Message(long_text, {4100}), Message(two_blocks, {512, 0, 300}),
                                                   Message("ends in CR\r", {11}), Message("a\nb\n", {2, 2})});
    EXPECT_TRUE(Convert(path));
    // 4100 bytes in one block: 2048, 2048, 4. Two blocks (and an empty one): 512, then 300, then the CR LF that
    // a text not ending in a line feed gets. A text ending in CR gets it too; one ending in LF does not.
    EXPECT_EQ(recorded.PieceLengths(), (std::vector<size_t>{2048, 2048, 4, 512, 300, 2, 11, 2, 2, 2}));
    EXPECT_EQ(recorded.MessageTexts(), (Trace{long_text, two_blocks + "\r\n", "ends in CR\r\r\n", "a\nb\n"}));
    EXPECT_EQ(total, 4u);
}

TEST_F(FolderConversion, RecordsWithoutDataAreSkippedSilentlyAndMessagesWithoutTextStillCount)
{
    FixtureMessage no_data = Message("x");
    no_data.no_data = true;
    FixtureMessage no_text = Message("");
    no_text.no_text = true;
    std::string path = scratch.Store("Inbox.dbx", {Message("first\n"), no_data, no_text, Message("last\n")});
    EXPECT_TRUE(Convert(path));
    EXPECT_EQ(recorded.MessageTexts(), (Trace{"first\n", "last\n"}));
    EXPECT_EQ(front_end.progress, (std::vector<unsigned>{0, 25, 50, 75}));
    EXPECT_EQ(total, 3u);

    // A folder none of whose messages has text never reaches the plugin, but its messages count.
    std::string silent = scratch.Store("Silent.dbx", {no_text, no_data, no_text});
    size_t calls_before = recorded.Calls().size();
    EXPECT_TRUE(Convert(silent, "Silent"));
    EXPECT_EQ(recorded.Calls().size(), calls_before);
    EXPECT_EQ(total, 5u);
}

TEST_F(FolderConversion, AFolderThatHoldsNothingMakesNoCall)
{
    fixture::FixtureOptions zero_count;
    zero_count.zero_header_count = true;
    EXPECT_TRUE(Convert(scratch.Store("Counted0.dbx", {Message("hidden\n")}, zero_count)));
    EXPECT_TRUE(Convert(scratch.Store("Empty.dbx", {})));
    EXPECT_TRUE(Convert(scratch.File("Short.dbx", std::string(100, '\0'))));
    EXPECT_TRUE(recorded.Calls().empty());
    EXPECT_EQ(total, 0u);
}

TEST_F(FolderConversion, AFileThatCannotBeOpenedIsAskedAboutAtFileLevel)
{
    std::string path = scratch.Path("Inbox.dbx");
    std::string image = fixture::BuildDbx({Message("hello\n")});
    // Retry after the file has appeared: the conversion goes on as usual.
    front_end.on_ask = [&](const engine::ErrorQuestion&) { scratch.File("Inbox.dbx", image); };
    front_end.Answer(ErrorChoice::Retry);
    EXPECT_TRUE(Convert(path));
    ASSERT_EQ(front_end.questions.size(), 1u);
    EXPECT_TRUE(front_end.questions[0].file_level);
    EXPECT_EQ(front_end.questions[0].code, static_cast<platform::ErrorCode>(ENOENT));
    EXPECT_EQ(recorded.MessageTexts(), (Trace{"hello\n"}));
    EXPECT_EQ(total, 1u);

    front_end.on_ask = nullptr;
    std::string missing = scratch.Path("Missing.dbx");
    front_end.Answer(ErrorChoice::SkipFolder);
    EXPECT_TRUE(Convert(missing, "Missing"));
    EXPECT_EQ(front_end.EventsStartingWith("folder skipped"), (Trace{"folder skipped Missing"}));
    // No answer at all (the question could not be shown) stops rather than skips; so does Abort Processing.
    EXPECT_FALSE(Convert(missing, "Missing"));
    front_end.Answer(ErrorChoice::AbortProcessing);
    EXPECT_FALSE(Convert(missing, "Missing"));
    EXPECT_EQ(recorded.Trace().size(), 5u);  // only the first folder's calls
}

TEST_F(FolderConversion, ATextReachingPastTheEndOfTheFileFailsItsMessageAsDamaged)
{
    fixture::StoreLayout layout;
    std::string image = fixture::BuildDbx(
        {Message("good one\r\n"), Message(std::string(700, 'z'), {512, 188}), Message("good two\r\n")}, {}, &layout);
    // The second block of message 2 claims more text than the file holds.
    fixture::PatchLe32(image, layout.blocks[1][1] + 8, 0x7FFFFFF0);
    std::string path = scratch.File("Inbox.dbx", image);

    front_end.Answer(ErrorChoice::Retry);
    front_end.Answer(ErrorChoice::SkipMail);
    EXPECT_TRUE(Convert(path));
    // Each attempt hands on the first block, which could be read, and nothing of the damaged one.
    EXPECT_EQ(recorded.MessageTexts(),
              (Trace{"good one\r\n", std::string(512, 'z'), std::string(512, 'z'), "good two\r\n"}));
    ASSERT_EQ(front_end.questions.size(), 2u);  // one question per attempt: no read repeats unasked
    for (const enginetest::AskedQuestion& question : front_end.questions) {
        EXPECT_FALSE(question.file_level);
        EXPECT_EQ(question.code, platform::kErrorStoreDamaged);
    }
    EXPECT_EQ(front_end.EventsStartingWith("skipped"), (Trace{"skipped Inbox #1"}));
    EXPECT_EQ(front_end.EventsStartingWith("damaged"), (Trace{"damaged Inbox"}));
    EXPECT_EQ(total, 2u);
}

TEST_F(FolderConversion, AChainTheReaderCutsShortIsNotPassedOffAsConverted)
{
    // Every record names the same long chain: a sound store never shares blocks, so this is damage, and the
    // work stays bounded by the file's size however many records there are.
    fixture::StoreLayout layout;
    std::vector<FixtureMessage> messages{Message(std::string(40000, 'q') + "\n")};
    for (int i = 0; i < 30; ++i) messages.push_back(Message("tiny\n"));
    std::string image = fixture::BuildDbx(messages, {}, &layout);
    for (size_t i = 1; i < layout.records.size(); ++i)
        fixture::PatchLe32(image, layout.records[i] + 24, fixture::DirectAttribute(0x84, layout.blocks[0][0]));
    std::string path = scratch.File("Inbox.dbx", image);

    front_end.Answer(ErrorChoice::SkipMail, true);  // After All: the rest of the run goes on without asking
    EXPECT_TRUE(Convert(path));
    EXPECT_EQ(front_end.questions.size(), 1u);
    EXPECT_EQ(front_end.questions[0].code, platform::kErrorStoreDamaged);
    EXPECT_EQ(front_end.EventsStartingWith("damaged"), (Trace{"damaged Inbox"}));
    size_t handed = 0;
    for (size_t length : recorded.PieceLengths()) handed += length;
    EXPECT_LE(handed, image.size());
    EXPECT_LT(total, 31u);
    EXPECT_EQ(front_end.EventsStartingWith("skipped").size() + total, 31u);
}

struct FlagHook {
    const char* entry;
    uint32_t nth;
    std::atomic<bool>* flag;
};

void SetFlagAt(const char* entry, uint32_t nth, void* context)
{
    auto* hook = static_cast<FlagHook*>(context);
    if (std::strcmp(entry, hook->entry) == 0 && nth == hook->nth) *hook->flag = true;
}

std::vector<FixtureMessage> NumberedMessages(int count)
{
    std::vector<FixtureMessage> messages;
    for (int i = 1; i <= count; ++i) messages.push_back(Message("message " + std::to_string(i) + "\r\n"));
    return messages;
}

TEST_F(FolderConversion, AbortTakesEffectBeforeTheNextMessage)
{
    std::string path = scratch.Store("Inbox.dbx", NumberedMessages(10));
    FlagHook hook{"AppendBuffer", 7, &engine::TheRunControl().abort};
    recorded.SetHook(SetFlagAt, &hook);
    EXPECT_FALSE(Convert(path));
    // Message 7 was under way when the flag was set: it is completed and counted, message 8 never starts.
    Trace texts = recorded.MessageTexts();
    ASSERT_EQ(texts.size(), 7u);
    EXPECT_EQ(texts.back(), "message 7\r\n");
    EXPECT_EQ(recorded.Trace().back(), "FinishFolder");
    EXPECT_EQ(total, 7u);
}

struct PauseHook {
    std::thread releaser;
    std::atomic<bool> released{false};
    bool third_started_after_release = false;
};

void PauseAfterSecondMessage(const char* entry, uint32_t nth, void* context)
{
    auto* hook = static_cast<PauseHook*>(context);
    if (std::strcmp(entry, "FinishMessage") == 0 && nth == 2) {
        engine::TheRunControl().pause = true;
        hook->releaser = std::thread([hook] {
            std::this_thread::sleep_for(std::chrono::milliseconds(60));
            hook->released = true;
            engine::TheRunControl().pause = false;
        });
    }
    if (std::strcmp(entry, "NewMessage") == 0 && nth == 3) hook->third_started_after_release = hook->released;
}

TEST_F(FolderConversion, PauseHoldsTheNextMessageUntilReleased)
{
    std::string path = scratch.Store("Inbox.dbx", NumberedMessages(4));
    PauseHook hook;
    recorded.SetHook(PauseAfterSecondMessage, &hook);
    EXPECT_TRUE(Convert(path));
    if (hook.releaser.joinable()) hook.releaser.join();
    EXPECT_TRUE(hook.third_started_after_release);
    EXPECT_EQ(total, 4u);
}

TEST_F(FolderConversion, AbortSetWhilePausedStopsWhenThePauseEnds)
{
    std::string path = scratch.Store("Inbox.dbx", NumberedMessages(3));
    engine::TheRunControl().pause = true;
    std::thread user([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        engine::TheRunControl().abort = true;  // "Yes" to the question: abort first, then end the pause
        engine::TheRunControl().pause = false;
    });
    EXPECT_FALSE(Convert(path));
    user.join();
    EXPECT_TRUE(recorded.Calls().empty());
}

}  // namespace
