#include "tests/support/store_reading.h"

#include <algorithm>

#include "dbx/dbx_file.h"
#include "platform/platform.h"

namespace fixture {

ReadStoreResult ReadStore(const std::string& path, bool with_text)
{
    ReadStoreResult result;
    platform::FileHandle file = platform::OpenForReading(path.c_str());
    if (file == platform::kNoFile) return result;
    dbx::DbxFile store;
    result.opened = dbx::OpenDbxFile(store, file);
    if (result.opened) {
        result.header_count = dbx::ReadDword(store, dbx::kHeaderMessageCount);
        std::vector<uint32_t> records;
        if (result.header_count != 0) records = dbx::CollectMessageRecords(store);
        for (uint32_t record : records) {
            ReadMessage message;
            message.record = record;
            dbx::MessageData data = dbx::LocateMessageData(store, record);
            message.found = data.found;
            message.kind = data.kind;
            message.first_block = data.first_block;
            if (data.found && with_text) {
                dbx::BlockChain chain = dbx::StartBlockChain(data.first_block);
                dbx::Block block;
                char piece[2048];
                while (message.text_complete && dbx::NextBlock(store, chain, block)) {
                    uint64_t at = block.text_offset;
                    for (uint32_t left = block.text_length; left != 0;) {
                        uint32_t size = std::min<uint32_t>(left, sizeof piece);
                        if (!dbx::ReadBytes(store, at, piece, size)) {
                            message.text_complete = false;
                            break;
                        }
                        message.text.append(piece, size);
                        at += size;
                        left -= size;
                    }
                }
            }
            result.messages.push_back(std::move(message));
        }
        result.damaged = store.damaged;
    }
    dbx::CloseDbxFile(store);
    platform::CloseFile(file);
    return result;
}

}  // namespace fixture
