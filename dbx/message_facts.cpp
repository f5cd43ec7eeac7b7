// Message facts: the record's attribute entries searched for the flags and the two times.
#include "dbx/message_facts.h"

#include <vector>

#include "dbx/layout.h"
#include "dbx/little_endian.h"

namespace dbx {

using namespace layout;

namespace {

// A record's entries and data area are small; a head that claims more is damaged, and what lies beyond this is
// never read for the facts.
constexpr uint32_t kLargestRecordRead = 0x4000;

// FILETIME values from here on are not times (the system refuses to convert them).
constexpr uint64_t kFirstInvalidFiletime = 0x8000000000000000ull;

uint64_t LoadLe64(const unsigned char* bytes) { return LoadLe32(bytes) | uint64_t(LoadLe32(bytes + 4)) << 32; }

struct Record {
    const unsigned char* bytes;
    size_t size;
    size_t entry_count;  // entries that lie whole inside the bytes
    size_t data_area;    // where the data area starts
};

// The first entry with this id, or false when the record lists none.
bool FindEntry(const Record& record, uint32_t id, uint32_t& entry)
{
    for (size_t i = 0; i < record.entry_count; ++i) {
        uint32_t value = LoadLe32(record.bytes + kRecordAttributes + 4 * i);
        if ((value & 0x7F) == id) {
            entry = value;
            return true;
        }
    }
    return false;
}

// Where an indirect entry's value lies, when `length` bytes of it are inside the record.
const unsigned char* IndirectValue(const Record& record, uint32_t entry, size_t length)
{
    size_t at = record.data_area + (entry >> 8);
    if (at > record.size || record.size - at < length) return nullptr;
    return record.bytes + at;
}

bool ReadTime(const Record& record, uint32_t id, uint64_t& time)
{
    uint32_t entry = 0;
    if (!FindEntry(record, id, entry) || (entry & kAttributeDirect) != 0) return false;  // 8 bytes never fit
    const unsigned char* value = IndirectValue(record, entry, 8);
    if (!value) return false;
    time = LoadLe64(value);
    return time != 0 && time < kFirstInvalidFiletime;
}

bool ReadFlags(const Record& record, uint32_t& flags)
{
    uint32_t entry = 0;
    if (!FindEntry(record, kAttributeFlags, entry)) return false;
    if ((entry & kAttributeDirect) != 0) {
        flags = entry >> 8;
        return true;
    }
    const unsigned char* value = IndirectValue(record, entry, 4);
    if (!value) return false;
    flags = LoadLe32(value);
    return true;
}

bool HasText(const Record& record)
{
    uint32_t entry = 0;
    if (!FindEntry(record, kAttributeText, entry)) return false;
    if ((entry & kAttributeDirect) != 0) return (entry >> 8) != 0;
    const unsigned char* value = IndirectValue(record, entry, 4);
    return value && LoadLe32(value) != 0;
}

}  // namespace

MessageFacts DecodeMessageFacts(const unsigned char* bytes, size_t size)
{
    MessageFacts facts;
    if (!bytes || size < kRecordAttributes) return facts;
    Record record{bytes, size, bytes[kRecordAttributeCount], 0};
    record.data_area = kRecordAttributes + 4 * record.entry_count;
    if (record.data_area > size) record.entry_count = (size - kRecordAttributes) / 4;

    facts.has_received_time = ReadTime(record, kAttributeReceivedTime, facts.received_time);
    if (!facts.has_received_time) facts.received_time = 0;
    facts.has_sent_time = ReadTime(record, kAttributeSentTime, facts.sent_time);
    if (!facts.has_sent_time) facts.sent_time = 0;
    facts.has_flags = ReadFlags(record, facts.flags);
    facts.header_only = facts.has_flags && (facts.flags & kStoreFlagBodyDownloaded) == 0 && !HasText(record);
    return facts;
}

MessageFacts ReadMessageFacts(DbxFile& dbx, uint32_t record_offset)
{
    if (record_offset == 0 || record_offset >= dbx.file_size) return MessageFacts{};
    // The facts are extra: a record that cannot be read whole leaves them absent, but is no damage of its own
    // (LocateMessageData judges the record).
    bool damaged_before = dbx.damaged;
    uint32_t body_length = ReadDword(dbx, uint64_t(record_offset) + 4);
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
