// Reads of the fixed-size structures the reader decodes (node heads, entries, record heads, block heads): all
// bytes at once where the source holds them; otherwise field by field, each as ReadDword reads it, so that a
// structure cut by the end of the file gives the fields it does hold and marks the file damaged as single reads
// would.
#pragma once

#include <array>
#include <cstdint>

#include "dbx/dbx_file.h"
#include "dbx/layout.h"

namespace dbx {

// A structure of Size bytes and the 32-bit fields the reader decodes from it.
template <uint32_t Size, size_t Count>
struct Structure {
    std::array<uint32_t, Count> fields;
};

inline constexpr Structure<layout::kNodeHeaderSize, 3> kNodeHeadFields{
    {layout::kNodeFirstChild, layout::kNodeEntryCount, layout::kNodeFirstChildCount}};
inline constexpr Structure<layout::kEntrySize, 3> kNodeEntryFields{
    {layout::kEntryRecord, layout::kEntryChild, layout::kEntryChildCount}};
inline constexpr Structure<layout::kRecordHeadSize, 3> kRecordHeadFields{
    {layout::kRecordAttributeCount, layout::kRecordEntry3, layout::kRecordEntry4}};
inline constexpr Structure<layout::kBlockText, 2> kBlockHeadFields{{layout::kBlockTextLength, layout::kBlockNext}};

// All `count` bytes at offset from the source, or false (nothing marked, no error kept) where it cannot give
// them all.
bool ReadWhole(DbxFile& dbx, uint64_t offset, unsigned char* bytes, uint32_t count);

void StoreLe32(unsigned char* bytes, uint32_t value);

template <uint32_t Size, size_t Count>
std::array<unsigned char, Size> ReadStructure(DbxFile& dbx, uint64_t offset, const Structure<Size, Count>& structure)
{
    std::array<unsigned char, Size> bytes{};
    if (offset <= layout::kMaxOffset - (Size - 1) && ReadWhole(dbx, offset, bytes.data(), Size)) return bytes;
    // In field order: where fields overlap (a node's 24-bit count), a later one writes over the byte it shares.
    for (uint32_t at : structure.fields) StoreLe32(bytes.data() + at, ReadDword(dbx, offset + at));
    return bytes;
}

}  // namespace dbx
