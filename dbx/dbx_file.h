// DbxFile: the read-only reader of one Outlook Express 5/6 message-folder file (.dbx).
//
// Every value is fetched at an absolute 32-bit offset; an unreadable value reads as 0. The reader does not
// open or close the file. The layout it reads is described in docs/dbx-format.md; the structures are decoded by
// dbx/decode.h and the bytes come from the byte source (dbx/byte_source.h).
//
// Every offset in a store is untrusted. On a damaged file the reader never visits the same index node twice,
// never follows the same block twice within one message, never recurses as deep as the file says, and bounds
// its work by the file's size; it then sets `damaged` so that the caller can tell the user. For a well-formed
// file the results are exactly those of the plain walk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "dbx/byte_source.h"
#include "dbx/chain_budget.h"
#include "dbx/decode.h"
#include "platform/platform.h"

namespace dbx {

using layout::kHeaderMessageCount;
using layout::kHeaderRootNode;

struct ChainsAhead;  // dbx/chains_ahead.h

struct DbxFile {
    uint64_t file_size = 0;         // taken once when the reader is set up
    bool damaged = false;           // set when the reader met a malformed structure
    ByteSource source;              // the file's bytes
    ChainBudget budget;             // what bounds the work of a damaged file
    ChainsAhead* chains = nullptr;  // owned: message texts read ahead, once StartReadingMessagesAhead began it
};

// Sets up a reader over an open file (borrowed: the caller closes it after CloseDbxFile). False when the size
// cannot be taken.
bool OpenDbxFile(DbxFile& dbx, platform::FileHandle file);

// Reads text ahead from now on, for a file of `message_count` messages (where it pays). Every result stays what a
// read of the file gives, as of the moment its bytes were read.
void StartReadingAhead(DbxFile& dbx, size_t message_count);

// Reads the texts of the listed messages ahead from now on, chain after chain in the list's order, on helper
// threads (dbx/chains_ahead.h): where the file is not tiny and a helper can be started; otherwise as
// StartReadingAhead. Called after CollectMessageRecords, with its list. Results stay as above.
void StartReadingMessagesAhead(DbxFile& dbx, const std::vector<uint32_t>& records);

// Ends what the reader keeps of the file. Must come before the file is closed; OpenDbxFile may follow.
void CloseDbxFile(DbxFile& dbx);

// The 32-bit little-endian value at an absolute offset, or 0 when it cannot be read (which marks the file
// damaged: everything the reader reads lies inside a sound file).
uint32_t ReadDword(DbxFile& dbx, uint64_t offset);

// Exactly count bytes at an absolute offset; false otherwise (with the reason in the last-error code:
// the system's for a failed read, platform::kErrorStoreDamaged for bytes past the end of the file).
bool ReadBytes(DbxFile& dbx, uint64_t offset, void* buffer, uint32_t count);

// The count bytes at an absolute offset as the text window holds them, read ahead where needed: a pointer that
// stays valid until the next read of this reader, or null when the window cannot serve them (ReadBytes then
// reads them as asked, with its own failure). Saves copying text that goes straight to the plugin.
const unsigned char* PeekText(DbxFile& dbx, uint64_t offset, uint32_t count);

// The message list: record offsets from the in-order walk of the index tree. Called only after the header's
// message count was found non-zero. A record that the index lists twice stays listed twice (and marks the file
// damaged: a sound index lists each message once). Counts the lookups of records afresh.
std::vector<uint32_t> CollectMessageRecords(DbxFile& dbx);

struct MessageData {
    bool found = false;        // false: the record holds no message data
    uint32_t kind = 0;         // kKindMail or kKindNews
    uint32_t first_block = 0;  // 0: the message has no text
};

MessageData LocateMessageData(DbxFile& dbx, uint32_t record_offset);

// One data block of a message's text chain.
struct Block {
    uint32_t offset = 0;       // where the block starts
    uint32_t text_length = 0;  // its text bytes
    uint64_t text_offset = 0;  // where its text starts (offset + 16)
};

// Walks the block chain of one message; a fresh walk per attempt at a message.
struct BlockChain {
    uint32_t next = 0;  // the next block to visit; 0 ends the chain
    uint64_t blocks_visited = 0;
    uint64_t bytes = 0;    // heads and texts of this chain so far
    bool charged = false;  // counts towards the file's charged chain bytes
    // The blocks of this chain so far. Chains mostly run forward through the file, so blocks that arrive in
    // rising order are kept in a sorted list (a new highest block cannot have been seen); the others in a table
    // of open addressing, at most half full (0 marks a free slot: no block lies at offset 0), which costs no
    // allocation per block where a store's blocks lie scattered.
    std::vector<uint32_t> rising;
    std::vector<uint32_t> others;
    size_t others_count = 0;
};

BlockChain StartBlockChain(uint32_t first_block);

// The next block of the chain, or false at its end. A chain ends early and marks the file damaged when it
// returns to a block it has visited, names a block outside the file, or holds more than the file could
// (for one chain, or for all chains of first attempts together).
bool NextBlock(DbxFile& dbx, BlockChain& chain, Block& block);

}  // namespace dbx
