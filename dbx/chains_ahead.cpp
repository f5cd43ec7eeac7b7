// How the helper fills batches of blocks, and how the owner finds its bytes in them.
#include "dbx/chains_ahead.h"

#include <algorithm>
#include <atomic>
#include <new>
#include <utility>

#include "dbx/dbx_file.h"
#include "dbx/layout.h"

namespace dbx {

using layout::kBlockText;

namespace {

// A batch is handed over once it holds this much: the owner works through one while the helper fills the next,
// and each hand-over costs the two threads a wait.
constexpr size_t kBatchBytes = 2 * 1024 * 1024;
// A block claiming more text than this (a sound one holds 512 bytes) is left to the owner's reads in place.
constexpr uint32_t kLargestBlockAhead = 64 * 1024;
// Blocks after the owner's last one looked at before the batch's whole list: the owner's chain usually asks for
// the very next block, and leaves out a few only where it ended a chain the helper walked on.
constexpr size_t kBlocksLookedAt = 4;

struct AheadBlock {
    uint64_t offset = 0;  // where the block starts in the file
    uint32_t length = 0;  // its head and text, as far as the file holds them
    size_t at = 0;        // where they lie in the batch's bytes
};

struct Batch {
    std::vector<unsigned char> bytes;
    std::vector<AheadBlock> blocks;  // in the order the chains were walked
    std::vector<size_t> by_offset;   // indexes into blocks, by the blocks' offsets; empty until needed
};

bool Holds(const AheadBlock& block, uint64_t offset, uint32_t count)
{
    return offset >= block.offset && offset + count <= block.offset + block.length;
}

}  // namespace

struct ChainsAhead {
    platform::BackgroundReader* helper = nullptr;
    std::atomic<bool> stopping{false};  // the owner is done: the batch under way ends at once

    // The helper's while its work is under way.
    DbxFile reader;  // its own reader over the owner's file: no reads ahead of its own, no prefetcher
    std::vector<uint32_t> records;
    size_t next_record = 0;
    BlockChain chain;  // the chain being walked; its next block is 0 between messages
    Batch filling;

    // The owner's.
    Batch batch;      // the batch being worked through
    size_t next = 0;  // the block after the one the owner asked for last
    Batch upcoming;   // taken from the helper, not yet worked through
    bool has_upcoming = false;
    bool working = false;  // the helper is filling a batch
};

namespace {

// Adds a block's head and text to the batch; false when they cannot be read (the owner then reads in place).
bool AddBlock(ChainsAhead& ahead, const Block& block)
{
    DbxFile& reader = ahead.reader;
    Batch& batch = ahead.filling;
    uint64_t in_file = reader.file_size - std::min<uint64_t>(reader.file_size, block.offset);
    uint32_t length = static_cast<uint32_t>(std::min<uint64_t>(uint64_t(kBlockText) + block.text_length, in_file));
    if (length > kLargestBlockAhead) return false;
    size_t at = batch.bytes.size();
    if (const unsigned char* bytes = PeekText(reader, block.offset, length)) {
        batch.bytes.insert(batch.bytes.end(), bytes, bytes + length);
    } else {
        batch.bytes.resize(at + length);
        if (!ReadBytes(reader, block.offset, batch.bytes.data() + at, length)) {
            batch.bytes.resize(at);
            return false;
        }
    }
    batch.blocks.push_back(AheadBlock{block.offset, length, at});
    return true;
}

// The helper's work: the next batch, chain after chain from where the last one stopped.
void FillBatch(void* context)
{
    auto& ahead = *static_cast<ChainsAhead*>(context);
    Batch& batch = ahead.filling;
    batch.bytes.clear();
    batch.blocks.clear();
    // A damaged store may make a batch walk long chains of blocks that add nothing to it (text that claims more
    // than a block holds): a stop must not wait for them.
    while (batch.bytes.size() < kBatchBytes && !ahead.stopping.load(std::memory_order_relaxed)) {
        if (ahead.chain.next == 0) {
            if (ahead.next_record == ahead.records.size()) break;
            MessageData data = LocateMessageData(ahead.reader, ahead.records[ahead.next_record++]);
            if (data.found && data.first_block != 0) ahead.chain = StartBlockChain(data.first_block);
            continue;
        }
        Block block;
        if (NextBlock(ahead.reader, ahead.chain, block)) AddBlock(ahead, block);
    }
    batch.by_offset.clear();
}

// Sets the helper on the next batch, unless it has walked every chain.
void BeginFilling(ChainsAhead& ahead)
{
    if (ahead.chain.next == 0 && ahead.next_record == ahead.records.size()) return;
    platform::BeginBackgroundWork(ahead.helper, FillBatch, &ahead);
    ahead.working = true;
}

// Takes the batch the helper filled as the upcoming one, waiting for it, and sets the helper on the next.
bool TakeUpcoming(ChainsAhead& ahead)
{
    if (!ahead.working) return false;
    platform::FinishBackgroundWork(ahead.helper);
    ahead.working = false;
    std::swap(ahead.upcoming, ahead.filling);
    ahead.has_upcoming = true;
    return true;
}

// The block of the batch that holds the bytes, by the batch's list in offset order (made the first time it is
// needed: the owner mostly asks for the blocks in the order they were read); the batch's size if none.
size_t FindBlock(Batch& batch, uint64_t offset, uint32_t count)
{
    if (batch.by_offset.size() != batch.blocks.size()) {
        batch.by_offset.resize(batch.blocks.size());
        for (size_t i = 0; i < batch.by_offset.size(); ++i) batch.by_offset[i] = i;
        std::sort(batch.by_offset.begin(), batch.by_offset.end(),
                  [&](size_t a, size_t b) { return batch.blocks[a].offset < batch.blocks[b].offset; });
    }
    auto after = std::upper_bound(batch.by_offset.begin(), batch.by_offset.end(), offset,
                                  [&](uint64_t value, size_t index) { return value < batch.blocks[index].offset; });
    // Blocks of a sound file do not overlap, so the last one starting at or before offset is the only candidate;
    // a damaged file's may, and then the bytes are read in place at worst.
    if (after == batch.by_offset.begin() || !Holds(batch.blocks[*(after - 1)], offset, count))
        return batch.blocks.size();
    return *(after - 1);
}

const unsigned char* Serve(ChainsAhead& ahead, size_t index, uint64_t offset)
{
    const AheadBlock& block = ahead.batch.blocks[index];
    ahead.next = index + 1;
    return ahead.batch.bytes.data() + block.at + (offset - block.offset);
}

}  // namespace

ChainsAhead* StartReadingChainsAhead(platform::FileHandle file, uint64_t size, const std::vector<uint32_t>& records,
                                     const ChainBudget& budget)
{
    auto* ahead = new (std::nothrow) ChainsAhead;
    if (!ahead) return nullptr;
    ahead->helper = platform::StartBackgroundReader();
    if (!ahead->helper) {
        delete ahead;
        return nullptr;
    }
    // Set up by hand rather than by OpenDbxFile, which would start a second prefetcher.
    ahead->reader.file_size = size;
    ahead->reader.source.file = file;
    ahead->reader.source.size = size;
    ahead->reader.budget.listed = budget.listed;
    for (auto& counts : ahead->reader.budget.listed) counts.lookups = 0;
    ahead->records = records;
    ahead->filling.bytes.reserve(kBatchBytes + kLargestBlockAhead);
    BeginFilling(*ahead);
    return ahead;
}

const unsigned char* ChainBytesAhead(ChainsAhead& ahead, uint64_t offset, uint32_t count)
{
    // The block asked for last (its text after its head), and the few after it.
    Batch& batch = ahead.batch;
    size_t first = ahead.next == 0 ? 0 : ahead.next - 1;
    size_t end = std::min(batch.blocks.size(), ahead.next + kBlocksLookedAt);
    for (size_t i = first; i < end; ++i)
        if (Holds(batch.blocks[i], offset, count)) return Serve(ahead, i, offset);
    // Elsewhere in this batch, unless the owner has come to its end.
    if (ahead.next < batch.blocks.size()) {
        size_t found = FindBlock(batch, offset, count);
        if (found != batch.blocks.size()) return Serve(ahead, found, offset);
    }

    // In the next batch, usually its first block, unless the owner reads something the helper never read.
    if (!ahead.has_upcoming && !TakeUpcoming(ahead)) return nullptr;
    Batch& upcoming = ahead.upcoming;
    size_t found =
        !upcoming.blocks.empty() && Holds(upcoming.blocks[0], offset, count) ? 0 : FindBlock(upcoming, offset, count);
    if (found == upcoming.blocks.size()) return nullptr;
    std::swap(ahead.batch, ahead.upcoming);
    ahead.has_upcoming = false;
    BeginFilling(ahead);
    return Serve(ahead, found, offset);
}

void StopReadingChainsAhead(ChainsAhead* ahead)
{
    if (!ahead) return;
    ahead->stopping.store(true, std::memory_order_relaxed);
    platform::StopBackgroundReader(ahead->helper);  // after the batch under way
    CloseDbxFile(ahead->reader);
    delete ahead;
}

}  // namespace dbx
