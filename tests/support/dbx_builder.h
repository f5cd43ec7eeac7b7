// Builds Outlook Express message-folder files (.dbx) for tests, benchmarks and the sample store.
//
// The images are written as Outlook Express writes them: the folder signature, a 0x24BC-byte header, an index
// tree of nodes with first children and entry children, message records with several attribute entries (direct
// and in the data area) and chains of data blocks with their 16-byte heads. The low-level pieces for damaged
// shapes are in dbx_pieces.h.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/dbx_pieces.h"

namespace fixture {

struct FixtureMessage {
    std::string text{};                 // the stored text, byte for byte
    uint32_t kind = 1;                  // 1 mail: data attribute 0x84 as entry 3; 2 news: as entry 4
    std::vector<uint32_t> block_sizes{};  // how the text is cut into blocks (sizes may be 0); empty =
                                          // 512-byte blocks, the last shorter, as Outlook Express writes them
    bool indirect = false;              // the data attribute kept in the record's data area (id 0x04)
    bool no_data = false;               // the record has no message-data attribute at all
    bool no_text = false;               // the data attribute names block 0 (a message without text)
};

struct FixtureOptions {
    uint32_t entries_per_node = 51;  // index fan-out; small values give multi-level trees using first children
                                     // and entry children
    bool zero_header_count = false;  // header message count 0 (the folder counts as empty)
    uint32_t header_size = kHeaderSize;  // smaller sizes (at least 0xE8) give compact images, e.g. fuzz seeds
};

// Where BuildDbx put things, for tests that damage or cut a well-formed image.
struct StoreLayout {
    uint32_t root = 0;                               // 0 when there are no messages
    std::vector<uint32_t> nodes;                     // every index node, children before their parents
    std::vector<uint32_t> records;                   // the record of each message, in list order
    std::vector<std::vector<uint32_t>> blocks;       // the data blocks of each message, in chain order
    std::vector<uint64_t> message_begin;             // each message's blocks and record lie in
    std::vector<uint64_t> message_end;               // [message_begin, message_end)
};

// A well-formed store image whose index walk lists the messages in the given order. The header and index come
// first, then each message's blocks followed by its record, so a cut image keeps the messages before the cut.
// Block sizes that do not add up to the text length are a fault of the test: the program stops with a message.
std::string BuildDbx(const std::vector<FixtureMessage>& messages, const FixtureOptions& options = {},
                     StoreLayout* layout = nullptr);

bool WriteFixture(const std::string& path, const std::string& bytes);

// Writes a large store straight into a file, one message at a time, without holding it in memory: the
// messages first, the index at the end, the header last. Fails (false) on a write error or when the store
// would pass 4 GiB.
class StoreWriter {
public:
    bool Open(const std::string& path, const FixtureOptions& options = {});
    bool Add(const FixtureMessage& message);
    bool Finish();  // writes the index and the header and closes the file

    uint64_t size() const { return size_; }
    uint32_t message_count() const { return static_cast<uint32_t>(records_.size()); }

private:
    bool Append(const std::string& bytes);

    std::ofstream out_;
    FixtureOptions options_;
    std::vector<uint32_t> records_;
    uint64_t size_ = 0;
    bool ok_ = false;
};

// ---- Shared with the writer: one message's bytes, and the index over a list of records --------------------

struct EncodedMessage {
    std::string bytes;            // the blocks, then the record
    uint32_t record = 0;          // absolute offset of the record
    std::vector<uint32_t> blocks; // absolute offsets of the blocks
};

// Encodes message `index` (0-based, stored in its record) to be placed at absolute offset `at`.
EncodedMessage EncodeMessage(const FixtureMessage& message, uint32_t index, uint64_t at);

// The index tree over `records` (list order) as nodes placed one after another from `at`. Returns the root
// offset (0 for no records); `node_offsets` receives every node, children before their parents.
uint32_t EncodeIndex(const std::vector<uint32_t>& records, uint32_t entries_per_node, uint64_t at,
                     std::string& bytes, std::vector<uint32_t>* node_offsets = nullptr);

// Bytes the index over `count` records takes.
uint64_t IndexSize(uint32_t count, uint32_t entries_per_node);

}  // namespace fixture
