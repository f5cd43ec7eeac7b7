// The conversion takes message texts from the batches a helper reads ahead, chain by chain; every message must
// still read exactly as the reader reads it without them: the same texts, the same cut-short texts, the same
// damage verdict, also where the conversion takes a message up again or gives one up halfway, and on stores
// whose chains loop, leave the file, join one another or claim more text than a block holds.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "dbx/dbx_file.h"
#include "fixtures/dbx_builder.h"
#include "tests/dbx/scratch_dir.h"
#include "tools/benchmark/scattered_store.h"

namespace {

// What one attempt at a message read.
struct Attempt {
    uint32_t record = 0;
    std::string text;
    bool complete = true;
};

struct Reading {
    std::vector<Attempt> attempts;
    bool damaged = false;
    bool read_ahead = false;  // the texts came through the helper's batches
};

// One attempt at a message as the folder conversion makes it; `blocks_wanted` 0 reads the whole chain.
Attempt ReadMessage(dbx::DbxFile& store, uint32_t record, size_t blocks_wanted)
{
    Attempt attempt;
    attempt.record = record;
    dbx::MessageData data = dbx::LocateMessageData(store, record);
    if (!data.found) return attempt;
    dbx::BlockChain chain = dbx::StartBlockChain(data.first_block);
    dbx::Block block;
    char piece[2048];
    size_t blocks = 0;
    while (attempt.complete && (blocks_wanted == 0 || blocks < blocks_wanted) && dbx::NextBlock(store, chain, block)) {
        ++blocks;
        if (block.text_offset + block.text_length > store.file_size) attempt.complete = false;
        for (uint32_t left = block.text_length, at = 0; attempt.complete && left != 0;) {
            uint32_t size = std::min<uint32_t>(left, sizeof piece);
            const unsigned char* bytes = dbx::PeekText(store, block.text_offset + at, size);
            if (bytes) attempt.text.append(reinterpret_cast<const char*>(bytes), size);
            else if (dbx::ReadBytes(store, block.text_offset + at, piece, size)) attempt.text.append(piece, size);
            else attempt.complete = false;
            at += size;
            left -= size;
        }
    }
    if (chain.next != 0 && blocks_wanted == 0) attempt.complete = false;
    return attempt;
}

// Reads every message; every fifth twice (a retry), every seventh first given up after two blocks.
Reading ReadAll(const std::string& path, bool ahead)
{
    Reading reading;
    platform::FileHandle file = platform::OpenForReading(path.c_str());
    dbx::DbxFile store;
    EXPECT_TRUE(dbx::OpenDbxFile(store, file));
    std::vector<uint32_t> records = dbx::CollectMessageRecords(store);
    if (ahead) dbx::StartReadingMessagesAhead(store, records);
    reading.read_ahead = store.chains != nullptr;
    for (size_t i = 0; i < records.size(); ++i) {
        if (i % 7 == 3) reading.attempts.push_back(ReadMessage(store, records[i], 2));
        reading.attempts.push_back(ReadMessage(store, records[i], 0));
        if (i % 5 == 0) reading.attempts.push_back(ReadMessage(store, records[i], 0));
    }
    reading.damaged = store.damaged;
    dbx::CloseDbxFile(store);
    platform::CloseFile(file);
    return reading;
}

// The block offsets of every chain, in list order, as the reader finds them in the sound store.
std::vector<std::vector<uint32_t>> Chains(const std::string& path)
{
    std::vector<std::vector<uint32_t>> chains;
    platform::FileHandle file = platform::OpenForReading(path.c_str());
    dbx::DbxFile store;
    EXPECT_TRUE(dbx::OpenDbxFile(store, file));
    for (uint32_t record : dbx::CollectMessageRecords(store)) {
        chains.emplace_back();
        dbx::BlockChain chain = dbx::StartBlockChain(dbx::LocateMessageData(store, record).first_block);
        dbx::Block block;
        while (dbx::NextBlock(store, chain, block)) chains.back().push_back(block.offset);
    }
    dbx::CloseDbxFile(store);
    platform::CloseFile(file);
    return chains;
}

void PutDword(std::string& bytes, uint64_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
}

std::string ReadImage(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The nth chain with at least `blocks` blocks, counted from the list's middle.
const std::vector<uint32_t>& ChainOf(const std::vector<std::vector<uint32_t>>& chains, size_t blocks, size_t nth)
{
    for (size_t i = chains.size() / 2; i < chains.size(); ++i)
        if (chains[i].size() >= blocks && nth-- == 0) return chains[i];
    ADD_FAILURE() << "no chain of " << blocks << " blocks";
    return chains.front();
}

using Damage = std::function<void(std::string&, const std::vector<std::vector<uint32_t>>&)>;

TEST(ChainsAhead, EveryMessageReadsAsWithoutThem)
{
    // Some 330 messages (about 5 MB, more than two batches), one of them larger than a batch by itself.
    std::mt19937 random(5);
    std::vector<fixture::FixtureMessage> messages(330);
    for (size_t i = 0; i < messages.size(); ++i) {
        size_t size = i == 100 ? 3 * 1024 * 1024 : 1 + random() % 30000;
        messages[i].text.assign(size, '\0');
        for (char& c : messages[i].text) c = static_cast<char>(random());
        messages[i].no_text = i % 50 == 7;
        messages[i].no_data = i % 61 == 9;
    }
    ScratchDir scratch;
    std::string in_order = scratch.File("in-order.dbx");
    std::string scattered = scratch.File("scattered.dbx");
    ASSERT_TRUE(fixture::WriteFixture(in_order, fixture::BuildDbx(messages, {.entries_per_node = 7})));
    ASSERT_TRUE(bench::WriteScatteredCopy(in_order, scattered, 17));
    // Whole groups of messages without text give the helpers batches with nothing in them.
    for (size_t i = 150; i < 290; ++i) messages[i].no_text = true;
    std::string gaps = scratch.File("gaps.dbx");
    ASSERT_TRUE(fixture::WriteFixture(gaps, fixture::BuildDbx(messages, {.entries_per_node = 7})));
    const std::vector<std::vector<uint32_t>> chains = Chains(scattered);

    const struct {
        const char* name;
        const std::string& source;
        Damage damage;
    } cases[] = {
        {"in order", in_order, nullptr},
        {"scattered", scattered, nullptr},
        {"a long run of messages without text", gaps, nullptr},
        {"a chain loops back to its first block", scattered,
         [](std::string& bytes, const auto& all) {
             const auto& chain = ChainOf(all, 4, 0);
             PutDword(bytes, chain[3] + 12, chain[0]);
         }},
        {"a chain leaves the file", scattered,
         [](std::string& bytes, const auto& all) {
             PutDword(bytes, ChainOf(all, 3, 1)[1] + 12, static_cast<uint32_t>(bytes.size() + 4096));
         }},
        {"a chain runs on into another's", scattered,
         [](std::string& bytes, const auto& all) {
             const auto& chain = ChainOf(all, 2, 2);
             PutDword(bytes, chain.back() + 12, ChainOf(all, 5, 3)[1]);
         }},
        {"blocks claim more text than they hold", scattered,
         [](std::string& bytes, const auto& all) {
             PutDword(bytes, ChainOf(all, 3, 4)[1] + 8, 70000);
             PutDword(bytes, ChainOf(all, 3, 5)[0] + 8, 0x10000000);
         }},
        {"the file is cut short", scattered,
         [](std::string& bytes, const auto&) { bytes.resize(bytes.size() * 3 / 5); }},
    };
    for (const auto& one : cases) {
        SCOPED_TRACE(one.name);
        std::string path = scratch.File("damaged.dbx");
        std::string bytes = ReadImage(one.source);
        if (one.damage) one.damage(bytes, chains);
        ASSERT_TRUE(fixture::WriteFixture(path, bytes));

        Reading in_place = ReadAll(path, false);
        Reading ahead = ReadAll(path, true);
        EXPECT_TRUE(ahead.read_ahead);
        EXPECT_EQ(ahead.damaged, in_place.damaged);
        ASSERT_EQ(ahead.attempts.size(), in_place.attempts.size());
        for (size_t i = 0; i < ahead.attempts.size(); ++i) {
            const Attempt& a = ahead.attempts[i];
            const Attempt& b = in_place.attempts[i];
            ASSERT_EQ(a.record, b.record) << i;
            EXPECT_EQ(a.complete, b.complete) << "attempt " << i << " at record " << a.record;
            EXPECT_TRUE(a.text == b.text) << "attempt " << i << " at record " << a.record;
        }
    }
}

}  // namespace
