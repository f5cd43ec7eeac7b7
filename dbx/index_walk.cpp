// The in-order walk of the message index tree, with an explicit stack: the file decides the depth.
#include <algorithm>
#include <unordered_set>

#include "dbx/dbx_file.h"
#include "dbx/layout.h"
#include "dbx/structure_reads.h"

namespace dbx {

using namespace layout;

namespace {

// One node on the walk stack: the next entry to list.
struct WalkFrame {
    uint32_t node;
    uint32_t entry_count;
    uint32_t next_entry;
};

struct IndexWalk {
    DbxFile& dbx;
    std::vector<WalkFrame> stack;
    std::vector<uint32_t> records;
    std::unordered_set<uint32_t> visited;
    uint64_t bytes_read = 0;  // node heads and entries so far

    // Nodes of a sound file do not overlap, so their heads and entries together fit in the file.
    bool Spend(uint64_t bytes)
    {
        if (bytes_read + bytes > dbx.file_size) return false;
        bytes_read += bytes;
        return true;
    }

    // Pushes a node, then its first child and that child's first child and so on, so that each first child's
    // subtree is listed before its parent's entries.
    void Enter(uint32_t node)
    {
        for (;;) {
            if (node == 0 || node >= dbx.file_size || !visited.insert(node).second || !Spend(kNodeHeaderSize)) {
                // No node at 0 (the file header), past the end, or met before (a cycle or a shared subtree).
                dbx.damaged = true;
                return;
            }
            NodeHead head = DecodeNodeHead(ReadStructure(dbx, node, kNodeHeadFields).data());
            stack.push_back({node, head.entry_count, 0});
            if (head.first_child_count == 0) return;
            node = head.first_child;
        }
    }

    void ListEntry(WalkFrame& frame)
    {
        uint64_t entry = uint64_t(frame.node) + kNodeEntries + uint64_t(kEntrySize) * frame.next_entry;
        ++frame.next_entry;
        if (entry >= dbx.file_size || !Spend(kEntrySize)) {
            // Entries past the end of the file or beyond what the file could hold: the node is damaged.
            dbx.damaged = true;
            frame.next_entry = frame.entry_count;
            return;
        }
        NodeEntry listed = DecodeNodeEntry(ReadStructure(dbx, entry, kNodeEntryFields).data());
        records.push_back(listed.record);
        if (listed.child_count != 0) Enter(listed.child);  // may move the stack, so `frame` is not used after this
    }

    std::vector<uint32_t> Run()
    {
        uint32_t root = ReadDword(dbx, kHeaderRootNode);  // the only field of the header the walk needs
        Enter(root);  // a root of 0 with a non-zero message count marks the file damaged there
        while (!stack.empty()) {
            WalkFrame& frame = stack.back();
            if (frame.next_entry >= frame.entry_count) stack.pop_back();
            else ListEntry(frame);
        }
        return std::move(records);
    }
};

// Counts how often each record is listed. A sound index lists each message once; a repeat is kept, as listed,
// but marks the file.
void CountListings(DbxFile& dbx, const std::vector<uint32_t>& records)
{
    std::vector<uint32_t> sorted = records;
    std::sort(sorted.begin(), sorted.end());
    ChainBudget& budget = dbx.budget;
    budget.listed.clear();
    budget.unlisted_lookups.clear();
    for (uint32_t record : sorted) {
        if (!budget.listed.empty() && budget.listed.back().record == record) {
            ++budget.listed.back().listings;
            dbx.damaged = true;
        } else {
            budget.listed.push_back({record, 1, 0});
        }
    }
}

}  // namespace

std::vector<uint32_t> CollectMessageRecords(DbxFile& dbx)
{
    std::vector<uint32_t> records = IndexWalk{dbx, {}, {}, {}, 0}.Run();
    CountListings(dbx, records);
    return records;
}

}  // namespace dbx
