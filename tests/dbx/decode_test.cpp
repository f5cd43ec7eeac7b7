// The structures decoded from bytes in memory, without a file: the fields at their places, the 24-bit entry
// count, which attribute entry holds the message data, and data-area places past 4 GiB.
#include <gtest/gtest.h>

#include "dbx/decode.h"
#include "fixtures/dbx_pieces.h"

namespace {

using fixture::DirectAttribute;
using fixture::IndirectAttribute;

const unsigned char* Bytes(const std::string& bytes) { return reinterpret_cast<const unsigned char*>(bytes.data()); }

TEST(Decode, HeaderNodeEntryAndBlockHeadFieldsComeFromTheirPlaces)
{
    dbx::Header header = dbx::DecodeHeader(Bytes(fixture::EncodeHeader(7, 0x3000)));
    EXPECT_EQ(header.message_count, 7u);
    EXPECT_EQ(header.root_node, 0x3000u);

    std::string node = fixture::EncodeNode({.self = 0x3000,
                                            .first_child = 0x3400,
                                            .first_child_count = 9,
                                            .entries = {{0xA000, 0xB000, 3}},
                                            .entry_count = 0x123456});
    node[16] = '\x7f';  // no part of the count, nor is byte 20 (the first child's count)
    dbx::NodeHead head = dbx::DecodeNodeHead(Bytes(node));
    EXPECT_EQ(head.first_child, 0x3400u);
    EXPECT_EQ(head.entry_count, 0x123456u);
    EXPECT_EQ(head.first_child_count, 9u);
    dbx::NodeEntry entry = dbx::DecodeNodeEntry(Bytes(node) + dbx::layout::kNodeEntries);
    EXPECT_EQ(entry.record, 0xA000u);
    EXPECT_EQ(entry.child, 0xB000u);
    EXPECT_EQ(entry.child_count, 3u);

    std::string block = fixture::EncodeBlock({.self = 0x5000, .text_length = 300, .next = 0x6000, .text = "x"});
    dbx::BlockHead block_head = dbx::DecodeBlockHead(Bytes(block));
    EXPECT_EQ(block_head.text_length, 300u);
    EXPECT_EQ(block_head.next, 0x6000u);
}

TEST(Decode, MessageDataIsEntryFourThenEntryThree)
{
    struct Case {
        uint32_t entry3, entry4;
        bool found;
        uint32_t kind;
        bool direct;
        uint32_t value;
    };
    const Case cases[] = {
        {DirectAttribute(4, 0x1000), DirectAttribute(4, 0x2000), true, dbx::kKindNews, true, 0x2000},
        {DirectAttribute(4, 0x1000), IndirectAttribute(5, 0), true, dbx::kKindMail, true, 0x1000},
        {IndirectAttribute(4, 0x18), DirectAttribute(5, 0), true, dbx::kKindMail, false, 0x18},
        {0x14 | 0x80 | (0xABCDEFu << 8), 0, true, dbx::kKindMail, true, 0xABCDEF},  // id 0x94: low bits 4
        {0x04 | (0xFF12u << 8), 0, true, dbx::kKindMail, false, 0x12},              // bits 16-31 unused
        {DirectAttribute(5, 0x1000), DirectAttribute(1, 0x2000), false, 0, false, 0},
        {0, 0, false, 0, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.entry3 << " " << c.entry4);
        dbx::MessageDataEntry chosen =
            dbx::ChooseMessageData({.attribute_count = 6, .entry3 = c.entry3, .entry4 = c.entry4});
        EXPECT_EQ(chosen.found, c.found);
        EXPECT_EQ(chosen.kind, c.kind);
        EXPECT_EQ(chosen.direct, c.direct);
        EXPECT_EQ(chosen.value, c.value);
    }

    std::string record =
        fixture::EncodeRecord({.attributes = {0, 0, 0, DirectAttribute(4, 0x1000)}, .attribute_count = 0xFF});
    dbx::RecordHead head = dbx::DecodeRecordHead(Bytes(record + std::string(32, '\0')));
    EXPECT_EQ(head.attribute_count, 0xFFu);
    EXPECT_EQ(head.entry3, DirectAttribute(4, 0x1000));
}

TEST(Decode, DataAreaPlacesAreAddressedIn64Bits)
{
    EXPECT_EQ(dbx::DataAreaValueOffset(0x3000, 6, 0x18), 0x3000u + 12 + 24 + 0x18);
    EXPECT_EQ(dbx::DataAreaValueOffset(0xFFFFFFE0, 255, 0xFF), 0xFFFFFFE0ull + 12 + 4 * 255 + 0xFF);
}

}  // namespace
