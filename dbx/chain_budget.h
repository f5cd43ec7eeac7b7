// What bounds the work of a damaged file (DbxFile::budget). In a sound file the blocks of all messages are
// distinct, so the chains walked for the first attempt at each listed record add up to no more than the file's
// size; further attempts at a record (the user's retries) are not charged.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

namespace dbx {

struct ChainBudget {
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

}  // namespace dbx
