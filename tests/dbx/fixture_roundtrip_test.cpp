// Stores built by the fixture builder read back exactly: every shape of index tree, every kind of record, every
// way of cutting a text into blocks.
#include <gtest/gtest.h>

#include "fixtures/dbx_builder.h"
#include "tests/dbx/scratch_dir.h"
#include "tests/support/sha256.h"
#include "tests/support/store_reading.h"

namespace {

using fixture::FixtureMessage;

std::string Text(size_t size, uint32_t seed)
{
    std::string text = "Subject: message " + std::to_string(seed) + "\r\n\r\n";
    std::string line;
    for (uint32_t i = 0; i < 77; ++i) line += static_cast<char>('a' + (i * 7 + seed) % 26);
    line += "\r\n";
    while (text.size() < size) text += line;
    text.resize(size);
    return text;
}

std::vector<FixtureMessage> MixedMessages(uint32_t count)
{
    std::vector<FixtureMessage> messages;
    for (uint32_t i = 0; i < count; ++i) {
        FixtureMessage message;
        message.text = Text(40 + (i * 397) % 3000, i);
        message.kind = i % 5 == 1 ? 2 : 1;
        message.indirect = i % 3 == 2;
        message.no_data = i % 17 == 5;
        message.no_text = i % 19 == 7;
        if (i % 4 == 3) message.block_sizes = {0, 10, 0, static_cast<uint32_t>(message.text.size() - 10), 0};
        messages.push_back(message);
    }
    return messages;
}

void ExpectReadsBack(const std::vector<FixtureMessage>& messages, const fixture::FixtureOptions& options)
{
    ScratchDir dir;
    fixture::StoreLayout layout;
    std::string path = dir.File("store.dbx");
    ASSERT_TRUE(fixture::WriteFixture(path, fixture::BuildDbx(messages, options, &layout)));
    fixture::ReadStoreResult read = fixture::ReadStore(path);
    ASSERT_TRUE(read.opened);
    EXPECT_FALSE(read.damaged);
    ASSERT_EQ(read.messages.size(), messages.size());
    for (size_t i = 0; i < messages.size(); ++i) {
        SCOPED_TRACE("message " + std::to_string(i));
        const fixture::ReadMessage& got = read.messages[i];
        EXPECT_EQ(got.record, layout.records[i]);
        EXPECT_EQ(got.found, !messages[i].no_data);
        if (messages[i].no_data) continue;
        EXPECT_EQ(got.kind, messages[i].kind);
        EXPECT_TRUE(got.text_complete);
        EXPECT_EQ(got.text, messages[i].no_text ? "" : messages[i].text);
        EXPECT_EQ(got.first_block == 0, messages[i].no_text);
    }
}

TEST(FixtureRoundTrip, EveryFanOutListsTheMessagesInOrder)
{
    std::vector<FixtureMessage> messages = MixedMessages(230);
    for (uint32_t fan_out : {1u, 2u, 3u, 7u, 51u, 300u}) {
        SCOPED_TRACE("entries per node " + std::to_string(fan_out));
        ExpectReadsBack(messages, {fan_out, false});
    }
}

TEST(FixtureRoundTrip, SmallStores)
{
    ExpectReadsBack({}, {});
    ExpectReadsBack(MixedMessages(1), {});
    ExpectReadsBack(MixedMessages(2), {1, false});
}

TEST(FixtureRoundTrip, CompactHeaderAndZeroHeaderCount)
{
    ExpectReadsBack(MixedMessages(9), {.entries_per_node = 2, .header_size = 0x100});

    ScratchDir dir;
    std::string path = dir.File("empty.dbx");
    ASSERT_TRUE(fixture::WriteFixture(path, fixture::BuildDbx(MixedMessages(3), {.zero_header_count = true})));
    fixture::ReadStoreResult read = fixture::ReadStore(path);
    EXPECT_EQ(read.header_count, 0u);
    EXPECT_TRUE(read.messages.empty());
}

TEST(FixtureRoundTrip, StreamedStorePassingSixteenMiBReadsBack)
{
    // Past 16 MiB a block offset no longer fits a direct attribute: the writer keeps it in the data area.
    ScratchDir dir;
    std::string path = dir.File("streamed.dbx");
    std::vector<FixtureMessage> messages = MixedMessages(40);
    for (size_t i = 0; i < messages.size(); i += 10) {
        messages[i].text = Text(5000000 + i, uint32_t(i));
        messages[i].no_data = messages[i].no_text = false;
    }
    fixture::StoreWriter writer;
    ASSERT_TRUE(writer.Open(path, {.entries_per_node = 4}));
    for (const FixtureMessage& message : messages) ASSERT_TRUE(writer.Add(message));
    ASSERT_TRUE(writer.Finish());
    EXPECT_EQ(writer.message_count(), messages.size());
    ASSERT_GT(writer.size(), 0x1000000u);

    fixture::ReadStoreResult read = fixture::ReadStore(path);
    EXPECT_FALSE(read.damaged);
    ASSERT_EQ(read.messages.size(), messages.size());
    for (size_t i = 0; i < messages.size(); ++i) {
        if (messages[i].no_data) {
            EXPECT_FALSE(read.messages[i].found) << i;
            continue;
        }
        EXPECT_EQ(read.messages[i].kind, messages[i].kind) << i;
        // Compared whole, not printed: the texts run to megabytes.
        EXPECT_TRUE(read.messages[i].text == (messages[i].no_text ? "" : messages[i].text)) << i;
    }
    EXPECT_GT(read.messages[35].first_block, 0xFFFFFFu);
}

TEST(FixtureRoundTrip, Sha256KnownDigests)
{
    EXPECT_EQ(fixture::Sha256Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(fixture::Sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(fixture::Sha256Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    EXPECT_EQ(fixture::Sha256Hex(std::string(1000000, 'a')),
              "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

}  // namespace
