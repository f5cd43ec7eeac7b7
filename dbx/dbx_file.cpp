// The reader's primitives and the message lookup. See docs/dbx-format.md for the layout and dbx_file.h for the
// guarantees on damaged files.
#include "dbx/dbx_file.h"

#include <algorithm>
#include <cstring>

#include "dbx/layout.h"
#include "dbx/little_endian.h"
#include "dbx/windows.h"

namespace dbx {

using namespace layout;

namespace {

bool IsMessageData(uint32_t attribute) { return (attribute & 0xF) == kMessageDataId; }

// Notes a lookup of a record; the chain walked for it is charged to the file when this is the first attempt at
// each of the record's listings (a record the index did not list counts as listed once).
void CountLookup(DbxFile& dbx, uint32_t record)
{
    auto before = [](const DbxFile::RecordCounts& counts, uint32_t value) { return counts.record < value; };
    auto place = std::lower_bound(dbx.listed.begin(), dbx.listed.end(), record, before);
    if (place != dbx.listed.end() && place->record == record) {
        dbx.last_lookup_charged = ++place->lookups <= place->listings;
        return;
    }
    dbx.last_lookup_charged = ++dbx.unlisted_lookups[record] <= 1;
}

// The 4 bytes at offset from the value windows, the page read first where none holds them; null when that
// page cannot hold them either.
const unsigned char* ValueBytes(DbxFile& dbx, uint64_t offset)
{
    auto& values = dbx.values;
    size_t found = 0;
    while (found < values.size() && !Holds(values[found], offset, 4)) ++found;
    if (found == values.size()) {
        found = values.size() - 1;  // the least recently used makes room
        Fill(dbx, values[found], offset, kValueWindowSize);
        if (!Holds(values[found], offset, 4)) return nullptr;
    }
    std::rotate(values.begin(), values.begin() + found, values.begin() + found + 1);
    return values[0].bytes.data() + (offset - values[0].start);
}

}  // namespace

bool OpenDbxFile(DbxFile& dbx, platform::FileHandle file)
{
    StopReadingAhead(dbx);
    dbx = DbxFile{};
    dbx.file = file;
    return platform::FileSize(file, &dbx.file_size);
}

uint32_t ReadDword(DbxFile& dbx, uint64_t offset)
{
    // A 32-bit offset plus a field's position may pass 4 GiB: no store holds anything there. Every value the
    // reader needs lies inside a sound file, so one that cannot be read tells of damage.
    if (offset > kMaxOffset - 3) {
        dbx.damaged = true;
        return 0;
    }
    if (Holds(dbx.text, offset, 4)) return LoadLe32(dbx.text.bytes.data() + (offset - dbx.text.start));
    const unsigned char* held = ValueBytes(dbx, offset);
    if (!held) {
        // A value that straddles a page's end, or one the page could not be read for, is read on its own.
        unsigned char bytes[4];
        uint32_t got = 0;
        if (!platform::ReadAt(dbx.file, offset, bytes, 4, &got) || got != 4) {
            dbx.damaged = true;
            return 0;
        }
        return LoadLe32(bytes);
    }
    return LoadLe32(held);
}

const unsigned char* PeekText(DbxFile& dbx, uint64_t offset, uint32_t count)
{
    if (offset > kMaxOffset || count > kTextWindowSize - kValueWindowSize) return nullptr;
    if (!Holds(dbx.text, offset, count)) MoveTextWindow(dbx, offset, count);
    if (!Holds(dbx.text, offset, count) || dbx.text.bytes.empty()) return nullptr;
    return dbx.text.bytes.data() + (offset - dbx.text.start);
}

bool ReadBytes(DbxFile& dbx, uint64_t offset, void* buffer, uint32_t count)
{
    if (offset > kMaxOffset) {
        dbx.damaged = true;
        platform::SetLastError(platform::kErrorStoreDamaged);
        return false;
    }
    if (const unsigned char* held = PeekText(dbx, offset, count)) {
        if (count != 0) std::memcpy(buffer, held, count);
        return true;
    }
    // Exactly the bytes asked for, so that a cut or unreadable file fails here as it would without windows.
    uint32_t got = 0;
    if (!platform::ReadAt(dbx.file, offset, buffer, count, &got)) return false;
    if (got != count) {
        dbx.damaged = true;
        platform::SetLastError(platform::kErrorStoreDamaged);
        return false;
    }
    return true;
}

MessageData LocateMessageData(DbxFile& dbx, uint32_t record_offset)
{
    MessageData result;
    CountLookup(dbx, record_offset);
    if (record_offset == 0) {
        // Offset 0 is the file header: an index entry that names it is damaged.
        dbx.damaged = true;
        return result;
    }
    // Both entries are read before either is tested; entry 4 wins.
    uint32_t entry4 = ReadDword(dbx, uint64_t(record_offset) + kRecordEntry4);
    uint32_t entry3 = ReadDword(dbx, uint64_t(record_offset) + kRecordEntry3);
    uint32_t chosen;
    if (IsMessageData(entry4)) {
        chosen = entry4;
        result.kind = kKindNews;
    } else if (IsMessageData(entry3)) {
        chosen = entry3;
        result.kind = kKindMail;
    } else {
        return result;
    }
    result.found = true;
    if ((chosen & 0xFF) >= kAttributeDirect) {
        result.first_block = chosen >> 8;
    } else {
        // The value lies in the data area behind the N attribute entries; only bits 8-15 give its place.
        uint32_t attribute_count = ReadDword(dbx, uint64_t(record_offset) + kRecordAttributeCount) & 0xFF;
        uint32_t data_offset = (chosen >> 8) & 0xFF;
        uint64_t value_at = uint64_t(record_offset) + kRecordAttributes + 4ull * attribute_count + data_offset;
        result.first_block = ReadDword(dbx, value_at);
    }
    return result;
}

}  // namespace dbx
