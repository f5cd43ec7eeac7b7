// The folder list: a folder record's attributes, and the records of the index tree.
#include "dbx/folder_list.h"

#include <algorithm>
#include <unordered_set>

#include "dbx/layout.h"
#include "dbx/little_endian.h"
#include "dbx/record_attributes.h"

namespace dbx {

using namespace layout;

namespace {

// A record bigger than this is not a folder record: no sound folder list holds one.
constexpr uint32_t kMaxFolderRecordSize = 0x10000;

}  // namespace

uint32_t FolderRecordSize(const unsigned char* head)
{
    uint64_t size = uint64_t(kRecordAttributes) + LoadLe32(head + kRecordBodyLength);
    return static_cast<uint32_t>(std::min<uint64_t>(size, kMaxFolderRecordSize));
}

bool DecodeFolderRecord(const unsigned char* bytes, size_t size, FolderRecord& record)
{
    record = FolderRecord{};
    RecordAttributes input;
    if (!ViewRecordAttributes(bytes, size, input)) return false;
    bool sound = !input.entries_cut;
    auto number = [&](uint32_t entry, uint32_t& value) {
        if (ReadNumberValue(input, entry, value) != ValueRead::kWhole) sound = false;
    };
    auto text = [&](uint32_t entry, std::string& value) {
        if (ReadTextValue(input, entry, value) != ValueRead::kWhole) sound = false;
    };
    // Every entry in turn: a listed attribute that cannot be read makes the record unsound.
    for (size_t i = 0; i < input.entry_count; ++i) {
        uint32_t entry = AttributeEntry(input, i);
        switch (AttributeId(entry)) {
        case kFolderAttributeId:
            number(entry, record.id);
            break;
        case kFolderAttributeParentId:
            number(entry, record.parent_id);
            break;
        case kFolderAttributeName:
            text(entry, record.name);
            break;
        case kFolderAttributeFileName:
            text(entry, record.file_name);
            break;
        case kFolderAttributeSpecial:
            number(entry, record.special);
            break;
        case kFolderAttributeStoreKind:
            number(entry, record.store_kind);
            break;
        default:
            break;
        }
    }
    return sound;
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
        unsigned char head[kRecordAttributes];
        if (offset == 0 || !ReadBytes(dbx, offset, head, kRecordAttributes)) {
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
