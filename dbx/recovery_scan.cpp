// The recovery scan: recognising block heads in bytes, and rebuilding chains from them in memory.
#include "dbx/recovery_scan.h"

#include <algorithm>
#include <cstring>

#include "dbx/layout.h"
#include "dbx/little_endian.h"

namespace dbx {

using namespace layout;

namespace {

// Words of a block head, live and freed.
constexpr uint32_t kHeadSelf = 0;
constexpr uint32_t kHeadSize = 4;
constexpr uint32_t kHeadUsed = 8;
constexpr uint32_t kHeadNext = 12;
constexpr uint32_t kLiveBlockSize = 0x200;
constexpr uint32_t kFreedSizeWord = 0x1FC;    // the object size minus 0x14
constexpr uint32_t kFreedObjectSize = 0x210;  // head and text

uint32_t Shift(const CandidateBlock& block) { return block.self - block.position; }
uint32_t TextLength(const CandidateBlock& block) { return block.info & kInfoLengthMask; }
bool Has(const CandidateBlock& block, uint32_t flags) { return (block.info & flags) != 0; }

constexpr uint32_t kPageShift = 12;

// The table index of the candidate at `position` whatever its shift, or -1.
long long FindAt(const CandidateTable& table, uint32_t position)
{
    auto first = table.blocks.begin();
    auto last = table.blocks.end();
    size_t page = position >> kPageShift;
    // (An index made before more candidates were noted is not used.)
    if (!table.page_starts.empty() && table.page_starts.back() == table.blocks.size()) {
        if (page + 1 >= table.page_starts.size()) return -1;
        first = table.blocks.begin() + table.page_starts[page];
        last = table.blocks.begin() + table.page_starts[page + 1];
    }
    auto before = [](const CandidateBlock& block, uint32_t value) { return block.position < value; };
    auto place = std::lower_bound(first, last, position, before);
    if (place == last || place->position != position) return -1;
    return place - table.blocks.begin();
}

void IndexPages(CandidateTable& table)
{
    size_t pages = table.blocks.empty() ? 0 : (table.blocks.back().position >> kPageShift) + 1;
    table.page_starts.assign(pages + 1, 0);
    size_t k = 0;
    for (size_t page = 0; page <= pages; ++page) {
        while (k < table.blocks.size() && (table.blocks[k].position >> kPageShift) < page) ++k;
        table.page_starts[page] = static_cast<uint32_t>(k);
    }
}

// The candidate at `position` named by candidate k, or -1: the one after k in the table first, since the next
// block of most chains follows right after (a search of the whole table per block cost a store read in order
// more than its conversion).
long long FindAfter(const CandidateTable& table, size_t k, uint32_t position)
{
    if (k + 1 < table.blocks.size() && table.blocks[k + 1].position == position) return static_cast<long long>(k + 1);
    return FindAt(table, position);
}

// k when candidate k has the given shift, -1 otherwise (and for k -1).
long long WithShift(const CandidateTable& table, long long k, uint32_t shift)
{
    return k >= 0 && Shift(table.blocks[size_t(k)]) == shift ? k : -1;
}

// The candidate that the next word of candidate k names, in k's shifted terms, or -1.
long long Successor(const CandidateTable& table, size_t k)
{
    const CandidateBlock& block = table.blocks[k];
    if (block.next == 0) return -1;
    return WithShift(table, FindAfter(table, k, block.next - Shift(block)), Shift(block));
}

// Marks the records and the chains that the index reaches; index chains name real positions, whatever the
// heads' own-offset words say.
void MarkIndexed(CandidateTable& table, const std::vector<uint32_t>& first_blocks, const std::vector<uint32_t>& records)
{
    for (uint32_t record : records) {
        long long k = FindAt(table, record);
        if (k >= 0) table.blocks[size_t(k)].info |= kInfoIndexed;
    }
    for (uint32_t first : first_blocks) {
        // A block marked before ends the walk: a loop, or a chain joining one walked already.
        for (long long k = FindAt(table, first); k >= 0 && !Has(table.blocks[size_t(k)], kInfoIndexed);) {
            CandidateBlock& block = table.blocks[size_t(k)];
            block.info |= kInfoIndexed;
            k = block.next == 0 ? -1 : FindAfter(table, size_t(k), block.next);
        }
    }
}

void MarkLinks(CandidateTable& table)
{
    for (size_t k = 0; k < table.blocks.size(); ++k) {
        if (Has(table.blocks[k], kInfoIndexed)) continue;
        long long next = Successor(table, k);
        if (next < 0 || Has(table.blocks[size_t(next)], kInfoIndexed)) continue;
        table.blocks[k].info |= kInfoLinksOn;
        table.blocks[size_t(next)].info |= kInfoLinkedTo;
    }
}

// Heads inside the text of an indexed block are bytes of a message, not blocks; so are lone heads inside the
// text of a linked block, and lone heads with a shift (nothing confirms the shift of a single block).
void MarkIgnored(CandidateTable& table)
{
    uint64_t indexed_until = 0;
    uint64_t linked_until = 0;
    for (CandidateBlock& block : table.blocks) {
        uint64_t end = uint64_t(block.position) + kBlockText + TextLength(block);
        if (Has(block, kInfoIndexed)) {
            indexed_until = std::max(indexed_until, end);
            continue;
        }
        bool linked = Has(block, kInfoLinksOn | kInfoLinkedTo);
        if (block.position < indexed_until || (!linked && (block.position < linked_until || Shift(block) != 0))) {
            block.info |= kInfoIgnored;
            continue;
        }
        if (linked) linked_until = std::max(linked_until, end);
    }
}

constexpr uint32_t kNotAvailable = kInfoIndexed | kInfoIgnored | kInfoTaken;

RecoveredChain WalkChain(CandidateTable& table, size_t first)
{
    RecoveredChain chain;
    chain.first = static_cast<uint32_t>(first);
    chain.freed = Has(table.blocks[first], kInfoFreed);
    for (long long k = static_cast<long long>(first); k >= 0 && !Has(table.blocks[size_t(k)], kNotAvailable);) {
        CandidateBlock& block = table.blocks[size_t(k)];
        block.info |= kInfoTaken;
        ++chain.blocks;
        chain.text_length += TextLength(block);
        if (Has(block, kInfoFreed)) chain.lost += std::min(kFreedLostBytes, TextLength(block));
        k = Successor(table, size_t(k));
    }
    return chain;
}

}  // namespace

bool RecognizeBlockHead(const unsigned char* bytes, size_t available, uint64_t position, uint64_t file_size,
                        CandidateBlock& candidate)
{
    if (available < kBlockText || position > kMaxOffset - kBlockText) return false;
    uint32_t size_word = LoadLe32(bytes + kHeadSize);
    uint32_t used = LoadLe32(bytes + kHeadUsed);
    uint64_t text = position + kBlockText;
    uint64_t text_in_file = file_size > text ? file_size - text : 0;
    uint32_t info;
    if (size_word == kLiveBlockSize && used >= 1 && used <= kLiveBlockSize) {
        if (used > text_in_file) return false;
        info = used;
    } else if (size_word == kFreedSizeWord && used == kFreedObjectSize) {
        uint64_t length = std::min<uint64_t>({kLiveBlockSize, text_in_file, available - kBlockText});
        if (length < kFreedLostBytes) return false;
        // The last block of a deleted message no longer says how much of it was text; the zeros after its text
        // are left out.
        if (LoadLe32(bytes + kHeadNext) == 0)
            while (length > kFreedLostBytes && bytes[kBlockText + length - 1] == 0) --length;
        info = static_cast<uint32_t>(length) | kInfoFreed;
    } else {
        return false;
    }
    candidate.position = static_cast<uint32_t>(position);
    candidate.self = LoadLe32(bytes + kHeadSelf);
    candidate.next = LoadLe32(bytes + kHeadNext);
    candidate.info = info;
    return true;
}

void NoteCandidates(CandidateTable& table, const unsigned char* chunk, size_t size, size_t heads, uint64_t chunk_start,
                    uint64_t file_size)
{
    heads = std::min(heads, size);
    for (size_t i = 0; i < heads && size - i >= kBlockText; ++i) {
        // The size word's upper half is zero in every head, and text rarely holds a zero byte: the search jumps
        // from one zero to the next (memchr reads many bytes a step) instead of looking at every position.
        const void* zero = std::memchr(chunk + i + 6, 0, size - i - 6);
        if (!zero) break;
        i = static_cast<size_t>(static_cast<const unsigned char*>(zero) - chunk) - 6;
        if (i >= heads || size - i < kBlockText) break;
        if (chunk[i + 7] != 0) continue;
        if (!((chunk[i + 4] == 0x00 && chunk[i + 5] == 0x02) || (chunk[i + 4] == 0xFC && chunk[i + 5] == 0x01)))
            continue;
        CandidateBlock candidate;
        if (!RecognizeBlockHead(chunk + i, size - i, chunk_start + i, file_size, candidate)) continue;
        if (table.blocks.size() >= table.limit) {
            table.full = true;
            return;
        }
        table.blocks.push_back(candidate);
    }
}

bool ScanFile(DbxFile& dbx, CandidateTable& table, size_t chunk_size, const std::atomic<bool>* stop)
{
    chunk_size = std::max<size_t>(chunk_size, kChunkOverlap);
    // A small file needs no more than itself.
    uint64_t buffer_size = std::min<uint64_t>(chunk_size + kChunkOverlap, dbx.file_size);
    std::vector<unsigned char> buffer(static_cast<size_t>(buffer_size));
    // No block of a store lies past the 32-bit range.
    uint64_t end = std::min<uint64_t>(dbx.file_size, kMaxOffset + 1);
    for (uint64_t start = 0; start < end && !table.full; start += chunk_size) {
        if (stop && stop->load()) return true;
        size_t size = static_cast<size_t>(std::min<uint64_t>(buffer.size(), dbx.file_size - start));
        if (!ReadBytes(dbx, start, buffer.data(), static_cast<uint32_t>(size))) return false;
        NoteCandidates(table, buffer.data(), size, std::min(chunk_size, size), start, dbx.file_size);
    }
    return true;
}

long long FindCandidate(const CandidateTable& table, uint32_t position, uint32_t shift)
{
    return WithShift(table, FindAt(table, position), shift);
}

std::vector<RecoveredChain> RebuildChains(CandidateTable& table, const std::vector<uint32_t>& indexed_first_blocks,
                                          const std::vector<uint32_t>& records)
{
    IndexPages(table);
    MarkIndexed(table, indexed_first_blocks, records);
    MarkLinks(table);
    MarkIgnored(table);

    // The chains take as much memory as the candidates may at most.
    size_t chain_limit = std::max<size_t>(1, table.limit * sizeof(CandidateBlock) / sizeof(RecoveredChain));
    std::vector<RecoveredChain> chains;
    auto add = [&](size_t k) {
        if (chains.size() >= chain_limit) {
            table.full = true;
            return false;
        }
        chains.push_back(WalkChain(table, k));
        return true;
    };
    // First the chains that begin where no other block links to; then what is left, which only loops (or
    // blocks fed by left-out ones) can be, from its lowest block.
    for (size_t k = 0; k < table.blocks.size(); ++k)
        if (!Has(table.blocks[k], kNotAvailable | kInfoLinkedTo) && !add(k)) return chains;
    for (size_t k = 0; k < table.blocks.size(); ++k)
        if (!Has(table.blocks[k], kNotAvailable) && !add(k)) return chains;
    return chains;
}

ChainCursor StartChainText(const RecoveredChain& chain) { return ChainCursor{chain.first, chain.blocks}; }

bool NextChainBlock(const CandidateTable& table, ChainCursor& cursor, ChainBlockText& block)
{
    if (cursor.remaining == 0 || cursor.candidate >= table.blocks.size()) return false;
    const CandidateBlock& candidate = table.blocks[cursor.candidate];
    block.text_offset = uint64_t(candidate.position) + kBlockText;
    block.length = TextLength(candidate);
    block.lost_prefix = Has(candidate, kInfoFreed) ? std::min(kFreedLostBytes, block.length) : 0;
    if (--cursor.remaining != 0) {
        long long next = Successor(table, cursor.candidate);
        if (next < 0) cursor.remaining = 0;
        else cursor.candidate = size_t(next);
    }
    return true;
}

bool DescribeIndexedChain(CandidateTable& table, uint32_t first_block, RecoveredChain& chain)
{
    long long k = FindCandidate(table, first_block, 0);
    if (k < 0 || Has(table.blocks[size_t(k)], kInfoDescribed)) return false;
    chain = RecoveredChain{};
    chain.first = static_cast<uint32_t>(k);
    // As far as the chain holds together in the table. A block described before ends it (a loop, or chains that
    // share blocks, which only damage makes), so that all descriptions together visit each block once.
    while (k >= 0 && Has(table.blocks[size_t(k)], kInfoIndexed) && !Has(table.blocks[size_t(k)], kInfoDescribed)) {
        CandidateBlock& block = table.blocks[size_t(k)];
        block.info |= kInfoDescribed;
        ++chain.blocks;
        chain.text_length += TextLength(block);
        if (Has(block, kInfoFreed)) chain.lost += std::min(kFreedLostBytes, TextLength(block));
        k = Successor(table, size_t(k));
    }
    return true;
}

ChainReader StartChainReader(const RecoveredChain& chain)
{
    ChainReader reader;
    reader.cursor = StartChainText(chain);
    return reader;
}

bool ReadChainPiece(DbxFile& dbx, const CandidateTable& table, ChainReader& reader, unsigned char* buffer, uint32_t max,
                    uint32_t& count)
{
    count = 0;
    while (!reader.has_block || reader.done == reader.block.length) {
        if (!NextChainBlock(table, reader.cursor, reader.block)) return true;
        reader.has_block = true;
        reader.done = 0;
    }
    if (reader.done < reader.block.lost_prefix) {
        count = std::min(max, reader.block.lost_prefix - reader.done);
        std::memset(buffer, kLostBytePlaceholder, count);
    } else {
        count = std::min(max, reader.block.length - reader.done);
        if (!ReadBytes(dbx, reader.block.text_offset + reader.done, buffer, count)) {
            count = 0;
            return false;
        }
    }
    reader.done += count;
    return true;
}

}  // namespace dbx
