// A record's attributes decoded from its bytes in memory: the entries after the 12-byte head and the values in the
// data area that follows them. The folder list and the message facts read their attributes through this alone.
//
// Everything is untrusted: entries that do not lie whole inside the bytes are not read, and a value that lies
// outside them is reported, never read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace dbx {

// A view over a record's bytes; the bytes stay the caller's.
struct RecordAttributes {
    const unsigned char* bytes = nullptr;
    size_t size = 0;
    size_t entry_count = 0;    // the entries that lie whole inside the bytes
    size_t data_area = 0;      // where the data area starts; beyond `size` when the entries are cut
    bool entries_cut = false;  // the head counts more entries than the bytes hold
};

// False when the bytes do not hold the 12-byte head.
bool ViewRecordAttributes(const unsigned char* bytes, size_t size, RecordAttributes& record);

// The 32-bit entry at `index` (below entry_count) and the attribute id it names.
uint32_t AttributeEntry(const RecordAttributes& record, size_t index);
uint32_t AttributeId(uint32_t entry);

// The first entry with this id; false when the record lists none (its value is then 0 or empty).
bool FindAttributeEntry(const RecordAttributes& record, uint32_t id, uint32_t& entry);

// How an entry's value was read.
enum class ValueRead {
    kWhole,    // the value lies whole inside the record
    kOutside,  // it lies (partly) outside the record, or is a kind the entry itself cannot hold: 0 or empty
    kCut,      // a text cut by the end of the record: kept as far as it goes
};

// A 32-bit value: in the entry itself or 4 bytes in the data area.
ValueRead ReadNumberValue(const RecordAttributes& record, uint32_t entry, uint32_t& value);

// A 64-bit value (a FILETIME): 8 bytes in the data area; never in the entry.
ValueRead ReadWideValue(const RecordAttributes& record, uint32_t entry, uint64_t& value);

// An 8-bit NUL-terminated text in the data area; never in the entry.
ValueRead ReadTextValue(const RecordAttributes& record, uint32_t entry, std::string& text);

}  // namespace dbx
