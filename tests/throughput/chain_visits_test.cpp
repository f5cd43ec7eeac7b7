// A chain of data blocks ends where it comes back to a block it has visited. The reader keeps the blocks of
// a chain that runs forward in a sorted list and hashes only the others; these tests hold it against a plain
// set of every visited block on chains that run forward, backward, jump about and loop.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "dbx/dbx_file.h"
#include "fixtures/dbx_builder.h"
#include "tests/dbx/scratch_dir.h"

namespace {

struct Graph {
    std::vector<uint32_t> offsets;  // where each block lies
    std::vector<int> next;          // the block each one names next; -1 ends the chain
    std::string image;
};

// `count` blocks with short texts at shuffled places; each names a random next block (or none).
Graph MakeGraph(std::mt19937& random, int count, bool forward_only)
{
    Graph graph;
    std::vector<uint32_t> slots;
    for (int i = 0; i < count; ++i) slots.push_back(0x1000 + 0x40 * static_cast<uint32_t>(i));
    if (!forward_only) std::shuffle(slots.begin(), slots.end(), random);
    graph.offsets = slots;
    for (int i = 0; i < count; ++i) {
        int next = -1;
        if (random() % 8 != 0) {
            if (forward_only) next = i + 1 < count ? i + 1 : -1;
            else next = static_cast<int>(random() % count);
        }
        graph.next.push_back(next);
    }
    // Now and then a forward chain turns back once, onto a block already passed or one never reached.
    if (forward_only && random() % 2 == 0) graph.next[random() % count] = static_cast<int>(random() % count);
    graph.image = fixture::EncodeHeader(1, 0, 0x1000);
    for (int i = 0; i < count; ++i) {
        std::string text(random() % 40, static_cast<char>('a' + i % 26));
        fixture::BlockSpec block;
        block.self = graph.offsets[i];
        block.text_length = static_cast<uint32_t>(text.size());
        block.next = graph.next[i] < 0 ? 0 : graph.offsets[graph.next[i]];
        block.text = text;
        block.allocated = 0x30;
        fixture::Place(graph.image, graph.offsets[i], fixture::EncodeBlock(block));
    }
    return graph;
}

// The plain walk: every visited block in a set, the chain ending at the first one met again.
std::vector<uint32_t> PlainWalk(const Graph& graph, int first, bool& looped)
{
    std::vector<uint32_t> visited;
    std::set<int> seen;
    looped = false;
    for (int block = first; block >= 0; block = graph.next[block]) {
        if (!seen.insert(block).second) {
            looped = true;
            break;
        }
        visited.push_back(graph.offsets[block]);
    }
    return visited;
}

TEST(ChainVisits, EveryChainEndsWhereAPlainSetOfVisitedBlocksEndsIt)
{
    ScratchDir scratch;
    std::mt19937 random(5);
    for (int round = 0; round < 300; ++round) {
        bool forward_only = round % 3 == 0;
        int count = 2 + static_cast<int>(random() % 60);
        Graph graph = MakeGraph(random, count, forward_only);
        std::string path = scratch.File("chain.dbx");
        ASSERT_TRUE(fixture::WriteFixture(path, graph.image));
        platform::FileHandle file = platform::OpenForReading(path.c_str());
        ASSERT_NE(file, platform::kNoFile);
        dbx::DbxFile dbx;
        ASSERT_TRUE(dbx::OpenDbxFile(dbx, file));

        int first = static_cast<int>(random() % count);
        bool looped = false;
        std::vector<uint32_t> expected = PlainWalk(graph, first, looped);
        std::vector<uint32_t> walked;
        dbx::BlockChain chain = dbx::StartBlockChain(graph.offsets[first]);
        dbx::Block block;
        while (dbx::NextBlock(dbx, chain, block)) walked.push_back(block.offset);
        dbx::CloseDbxFile(dbx);
        platform::CloseFile(file);

        ASSERT_EQ(walked, expected) << "round " << round;
        EXPECT_EQ(dbx.damaged, looped) << "round " << round;
    }
}

}  // namespace
