// The index walk on well-formed trees: order, the 24-bit entry count, and which children are followed.
#include <gtest/gtest.h>

#include "fixtures/dbx_pieces.h"
#include "tests/dbx/store_image.h"

namespace {

using fixture::NodeSpec;
using Records = std::vector<uint32_t>;

constexpr uint32_t kRoot = kTestRoot;

TEST(IndexWalk, FirstChildAndEntryChildrenGiveAnInOrderList)
{
    // Root: first child {X}; entries A (child {Y}), B, C.
    std::string image = HeaderImage(5, kRoot);
    PlaceNode(image, kRoot,
              {.first_child = 0x3400,
               .first_child_count = 1,
               .entries = {{0xA000, 0x3800, 1}, {0xB000, 0, 0}, {0xC000, 0, 0}}});
    PlaceNode(image, 0x3400, {.entries = {{0x1000, 0, 0}}});  // X
    PlaceNode(image, 0x3800, {.entries = {{0x2000, 0, 0}}});  // Y
    WalkResult walk = WalkIndex(image);
    EXPECT_EQ(walk.records, (Records{0x1000, 0xA000, 0x2000, 0xB000, 0xC000}));
    EXPECT_FALSE(walk.damaged);

    // The same node without children: A, B, C.
    image = HeaderImage(3, kRoot);
    PlaceNode(image, kRoot, {.entries = {{0xA000, 0, 0}, {0xB000, 0, 0}, {0xC000, 0, 0}}});
    EXPECT_EQ(WalkIndex(image).records, (Records{0xA000, 0xB000, 0xC000}));
}

TEST(IndexWalk, EntryCountIsTheTwentyFourBitsOfBytes17To19)
{
    // 0x10203 entries would need 800 KB; 300 entries already set byte 18.
    NodeSpec node;
    Records expected;
    for (uint32_t i = 0; i < 300; ++i) {
        node.entries.push_back({0x10000 + 16 * i, 0, 0});
        expected.push_back(0x10000 + 16 * i);
    }
    std::string image = HeaderImage(300, kRoot);
    PlaceNode(image, kRoot, node);
    ASSERT_EQ(static_cast<unsigned char>(image[kRoot + 18]), 1);
    WalkResult walk = WalkIndex(image);
    EXPECT_EQ(walk.records, expected);
    EXPECT_FALSE(walk.damaged);

    // Byte 16 is no part of the count, nor is byte 20, the first child's count.
    image = HeaderImage(3, kRoot);
    PlaceNode(image, kRoot,
              {.first_child = 0x3800, .first_child_count = 1, .entries = {{0xA000, 0, 0}, {0xB000, 0, 0}}});
    PlaceNode(image, 0x3800, {.entries = {{0x1000, 0, 0}}});
    image[kRoot + 16] = '\x7f';
    EXPECT_EQ(WalkIndex(image).records, (Records{0x1000, 0xA000, 0xB000}));
}

TEST(IndexWalk, ChildrenWithAZeroCountAreNotFollowed)
{
    std::string image = HeaderImage(2, kRoot);
    PlaceNode(
        image, kRoot,
        {.first_child = 0x3400, .first_child_count = 0, .entries = {{0xA000, 0x3800, 0}, {0xB000, 0xFFFFFFF0, 0}}});
    PlaceNode(image, 0x3400, {.entries = {{0x1000, 0, 0}}});
    PlaceNode(image, 0x3800, {.entries = {{0x2000, 0, 0}}});
    WalkResult walk = WalkIndex(image);
    EXPECT_EQ(walk.records, (Records{0xA000, 0xB000}));
    EXPECT_FALSE(walk.damaged);
}

TEST(IndexWalk, NodeWithoutEntriesGivesOnlyItsFirstChildsSubtree)
{
    std::string image = HeaderImage(2, kRoot);
    PlaceNode(image, kRoot, {.first_child = 0x3400, .first_child_count = 2});
    PlaceNode(image, 0x3400, {.entries = {{0x1000, 0, 0}, {0x1100, 0, 0}}});
    EXPECT_EQ(WalkIndex(image).records, (Records{0x1000, 0x1100}));
}

TEST(IndexWalk, SubtreeCountsNeedNotMatchTheirSubtrees)
{
    // The counts only say whether a child exists: a wrong count still lists the whole subtree.
    std::string image = HeaderImage(1, kRoot);
    PlaceNode(image, kRoot, {.first_child = 0x3400, .first_child_count = 7, .entries = {{0xA000, 0x3800, 1}}});
    PlaceNode(image, 0x3400, {.entries = {{0x1000, 0, 0}, {0x1100, 0, 0}}});
    PlaceNode(image, 0x3800, {.entries = {{0x2000, 0, 0}, {0x2100, 0, 0}, {0x2200, 0, 0}}});
    WalkResult walk = WalkIndex(image);
    EXPECT_EQ(walk.records, (Records{0x1000, 0x1100, 0xA000, 0x2000, 0x2100, 0x2200}));
    EXPECT_FALSE(walk.damaged);
}

TEST(IndexWalk, RecordsAreListedAsOftenAsTheTreeHoldsThem)
{
    std::string image = HeaderImage(3, kRoot);
    PlaceNode(image, kRoot, {.entries = {{0xA000, 0x3800, 1}, {0xA000, 0, 0}}});
    PlaceNode(image, 0x3800, {.entries = {{0xA000, 0, 0}}});
    WalkResult walk = WalkIndex(image);
    EXPECT_EQ(walk.records, (Records{0xA000, 0xA000, 0xA000}));
    EXPECT_TRUE(walk.damaged);  // a sound index lists each message once
}

TEST(IndexWalk, HeaderCountDecidesWhetherTheFolderHoldsAnything)
{
    std::string image = HeaderImage(0, kRoot);
    PlaceNode(image, kRoot, {.entries = {{0xA000, 0, 0}}});
    fixture::ReadStoreResult read = ReadImage(image, false);
    EXPECT_EQ(read.header_count, 0u);
    EXPECT_TRUE(read.messages.empty());
    EXPECT_FALSE(read.damaged);

    // A file too short to hold the count: nothing, and the file counts as damaged.
    read = ReadImage(image.substr(0, 0xC6), false);
    EXPECT_EQ(read.header_count, 0u);
    EXPECT_TRUE(read.messages.empty());
    EXPECT_TRUE(read.damaged);
}

}  // namespace
