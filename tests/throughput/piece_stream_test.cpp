// The folder conversion through the reader's windows hands the plugin exactly the pieces of a plain reading:
// each block's text in pieces of at most 2048 bytes, never spanning two blocks, "\r\n" after a text without a
// final line feed, on stores whose blocks and messages are far larger than any window.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/folder_conversion.h"
#include "fixtures/dbx_builder.h"
#include "tests/dbx/scratch_dir.h"

namespace {

// ---- A plugin that writes down every piece -----------------------------------------------------------------

std::vector<std::string> g_pieces;  // one entry per AppendBuffer
std::vector<std::string> g_calls;   // NewFolder, NewMessage, AppendBuffer, FinishMessage, FinishFolder

int DOVAN_CALL RecordNewFolder(const char*)
{
    g_calls.push_back("NewFolder");
    return 1;
}
int DOVAN_CALL RecordNewMessage(uint32_t kind)
{
    g_calls.push_back("NewMessage " + std::to_string(kind));
    return 1;
}
int DOVAN_CALL RecordAppend(const void* data, uint32_t length)
{
    g_calls.push_back("AppendBuffer");
    g_pieces.emplace_back(static_cast<const char*>(data), length);
    return 1;
}
int DOVAN_CALL RecordFinishMessage()
{
    g_calls.push_back("FinishMessage");
    return 1;
}
int DOVAN_CALL RecordFinishFolder()
{
    g_calls.push_back("FinishFolder");
    return 1;
}

class QuietFrontEnd : public engine::FrontEnd {
public:
    void FolderStarted(const char*, int, int, const std::string&) override {}
    void ProgressChanged(unsigned) override {}
    engine::ErrorAnswer AskError(const engine::ErrorQuestion&) override
    {
        ++questions;
        return {engine::ErrorChoice::AbortProcessing, false};
    }
    void ShowMessage(int, const std::string&) override {}
    void MessageSkipped(const char*, uint32_t) override {}
    void FolderSkipped(const char*) override {}
    void FolderDamaged(const char*) override { damaged = true; }
    void RunFinished(engine::RunOutcome) override {}
    int questions = 0;
    bool damaged = false;
};

std::string Text(size_t size, uint32_t seed, bool final_line_feed)
{
    std::string text;
    uint32_t state = seed * 2654435761u + 1;
    while (text.size() < size) {
        state = state * 1103515245u + 12345u;
        size_t line = 1 + (state >> 16) % 90;
        for (size_t i = 0; i < line && text.size() + 2 < size; ++i)
            text += static_cast<char>('!' + (state >> (i % 24)) % 90);
        text += "\r\n";
    }
    text.resize(size);
    if (size > 0) text.back() = final_line_feed ? '\n' : 'x';
    return text;
}

// The plain reading: each block's text cut at 2048 bytes, and "\r\n" after a text without a final LF.
std::vector<std::string> PlainPieces(const fixture::FixtureMessage& message)
{
    std::vector<std::string> pieces;
    std::vector<uint32_t> blocks = message.block_sizes;
    if (blocks.empty())
        for (size_t left = message.text.size(); left > 0; left -= std::min<size_t>(left, 512))
            blocks.push_back(static_cast<uint32_t>(std::min<size_t>(left, 512)));
    size_t at = 0;
    for (uint32_t block : blocks) {
        for (uint32_t done = 0; done < block;) {
            uint32_t piece = std::min<uint32_t>(block - done, 2048);
            pieces.push_back(message.text.substr(at + done, piece));
            done += piece;
        }
        at += block;
    }
    if (!message.text.empty() && message.text.back() != '\n') pieces.push_back("\r\n");
    return pieces;
}

TEST(PieceStream, PiecesAreThoseOfAPlainReadingOfEveryBlock)
{
    std::vector<fixture::FixtureMessage> messages;
    auto add = [&](size_t size, std::vector<uint32_t> blocks, bool final_line_feed, uint32_t kind = 1) {
        fixture::FixtureMessage message;
        message.text = Text(size, static_cast<uint32_t>(messages.size()), final_line_feed);
        message.block_sizes = std::move(blocks);
        message.kind = kind;
        messages.push_back(message);
    };
    add(3000, {}, true);                                                // 512-byte blocks, as stored
    add(5 * 1024 * 1024 + 17, {}, false);                               // thousands of blocks through many windows
    add(200000, {200000}, true);                                        // one block larger than any window
    add(65536 + 4097 + 1 + 2049, {65536, 0, 4097, 1, 2049}, false, 2);  // blocks at and past window sizes
    add(70000, {2048, 2047, 2049, 0, 63856}, true);
    add(1, {1}, false);
    for (uint32_t i = 0; i < 40; ++i) add(100 + i * 1777, {}, i % 3 != 0);  // many small messages in a row

    fixture::FixtureOptions options;
    options.entries_per_node = 5;  // a multi-level index between the messages' texts
    ScratchDir scratch;
    std::string path = scratch.File("Inbox.dbx");
    ASSERT_TRUE(fixture::WriteFixture(path, fixture::BuildDbx(messages, options)));

    engine::WriterPlugin plugin;
    plugin.NewFolder = RecordNewFolder;
    plugin.NewMessage = RecordNewMessage;
    plugin.AppendBuffer = RecordAppend;
    plugin.FinishMessage = RecordFinishMessage;
    plugin.FinishFolder = RecordFinishFolder;
    g_pieces.clear();
    g_calls.clear();
    QuietFrontEnd front_end;
    engine::FolderScope scope = engine::MakeFolderScope(plugin, "Inbox");
    uint32_t total = 0;
    ASSERT_TRUE(engine::ConvertFolder(front_end, path.c_str(), scope, total));
    engine::EndFolder(scope);

    EXPECT_EQ(total, messages.size());
    EXPECT_EQ(front_end.questions, 0);
    EXPECT_FALSE(front_end.damaged);
    std::vector<std::string> expected_pieces;
    std::vector<std::string> expected_calls = {"NewFolder"};
    for (const fixture::FixtureMessage& message : messages) {
        std::vector<std::string> pieces = PlainPieces(message);
        expected_calls.push_back("NewMessage " + std::to_string(message.kind));
        expected_calls.insert(expected_calls.end(), pieces.size(), "AppendBuffer");
        expected_calls.push_back("FinishMessage");
        expected_pieces.insert(expected_pieces.end(), pieces.begin(), pieces.end());
    }
    expected_calls.push_back("FinishFolder");
    EXPECT_EQ(g_calls, expected_calls);
    ASSERT_EQ(g_pieces.size(), expected_pieces.size());
    for (size_t i = 0; i < g_pieces.size(); ++i) ASSERT_TRUE(g_pieces[i] == expected_pieces[i]) << "piece " << i;
}

}  // namespace
