// The benchmark's scattered layout is the same store with its blocks elsewhere: every message reads the same
// text, the file stays sound, and the blocks after each first one no longer follow one another.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "dbx/dbx_file.h"
#include "fixtures/dbx_builder.h"
#include "tests/dbx/scratch_dir.h"
#include "tests/support/store_reading.h"
#include "tools/benchmark/scattered_store.h"

namespace {

// How many blocks of all chains lead to a block that follows right after them (512 bytes of room per block).
size_t AdjacentLinks(const std::string& path)
{
    platform::FileHandle file = platform::OpenForReading(path.c_str());
    dbx::DbxFile store;
    EXPECT_TRUE(dbx::OpenDbxFile(store, file));
    size_t adjacent = 0;
    for (uint32_t record : dbx::CollectMessageRecords(store)) {
        dbx::BlockChain chain = dbx::StartBlockChain(dbx::LocateMessageData(store, record).first_block);
        dbx::Block block;
        uint32_t last = 0;
        while (dbx::NextBlock(store, chain, block)) {
            if (last != 0 && block.offset == last + 16 + 512) ++adjacent;
            last = block.offset;
        }
    }
    dbx::CloseDbxFile(store);
    platform::CloseFile(file);
    return adjacent;
}

TEST(ScatteredStore, EveryMessageReadsTheSameTextFromBlocksSpreadOverTheFile)
{
    std::mt19937 random(3);
    std::vector<fixture::FixtureMessage> messages(120);
    for (size_t i = 0; i < messages.size(); ++i) {
        messages[i].text.assign(1 + random() % 6000, '\0');
        for (char& c : messages[i].text) c = static_cast<char>('a' + random() % 26);
        messages[i].kind = i % 7 == 0 ? 2 : 1;
    }
    ScratchDir scratch;
    std::string in_order = scratch.File("in-order.dbx");
    std::string scattered = scratch.File("scattered.dbx");
    ASSERT_TRUE(fixture::WriteFixture(in_order, fixture::BuildDbx(messages, {.entries_per_node = 5})));
    ASSERT_TRUE(bench::WriteScatteredCopy(in_order, scattered, 11));

    fixture::ReadStoreResult before = fixture::ReadStore(in_order);
    fixture::ReadStoreResult after = fixture::ReadStore(scattered);
    EXPECT_FALSE(after.damaged);
    ASSERT_EQ(after.messages.size(), before.messages.size());
    auto texts = [](const fixture::ReadStoreResult& read) {
        std::vector<std::string> all;
        for (const fixture::ReadMessage& message : read.messages)
            all.push_back(std::to_string(message.kind) + message.text);
        return all;
    };
    std::vector<std::string> texts_before = texts(before);
    std::vector<std::string> texts_after = texts(after);
    EXPECT_NE(texts_after, texts_before);  // listed in another order
    std::sort(texts_before.begin(), texts_before.end());
    std::sort(texts_after.begin(), texts_after.end());
    EXPECT_EQ(texts_after, texts_before);

    // In order, each block but the last of a chain is followed by the next one; scattered, hardly any is.
    EXPECT_GT(AdjacentLinks(in_order), 200u);
    EXPECT_LT(AdjacentLinks(scattered), 20u);
}

}  // namespace
