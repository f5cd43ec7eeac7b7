// The recovery scan: message texts that lie in a .dbx file outside its index, found by the shape of their block
// heads.
//
// One pass over the file in large chunks notes every head that looks like a block: a live head (size word
// 0x200, 1 to 0x200 bytes used) or the head of a freed block (0x1FC, 0x210; the first 4 text bytes now hold the
// free-list link and are lost). A head's own-offset word need not equal its position: what holds within one
// chain is that the difference, the shift, is the same for every block, and that a next-block word names the
// next block in the same shifted terms. Chains are then rebuilt in memory from the heads that no other head
// links to, leaving out every block that the index's own chains reach. Every byte of a recovered text comes
// from the file, except the lost bytes of freed blocks, which read as the placeholder.
//
// Everything here but ScanFile and ReadChainPiece works on bytes and tables in memory.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "dbx/dbx_file.h"

namespace dbx {

// What stands in for each byte of text that a freed block lost.
inline constexpr unsigned char kLostBytePlaceholder = '?';
inline constexpr uint32_t kFreedLostBytes = 4;  // per freed block: the free-list link took them

// A block head noted by the scan: 16 bytes, so that the table of a large file stays small.
struct CandidateBlock {
    uint32_t position = 0;  // where the head lies
    uint32_t self = 0;      // its own-offset word as stored
    uint32_t next = 0;      // its next-block word as stored, in the chain's shifted terms; 0 ends a chain
    uint32_t info = 0;      // text length (kInfoLengthMask) and the kInfo* flags below
};

inline constexpr uint32_t kInfoLengthMask = 0xFFFF;
inline constexpr uint32_t kInfoFreed = 1u << 31;      // a freed block: its first kFreedLostBytes are lost
inline constexpr uint32_t kInfoIndexed = 1u << 30;    // the index reaches it: never recovered
inline constexpr uint32_t kInfoLinkedTo = 1u << 29;   // another candidate's next word names it
inline constexpr uint32_t kInfoLinksOn = 1u << 28;    // its next word names another candidate
inline constexpr uint32_t kInfoTaken = 1u << 27;      // already part of a recovered chain
inline constexpr uint32_t kInfoIgnored = 1u << 26;    // lies inside text the index or a chain holds
inline constexpr uint32_t kInfoDescribed = 1u << 25;  // walked by DescribeIndexedChain

// Candidates in the order of their positions, at most `limit` of them.
struct CandidateTable {
    std::vector<CandidateBlock> blocks;
    size_t limit = 0;   // the memory budget, in candidates
    bool full = false;  // candidates past the budget were dropped: the search is incomplete
    // Per 4 KiB page of the file, the table index of its first candidate (and one past the last page): made by
    // RebuildChains, so that finding the candidate at a position costs a look at one page's few candidates instead
    // of a search of the whole table (at most 4 bytes per page: 4 MiB for a 4 GiB file).
    std::vector<uint32_t> page_starts;
};

// The default budget: 32 MiB of candidates and as much again for the chains rebuilt from them.
inline constexpr size_t kDefaultCandidateLimit = (size_t(32) << 20) / sizeof(CandidateBlock);

// Reads a block head at `bytes`, which lies at `position` of a file of `file_size` bytes; `available` bytes
// are readable from `bytes` on (a freed last block needs its whole text to find where the text ends). False
// when the bytes do not look like a block head whose text lies in the file.
bool RecognizeBlockHead(const unsigned char* bytes, size_t available, uint64_t position, uint64_t file_size,
                        CandidateBlock& candidate);

// Bytes a chunk must hold past its last head position for every head to be recognised whole.
inline constexpr size_t kChunkOverlap = 16 + 0x200;

// Notes the candidates whose heads lie at chunk positions 0 to heads - 1; `chunk` holds `size` bytes from
// file offset `chunk_start` (heads plus the overlap where the file goes on). Positions must rise from call to
// call. Sets table.full instead of growing past the limit.
void NoteCandidates(CandidateTable& table, const unsigned char* chunk, size_t size, size_t heads, uint64_t chunk_start,
                    uint64_t file_size);

// The whole pass over an open file, in chunks of `chunk_size` bytes, ending early (true) when `stop` becomes set.
// False when a read fails (the reason in the last-error code); the candidates noted before it stay.
inline constexpr size_t kScanChunkSize = size_t(2) << 20;
bool ScanFile(DbxFile& dbx, CandidateTable& table, size_t chunk_size = kScanChunkSize,
              const std::atomic<bool>* stop = nullptr);

// One recovered text: a run of linked candidates.
struct RecoveredChain {
    uint32_t first = 0;        // the table index of its first block
    uint32_t blocks = 0;       // how many blocks it holds
    uint64_t text_length = 0;  // its bytes, lost ones included
    uint64_t lost = 0;         // of which lost (the placeholder stands in for them)
    bool freed = false;        // made of freed blocks (a deleted message)
};

// The texts outside the index. `indexed_first_blocks` are the first blocks of the index's messages and
// `records` the positions of its records: candidates there, along the index's chains and inside their text are
// left out. Each chain is the longest run that holds together: it ends at a missing or foreign block, a
// different shift, or a block taken already (a loop, or a second link to it). Chains whose every block has an
// incoming link (loops) are started from their lowest block. A lone head with a shift is not taken for a text.
// Marks the table as it goes; in position order of the first blocks, loops last.
std::vector<RecoveredChain> RebuildChains(CandidateTable& table, const std::vector<uint32_t>& indexed_first_blocks,
                                          const std::vector<uint32_t>& records);

// One block of a recovered chain as text: where its text lies and how many of its first bytes are lost.
struct ChainBlockText {
    uint64_t text_offset = 0;
    uint32_t length = 0;       // lost bytes included
    uint32_t lost_prefix = 0;  // the first bytes that read as the placeholder
};

// Walks the blocks of one chain as RebuildChains found them.
struct ChainCursor {
    size_t candidate = 0;
    uint32_t remaining = 0;
};

ChainCursor StartChainText(const RecoveredChain& chain);
bool NextChainBlock(const CandidateTable& table, ChainCursor& cursor, ChainBlockText& block);

// The chain that the index reaches from `first_block` (after RebuildChains), described as a recovered one, for
// comparing texts; false when the table does not hold its first block or describes it already. Each block is
// described once: a chain ends where it meets a block described before.
bool DescribeIndexedChain(CandidateTable& table, uint32_t first_block, RecoveredChain& chain);

// Reads a chain's text piece by piece, the placeholder standing in for lost bytes.
struct ChainReader {
    ChainCursor cursor;
    ChainBlockText block;
    uint32_t done = 0;  // bytes of `block` given already
    bool has_block = false;
};

ChainReader StartChainReader(const RecoveredChain& chain);

// The next piece of the text into `buffer`: at most `max` bytes, never across the end of a block or of its lost
// bytes; `count` 0 at the end of the text. False when the file cannot be read (the reason in the last-error
// code).
bool ReadChainPiece(DbxFile& dbx, const CandidateTable& table, ChainReader& reader, unsigned char* buffer, uint32_t max,
                    uint32_t& count);

// The table index of the candidate at `position` with the given shift, or -1.
long long FindCandidate(const CandidateTable& table, uint32_t position, uint32_t shift);

}  // namespace dbx
