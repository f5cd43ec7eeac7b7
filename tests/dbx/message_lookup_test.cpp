// Finding a message's first data block and kind in its record.
#include <gtest/gtest.h>

#include "fixtures/dbx_pieces.h"
#include "tests/dbx/store_image.h"

namespace {

using fixture::DirectAttribute;
using fixture::IndirectAttribute;
using fixture::RecordSpec;

constexpr uint32_t kRecord = 0x3000;

dbx::MessageData Lookup(const RecordSpec& record, bool* damaged = nullptr, uint32_t image_size = 0x4000)
{
    std::string image = HeaderImage(1, 0, image_size);
    fixture::Place(image, kRecord, fixture::EncodeRecord(record));
    OpenedImage opened(image);
    dbx::MessageData data = dbx::LocateMessageData(opened.store(), kRecord);
    if (damaged) *damaged = opened.store().damaged;
    return data;
}

// Entries 0 to 2 and 5 of a typical record; entries 3 and 4 as given.
std::vector<uint32_t> Attributes(uint32_t entry3, uint32_t entry4)
{
    return {DirectAttribute(0, 1),   IndirectAttribute(1, 0), IndirectAttribute(2, 4), entry3, entry4,
            IndirectAttribute(8, 12)};
}

TEST(MessageLookup, EntryFourIsANewsArticleAndWinsOverEntryThree)
{
    dbx::MessageData data = Lookup({.attributes = Attributes(DirectAttribute(4, 0x1000), DirectAttribute(4, 0x2000))});
    EXPECT_TRUE(data.found);
    EXPECT_EQ(data.kind, dbx::kKindNews);
    EXPECT_EQ(data.first_block, 0x2000u);

    data = Lookup({.attributes = Attributes(DirectAttribute(4, 0x1000), IndirectAttribute(5, 0))});
    EXPECT_TRUE(data.found);
    EXPECT_EQ(data.kind, dbx::kKindMail);
    EXPECT_EQ(data.first_block, 0x1000u);
}

TEST(MessageLookup, OnlyTheLowFourBitsOfTheIdAreTested)
{
    // 0x14: bits 4-6 set, low bits 4, a value in the data area.
    RecordSpec record{.attributes = Attributes(IndirectAttribute(5, 0), 0x14 | 4 << 8),
                      .data_area = fixture::Le32(0) + fixture::Le32(0x2468)};
    dbx::MessageData data = Lookup(record);
    EXPECT_TRUE(data.found);
    EXPECT_EQ(data.kind, dbx::kKindNews);
    EXPECT_EQ(data.first_block, 0x2468u);

    // 0xF4 is direct and qualifies; 0x85 and 0x40 do not.
    data = Lookup({.attributes = Attributes(0xF4 | 0x123456 << 8, 0x85 | 0x777 << 8)});
    EXPECT_EQ(data.kind, dbx::kKindMail);
    EXPECT_EQ(data.first_block, 0x123456u);
    data = Lookup({.attributes = Attributes(0x40, 0x85)});
    EXPECT_FALSE(data.found);
}

TEST(MessageLookup, DirectValueIsTheUpperTwentyFourBits)
{
    // The data area would give a different answer if it were read.
    RecordSpec record{.attributes = Attributes(0x84 | 512 << 8, IndirectAttribute(5, 0)),
                      .data_area = std::string(64, '\x55')};
    dbx::MessageData data = Lookup(record);
    EXPECT_EQ(data.kind, dbx::kKindMail);
    EXPECT_EQ(data.first_block, 512u);

    data = Lookup({.attributes = Attributes(DirectAttribute(4, 0xFFFFFF), 0)});
    EXPECT_EQ(data.first_block, 0xFFFFFFu);
}

TEST(MessageLookup, DataAreaValueLiesBehindTheAttributeEntries)
{
    // N = 6, offset 8 in the data area: the value at record offset 12 + 24 + 8 = 44.
    RecordSpec record{.attributes = Attributes(0x04 | 8 << 8, IndirectAttribute(5, 0)),
                      .data_area = std::string(8, '\x11') + fixture::Le32(0x89ABCDEF) + std::string(8, '\x22')};
    ASSERT_EQ(fixture::EncodeRecord(record).substr(44, 4), fixture::Le32(0x89ABCDEF));
    dbx::MessageData data = Lookup(record);
    EXPECT_EQ(data.kind, dbx::kKindMail);
    EXPECT_EQ(data.first_block, 0x89ABCDEFu);  // all 32 bits of an indirect value

    // Bits 16 to 23 of the entry are ignored: only bits 8 to 15 place the value.
    record.attributes[3] = 0x04 | 8 << 8 | 0x5A << 16;
    EXPECT_EQ(Lookup(record).first_block, 0x89ABCDEFu);

    // N comes from the byte at 10; a different N moves the data area.
    record.attribute_count = 4;
    record.data_area = std::string(0x30, '\0');
    fixture::RecordSpec placed = record;
    std::string bytes = fixture::EncodeRecord(placed);
    fixture::Place(bytes, 12 + 16 + 8, fixture::Le32(0x13572468));
    std::string image = HeaderImage(1, 0);
    fixture::Place(image, kRecord, bytes);
    OpenedImage opened(image);
    EXPECT_EQ(dbx::LocateMessageData(opened.store(), kRecord).first_block, 0x13572468u);
}

TEST(MessageLookup, EntriesThreeAndFourAreReadWhateverTheRecordsCount)
{
    // N = 2 in the record, yet positions 3 and 4 are read; an indirect value then lies at 12 + 8 + d.
    RecordSpec record{
        .attributes = Attributes(0x04 | 16 << 8, 0), .attribute_count = 2, .data_area = std::string(32, '\0')};
    std::string bytes = fixture::EncodeRecord(record);
    fixture::Place(bytes, 12 + 8 + 16, fixture::Le32(0xBEEF));
    std::string image = HeaderImage(1, 0);
    fixture::Place(image, kRecord, bytes);
    OpenedImage opened(image);
    dbx::MessageData data = dbx::LocateMessageData(opened.store(), kRecord);
    EXPECT_TRUE(data.found);
    EXPECT_EQ(data.first_block, 0xBEEFu);
}

TEST(MessageLookup, RecordsWithoutMessageDataOrText)
{
    bool damaged = true;
    dbx::MessageData data =
        Lookup({.attributes = Attributes(IndirectAttribute(5, 0), IndirectAttribute(6, 0))}, &damaged);
    EXPECT_FALSE(data.found);
    EXPECT_FALSE(damaged);

    data = Lookup({.attributes = Attributes(DirectAttribute(4, 0), 0)}, &damaged);
    EXPECT_TRUE(data.found);
    EXPECT_EQ(data.first_block, 0u);
    EXPECT_FALSE(damaged);
}

TEST(MessageLookup, UnreadableValuesReadAsZeroAndMarkTheFile)
{
    // The record's entry 4 lies past the end of the file: it reads as 0, entry 3 still counts.
    RecordSpec record{.attributes = {DirectAttribute(0, 1), 0, 0, DirectAttribute(4, 0x1234)}};
    bool damaged = false;
    dbx::MessageData data = Lookup(record, &damaged, kRecord + 28);
    EXPECT_TRUE(data.found);
    EXPECT_EQ(data.kind, dbx::kKindMail);
    EXPECT_EQ(data.first_block, 0x1234u);
    EXPECT_TRUE(damaged);

    // An indirect value past the end reads as 0: no text.
    record = {.attributes = Attributes(0x04 | 200 << 8, 0)};
    data = Lookup(record, &damaged, kRecord + 40);
    EXPECT_TRUE(data.found);
    EXPECT_EQ(data.first_block, 0u);
    EXPECT_TRUE(damaged);

    // A record at offset 0 (the header), past the end, or reaching past 4 GiB holds nothing.
    std::string image = HeaderImage(1, 0);
    for (uint32_t offset : {0u, 0x4000u, 0x7FFFFFFFu, 0xFFFFFFF0u, 0xFFFFFFFFu}) {
        OpenedImage opened(image);
        data = dbx::LocateMessageData(opened.store(), offset);
        EXPECT_FALSE(data.found) << offset;
        EXPECT_TRUE(opened.store().damaged) << offset;
    }
}

TEST(MessageLookup, ReadDwordIsLittleEndianAndZeroWhereUnreadable)
{
    std::string image = HeaderImage(0, 0, 0x100);
    fixture::Place(image, 0x80, "\x01\x02\x03\x04");
    {
        // Values on both sides of a 4 KiB boundary, and across it.
        std::string larger = HeaderImage(0, 0, 0x3000);
        fixture::Place(larger, 0xFFE, "\x11\x22\x33\x44\x55\x66");
        OpenedImage opened(larger);
        EXPECT_EQ(dbx::ReadDword(opened.store(), 0x1000), 0x66554433u);
        EXPECT_EQ(dbx::ReadDword(opened.store(), 0xFFE), 0x44332211u);
        EXPECT_EQ(dbx::ReadDword(opened.store(), 0xFFC), 0x22110000u);
        EXPECT_EQ(dbx::ReadDword(opened.store(), 0x1001), 0x00665544u);
        EXPECT_EQ(dbx::ReadDword(opened.store(), 0x2FFD), 0u);
        EXPECT_TRUE(opened.store().damaged);
    }
    OpenedImage opened(image);
    EXPECT_EQ(dbx::ReadDword(opened.store(), 0x80), 0x04030201u);
    EXPECT_EQ(dbx::ReadDword(opened.store(), 0x81), 0x00040302u);
    EXPECT_FALSE(opened.store().damaged);
    EXPECT_EQ(dbx::ReadDword(opened.store(), 0xFD), 0u);  // three bytes left
    EXPECT_EQ(dbx::ReadDword(opened.store(), 0xFFFFFFFFu), 0u);
    EXPECT_EQ(dbx::ReadDword(opened.store(), 0x100000000ull), 0u);
    EXPECT_TRUE(opened.store().damaged);

    char bytes[4];
    EXPECT_TRUE(dbx::ReadBytes(opened.store(), 0xFC, bytes, 4));
    EXPECT_FALSE(dbx::ReadBytes(opened.store(), 0xFD, bytes, 4));
    EXPECT_EQ(platform::LastError(), platform::kErrorStoreDamaged);
}

}  // namespace
