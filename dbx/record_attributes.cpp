// A record's attributes decoded from its bytes in memory (see record_attributes.h).
#include "dbx/record_attributes.h"

#include <algorithm>

#include "dbx/layout.h"
#include "dbx/little_endian.h"

namespace dbx {

using namespace layout;

namespace {

// Where an indirect entry's value lies, when `length` bytes of it are inside the record; null otherwise.
const unsigned char* IndirectValue(const RecordAttributes& record, uint32_t entry, size_t length)
{
    size_t at = record.data_area + (entry >> kAttributeValueShift);
    if (at > record.size || record.size - at < length) return nullptr;
    return record.bytes + at;
}

bool IsDirect(uint32_t entry) { return (entry & kAttributeDirect) != 0; }

}  // namespace

bool ViewRecordAttributes(const unsigned char* bytes, size_t size, RecordAttributes& record)
{
    record = RecordAttributes{};
    if (!bytes || size < kRecordAttributes) return false;
    record.bytes = bytes;
    record.size = size;
    record.entry_count = bytes[kRecordAttributeCount];
    record.data_area = kRecordAttributes + kAttributeEntrySize * record.entry_count;
    if (record.data_area > size) {
        // Only the entries that are there; every value of the data area is then outside the bytes.
        record.entries_cut = true;
        record.entry_count = (size - kRecordAttributes) / kAttributeEntrySize;
    }
    return true;
}

uint32_t AttributeEntry(const RecordAttributes& record, size_t index)
{
    return LoadLe32(record.bytes + kRecordAttributes + kAttributeEntrySize * index);
}

uint32_t AttributeId(uint32_t entry) { return entry & kAttributeIdMask; }

bool FindAttributeEntry(const RecordAttributes& record, uint32_t id, uint32_t& entry)
{
    for (size_t i = 0; i < record.entry_count; ++i) {
        uint32_t candidate = AttributeEntry(record, i);
        if (AttributeId(candidate) == id) {
            entry = candidate;
            return true;
        }
    }
    return false;
}

ValueRead ReadNumberValue(const RecordAttributes& record, uint32_t entry, uint32_t& value)
{
    value = 0;
    if (IsDirect(entry)) {
        value = entry >> kAttributeValueShift;
        return ValueRead::kWhole;
    }
    const unsigned char* at = IndirectValue(record, entry, sizeof(uint32_t));
    if (!at) return ValueRead::kOutside;
    value = LoadLe32(at);
    return ValueRead::kWhole;
}

ValueRead ReadWideValue(const RecordAttributes& record, uint32_t entry, uint64_t& value)
{
    value = 0;
    if (IsDirect(entry)) return ValueRead::kOutside;  // 8 bytes never fit in the entry
    const unsigned char* at = IndirectValue(record, entry, sizeof(uint64_t));
    if (!at) return ValueRead::kOutside;
    value = LoadLe32(at) | uint64_t(LoadLe32(at + sizeof(uint32_t))) << 32;
    return ValueRead::kWhole;
}

ValueRead ReadTextValue(const RecordAttributes& record, uint32_t entry, std::string& text)
{
    text.clear();
    if (IsDirect(entry)) return ValueRead::kOutside;  // a text never fits in the entry
    // At least its first byte must be inside: an empty text still has its terminator.
    const unsigned char* begin = IndirectValue(record, entry, 1);
    if (!begin) return ValueRead::kOutside;
    const unsigned char* end = record.bytes + record.size;
    const unsigned char* terminator = std::find(begin, end, 0);
    text.assign(reinterpret_cast<const char*>(begin), static_cast<size_t>(terminator - begin));
    return terminator == end ? ValueRead::kCut : ValueRead::kWhole;
}

}  // namespace dbx
