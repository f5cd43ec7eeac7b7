// Message facts: the record's attribute entries searched for the flags and the two times.
#include "dbx/message_facts.h"

#include <vector>

#include "dbx/layout.h"
#include "dbx/record_attributes.h"

namespace dbx {

using namespace layout;

namespace {

// A record's entries and data area are small; a head that claims more is damaged, and what lies beyond this is
// never read for the facts.
constexpr uint32_t kLargestRecordRead = 0x4000;

// FILETIME values from here on are not times (the system refuses to convert them).
constexpr uint64_t kFirstInvalidFiletime = 0x8000000000000000ull;

// A time: the attribute listed, its 8 bytes inside the record, and a value the system can convert.
bool ReadTime(const RecordAttributes& record, uint32_t id, uint64_t& time)
{
    uint32_t entry = 0;
    if (!FindAttributeEntry(record, id, entry) || ReadWideValue(record, entry, time) != ValueRead::kWhole) {
        return false;
    }
    return time != 0 && time < kFirstInvalidFiletime;
}

// A number: the attribute listed, and its value in the entry or inside the record.
bool ReadNumber(const RecordAttributes& record, uint32_t id, uint32_t& value)
{
    uint32_t entry = 0;
    return FindAttributeEntry(record, id, entry) && ReadNumberValue(record, entry, value) == ValueRead::kWhole;
}

bool HasText(const RecordAttributes& record)
{
    uint32_t first_block = 0;
    return ReadNumber(record, kAttributeText, first_block) && first_block != 0;
}

}  // namespace

MessageFacts DecodeMessageFacts(const unsigned char* bytes, size_t size)
{
    MessageFacts facts;
    RecordAttributes record;
    if (!ViewRecordAttributes(bytes, size, record)) return facts;

    facts.has_received_time = ReadTime(record, kAttributeReceivedTime, facts.received_time);
    if (!facts.has_received_time) facts.received_time = 0;
    facts.has_sent_time = ReadTime(record, kAttributeSentTime, facts.sent_time);
    if (!facts.has_sent_time) facts.sent_time = 0;
    facts.has_flags = ReadNumber(record, kAttributeFlags, facts.flags);
    facts.header_only = facts.has_flags && (facts.flags & kStoreFlagBodyDownloaded) == 0 && !HasText(record);
    return facts;
}

MessageFacts ReadMessageFacts(DbxFile& dbx, uint32_t record_offset)
{
    if (record_offset == 0 || record_offset >= dbx.file_size) return MessageFacts{};
    // The facts are extra: a record that cannot be read whole leaves them absent, but is no damage of its own
    // (LocateMessageData judges the record).
    bool damaged_before = dbx.damaged;
    uint32_t body_length = ReadDword(dbx, uint64_t(record_offset) + kRecordBodyLength);
    uint32_t entry_count = ReadDword(dbx, uint64_t(record_offset) + 8) >> 16 & 0xFF;
    // Real records keep the length of entries and data area at +4; some writers keep the data area's alone.
    uint64_t size = uint64_t(kRecordAttributes) + 4ull * entry_count + body_length;
    if (size > kLargestRecordRead) size = kLargestRecordRead;
    if (size > dbx.file_size - record_offset) size = dbx.file_size - record_offset;

    // Read a double word at a time: the values come from the reader's value windows, where the record's head
    // already is, and the window of message text stays where the text is.
    std::vector<unsigned char> bytes((size + 3) & ~uint64_t(3));
    for (size_t at = 0; at < bytes.size(); at += 4) {
        uint32_t value = ReadDword(dbx, uint64_t(record_offset) + at);
        bytes[at] = static_cast<unsigned char>(value);
        bytes[at + 1] = static_cast<unsigned char>(value >> 8);
        bytes[at + 2] = static_cast<unsigned char>(value >> 16);
        bytes[at + 3] = static_cast<unsigned char>(value >> 24);
    }
    dbx.damaged = damaged_before;
    return DecodeMessageFacts(bytes.data(), static_cast<size_t>(size));
}

}  // namespace dbx
