// Decoding of the store's structures from bytes in memory, with no file behind them: the header, an index node's
// head and entries, a message record's head and its message-data value, and a data block's head. The reader
// fetches the bytes (dbx_file.h); the folder list and the recovery of lost messages decode the same structures.
// The byte positions are those of docs/dbx-format.md, named in dbx/layout.h.
#pragma once

#include <cstdint>

#include "dbx/layout.h"

namespace dbx {

// File header: kHeaderSize bytes from offset 0.
struct Header {
    uint32_t message_count = 0;
    uint32_t root_node = 0;
};
Header DecodeHeader(const unsigned char* bytes);

// Index node head: layout::kNodeHeaderSize bytes.
struct NodeHead {
    uint32_t first_child = 0;
    uint32_t entry_count = 0;  // 24 bits
    uint32_t first_child_count = 0;
};
NodeHead DecodeNodeHead(const unsigned char* bytes);

// Node entry: layout::kEntrySize bytes.
struct NodeEntry {
    uint32_t record = 0;
    uint32_t child = 0;
    uint32_t child_count = 0;
};
NodeEntry DecodeNodeEntry(const unsigned char* bytes);

// The part of a record head that tells where its message data is: layout::kRecordHeadSize bytes.
struct RecordHead {
    uint32_t attribute_count = 0;  // 8 bits
    uint32_t entry3 = 0;
    uint32_t entry4 = 0;
};
RecordHead DecodeRecordHead(const unsigned char* bytes);

// Values of MessageKind (plugin_api): 1 mail, 2 news.
inline constexpr uint32_t kKindMail = 1;
inline constexpr uint32_t kKindNews = 2;

// Which attribute entry holds the message data, and where its value is. Entry 4 wins over entry 3.
struct MessageDataEntry {
    bool found = false;   // false: the record holds no message data
    uint32_t kind = 0;    // kKindMail or kKindNews
    bool direct = false;  // the value (the first block) is the entry's bits 8-31
    uint32_t value = 0;   // direct: the first block; otherwise the value's place in the data area (bits 8-15)
};
MessageDataEntry ChooseMessageData(const RecordHead& head);

// Where a value of the data area lies: record + 12 + 4N + its place. In 64 bits: a record in the last bytes
// below 4 GiB may name a value past them, which no store holds.
uint64_t DataAreaValueOffset(uint32_t record_offset, uint32_t attribute_count, uint32_t place);

// Data block head: layout::kBlockText bytes.
struct BlockHead {
    uint32_t text_length = 0;
    uint32_t next = 0;
};
BlockHead DecodeBlockHead(const unsigned char* bytes);

}  // namespace dbx
