#include "tests/dbx/store_image.h"

#include <algorithm>

#include "fixtures/dbx_builder.h"

OpenedImage::OpenedImage(const std::string& image)
{
    std::string path = dir_.File("store.dbx");
    EXPECT_TRUE(fixture::WriteFixture(path, image));
    file_ = platform::OpenForReading(path.c_str());
    EXPECT_NE(file_, platform::kNoFile);
    EXPECT_TRUE(dbx::OpenDbxFile(store_, file_));
}

OpenedImage::~OpenedImage()
{
    dbx::CloseDbxFile(store_);
    if (file_ != platform::kNoFile) platform::CloseFile(file_);
}

fixture::ReadStoreResult ReadImage(const std::string& image, bool with_text)
{
    ScratchDir dir;
    std::string path = dir.File("store.dbx");
    EXPECT_TRUE(fixture::WriteFixture(path, image));
    return fixture::ReadStore(path, with_text);
}

std::string ChainText(dbx::DbxFile& store, uint32_t first_block, bool* complete)
{
    std::string text;
    bool whole = true;
    dbx::BlockChain chain = dbx::StartBlockChain(first_block);
    dbx::Block block;
    char piece[2048];
    while (whole && dbx::NextBlock(store, chain, block)) {
        uint64_t at = block.text_offset;
        for (uint32_t left = block.text_length; left != 0;) {
            uint32_t size = std::min<uint32_t>(left, sizeof piece);
            if (!dbx::ReadBytes(store, at, piece, size)) {
                whole = false;
                break;
            }
            text.append(piece, size);
            at += size;
            left -= size;
        }
    }
    if (complete) *complete = whole;
    return text;
}

std::string HeaderImage(uint32_t message_count, uint32_t root, uint32_t size)
{
    std::string image = fixture::EncodeHeader(message_count, root);
    image.resize(size, '\0');
    return image;
}

void PlaceNode(std::string& image, uint32_t at, fixture::NodeSpec node)
{
    node.self = at;
    fixture::Place(image, at, fixture::EncodeNode(node));
}

WalkResult WalkIndex(const std::string& image)
{
    OpenedImage opened(image);
    WalkResult result;
    result.records = dbx::CollectMessageRecords(opened.store());
    result.damaged = opened.store().damaged;
    return result;
}
