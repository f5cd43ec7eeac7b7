// A record's attributes from bytes in memory: values in the entry and in the data area, whole, past the end of the
// bytes, cut by it, and a head that counts more entries than the bytes hold.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dbx/record_attributes.h"

namespace {

constexpr uint64_t kTime = 0x01C3A2B5D0000000ull;

void PutLe(std::vector<unsigned char>& bytes, uint64_t value, int width)
{
    for (int i = 0; i < width; ++i) bytes.push_back(static_cast<unsigned char>(value >> 8 * i));
}

// Six entries, then the data area: a number at 0, a time at 4, "Inbox" at 12, "x.dbx" at 18.
constexpr size_t kDataArea = 12 + 4 * 6;
std::vector<unsigned char> SampleRecord(unsigned char claimed_count)
{
    std::vector<unsigned char> bytes;
    PutLe(bytes, 0, 4);   // own offset
    PutLe(bytes, 48, 4);  // body length
    PutLe(bytes, 0, 2);
    bytes.push_back(claimed_count);
    bytes.push_back(0);
    for (uint32_t entry :
         {0x89u | 3u << 8, 0x01u | 0u << 8, 0x12u | 4u << 8, 0x02u | 12u << 8, 0x05u | 18u << 8, 0x8Au | 7u << 8}) {
        PutLe(bytes, entry, 4);
    }
    PutLe(bytes, 0xFFFFFFFF, 4);
    PutLe(bytes, kTime, 8);
    for (char c : std::string("Inbox\0x.dbx", 12)) bytes.push_back(static_cast<unsigned char>(c));
    return bytes;
}

enum class Kind { kNumber, kWide, kText };

// What reading the attribute gives, as one line: "whole 3", "outside 0", "cut Inb", "missing".
std::string Read(const dbx::RecordAttributes& record, uint32_t id, Kind kind)
{
    uint32_t entry = 0;
    if (!dbx::FindAttributeEntry(record, id, entry)) return "missing";
    std::string value;
    dbx::ValueRead read;
    if (kind == Kind::kText) {
        read = dbx::ReadTextValue(record, entry, value);
    } else if (kind == Kind::kWide) {
        uint64_t wide = 1;
        read = dbx::ReadWideValue(record, entry, wide);
        value = std::to_string(wide);
    } else {
        uint32_t number = 1;
        read = dbx::ReadNumberValue(record, entry, number);
        value = std::to_string(number);
    }
    const char* names[] = {"whole", "outside", "cut"};
    return std::string(names[static_cast<int>(read)]) + " " + value;
}

struct AttributeCase {
    const char* name;
    size_t size;                  // the bytes given: the record cut here
    unsigned char claimed_count;  // the head's entry count
    uint32_t id;
    Kind kind;
    std::string expected;
};

const size_t kWhole = kDataArea + 24;
const AttributeCase kCases[] = {
    {"number in the entry", kWhole, 6, 0x09, Kind::kNumber, "whole 3"},
    {"number in the data area", kWhole, 6, 0x01, Kind::kNumber, "whole 4294967295"},
    {"time in the data area", kWhole, 6, 0x12, Kind::kWide, "whole " + std::to_string(kTime)},
    {"text", kWhole, 6, 0x02, Kind::kText, "whole Inbox"},
    {"text ending the record", kWhole, 6, 0x05, Kind::kText, "whole x.dbx"},
    {"not listed", kWhole, 6, 0x07, Kind::kNumber, "missing"},
    {"time in the entry", kWhole, 6, 0x09, Kind::kWide, "outside 0"},
    {"text in the entry", kWhole, 6, 0x0A, Kind::kText, "outside "},
    {"number past the end", kDataArea + 2, 6, 0x01, Kind::kNumber, "outside 0"},
    {"time past the end", kDataArea + 10, 6, 0x12, Kind::kWide, "outside 0"},
    {"text cut by the end", kDataArea + 15, 6, 0x02, Kind::kText, "cut Inb"},
    {"text starting at the end", kDataArea + 12, 6, 0x02, Kind::kText, "outside "},
    {"count beyond the bytes: entry still read", kWhole, 255, 0x09, Kind::kNumber, "whole 3"},
    {"count beyond the bytes: data area outside", kWhole, 255, 0x01, Kind::kNumber, "outside 0"},
    {"count beyond the bytes: text outside", kWhole, 255, 0x02, Kind::kText, "outside "},
};

TEST(RecordAttributes, ValuesAsTheyLie)
{
    for (const AttributeCase& c : kCases) {
        std::vector<unsigned char> bytes = SampleRecord(c.claimed_count);
        dbx::RecordAttributes record;
        ASSERT_TRUE(dbx::ViewRecordAttributes(bytes.data(), c.size, record)) << c.name;
        EXPECT_EQ(Read(record, c.id, c.kind), c.expected) << c.name;
        EXPECT_EQ(record.entries_cut, c.claimed_count != 6) << c.name;
    }
    dbx::RecordAttributes record;
    EXPECT_FALSE(dbx::ViewRecordAttributes(SampleRecord(6).data(), 11, record));  // shorter than the head
}

}  // namespace
