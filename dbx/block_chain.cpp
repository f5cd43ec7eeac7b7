// The walk along one message's chain of data blocks.
#include <algorithm>
#include <utility>

#include "dbx/dbx_file.h"
#include "dbx/layout.h"

namespace dbx {

using namespace layout;

namespace {

// Blocks in the chain of a message of ordinary size (up to some 60 KB); longer chains grow the list.
constexpr size_t kUsualChainBlocks = 128;

constexpr size_t kFirstOtherSlots = 64;

size_t Slot(uint32_t offset, size_t mask)
{
    uint32_t mixed = offset * 2654435761u;  // spreads offsets that differ in their low bits only
    return (mixed ^ (mixed >> 16)) & mask;
}

// Adds an offset to the chain's other blocks; false when it is there already.
bool InsertOther(BlockChain& chain, uint32_t offset)
{
    std::vector<uint32_t>& table = chain.others;
    if (2 * (chain.others_count + 1) > table.size()) {
        std::vector<uint32_t> old = std::move(table);
        table.assign(std::max(kFirstOtherSlots, 2 * old.size()), 0);
        for (uint32_t kept : old) {
            if (kept == 0) continue;
            size_t slot = Slot(kept, table.size() - 1);
            while (table[slot] != 0) slot = (slot + 1) & (table.size() - 1);
            table[slot] = kept;
        }
    }
    size_t mask = table.size() - 1;
    for (size_t slot = Slot(offset, mask);; slot = (slot + 1) & mask) {
        if (table[slot] == offset) return false;
        if (table[slot] == 0) {
            table[slot] = offset;
            ++chain.others_count;
            return true;
        }
    }
}

// Notes a block of the chain; false when the chain has visited it before.
bool FirstVisit(BlockChain& chain, uint32_t offset)
{
    if (chain.rising.empty() || offset > chain.rising.back()) {
        // Every block in `others` lay below the highest block when it came, so none is above this one.
        chain.rising.push_back(offset);
        return true;
    }
    if (std::binary_search(chain.rising.begin(), chain.rising.end(), offset)) return false;
    return InsertOther(chain, offset);
}

}  // namespace

BlockChain StartBlockChain(uint32_t first_block)
{
    BlockChain chain;
    chain.next = first_block;
    chain.rising.reserve(kUsualChainBlocks);
    return chain;
}

bool NextBlock(DbxFile& dbx, BlockChain& chain, Block& block)
{
    uint32_t offset = chain.next;
    if (offset == 0) return false;
    chain.next = 0;
    if (chain.blocks_visited == 0) chain.charged = dbx.budget.last_lookup_charged;
    if (offset >= dbx.file_size || !FirstVisit(chain, offset)) {
        dbx.damaged = true;
        return false;
    }
    ++chain.blocks_visited;

    BlockHead head;
    // The head from the text window, which then holds the text after it too; field by field where the window
    // cannot serve it (at the end of the file, or where a field would lie past the 32-bit range).
    const unsigned char* bytes = offset <= kMaxOffset - kBlockText ? PeekText(dbx, offset, kBlockText) : nullptr;
    if (bytes) {
        head = DecodeBlockHead(bytes);
    } else {
        head.text_length = ReadDword(dbx, uint64_t(offset) + kBlockTextLength);
        head.next = ReadDword(dbx, uint64_t(offset) + kBlockNext);
    }
    uint32_t text_length = head.text_length;
    uint64_t block_text = uint64_t(offset) + kBlockText;
    // Blocks of a sound file are distinct and each holds its head and its text, so neither one chain nor the
    // first walks of all chains together can hold more than the file. Text claimed past the end of the file
    // costs nothing here: the caller's read of it fails at once, through its own error path.
    uint64_t text_in_file = std::min<uint64_t>(text_length, dbx.file_size - std::min(dbx.file_size, block_text));
    uint64_t cost = kBlockText + text_in_file;
    uint64_t& charged_bytes = dbx.budget.charged_chain_bytes;
    if (chain.bytes + cost > dbx.file_size || (chain.charged && charged_bytes + cost > dbx.file_size)) {
        dbx.damaged = true;
        return false;
    }
    chain.bytes += cost;
    if (chain.charged) charged_bytes += cost;

    block.offset = offset;
    block.text_length = text_length;
    block.text_offset = block_text;
    chain.next = head.next;
    return true;
}

}  // namespace dbx
