// Low-level pieces of a .dbx store image, for fixtures that need a chosen or damaged shape: each structure is
// encoded on its own and then placed at any offset of an image in memory or of a (sparse) file on disk.
// The layout follows docs/dbx-format.md; fields the reader never reads are filled as Outlook Express fills them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace fixture {

// The first 16 bytes of every message-folder file.
inline constexpr unsigned char kFolderSignature[16] = {0xcf, 0xad, 0x12, 0xfe, 0xc5, 0xfd, 0x74, 0x6f,
                                                       0x66, 0xe3, 0xd1, 0x11, 0x9a, 0x4e, 0x00, 0xc0};
inline constexpr uint32_t kHeaderSize = 0x24BC;
inline constexpr uint32_t kHeaderMessageCount = 0xC4;
inline constexpr uint32_t kHeaderRootNode = 0xE4;

inline constexpr uint32_t kNodeHeaderSize = 24;
inline constexpr uint32_t kNodeEntrySize = 12;
inline constexpr uint32_t kBlockHeadSize = 16;
inline constexpr uint32_t kRecordAttributesAt = 12;

// ---- Numbers ------------------------------------------------------------------------------------------------

std::string Le32(uint32_t value);
uint32_t GetLe32(std::string_view bytes, uint64_t offset);  // 0 past the end

// Writes bytes at an offset of an image, growing it with zeros as needed.
void Place(std::string& image, uint64_t offset, std::string_view bytes);
void PatchLe32(std::string& image, uint64_t offset, uint32_t value);

// ---- Structures ---------------------------------------------------------------------------------------------

// The file header: signature, message count at 0xC4, root node offset at 0xE4; `size` bytes (at least 0xE8).
std::string EncodeHeader(uint32_t message_count, uint32_t root_node, uint32_t size = kHeaderSize);

struct NodeEntry {
    uint32_t record = 0;       // offset of a message record
    uint32_t child = 0;        // offset of the child node whose subtree follows this entry
    uint32_t child_count = 0;  // records in that subtree; 0 = no child
};

struct NodeSpec {
    uint32_t self = 0;               // the node's own offset, stored at 0 as Outlook Express does
    uint32_t parent = 0;             // stored at 12
    uint32_t first_child = 0;        // at 8
    uint32_t first_child_count = 0;  // at 20; 0 = no first child
    std::vector<NodeEntry> entries{};  // from 24, 12 bytes each
    int64_t entry_count = -1;        // the 24-bit count at 17 (bytes 17 to 19); -1 = entries.size()
    uint32_t capacity = 0;           // entry slots to reserve (zero-filled); 0 = entries.size()
};
std::string EncodeNode(const NodeSpec& node);

// Attribute entries of a message record.
uint32_t DirectAttribute(uint8_t id, uint32_t value);          // id with bit 7 set, value in bits 8-31
uint32_t IndirectAttribute(uint8_t id, uint32_t data_offset);  // id with bit 7 clear, offset in bits 8-15 (and up)

struct RecordSpec {
    uint32_t self = 0;                 // stored at 0
    std::vector<uint32_t> attributes{};  // N = attributes.size() (at most 255), from offset 12
    int attribute_count = -1;          // the byte at 10; -1 = attributes.size()
    std::string data_area{};           // follows the attribute entries
};
std::string EncodeRecord(const RecordSpec& record);

// A data block: self offset, allocated size, text length, next block, then the text padded to `allocated`.
struct BlockSpec {
    uint32_t self = 0;
    uint32_t text_length = 0;  // the stored count; normally text.size()
    uint32_t next = 0;
    std::string_view text{};
    uint32_t allocated = 0;    // bytes reserved for text; at least text.size()
};
std::string EncodeBlock(const BlockSpec& block);

// ---- Files --------------------------------------------------------------------------------------------------

// Writes pieces at chosen offsets of a new file and extends it to `size` bytes (when larger), leaving holes
// for the file system to keep sparse. False when any write fails (the file is then removed).
struct FilePiece {
    uint64_t offset = 0;
    std::string bytes;
};
bool WriteSparseFile(const std::string& path, const std::vector<FilePiece>& pieces, uint64_t size);

}  // namespace fixture
