// Scans any input for texts outside its index, as --recover does: the scan in chunks of a size the input
// chooses (so that heads straddle chunk ends), the chains rebuilt around the index's own, and every recovered
// text read back; then the engine's whole search, copies of indexed texts left out. Besides crashes and
// sanitizer reports it traps when a recovered byte is neither the input's byte at that place nor, where a
// freed block lost bytes, the placeholder, when a text reaches outside the input, or when a block is used twice.
#include <cstdint>
#include <vector>

#include "dbx/recovery_scan.h"
#include "engine/folder_recovery.h"
#include "tests/fuzz/fuzz_input_file.h"

namespace {

constexpr size_t kLimit = 1 << 14;  // candidates: small, so that the budget's edge is met too

void CheckChains(dbx::DbxFile& store, const dbx::CandidateTable& table, const std::vector<dbx::RecoveredChain>& chains,
                 const uint8_t* data, size_t size)
{
    uint64_t blocks = 0;
    for (const dbx::RecoveredChain& chain : chains) {
        blocks += chain.blocks;
        // The blocks as the chain names them: each one's text inside the input.
        std::vector<unsigned char> expected;
        dbx::ChainCursor cursor = dbx::StartChainText(chain);
        dbx::ChainBlockText block;
        while (dbx::NextChainBlock(table, cursor, block)) {
            if (block.text_offset + block.length > size || block.lost_prefix > block.length) __builtin_trap();
            for (uint32_t i = 0; i < block.length; ++i)
                expected.push_back(i < block.lost_prefix ? dbx::kLostBytePlaceholder : data[block.text_offset + i]);
        }
        if (expected.size() != chain.text_length) __builtin_trap();
        // The text as it is read for the writer.
        std::vector<unsigned char> read;
        dbx::ChainReader reader = dbx::StartChainReader(chain);
        unsigned char piece[2048];
        for (uint32_t count = 1; count != 0;) {
            if (!dbx::ReadChainPiece(store, table, reader, piece, sizeof piece, count)) __builtin_trap();
            read.insert(read.end(), piece, piece + count);
        }
        if (read != expected) __builtin_trap();
    }
    // Every candidate goes into one chain at most.
    if (blocks > table.blocks.size()) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    platform::FileHandle file = FuzzInputFile(data, size);
    if (file == platform::kNoFile) return 0;
    dbx::DbxFile store;
    if (!dbx::OpenDbxFile(store, file)) return 0;

    dbx::CandidateTable table;
    table.limit = kLimit;
    size_t chunk = dbx::kChunkOverlap + (size ? data[0] * 7u : 0);
    if (!dbx::ScanFile(store, table, chunk)) __builtin_trap();  // the input is all readable
    for (size_t i = 1; i < table.blocks.size(); ++i)
        if (table.blocks[i].position <= table.blocks[i - 1].position) __builtin_trap();

    std::vector<uint32_t> first_blocks;
    std::vector<uint32_t> records;
    if (dbx::ReadDword(store, dbx::kHeaderMessageCount) != 0) {
        records = dbx::CollectMessageRecords(store);
        for (uint32_t record : records) {
            dbx::MessageData message = dbx::LocateMessageData(store, record);
            if (message.found && message.first_block != 0) first_blocks.push_back(message.first_block);
        }
    }
    std::vector<dbx::RecoveredChain> chains = dbx::RebuildChains(table, first_blocks, records);
    CheckChains(store, table, chains, data, size);

    engine::RecoveryFindings found = engine::FindRecoverableTexts(store, kLimit);
    if (found.chains.size() > chains.size()) __builtin_trap();
    CheckChains(store, found.table, found.chains, data, size);
    return 0;
}
