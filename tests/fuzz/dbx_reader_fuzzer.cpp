// Reads any input as a store, as the folder conversion does: header count, index walk, lookup of every record,
// every chain read in pieces of at most 2048 bytes, and one retry of the first message. Besides crashes and
// sanitizer reports it traps when the work grows out of proportion to the input.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "dbx/dbx_file.h"
#include "tests/fuzz/fuzz_input_file.h"

namespace {

constexpr uint32_t kPiece = 2048;

// Reads one message's text and returns how many text bytes arrived.
uint64_t ReadMessage(dbx::DbxFile& store, uint32_t record)
{
    dbx::MessageData data = dbx::LocateMessageData(store, record);
    if (!data.found) return 0;
    static unsigned char piece[kPiece];
    uint64_t read = 0;
    dbx::BlockChain chain = dbx::StartBlockChain(data.first_block);
    dbx::Block block;
    while (dbx::NextBlock(store, chain, block)) {
        uint64_t at = block.text_offset;
        for (uint32_t left = block.text_length; left != 0;) {
            uint32_t size = std::min(left, kPiece);
            if (!dbx::ReadBytes(store, at, piece, size)) return read;  // the conversion asks the user here
            read += size;
            at += size;
            left -= size;
        }
    }
    return read;
}

// Everything the conversion reads of one store.
void ReadStore(dbx::DbxFile& store, size_t size)
{
    if (dbx::ReadDword(store, dbx::kHeaderMessageCount) == 0) return;

    std::vector<uint32_t> records = dbx::CollectMessageRecords(store);
    // Every listed record costs at least one 12-byte entry of the file.
    if (records.size() > size / 12 + 1) __builtin_trap();

    uint64_t text = 0;
    for (uint32_t record : records) text += ReadMessage(store, record);
    // Texts of first attempts lie in distinct blocks of the file.
    if (text > size) __builtin_trap();

    // Retries of the first message are not charged, and both give the same text.
    if (!records.empty() && ReadMessage(store, records.front()) != ReadMessage(store, records.front()))
        __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    platform::FileHandle file = FuzzInputFile(data, size);
    if (file == platform::kNoFile) return 0;
    dbx::DbxFile store;
    if (dbx::OpenDbxFile(store, file)) ReadStore(store, size);
    dbx::CloseDbxFile(store);  // the input file is written over for the next input
    return 0;
}
