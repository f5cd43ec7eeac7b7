#include "tests/support/dbx_pieces.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace fixture {

std::string Le32(uint32_t value)
{
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    return bytes;
}

uint32_t GetLe32(std::string_view bytes, uint64_t offset)
{
    if (offset > bytes.size() || bytes.size() - offset < 4) return 0;
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes[offset + i]);
    return value;
}

void Place(std::string& image, uint64_t offset, std::string_view bytes)
{
    if (image.size() < offset + bytes.size()) image.resize(offset + bytes.size(), '\0');
    std::copy(bytes.begin(), bytes.end(), image.begin() + static_cast<std::ptrdiff_t>(offset));
}

void PatchLe32(std::string& image, uint64_t offset, uint32_t value) { Place(image, offset, Le32(value)); }

std::string EncodeHeader(uint32_t message_count, uint32_t root_node, uint32_t size)
{
    std::string header(std::max<uint32_t>(size, kHeaderRootNode + 4), '\0');
    Place(header, 0, std::string_view(reinterpret_cast<const char*>(kFolderSignature), sizeof kFolderSignature));
    PatchLe32(header, kHeaderMessageCount, message_count);
    PatchLe32(header, kHeaderRootNode, root_node);
    return header;
}

std::string EncodeNode(const NodeSpec& node)
{
    uint32_t slots = std::max<uint32_t>(node.capacity, static_cast<uint32_t>(node.entries.size()));
    std::string bytes(kNodeHeaderSize + kNodeEntrySize * slots, '\0');
    uint32_t count = node.entry_count < 0 ? static_cast<uint32_t>(node.entries.size())
                                          : static_cast<uint32_t>(node.entry_count);
    PatchLe32(bytes, 0, node.self);
    PatchLe32(bytes, 8, node.first_child);
    PatchLe32(bytes, 12, node.parent);
    // The count is 24 bits wide: bytes 17 to 19. Byte 16 stays 0.
    bytes[17] = static_cast<char>(count & 0xFF);
    bytes[18] = static_cast<char>((count >> 8) & 0xFF);
    bytes[19] = static_cast<char>((count >> 16) & 0xFF);
    PatchLe32(bytes, 20, node.first_child_count);
    for (size_t i = 0; i < node.entries.size(); ++i) {
        uint64_t at = kNodeHeaderSize + kNodeEntrySize * i;
        PatchLe32(bytes, at, node.entries[i].record);
        PatchLe32(bytes, at + 4, node.entries[i].child);
        PatchLe32(bytes, at + 8, node.entries[i].child_count);
    }
    return bytes;
}

uint32_t DirectAttribute(uint8_t id, uint32_t value) { return (id | 0x80u) | value << 8; }

uint32_t IndirectAttribute(uint8_t id, uint32_t data_offset) { return (id & 0x7Fu) | data_offset << 8; }

std::string EncodeRecord(const RecordSpec& record)
{
    std::string bytes(kRecordAttributesAt + 4 * record.attributes.size(), '\0');
    PatchLe32(bytes, 0, record.self);
    // Sizes at 4 and 8 that the reader never reads. (Real records keep their body size at 4; these images keep
    // the layout that stores already made from this builder were written with.)
    PatchLe32(bytes, 4, static_cast<uint32_t>(record.data_area.size()));
    uint32_t total = static_cast<uint32_t>(bytes.size() + record.data_area.size());
    bytes[8] = static_cast<char>(total & 0xFF);
    bytes[9] = static_cast<char>((total >> 8) & 0xFF);
    int count = record.attribute_count < 0 ? static_cast<int>(record.attributes.size()) : record.attribute_count;
    bytes[10] = static_cast<char>(count & 0xFF);
    for (size_t i = 0; i < record.attributes.size(); ++i)
        PatchLe32(bytes, kRecordAttributesAt + 4 * i, record.attributes[i]);
    bytes += record.data_area;
    return bytes;
}

std::string EncodeBlock(const BlockSpec& block)
{
    uint32_t allocated = std::max<uint32_t>(block.allocated, static_cast<uint32_t>(block.text.size()));
    std::string bytes(kBlockHeadSize + allocated, '\0');
    PatchLe32(bytes, 0, block.self);
    PatchLe32(bytes, 4, allocated);
    PatchLe32(bytes, 8, block.text_length);
    PatchLe32(bytes, 12, block.next);
    std::copy(block.text.begin(), block.text.end(), bytes.begin() + kBlockHeadSize);
    return bytes;
}

bool WriteSparseFile(const std::string& path, const std::vector<FilePiece>& pieces, uint64_t size)
{
    bool ok;
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        ok = static_cast<bool>(out);
        for (const FilePiece& piece : pieces) {
            if (!ok) break;
            out.seekp(static_cast<std::streamoff>(piece.offset));
            out.write(piece.bytes.data(), static_cast<std::streamsize>(piece.bytes.size()));
            ok = static_cast<bool>(out);
        }
        out.close();
        ok = ok && !out.fail();
    }
    std::error_code error;
    if (ok && std::filesystem::file_size(path, error) < size) std::filesystem::resize_file(path, size, error);
    if (!ok || error) {
        std::filesystem::remove(path, error);
        return false;
    }
    return true;
}

}  // namespace fixture
