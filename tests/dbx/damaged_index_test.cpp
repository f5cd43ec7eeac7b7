// Index trees that no sound store holds: the walk ends quickly, never visits a node twice, lists what it can
// reach, and tells the caller that the file is damaged. Deep but sound trees are walked in full.
#include <gtest/gtest.h>

#include "fixtures/dbx_pieces.h"
#include "tests/dbx/store_image.h"

namespace {

using fixture::NodeSpec;
using Records = std::vector<uint32_t>;

constexpr uint32_t kRoot = kTestRoot;

TEST(DamagedIndex, NodeThatIsItsOwnDescendant)
{
    // Through the first child.
    std::string image = HeaderImage(1, kRoot);
    PlaceNode(image, kRoot, {.first_child = kRoot, .first_child_count = 1, .entries = {{0xA000, 0, 0}}});
    WalkResult walk = WalkIndex(image);
    EXPECT_EQ(walk.records, (Records{0xA000}));
    EXPECT_TRUE(walk.damaged);

    // Through an entry child, and through a second node.
    image = HeaderImage(1, kRoot);
    PlaceNode(image, kRoot, {.entries = {{0xA000, kRoot, 1}, {0xB000, 0x3400, 1}}});
    PlaceNode(image, 0x3400, {.first_child = kRoot, .first_child_count = 9, .entries = {{0xC000, 0x3400, 1}}});
    walk = WalkIndex(image);
    EXPECT_EQ(walk.records, (Records{0xA000, 0xB000, 0xC000}));
    EXPECT_TRUE(walk.damaged);
}

TEST(DamagedIndex, NodesSharedByManyParentsAreWalkedOnce)
{
    // Sixty levels, each pointing twice to the next: 2^60 paths, sixty nodes.
    constexpr uint32_t kLevels = 60;
    std::string image = HeaderImage(1, kRoot);
    Records expected;
    for (uint32_t level = 0; level < kLevels; ++level) {
        uint32_t next = level + 1 < kLevels ? kRoot + 64 * (level + 1) : 0;
        uint32_t count = next ? 1000 : 0;
        PlaceNode(image, kRoot + 64 * level,
                  {.first_child = next, .first_child_count = count, .entries = {{0x10000 + level, next, count}}});
        expected.insert(expected.begin(), 0x10000 + level);
    }
    WalkResult walk = WalkIndex(image);
    EXPECT_EQ(walk.records, expected);
    EXPECT_TRUE(walk.damaged);
}

// A chain of `depth` single-entry nodes, each the first child (or the entry's child) of the one before.
std::string DeepTree(uint32_t depth, bool through_first_children, Records& expected)
{
    constexpr uint32_t kNodeSize = 24 + 12;
    std::string image = HeaderImage(depth, kRoot, kRoot + depth * kNodeSize);
    expected.clear();
    for (uint32_t i = 0; i < depth; ++i) {
        uint32_t at = kRoot + i * kNodeSize;
        uint32_t child = i + 1 < depth ? at + kNodeSize : 0;
        uint32_t below = depth - i - 1;
        uint32_t record = 0x1000000 + i;
        NodeSpec node;
        if (through_first_children)
            node = {.first_child = child, .first_child_count = below, .entries = {{record, 0, 0}}};
        else node = {.entries = {{record, child, below}}};
        PlaceNode(image, at, node);
        expected.push_back(record);
    }
    if (through_first_children) std::reverse(expected.begin(), expected.end());
    return image;
}

TEST(DamagedIndex, TreeNestedAHundredThousandLevelsIsWalkedWithoutRecursion)
{
    for (bool through_first_children : {true, false}) {
        SCOPED_TRACE(through_first_children ? "first children" : "entry children");
        Records expected;
        std::string image = DeepTree(100000, through_first_children, expected);
        WalkResult walk = WalkIndex(image);
        EXPECT_EQ(walk.records, expected);
        EXPECT_FALSE(walk.damaged);  // deep, but every node sound

        // The same tree whose deepest node points back to the root.
        fixture::PatchLe32(image, image.size() - 36 + (through_first_children ? 8 : 28), kRoot);
        fixture::PatchLe32(image, image.size() - 36 + (through_first_children ? 20 : 32), 1);
        walk = WalkIndex(image);
        EXPECT_EQ(walk.records, expected);
        EXPECT_TRUE(walk.damaged);
    }
}

TEST(DamagedIndex, HugeEntryCountStopsAtTheEndOfTheFile)
{
    for (uint32_t size : {0x4000u, 0x100000u}) {
        std::string image = HeaderImage(1, kRoot, size);
        PlaceNode(image, kRoot, {.entries = {{0xA000, 0, 0}}, .entry_count = 0xFFFFFF});
        WalkResult walk = WalkIndex(image);
        ASSERT_FALSE(walk.records.empty());
        EXPECT_EQ(walk.records[0], 0xA000u);
        EXPECT_LE(walk.records.size(), (size - kRoot) / 12 + 1);
        EXPECT_TRUE(walk.damaged);
    }
}

TEST(DamagedIndex, EntriesAreBoundedByWhatTheFileCouldHold)
{
    // Every node claims the whole rest of the file as entries, and each entry leads to another such node:
    // together they would list far more than the file holds.
    constexpr uint32_t kNodes = 200;
    std::string image = HeaderImage(1, kRoot, kRoot + kNodes * 16 + 64);
    for (uint32_t i = 0; i < kNodes; ++i) {
        uint32_t at = kRoot + 16 * i;
        fixture::PatchLe32(image, at + 16, 0xFFFFFF00);   // bytes 17-19: count
        fixture::PatchLe32(image, at + 24 + 4, at + 16);  // entry 0's child: the next node
        fixture::PatchLe32(image, at + 24 + 8, 1);
    }
    WalkResult walk = WalkIndex(image);
    EXPECT_LE(walk.records.size(), image.size() / 12);
    EXPECT_TRUE(walk.damaged);
}

TEST(DamagedIndex, OffsetsThatNameNoNode)
{
    // Root 0 with a non-zero count, past the end, reaching past 4 GiB.
    for (uint32_t root : {0u, 0x4000u, 0x80000000u, 0xFFFFFFF0u, 0xFFFFFFFFu}) {
        std::string image = HeaderImage(3, root);
        WalkResult walk = WalkIndex(image);
        EXPECT_TRUE(walk.records.empty()) << root;
        EXPECT_TRUE(walk.damaged) << root;
    }

    // Non-zero subtree counts with a child offset of 0, or a child past the end: the rest is still listed.
    std::string image = HeaderImage(3, kRoot);
    PlaceNode(image, kRoot,
              {.first_child = 0,
               .first_child_count = 5,
               .entries = {{0xA000, 0, 3}, {0xB000, 0x9000, 1}, {0xC000, 0xFFFFFFF4, 2}, {0xD000, 0, 0}}});
    WalkResult walk = WalkIndex(image);
    EXPECT_EQ(walk.records, (Records{0xA000, 0xB000, 0xC000, 0xD000}));
    EXPECT_TRUE(walk.damaged);
}

TEST(DamagedIndex, NodeCutByTheEndOfTheFile)
{
    // The last entry is only half there: its record offset reads, its child does not.
    std::string image = HeaderImage(2, kRoot);
    PlaceNode(image, kRoot, {.entries = {{0xA000, 0, 0}, {0xB000, 0x3400, 1}}});
    image.resize(kRoot + 24 + 12 + 6);
    WalkResult walk = WalkIndex(image);
    EXPECT_EQ(walk.records, (Records{0xA000, 0xB000}));
    EXPECT_TRUE(walk.damaged);

    // A node whose head is cut lists nothing.
    image.resize(kRoot + 18);
    walk = WalkIndex(image);
    EXPECT_TRUE(walk.records.empty());
    EXPECT_TRUE(walk.damaged);
}

}  // namespace
