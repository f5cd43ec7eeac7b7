// The index tree of a fixture store: a balanced tree whose in-order walk lists the records in order.
#include <algorithm>

#include "tests/support/dbx_builder.h"

namespace fixture {
namespace {

struct PlannedEntry {
    uint32_t item = 0;  // position in the record list
    int child = -1;     // planned node of the subtree after this entry
    uint32_t child_count = 0;
};

struct PlannedNode {
    int first_child = -1;
    uint32_t first_child_count = 0;
    std::vector<PlannedEntry> entries;
    int parent = -1;
};

// Plans the subtree over items [lo, hi) and returns its node. Children are planned before their parent, so the
// plan lists them first. A node that cannot hold all its items keeps `fan_out` of them as separators and
// spreads the rest evenly over its first child and its entries' children.
int Plan(uint32_t lo, uint32_t hi, uint32_t fan_out, std::vector<PlannedNode>& plan)
{
    PlannedNode node;
    uint32_t count = hi - lo;
    if (count <= fan_out) {
        for (uint32_t item = lo; item < hi; ++item) node.entries.push_back({item, -1, 0});
    } else {
        uint32_t rest = count - fan_out;
        uint32_t slots = fan_out + 1;
        uint32_t position = lo;
        auto take_subtree = [&](uint32_t slot, int& child, uint32_t& child_count) {
            uint32_t size = rest / slots + (slot < rest % slots ? 1 : 0);
            if (size != 0) {
                child = Plan(position, position + size, fan_out, plan);
                child_count = size;
            }
            position += size;
        };
        take_subtree(0, node.first_child, node.first_child_count);
        for (uint32_t i = 0; i < fan_out; ++i) {
            PlannedEntry entry{position++, -1, 0};
            take_subtree(i + 1, entry.child, entry.child_count);
            node.entries.push_back(entry);
        }
    }
    plan.push_back(node);
    int self = static_cast<int>(plan.size()) - 1;
    if (node.first_child >= 0) plan[node.first_child].parent = self;
    for (const PlannedEntry& entry : node.entries)
        if (entry.child >= 0) plan[entry.child].parent = self;
    return self;
}

uint32_t FanOut(uint32_t entries_per_node) { return std::max<uint32_t>(entries_per_node, 1); }

// Every node takes the same room, as in the files Outlook Express writes.
uint32_t NodeSize(uint32_t count, uint32_t fan_out)
{
    return kNodeHeaderSize + kNodeEntrySize * std::min(fan_out, std::max<uint32_t>(count, 1));
}

std::vector<PlannedNode> PlanIndex(uint32_t count, uint32_t fan_out)
{
    std::vector<PlannedNode> plan;
    if (count != 0) Plan(0, count, fan_out, plan);
    return plan;
}

}  // namespace

uint64_t IndexSize(uint32_t count, uint32_t entries_per_node)
{
    uint32_t fan_out = FanOut(entries_per_node);
    return uint64_t(PlanIndex(count, fan_out).size()) * NodeSize(count, fan_out);
}

uint32_t EncodeIndex(const std::vector<uint32_t>& records, uint32_t entries_per_node, uint64_t at,
                     std::string& bytes, std::vector<uint32_t>* node_offsets)
{
    uint32_t count = static_cast<uint32_t>(records.size());
    uint32_t fan_out = FanOut(entries_per_node);
    std::vector<PlannedNode> plan = PlanIndex(count, fan_out);
    if (plan.empty()) return 0;
    uint32_t node_size = NodeSize(count, fan_out);
    auto offset_of = [&](int node) { return node < 0 ? 0u : static_cast<uint32_t>(at + uint64_t(node) * node_size); };
    for (size_t i = 0; i < plan.size(); ++i) {
        const PlannedNode& planned = plan[i];
        NodeSpec node;
        node.self = offset_of(static_cast<int>(i));
        node.parent = offset_of(planned.parent);
        node.first_child = offset_of(planned.first_child);
        node.first_child_count = planned.first_child_count;
        node.capacity = (node_size - kNodeHeaderSize) / kNodeEntrySize;
        for (const PlannedEntry& entry : planned.entries)
            node.entries.push_back({records[entry.item], offset_of(entry.child), entry.child_count});
        bytes += EncodeNode(node);
        if (node_offsets) node_offsets->push_back(node.self);
    }
    return offset_of(static_cast<int>(plan.size()) - 1);
}

}  // namespace fixture
