// The reader's primitives and the message lookup. See docs/dbx-format.md for the layout and dbx_file.h for the
// guarantees on damaged files.
#include "dbx/dbx_file.h"

#include <algorithm>
#include <cstring>

#include "dbx/chains_ahead.h"
#include "dbx/layout.h"
#include "dbx/little_endian.h"
#include "dbx/structure_reads.h"

namespace dbx {

using namespace layout;

namespace {

// Notes a lookup of a record; the chain walked for it is charged to the file when this is the first attempt at
// each of the record's listings (a record the index did not list counts as listed once).
void CountLookup(ChainBudget& budget, uint32_t record)
{
    auto before = [](const ChainBudget::RecordCounts& counts, uint32_t value) { return counts.record < value; };
    auto place = std::lower_bound(budget.listed.begin(), budget.listed.end(), record, before);
    if (place != budget.listed.end() && place->record == record) {
        budget.last_lookup_charged = ++place->lookups <= place->listings;
        return;
    }
    budget.last_lookup_charged = ++budget.unlisted_lookups[record] <= 1;
}

// The count bytes at offset from the value windows, the page read first where none holds them; null when that
// page cannot hold them either.
const unsigned char* ValueBytes(ByteSource& source, uint64_t offset, uint32_t count)
{
    auto& values = source.values;
    size_t found = 0;
    while (found < values.size() && !Holds(values[found], offset, count)) ++found;
    if (found == values.size()) {
        found = values.size() - 1;  // the least recently used makes room
        Fill(source, values[found], offset, kValueWindowSize);
        if (!Holds(values[found], offset, count)) return nullptr;
    }
    std::rotate(values.begin(), values.begin() + found, values.begin() + found + 1);
    return values[0].bytes.data() + (offset - values[0].start);
}

}  // namespace

bool OpenDbxFile(DbxFile& dbx, platform::FileHandle file)
{
    CloseDbxFile(dbx);
    dbx = DbxFile{};
    dbx.source.file = file;
    if (!platform::FileSize(file, &dbx.file_size)) return false;
    dbx.source.size = dbx.file_size;
    StartPrefetching(dbx.source);
    return true;
}

void StartReadingAhead(DbxFile& dbx, size_t message_count) { StartReadingAhead(dbx.source, message_count); }

void StartReadingMessagesAhead(DbxFile& dbx, const std::vector<uint32_t>& records)
{
    // A file one window holds is read in one go anyway.
    if (!dbx.chains && dbx.file_size > kTextWindowSize && !records.empty()) {
        platform::ErrorCode code = platform::LastError();  // a helper that cannot start is no failure of the caller
        dbx.chains = StartReadingChainsAhead(dbx.source.file, dbx.file_size, records, dbx.budget);
        platform::SetLastError(code);
    }
    if (!dbx.chains) StartReadingAhead(dbx, records.size());
}

void CloseDbxFile(DbxFile& dbx)
{
    StopReadingChainsAhead(dbx.chains);
    dbx.chains = nullptr;
    StopReadingAhead(dbx.source);
    StopPrefetching(dbx.source);
}

uint32_t ReadDword(DbxFile& dbx, uint64_t offset)
{
    // A 32-bit offset plus a field's position may pass 4 GiB: no store holds anything there. Every value the
    // reader needs lies inside a sound file, so one that cannot be read tells of damage.
    if (offset > kMaxOffset - 3) {
        dbx.damaged = true;
        return 0;
    }
    ByteSource& source = dbx.source;
    if (Holds(source.text, offset, 4)) return LoadLe32(source.text.bytes.data() + (offset - source.text.start));
    const unsigned char* held = ValueBytes(source, offset, 4);
    if (!held) {
        // A value that straddles a page's end, or one the page could not be read for, is read on its own.
        unsigned char bytes[4];
        uint32_t got = 0;
        if (!platform::ReadAt(source.file, offset, bytes, 4, &got) || got != 4) {
            dbx.damaged = true;
            return 0;
        }
        return LoadLe32(bytes);
    }
    return LoadLe32(held);
}

bool ReadWhole(DbxFile& dbx, uint64_t offset, unsigned char* bytes, uint32_t count)
{
    ByteSource& source = dbx.source;
    const unsigned char* held = nullptr;
    if (Holds(source.text, offset, count)) held = source.text.bytes.data() + (offset - source.text.start);
    else held = ValueBytes(source, offset, count);
    if (held) std::memcpy(bytes, held, count);
    return held != nullptr;
}

void StoreLe32(unsigned char* bytes, uint32_t value)
{
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<unsigned char>(value >> (8 * i));
}

const unsigned char* PeekText(DbxFile& dbx, uint64_t offset, uint32_t count)
{
    ByteSource& source = dbx.source;
    if (offset > kMaxOffset || count > kTextWindowSize - kValueWindowSize) return nullptr;
    if (dbx.chains) {
        if (const unsigned char* ahead = ChainBytesAhead(*dbx.chains, offset, count)) return ahead;
    }
    if (!Holds(source.text, offset, count)) MoveTextWindow(source, offset, count);
    if (!Holds(source.text, offset, count) || source.text.bytes.empty()) return nullptr;
    return source.text.bytes.data() + (offset - source.text.start);
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
    if (!platform::ReadAt(dbx.source.file, offset, buffer, count, &got)) return false;
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
    CountLookup(dbx.budget, record_offset);
    if (record_offset == 0) {
        // Offset 0 is the file header: an index entry that names it is damaged.
        dbx.damaged = true;
        return result;
    }
    // Both entries are read before either is tested.
    RecordHead head = DecodeRecordHead(ReadStructure(dbx, record_offset, kRecordHeadFields).data());
    MessageDataEntry entry = ChooseMessageData(head);
    result.found = entry.found;
    result.kind = entry.kind;
    if (!entry.found || entry.direct) {
        result.first_block = entry.value;
    } else {
        // The value lies in the data area behind the N attribute entries; only bits 8-15 give its place.
        result.first_block = ReadDword(dbx, DataAreaValueOffset(record_offset, head.attribute_count, entry.value));
    }
    return result;
}

}  // namespace dbx
