// How the helpers fill batches of blocks, and how the owner finds its bytes in them.
#include "dbx/chains_ahead.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <new>
#include <utility>

#include "dbx/dbx_file.h"
#include "dbx/layout.h"

namespace dbx {

using layout::kBlockText;

namespace {

// A batch is handed over once it holds this much: the owner works through one while the helpers fill the next
// ones, and each hand-over costs the threads a wait. The messages go to the helpers in groups of about half a
// batch by the file's size per message, so that most groups fit one batch and both helpers keep reading.
constexpr size_t kFillers = 2;
constexpr size_t kBatchBytes = 2 * 1024 * 1024;
constexpr size_t kGroupBytes = kBatchBytes / 2;
// A block claiming more text than this (a sound one holds 512 bytes) is left to the owner's reads in place.
constexpr uint32_t kLargestBlockAhead = 64 * 1024;
// Blocks after the owner's last one looked at before the batch's whole list: the owner's chain usually asks for
// the very next block, and leaves out a few only where it ended a chain a helper walked on.
constexpr size_t kBlocksLookedAt = 4;
// Filled batches a helper may have waiting, besides the one it fills: the owner's pace varies from message to
// message, and a helper that had to wait for the owner to take each batch would stand idle whenever the owner
// is slower for a while, then make the owner wait when it is faster.
constexpr size_t kReadyBatches = 2;

struct AheadBlock {
    uint64_t offset = 0;  // where the block starts in the file
    uint32_t length = 0;  // its head and text, as far as the file holds them
    size_t at = 0;        // where they lie in the batch's bytes
};

struct Batch {
    std::vector<unsigned char> bytes;
    std::vector<AheadBlock> blocks;  // in the order the chains were walked
    std::vector<size_t> by_offset;   // indexes into blocks, by the blocks' offsets; empty until needed
    bool ends_group = false;         // the last batch of its group of messages
};

bool Holds(const AheadBlock& block, uint64_t offset, uint32_t count)
{
    return offset >= block.offset && offset + count <= block.offset + block.length;
}

// One helper thread and what it reads: every other group of messages, chain after chain.
struct Filler {
    platform::BackgroundReader* helper = nullptr;
    const std::atomic<bool>* stopping = nullptr;  // the owner's
    // The helper's while its work is under way.
    DbxFile reader;  // its own reader over the owner's file: no reads ahead of its own, no prefetcher
    const std::vector<uint32_t>* records = nullptr;
    size_t group_size = 1;   // messages per group
    size_t stride = 1;       // from one of its groups to its next
    size_t group_start = 0;  // the group being walked: group_start to group_end
    size_t group_end = 0;
    size_t next_record = 0;
    BlockChain chain;  // the chain being walked; its next block is 0 between messages
    Batch batch;
    bool done = false;                // every group of this helper walked
    std::atomic<bool> filled{false};  // the batch is ready: the owner may take it without waiting
    // The owner's.
    bool working = false;  // the helper is filling its batch
    // Batches the helper filled, in order, waiting for the owner: the helper goes on with the next meanwhile.
    std::array<Batch, kReadyBatches> ready;
    size_t ready_first = 0;
    size_t ready_count = 0;
};

}  // namespace

struct ChainsAhead {
    std::vector<uint32_t> records;
    std::atomic<bool> stopping{false};  // the owner is done: the batches under way end at once
    // Two helpers read the groups of messages by turns, so that on a store whose blocks lie scattered (a read of
    // the file per block) both processors read while the owner converts.
    std::array<Filler, kFillers> fillers;
    size_t filler_count = 0;
    size_t current = 0;  // the helper whose group the owner is in

    // The owner's.
    Batch batch;      // the batch being worked through
    size_t next = 0;  // the block after the one the owner asked for last
    Batch upcoming;   // taken from a helper, not yet worked through
    bool has_upcoming = false;
};

namespace {

// Adds a block's head and text to the batch; false when they cannot be read (the owner then reads in place).
bool AddBlock(Filler& filler, const Block& block)
{
    DbxFile& reader = filler.reader;
    Batch& batch = filler.batch;
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

// Moves the helper on to its next group; false when it has none.
bool NextGroup(Filler& filler)
{
    filler.group_start += filler.stride;
    filler.next_record = filler.group_start;
    filler.group_end = std::min(filler.group_start + filler.group_size, filler.records->size());
    filler.done = filler.group_start >= filler.records->size();
    return !filler.done;
}

// The helper's work: its next batch, chain after chain from where the last one stopped, never past the end of
// its group (the owner then goes on with the other helper's).
void FillBatchBody(Filler& filler)
{
    Batch& batch = filler.batch;
    batch.bytes.clear();
    batch.bytes.reserve(kBatchBytes + kLargestBlockAhead);  // a batch taken from the owner may have none yet
    batch.blocks.clear();
    batch.by_offset.clear();
    batch.ends_group = false;
    // A damaged store may make a batch walk long chains of blocks that add nothing to it (text that claims more
    // than a block holds): a stop must not wait for them.
    while (batch.bytes.size() < kBatchBytes && !filler.stopping->load(std::memory_order_relaxed)) {
        if (filler.chain.next == 0) {
            if (filler.next_record == filler.group_end) {
                batch.ends_group = true;
                NextGroup(filler);
                return;
            }
            MessageData data = LocateMessageData(filler.reader, (*filler.records)[filler.next_record++]);
            if (data.found && data.first_block != 0) filler.chain = StartBlockChain(data.first_block);
            continue;
        }
        Block block;
        if (NextBlock(filler.reader, filler.chain, block)) AddBlock(filler, block);
    }
}

void FillBatch(void* context)
{
    auto& filler = *static_cast<Filler*>(context);
    FillBatchBody(filler);
    filler.filled.store(true, std::memory_order_release);
}

void BeginFilling(Filler& filler)
{
    if (filler.done) return;
    filler.filled.store(false, std::memory_order_relaxed);
    platform::BeginBackgroundWork(filler.helper, FillBatch, &filler);
    filler.working = true;
}

// Queues the helper's batch and sets it on the next, where there is room; unless told to wait, only a batch
// already filled.
void Collect(Filler& filler, bool wait)
{
    if (!filler.working || filler.ready_count == kReadyBatches) return;
    if (!wait && !filler.filled.load(std::memory_order_acquire)) return;
    platform::FinishBackgroundWork(filler.helper);
    filler.working = false;
    std::swap(filler.ready[(filler.ready_first + filler.ready_count) % kReadyBatches], filler.batch);
    ++filler.ready_count;
    BeginFilling(filler);
}

void CollectFilled(ChainsAhead& ahead)
{
    for (size_t i = 0; i < ahead.filler_count; ++i) Collect(ahead.fillers[i], false);
}

// Takes the next batch, waiting for it, as the upcoming one. False when every batch has been taken.
bool TakeUpcoming(ChainsAhead& ahead)
{
    Filler& filler = ahead.fillers[ahead.current];
    if (filler.ready_count == 0) Collect(filler, true);
    if (filler.ready_count == 0) return false;
    std::swap(ahead.upcoming, filler.ready[filler.ready_first]);
    filler.ready_first = (filler.ready_first + 1) % kReadyBatches;
    --filler.ready_count;
    ahead.has_upcoming = true;
    Collect(filler, false);
    if (ahead.upcoming.ends_group) ahead.current = (ahead.current + 1) % ahead.filler_count;
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
    ahead->records = records;
    for (Filler& filler : ahead->fillers) {
        filler.helper = platform::StartBackgroundReader();
        if (!filler.helper) break;
        ++ahead->filler_count;
    }
    if (ahead->filler_count == 0) {
        delete ahead;
        return nullptr;
    }
    uint64_t per_message = std::max<uint64_t>(1, size / std::max<size_t>(1, records.size()));
    size_t group_size = static_cast<size_t>(std::max<uint64_t>(1, kGroupBytes / per_message));
    for (size_t i = 0; i < ahead->filler_count; ++i) {
        Filler& filler = ahead->fillers[i];
        filler.stopping = &ahead->stopping;
        // Set up by hand rather than by OpenDbxFile, which would start another prefetcher.
        filler.reader.file_size = size;
        filler.reader.source.file = file;
        filler.reader.source.size = size;
        filler.reader.budget.listed = budget.listed;
        for (auto& counts : filler.reader.budget.listed) counts.lookups = 0;
        filler.records = &ahead->records;
        filler.group_size = group_size;
        filler.stride = group_size * ahead->filler_count;
        filler.group_start = i * group_size - filler.stride;  // wraps around: NextGroup makes it i * group_size
        NextGroup(filler);
        BeginFilling(filler);
    }
    return ahead;
}

const unsigned char* ChainBytesAhead(ChainsAhead& ahead, uint64_t offset, uint32_t count)
{
    CollectFilled(ahead);
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

    // In the next batch, usually its first block, unless the owner reads something the helpers never read. A
    // group of messages without text gives an empty batch.
    while (!ahead.has_upcoming || ahead.upcoming.blocks.empty()) {
        ahead.has_upcoming = false;
        if (!TakeUpcoming(ahead)) return nullptr;
    }
    Batch& upcoming = ahead.upcoming;
    size_t found =
        !upcoming.blocks.empty() && Holds(upcoming.blocks[0], offset, count) ? 0 : FindBlock(upcoming, offset, count);
    if (found == upcoming.blocks.size()) return nullptr;
    std::swap(ahead.batch, ahead.upcoming);
    ahead.has_upcoming = false;
    return Serve(ahead, found, offset);
}

void StopReadingChainsAhead(ChainsAhead* ahead)
{
    if (!ahead) return;
    ahead->stopping.store(true, std::memory_order_relaxed);
    for (size_t i = 0; i < ahead->filler_count; ++i) {
        platform::StopBackgroundReader(ahead->fillers[i].helper);  // after the batch under way
        CloseDbxFile(ahead->fillers[i].reader);
    }
    delete ahead;
}

}  // namespace dbx
