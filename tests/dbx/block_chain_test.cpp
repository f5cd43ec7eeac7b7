// Walking a message's chain of data blocks: what a text is made of, and chains that are damaged.
#include <gtest/gtest.h>

#include "fixtures/dbx_builder.h"
#include "tests/dbx/store_image.h"

namespace {

using fixture::BlockSpec;

std::string Bytes(size_t size, char first)
{
    std::string text;
    for (size_t i = 0; i < size; ++i) text += static_cast<char>(first + i % 23);
    return text;
}

void PlaceBlock(std::string& image, uint32_t at, std::string_view text, uint32_t next, int64_t length = -1)
{
    BlockSpec block{.self = at,
                    .text_length = length < 0 ? static_cast<uint32_t>(text.size()) : static_cast<uint32_t>(length),
                    .next = next,
                    .text = text};
    fixture::Place(image, at, fixture::EncodeBlock(block));
}

TEST(BlockChain, TextIsTheBlocksInChainOrderWithEmptyBlocksPassedOver)
{
    // Blocks placed out of file order: 4100 bytes, an empty block, 300 bytes, another empty block.
    std::string a = Bytes(4100, 'A'), b = Bytes(300, 'a');
    std::string image = HeaderImage(1, 0, 0x3000);
    PlaceBlock(image, 0x8000, a, 0x3000);
    PlaceBlock(image, 0x3000, "", 0x5000);
    PlaceBlock(image, 0x5000, b, 0x3100);
    PlaceBlock(image, 0x3100, "", 0);
    OpenedImage opened(image);

    std::vector<uint32_t> lengths;
    dbx::BlockChain chain = dbx::StartBlockChain(0x8000);
    dbx::Block block;
    while (dbx::NextBlock(opened.store(), chain, block)) {
        lengths.push_back(block.text_length);
        EXPECT_EQ(block.text_offset, uint64_t(block.offset) + 16);
    }
    EXPECT_EQ(lengths, (std::vector<uint32_t>{4100, 0, 300, 0}));
    EXPECT_EQ(ChainText(opened.store(), 0x8000), a + b);
    EXPECT_FALSE(opened.store().damaged);

    // First block 0: no text at all.
    chain = dbx::StartBlockChain(0);
    EXPECT_FALSE(dbx::NextBlock(opened.store(), chain, block));
    EXPECT_FALSE(opened.store().damaged);
}

TEST(BlockChain, LoopingChainGivesEachBlockOnce)
{
    std::string image = HeaderImage(1, 0, 0x3000);
    PlaceBlock(image, 0x3000, "one ", 0x3000);  // to itself
    PlaceBlock(image, 0x3100, "two ", 0x3200);  // through several blocks
    PlaceBlock(image, 0x3200, "three ", 0x3300);
    PlaceBlock(image, 0x3300, "four ", 0x3200);
    {
        OpenedImage opened(image);
        EXPECT_EQ(ChainText(opened.store(), 0x3000), "one ");
        EXPECT_TRUE(opened.store().damaged);
    }
    OpenedImage opened(image);
    EXPECT_EQ(ChainText(opened.store(), 0x3100), "two three four ");
    EXPECT_TRUE(opened.store().damaged);
    // Each walk is fresh: the same chain read again gives the same text.
    EXPECT_EQ(ChainText(opened.store(), 0x3100), "two three four ");
}

TEST(BlockChain, BlocksOutsideTheFileEndTheChain)
{
    std::string image = HeaderImage(1, 0, 0x3000);
    PlaceBlock(image, 0x3000, "kept ", 0x10000);
    PlaceBlock(image, 0x3100, "near 4 GiB ", 0xFFFFFFF8);
    for (uint32_t first : {0x3000u, 0x3100u, 0x3200u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
        OpenedImage opened(image);
        std::string text = ChainText(opened.store(), first);
        EXPECT_EQ(text, first == 0x3000 ? "kept " : first == 0x3100 ? "near 4 GiB " : "") << first;
        EXPECT_TRUE(opened.store().damaged) << first;
    }
}

TEST(BlockChain, TextPastTheEndOfTheFileFailsTheRead)
{
    // The block claims 5000 bytes, 3000 of which exist: the first full piece reads, the next does not.
    std::string text = Bytes(3000, 'x');
    std::string image = HeaderImage(1, 0, 0x3000);
    PlaceBlock(image, 0x3000, text, 0, 5000);
    OpenedImage opened(image);
    bool complete = true;
    EXPECT_EQ(ChainText(opened.store(), 0x3000, &complete), text.substr(0, 2048));
    EXPECT_FALSE(complete);
    EXPECT_TRUE(opened.store().damaged);

    // A length that takes all 32 bits is used as it stands.
    fixture::PatchLe32(image, 0x3000 + 8, 0xFFFFFFF0);
    OpenedImage huge(image);
    dbx::BlockChain chain = dbx::StartBlockChain(0x3000);
    dbx::Block block;
    ASSERT_TRUE(dbx::NextBlock(huge.store(), chain, block));
    EXPECT_EQ(block.text_length, 0xFFFFFFF0u);
    EXPECT_EQ(ChainText(huge.store(), 0x3000, &complete), text.substr(0, 2048));
    EXPECT_FALSE(complete);
}

// One store whose 2000 index entries all lead to the one long text: the work stays in proportion to the file.
TEST(BlockChain, ManyRecordsSharingOneChainCostNoMoreThanTheFile)
{
    std::string text = Bytes(200000, 'm');
    fixture::StoreLayout layout;
    std::string image = fixture::BuildDbx({{.text = text}}, {}, &layout);
    std::vector<uint32_t> shared(2000, layout.records[0]);
    std::string index;
    uint32_t root = fixture::EncodeIndex(shared, 51, image.size(), index);
    image += index;
    fixture::PatchLe32(image, fixture::kHeaderRootNode, root);
    fixture::ReadStoreResult read = ReadImage(image);
    ASSERT_EQ(read.messages.size(), 2000u);
    EXPECT_EQ(read.messages[0].text, text);
    uint64_t total = 0;
    for (const fixture::ReadMessage& message : read.messages) total += message.text.size();
    EXPECT_LE(total, image.size());
    EXPECT_TRUE(read.damaged);
}

TEST(BlockChain, RetriesOfOneMessageAreNotCharged)
{
    // One message fills most of the file; the conversion may look it up and walk it again and again.
    std::string text = Bytes(500000, 'r');
    fixture::StoreLayout layout;
    OpenedImage opened(fixture::BuildDbx({{.text = text}}, {}, &layout));
    std::vector<uint32_t> records = dbx::CollectMessageRecords(opened.store());
    ASSERT_EQ(records.size(), 1u);
    for (int attempt = 0; attempt < 6; ++attempt) {
        dbx::MessageData data = dbx::LocateMessageData(opened.store(), records[0]);
        ASSERT_TRUE(data.found);
        EXPECT_EQ(ChainText(opened.store(), data.first_block), text) << attempt;
    }
    EXPECT_FALSE(opened.store().damaged);
}

}  // namespace
