// Named offsets of the structures the reader reads (docs/dbx-format.md has the tables).
#pragma once

#include <cstdint>

namespace dbx::layout {

// File header.
inline constexpr uint32_t kHeaderMessageCount = 0xC4;  // tested against zero only
inline constexpr uint32_t kHeaderRootNode = 0xE4;      // the root of the message index tree
inline constexpr uint32_t kHeaderSize = 0xE8;          // the bytes up to the last field read

// Index tree node.
inline constexpr uint32_t kNodeFirstChild = 8;
inline constexpr uint32_t kNodeEntryCount = 17;  // 24 bits: bytes 17 to 19
inline constexpr uint32_t kNodeFirstChildCount = 20;
inline constexpr uint32_t kNodeEntries = 24;
inline constexpr uint32_t kNodeHeaderSize = 24;

// Node entry.
inline constexpr uint32_t kEntrySize = 12;
inline constexpr uint32_t kEntryRecord = 0;
inline constexpr uint32_t kEntryChild = 4;
inline constexpr uint32_t kEntryChildCount = 8;

// Record (message and folder records alike).
inline constexpr uint32_t kRecordBodyLength = 4;       // the bytes after the 12-byte head
inline constexpr uint32_t kRecordAttributeCount = 10;  // 8 bits
inline constexpr uint32_t kRecordAttributes = 12;      // 4 bytes per attribute entry
inline constexpr uint32_t kRecordEntry3 = kRecordAttributes + 4 * 3;
inline constexpr uint32_t kRecordEntry4 = kRecordAttributes + 4 * 4;
inline constexpr uint32_t kRecordHeadSize = kRecordEntry4 + 4;  // the bytes up to entry 4

// Attribute entry.
inline constexpr uint32_t kAttributeEntrySize = 4;
inline constexpr uint32_t kAttributeIdMask = 0x7F;
inline constexpr uint32_t kAttributeDirect = 0x80;   // bit 7 of the id byte: the value is in the entry itself
inline constexpr uint32_t kAttributeValueShift = 8;  // the upper 24 bits: the value, or its place in the data area
inline constexpr uint32_t kMessageDataId = 0x4;      // low four bits of the id byte of the message-data attribute

// Folder record attribute ids.
inline constexpr uint32_t kFolderAttributeId = 0x00;
inline constexpr uint32_t kFolderAttributeParentId = 0x01;
inline constexpr uint32_t kFolderAttributeName = 0x02;
inline constexpr uint32_t kFolderAttributeFileName = 0x03;
inline constexpr uint32_t kFolderAttributeSpecial = 0x09;
inline constexpr uint32_t kFolderAttributeStoreKind = 0x0A;

// Data block.
inline constexpr uint32_t kBlockTextLength = 8;
inline constexpr uint32_t kBlockNext = 12;
inline constexpr uint32_t kBlockText = 16;

// Offsets are 32 bits wide: nothing of a store lies beyond this.
inline constexpr uint64_t kMaxOffset = 0xFFFFFFFFull;

}  // namespace dbx::layout
