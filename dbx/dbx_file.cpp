// The .dbx reader. See docs/dbx-format.md for the layout and dbx_file.h for the guarantees on damaged files.
#include "dbx/dbx_file.h"

#include <cstring>

#include "dbx/little_endian.h"

namespace dbx {
namespace {

// Index tree node.
constexpr uint32_t kNodeFirstChild = 8;
constexpr uint32_t kNodeEntryCount = 17;  // 24 bits: bytes 17 to 19
constexpr uint32_t kNodeFirstChildCount = 20;
constexpr uint32_t kNodeEntries = 24;
constexpr uint32_t kNodeHeaderSize = 24;

// Node entry.
constexpr uint32_t kEntrySize = 12;
constexpr uint32_t kEntryRecord = 0;
constexpr uint32_t kEntryChild = 4;
constexpr uint32_t kEntryChildCount = 8;

// Message record.
constexpr uint32_t kRecordAttributeCount = 10;  // 8 bits
constexpr uint32_t kRecordAttributes = 12;      // 4 bytes per attribute entry
constexpr uint32_t kRecordEntry3 = kRecordAttributes + 4 * 3;
constexpr uint32_t kRecordEntry4 = kRecordAttributes + 4 * 4;

// Attribute entry.
constexpr uint32_t kAttributeDirect = 0x80;  // bit 7 of the id byte: the value is in the entry itself
constexpr uint32_t kMessageDataId = 0x4;     // low four bits of the id byte of the message-data attribute

// Data block.
constexpr uint32_t kBlockTextLength = 8;
constexpr uint32_t kBlockNext = 12;
constexpr uint32_t kBlockText = 16;

constexpr uint64_t kMaxOffset = 0xFFFFFFFFull;

bool IsMessageData(uint32_t attribute) { return (attribute & 0xF) == kMessageDataId; }

// One node on the explicit walk stack: the next entry to list.
struct WalkFrame {
    uint32_t node;
    uint32_t entry_count;
    uint32_t next_entry;
};

class IndexWalk {
public:
    explicit IndexWalk(DbxFile& dbx) : dbx_(dbx) {}

    std::vector<uint32_t> Run()
    {
        uint32_t root = ReadDword(dbx_, kHeaderRootNode);
        if (root == 0) {
            // The header counts messages but names no tree.
            dbx_.damaged = true;
            return {};
        }
        Enter(root);
        while (!stack_.empty()) {
            WalkFrame& frame = stack_.back();
            if (frame.next_entry >= frame.entry_count) {
                stack_.pop_back();
                continue;
            }
            uint64_t entry = uint64_t(frame.node) + kNodeEntries + uint64_t(kEntrySize) * frame.next_entry;
            ++frame.next_entry;
            if (entry >= dbx_.file_size || !Spend(kEntrySize)) {
                // Entries past the end of the file or beyond what the file could hold: the node is damaged.
                dbx_.damaged = true;
                frame.next_entry = frame.entry_count;
                continue;
            }
            uint32_t record = ReadDword(dbx_, entry + kEntryRecord);
            uint32_t child = ReadDword(dbx_, entry + kEntryChild);
            uint32_t child_count = ReadDword(dbx_, entry + kEntryChildCount);
            records_.push_back(record);
            if (child_count != 0) Enter(child);  // may invalidate `frame`
        }
        return std::move(records_);
    }

private:
    // Pushes a node, then its first child and that child's first child and so on, so that each first child's
    // subtree is listed before its parent's entries. A loop, not recursion: the file decides the depth.
    void Enter(uint32_t node)
    {
        for (;;) {
            if (node == 0 || node >= dbx_.file_size || !visited_.insert(node).second || !Spend(kNodeHeaderSize)) {
                dbx_.damaged = true;
                return;
            }
            uint32_t first_child = ReadDword(dbx_, uint64_t(node) + kNodeFirstChild);
            uint32_t entry_count = ReadDword(dbx_, uint64_t(node) + kNodeEntryCount) & 0x00FFFFFF;
            uint32_t first_child_count = ReadDword(dbx_, uint64_t(node) + kNodeFirstChildCount);
            stack_.push_back({node, entry_count, 0});
            if (first_child_count == 0) return;
            node = first_child;
        }
    }

    // Nodes of a sound file do not overlap, so their headers and entries together fit in the file.
    bool Spend(uint64_t bytes)
    {
        if (budget_used_ + bytes > dbx_.file_size) return false;
        budget_used_ += bytes;
        return true;
    }

    DbxFile& dbx_;
    std::vector<WalkFrame> stack_;
    std::vector<uint32_t> records_;
    std::unordered_set<uint32_t> visited_;
    uint64_t budget_used_ = 0;
};

}  // namespace

bool OpenDbxFile(DbxFile& dbx, platform::FileHandle file)
{
    dbx = DbxFile{};
    dbx.file = file;
    return platform::FileSize(file, &dbx.file_size);
}

uint32_t ReadDword(DbxFile& dbx, uint64_t offset)
{
    unsigned char bytes[4];
    uint32_t got = 0;
    if (offset > kMaxOffset) return 0;
    if (!platform::ReadAt(dbx.file, offset, bytes, 4, &got) || got != 4) return 0;
    return LoadLe32(bytes);
}

bool ReadBytes(DbxFile& dbx, uint64_t offset, void* buffer, uint32_t count)
{
    uint32_t got = 0;
    if (offset > kMaxOffset) {
        dbx.damaged = true;
        platform::SetLastError(platform::kErrorStoreDamaged);
        return false;
    }
    if (!platform::ReadAt(dbx.file, offset, buffer, count, &got)) return false;
    if (got != count) {
        dbx.damaged = true;
        platform::SetLastError(platform::kErrorStoreDamaged);
        return false;
    }
    return true;
}

std::vector<uint32_t> CollectMessageRecords(DbxFile& dbx) { return IndexWalk(dbx).Run(); }

MessageData LocateMessageData(DbxFile& dbx, uint32_t record_offset)
{
    MessageData result;
    if (record_offset == 0) {
        // Offset 0 is the file header: an index entry that names it is damaged.
        dbx.damaged = true;
        return result;
    }
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
        uint32_t attribute_count = ReadDword(dbx, uint64_t(record_offset) + kRecordAttributeCount) & 0xFF;
        uint32_t data_offset = (chosen >> 8) & 0xFF;
        result.first_block =
            ReadDword(dbx, uint64_t(record_offset) + kRecordAttributes + 4ull * attribute_count + data_offset);
    }
    return result;
}

BlockChain StartBlockChain(uint32_t first_block)
{
    BlockChain chain;
    chain.next = first_block;
    return chain;
}

bool NextBlock(DbxFile& dbx, BlockChain& chain, Block& block)
{
    uint32_t offset = chain.next;
    if (offset == 0) return false;
    chain.next = 0;
    // Blocks of a sound chain are distinct and each holds at least its 16-byte head.
    if (offset >= dbx.file_size || !chain.seen.insert(offset).second ||
        ++chain.blocks_visited > dbx.file_size / kBlockText) {
        dbx.damaged = true;
        return false;
    }
    block.offset = offset;
    block.text_length = ReadDword(dbx, uint64_t(offset) + kBlockTextLength);
    block.text_offset = uint64_t(offset) + kBlockText;
    chain.next = ReadDword(dbx, uint64_t(offset) + kBlockNext);
    return true;
}

}  // namespace dbx
