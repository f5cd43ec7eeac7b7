// DbxFile: the read-only reader of one Outlook Express 5/6 message-folder file (.dbx).
//
// Every value is fetched at an absolute 32-bit offset; an unreadable value reads as 0. The reader does not
// open or close the file. The layout it reads is described in docs/dbx-format.md.
//
// Every offset in a store is untrusted. On a damaged file the reader never visits the same index node twice,
// never follows the same block twice within one message, never recurses as deep as the file says, and bounds
// its work by the file's size; it then sets `damaged` so that the caller can tell the user. For a well-formed
// file the results are exactly those of the plain walk.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/platform.h"

namespace dbx {

// Named offsets of the file header.
inline constexpr uint32_t kHeaderMessageCount = 0xC4;  // 196: tested against zero only
inline constexpr uint32_t kHeaderRootNode = 0xE4;      // 228: the root of the message index tree

struct DbxFile {
    platform::FileHandle file = platform::kNoFile;  // borrowed: opened and closed by the caller
    uint64_t file_size = 0;                         // taken once when the reader is set up
    bool damaged = false;                           // set when the reader met a malformed structure

    // Windows of the file read ahead, so that most reads come from memory instead of a system call each: the
    // last four 4 KiB pages that values were read from (index nodes and records lie close together, and a walk
    // goes back and forth between a node and its children), and the last 64 KiB of message text (a chain's
    // blocks usually follow one another, and their heads are read from there too) or the last text read ahead
    // (below). Bytes outside them are read from the file again, and a read the windows
    // cannot serve in full is made exactly as asked, so every result is what a read of the file gives.
    struct Window {
        std::vector<unsigned char> bytes;
        uint64_t start = 0;
    };
    std::array<Window, 4> values;  // the most recently used first
    Window text;

    // Text read ahead on a helper thread, once StartReadingAhead has started one: while the text window moves
    // forward through the file, the text that follows it (from a window's length before its end, so that text
    // straddling its end lies whole in it; 256 KiB at first, then twice as much each time, up to 2 MiB) is read
    // while the window's text is converted, and the window then moves onto it. A window that jumps elsewhere is
    // read in place, as without a helper, and so are the first few windows after it that move forward.
    struct ReadAhead {
        platform::BackgroundReader* helper = nullptr;
        std::vector<unsigned char> bytes;  // the helper's while a read is in flight
        uint64_t start = 0;
        uint32_t asked = 0;  // bytes of the read in flight; 0 when none is
        uint32_t size = 0;   // bytes of the read begun last
        uint32_t forward_moves = 0;  // reads in place in a row that went on at or just past the window before
        uint32_t forward_moves_needed = 0;  // before reading ahead: more while the helper falls behind
    };
    ReadAhead ahead;

    // What bounds the work of a damaged file. In a sound file the blocks of all messages are distinct, so the
    // chains walked for the first attempt at each listed record add up to no more than the file's size;
    // further attempts at a record (the user's retries) are not charged.
    // Per record the index walk listed, in record order: how often it was listed and how often LocateMessageData
    // was asked for it (a sorted list: one lookup per message must cost next to nothing). Records the index did
    // not list are counted apart.
    struct RecordCounts {
        uint32_t record;
        uint32_t listings;
        uint32_t lookups;
    };
    std::vector<RecordCounts> listed;
    std::unordered_map<uint32_t, uint32_t> unlisted_lookups;
    bool last_lookup_charged = true;   // the latest LocateMessageData was a first attempt at its record
    uint64_t charged_chain_bytes = 0;  // heads and texts of the charged chains so far
};

// Sets up a reader over an open file (takes its size). False when the size cannot be taken.
bool OpenDbxFile(DbxFile& dbx, platform::FileHandle file);

// Reads text ahead on a helper thread from now on, for a file of `message_count` messages that are small on
// average (otherwise, or where no thread can be started, nothing changes). Every result stays what a read of
// the file gives, as of the moment its bytes were read.
void StartReadingAhead(DbxFile& dbx, size_t message_count);

// Waits for a read still in flight and ends the helper. Must come before the file is closed.
void StopReadingAhead(DbxFile& dbx);

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

// Values of MessageKind (plugin_api): 1 mail, 2 news.
inline constexpr uint32_t kKindMail = 1;
inline constexpr uint32_t kKindNews = 2;

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
    uint32_t next = 0;                  // the next block to visit; 0 ends the chain
    uint64_t blocks_visited = 0;
    uint64_t bytes = 0;                 // heads and texts of this chain so far
    bool charged = false;               // counts towards the file's charged chain bytes
    // The blocks of this chain so far. Chains mostly run forward through the file, so blocks that arrive in
    // rising order are kept in a sorted list (a new highest block cannot have been seen); the others in a set.
    std::vector<uint32_t> rising;
    std::unordered_set<uint32_t> others;
};

BlockChain StartBlockChain(uint32_t first_block);

// The next block of the chain, or false at its end. A chain ends early and marks the file damaged when it
// returns to a block it has visited, names a block outside the file, or holds more than the file could
// (for one chain, or for all chains of first attempts together).
bool NextBlock(DbxFile& dbx, BlockChain& chain, Block& block);

}  // namespace dbx
