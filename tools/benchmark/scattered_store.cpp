#include "tools/benchmark/scattered_store.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>
#include <unordered_map>
#include <vector>

#include "dbx/dbx_file.h"
#include "dbx/decode.h"
#include "fixtures/dbx_builder.h"

namespace bench {
namespace {

// Every block the fixture writer makes has room for 512 bytes of text after its 16-byte head.
constexpr uint32_t kBlockSlot = 16 + 512;

// The chains of the file's messages, in index order, as the reader walks them.
bool ReadChains(const std::string& path, std::vector<std::vector<uint32_t>>& chains)
{
    platform::FileHandle file = platform::OpenForReading(path.c_str());
    if (file == platform::kNoFile) return false;
    dbx::DbxFile store;
    bool ok = dbx::OpenDbxFile(store, file);
    if (ok && dbx::ReadDword(store, dbx::kHeaderMessageCount) != 0) {
        for (uint32_t record : dbx::CollectMessageRecords(store)) {
            dbx::MessageData data = dbx::LocateMessageData(store, record);
            if (!data.found || data.first_block == 0) continue;
            std::vector<uint32_t> blocks;
            dbx::BlockChain chain = dbx::StartBlockChain(data.first_block);
            dbx::Block block;
            while (dbx::NextBlock(store, chain, block)) blocks.push_back(block.offset);
            chains.push_back(std::move(blocks));
        }
    }
    ok = ok && !store.damaged;
    dbx::CloseDbxFile(store);
    platform::CloseFile(file);
    return ok;
}

// The places of every entry's record offset in the index tree, walked with the decoder.
std::vector<uint32_t> EntryRecordPlaces(const std::string& image)
{
    auto bytes = [&](uint32_t at) { return reinterpret_cast<const unsigned char*>(image.data()) + at; };
    std::vector<uint32_t> places;
    std::vector<uint32_t> nodes = {dbx::DecodeHeader(bytes(0)).root_node};
    while (!nodes.empty()) {
        uint32_t node = nodes.back();
        nodes.pop_back();
        dbx::NodeHead head = dbx::DecodeNodeHead(bytes(node));
        if (head.first_child_count != 0) nodes.push_back(head.first_child);
        for (uint32_t i = 0; i < head.entry_count; ++i) {
            uint32_t entry = node + dbx::layout::kNodeEntries + dbx::layout::kEntrySize * i;
            places.push_back(entry + dbx::layout::kEntryRecord);
            dbx::NodeEntry listed = dbx::DecodeNodeEntry(bytes(entry));
            if (listed.child_count != 0) nodes.push_back(listed.child);
        }
    }
    return places;
}

}  // namespace

bool WriteScatteredCopy(const std::string& from, const std::string& to, uint32_t seed)
{
    std::ifstream in(from, std::ios::binary);
    std::string image((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::vector<uint32_t>> chains;
    if (!in.good() && !in.eof()) image.clear();
    if (image.empty() || !ReadChains(from, chains)) {
        std::fprintf(stderr, "cannot read the store %s\n", from.c_str());
        return false;
    }
    std::mt19937 random(seed);

    std::vector<uint32_t> slots;
    for (const std::vector<uint32_t>& chain : chains) slots.insert(slots.end(), chain.begin() + 1, chain.end());
    std::vector<uint32_t> places = slots;
    std::shuffle(places.begin(), places.end(), random);
    std::unordered_map<uint32_t, uint32_t> moved_to;
    moved_to.reserve(slots.size());
    std::string scattered = image;
    for (size_t i = 0; i < slots.size(); ++i) {
        if (fixture::GetLe32(image, slots[i] + 4) != 512) {
            std::fprintf(stderr, "%s: a block without the usual room for text\n", from.c_str());
            return false;
        }
        moved_to[slots[i]] = places[i];
        scattered.replace(places[i], kBlockSlot, image, slots[i], kBlockSlot);
        fixture::PatchLe32(scattered, places[i], places[i]);  // the block's own offset
    }
    auto place_of = [&](uint32_t block) {
        auto found = moved_to.find(block);
        return found == moved_to.end() ? block : found->second;
    };
    for (const std::vector<uint32_t>& chain : chains) {
        for (size_t i = 0; i < chain.size(); ++i) {
            uint32_t next = i + 1 < chain.size() ? place_of(chain[i + 1]) : 0;
            fixture::PatchLe32(scattered, place_of(chain[i]) + dbx::layout::kBlockNext, next);
        }
    }

    std::vector<uint32_t> entries = EntryRecordPlaces(image);
    std::vector<uint32_t> records;
    for (uint32_t at : entries) records.push_back(fixture::GetLe32(image, at));
    std::shuffle(records.begin(), records.end(), random);
    for (size_t i = 0; i < entries.size(); ++i) fixture::PatchLe32(scattered, entries[i], records[i]);

    if (!fixture::WriteFixture(to, scattered)) {
        std::fprintf(stderr, "cannot write %s\n", to.c_str());
        return false;
    }
    return true;
}

}  // namespace bench
