// Reads a whole store through the reader as the folder conversion does: header count, index walk, lookup of
// every record, and each text along its block chain in pieces of at most 2048 bytes. Tests compare the result
// with what they built.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fixture {

struct ReadMessage {
    uint32_t record = 0;
    bool found = false;  // the record holds message data
    uint32_t kind = 0;   // 1 mail, 2 news
    uint32_t first_block = 0;
    std::string text;           // the bytes read along the chain
    bool text_complete = true;  // false when a piece could not be read (the text stops there)
};

struct ReadStoreResult {
    bool opened = false;
    uint32_t header_count = 0;
    std::vector<ReadMessage> messages;  // in list order; empty when the header count is 0
    bool damaged = false;               // the reader's verdict after everything was read
};

// Reads the file at `path`; `with_text` false skips the block chains (lookups only).
ReadStoreResult ReadStore(const std::string& path, bool with_text = true);

}  // namespace fixture
