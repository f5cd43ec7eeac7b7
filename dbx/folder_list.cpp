// The folder list: record decoding from bytes in memory, and the records of the index tree.
#include "dbx/folder_list.h"

#include <algorithm>
#include <unordered_set>

#include "dbx/layout.h"
#include "dbx/little_endian.h"

namespace dbx {
namespace {

// Record head.
constexpr uint32_t kRecordBodyLength = 4;
constexpr uint32_t kRecordHeadSize = 12;

// Folder attributes (the id byte less its bit 7).
constexpr uint32_t kAttributeFolderId = 0x00;
constexpr uint32_t kAttributeParentId = 0x01;
constexpr uint32_t kAttributeName = 0x02;
constexpr uint32_t kAttributeFileName = 0x03;
constexpr uint32_t kAttributeSpecial = 0x09;
constexpr uint32_t kAttributeStoreKind = 0x0A;

// A record bigger than this is not a folder record: no sound folder list holds one.
constexpr uint32_t kMaxFolderRecordSize = 0x10000;

struct RecordBytes {
    const unsigned char* bytes;
    size_t size;
    size_t data_area;  // where the values of indirect attributes start
    bool sound = true;
};

uint32_t NumberValue(RecordBytes& record, uint32_t entry)
{
    if (entry & layout::kAttributeDirect) return entry >> 8;
    size_t at = record.data_area + (entry >> 8);
    if (at + 4 > record.size || at < record.data_area) {
        record.sound = false;
        return 0;
    }
    return LoadLe32(record.bytes + at);
}

std::string TextValue(RecordBytes& record, uint32_t entry)
{
    if (entry & layout::kAttributeDirect) {
        record.sound = false;  // a text never fits in the entry
        return {};
    }
    size_t at = record.data_area + (entry >> 8);
    if (at >= record.size) {
        record.sound = false;
        return {};
    }
    const unsigned char* begin = record.bytes + at;
    const unsigned char* end = record.bytes + record.size;
    const unsigned char* terminator = std::find(begin, end, 0);
    if (terminator == end) record.sound = false;  // cut by the end of the record: kept as far as it goes
    return std::string(reinterpret_cast<const char*>(begin), static_cast<size_t>(terminator - begin));
}

}  // namespace

uint32_t FolderRecordSize(const unsigned char* head)
{
    uint64_t size = uint64_t(kRecordHeadSize) + LoadLe32(head + kRecordBodyLength);
    return static_cast<uint32_t>(std::min<uint64_t>(size, kMaxFolderRecordSize));
}

bool DecodeFolderRecord(const unsigned char* bytes, size_t size, FolderRecord& record)
{
    record = FolderRecord{};
    if (size < kRecordHeadSize) return false;
    size_t count = bytes[layout::kRecordAttributeCount];
    RecordBytes input{bytes, size, kRecordHeadSize + 4 * count};
    if (input.data_area > size) {
        // Only the entries that are there: values beyond them are missing anyway.
        input.sound = false;
        count = (size - kRecordHeadSize) / 4;
        input.data_area = size;
    }
    for (size_t i = 0; i < count; ++i) {
        uint32_t entry = LoadLe32(bytes + kRecordHeadSize + 4 * i);
        switch (entry & 0x7F) {
        case kAttributeFolderId: record.id = NumberValue(input, entry); break;
        case kAttributeParentId: record.parent_id = NumberValue(input, entry); break;
        case kAttributeName: record.name = TextValue(input, entry); break;
        case kAttributeFileName: record.file_name = TextValue(input, entry); break;
        case kAttributeSpecial: record.special = NumberValue(input, entry); break;
        case kAttributeStoreKind: record.store_kind = NumberValue(input, entry); break;
        default: break;
        }
    }
    return input.sound;
}

bool IsFolderList(DbxFile& dbx)
{
    return dbx.file_size >= kHeaderRootNode + 4 && ReadDword(dbx, kHeaderSignature) == kFolderListSignature;
}

std::vector<FolderRecord> ReadFolderList(DbxFile& dbx)
{
    std::vector<FolderRecord> folders;
    if (ReadDword(dbx, kHeaderMessageCount) == 0) return folders;
    std::vector<uint32_t> offsets = CollectMessageRecords(dbx);
    std::unordered_set<uint32_t> seen;
    // Records of a sound list do not overlap: together they fit in the file.
    uint64_t budget = dbx.file_size;
    std::vector<unsigned char> bytes;
    for (uint32_t offset : offsets) {
        if (!seen.insert(offset).second) continue;
        unsigned char head[kRecordHeadSize];
        if (offset == 0 || !ReadBytes(dbx, offset, head, kRecordHeadSize)) {
            dbx.damaged = true;
            continue;
        }
        uint32_t size = FolderRecordSize(head);
        uint64_t available = dbx.file_size - offset;
        if (size > available) {
            dbx.damaged = true;
            size = static_cast<uint32_t>(available);
        }
        if (size > budget) {
            dbx.damaged = true;
            break;
        }
        budget -= size;
        bytes.resize(size);
        if (!ReadBytes(dbx, offset, bytes.data(), size)) {
            dbx.damaged = true;
            continue;
        }
        FolderRecord record;
        if (!DecodeFolderRecord(bytes.data(), bytes.size(), record)) dbx.damaged = true;
        folders.push_back(std::move(record));
    }
    return folders;
}

}  // namespace dbx
