// Offsets are unsigned 32 bits: nodes, records and blocks beyond 2 GiB and up to the last bytes below 4 GiB read
// correctly, and structures that would reach past 4 GiB do not wrap around. Uses sparse files, which cost no disk;
// skipped where the file system will not keep them sparse.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>

#include "dbx/dbx_file.h"
#include "fixtures/dbx_pieces.h"
#include "tests/dbx/scratch_dir.h"
#include "tests/support/store_reading.h"

namespace {

using fixture::DirectAttribute;
using fixture::FilePiece;
using fixture::IndirectAttribute;

constexpr uint64_t k4GiB = 0x100000000ull;

// Writes the pieces into a sparse 4 GiB file; false (and the file removed) when it would take real disk space.
bool WriteSparse(const std::string& path, const std::vector<FilePiece>& pieces)
{
    if (!fixture::WriteSparseFile(path, pieces, k4GiB)) return false;
    struct stat info;
    if (stat(path.c_str(), &info) != 0 || uint64_t(info.st_blocks) * 512 > (64u << 20)) {
        std::remove(path.c_str());
        return false;
    }
    return true;
}

FilePiece Node(uint32_t at, fixture::NodeSpec node)
{
    node.self = at;
    return {at, fixture::EncodeNode(node)};
}

// A record whose message data lies in its data area (a block offset needs all 32 bits up here).
FilePiece Record(uint32_t at, uint32_t first_block, bool news)
{
    uint32_t data = IndirectAttribute(4, 0);
    uint32_t other = IndirectAttribute(5, 4);
    fixture::RecordSpec record{.self = at,
                               .attributes = {DirectAttribute(0, 1), IndirectAttribute(1, 4), IndirectAttribute(2, 4),
                                              news ? other : data, news ? data : other},
                               .data_area = fixture::Le32(first_block) + "Subj"};
    return {at, fixture::EncodeRecord(record)};
}

FilePiece Block(uint32_t at, std::string_view text, uint32_t next)
{
    return {at, fixture::EncodeBlock({.self = at, .text_length = uint32_t(text.size()), .next = next, .text = text})};
}

TEST(LargeOffsets, StructuresBeyondTwoGiBAndNearFourGiB)
{
    ScratchDir dir;
    std::string path = dir.File("large.dbx");
    const std::string last_text(0x100, 'z');
    // Root beyond 2 GiB; its first child higher up; an entry child in the last bytes below 4 GiB.
    std::vector<FilePiece> pieces = {
        {0, fixture::EncodeHeader(3, 0x80000000)},
        Node(0x80000000, {.first_child = 0xF0000000, .first_child_count = 1, .entries = {{0x80001000, 0xFFFFFF40, 1}}}),
        Node(0xF0000000, {.entries = {{0xFFFFFFC0, 0, 0}}}),
        Node(0xFFFFFF40, {.entries = {{0xA0000000, 0, 0}}}),
        Record(0x80001000, 0xC0000000, false),
        Block(0xC0000000, "above 3 GiB, ", 0xFFFFFE00),
        Block(0xFFFFFE00, last_text, 0),
        Record(0xFFFFFFC0, 0x90000000, true),
        Block(0x90000000, "beyond 2 GiB", 0),
        {0xA0000000, fixture::EncodeRecord({.self = 0xA0000000, .attributes = {0, 0, 0, DirectAttribute(4, 0)}})},
    };
    if (!WriteSparse(path, pieces)) GTEST_SKIP() << "the file system does not keep sparse files";

    fixture::ReadStoreResult read = fixture::ReadStore(path);
    ASSERT_EQ(read.messages.size(), 3u);
    EXPECT_EQ(read.messages[0].record, 0xFFFFFFC0u);
    EXPECT_EQ(read.messages[0].kind, 2u);
    EXPECT_EQ(read.messages[0].text, "beyond 2 GiB");
    EXPECT_EQ(read.messages[1].record, 0x80001000u);
    EXPECT_EQ(read.messages[1].kind, 1u);
    EXPECT_EQ(read.messages[1].text, "above 3 GiB, " + last_text);
    EXPECT_EQ(read.messages[2].record, 0xA0000000u);
    EXPECT_TRUE(read.messages[2].found);
    EXPECT_EQ(read.messages[2].first_block, 0u);
    EXPECT_FALSE(read.damaged);
}

TEST(LargeOffsets, StructuresReachingPastFourGiBDoNotWrapAround)
{
    ScratchDir dir;
    std::string path = dir.File("wrap.dbx");
    // The root's head ends past 4 GiB; wrapped, its count would come from the file header. The record and block
    // below reach past 4 GiB the same way.
    std::vector<FilePiece> pieces = {
        {0, fixture::EncodeHeader(3, 0xFFFFFFF0)},
        {0xFFFFFFF0, fixture::Le32(0xFFFFFFF0) + fixture::Le32(0) + fixture::Le32(0x3000) + fixture::Le32(0)},
    };
    if (!WriteSparse(path, pieces)) GTEST_SKIP() << "the file system does not keep sparse files";
    fixture::ReadStoreResult read = fixture::ReadStore(path);
    EXPECT_TRUE(read.messages.empty());
    EXPECT_TRUE(read.damaged);

    platform::FileHandle file = platform::OpenForReading(path.c_str());
    ASSERT_NE(file, platform::kNoFile);
    dbx::DbxFile store;
    ASSERT_TRUE(dbx::OpenDbxFile(store, file));
    EXPECT_EQ(store.file_size, k4GiB);
    EXPECT_EQ(dbx::ReadDword(store, 0xFFFFFFF0), 0xFFFFFFF0u);
    EXPECT_FALSE(store.damaged);
    EXPECT_FALSE(dbx::LocateMessageData(store, 0xFFFFFFF0).found);  // entries 3 and 4 lie past 4 GiB
    dbx::BlockChain chain = dbx::StartBlockChain(0xFFFFFFF8);
    dbx::Block block;
    if (dbx::NextBlock(store, chain, block)) {
        EXPECT_EQ(block.text_length, 0u);  // its length would lie past 4 GiB
        EXPECT_FALSE(dbx::NextBlock(store, chain, block));
    }
    EXPECT_TRUE(store.damaged);
    dbx::CloseDbxFile(store);
    platform::CloseFile(file);
}

TEST(LargeOffsets, ARecordBelowFourGiBWhoseValueLiesPastItReadsNoValue)
{
    ScratchDir dir;
    std::string path = dir.File("value.dbx");
    // The record's head fills the last 32 bytes below 4 GiB; its message-data value would lie 0x10 bytes past
    // them. An address taken in 32 bits would wrap around to offset 0x10 of the header, which holds a block.
    constexpr uint32_t kRecord = 0xFFFFFFE0;
    std::string header = fixture::EncodeHeader(1, 0);
    fixture::PatchLe32(header, 0x10, 0x2000);
    fixture::RecordSpec record{.self = kRecord,
                               .attributes = {DirectAttribute(0, 1), IndirectAttribute(1, 4), IndirectAttribute(2, 4),
                                              IndirectAttribute(4, 0x10), DirectAttribute(5, 0)}};
    std::vector<FilePiece> pieces = {
        {0, header}, {kRecord, fixture::EncodeRecord(record)}, Block(0x2000, "the wrapped-around block", 0)};
    if (!WriteSparse(path, pieces)) GTEST_SKIP() << "the file system does not keep sparse files";

    platform::FileHandle file = platform::OpenForReading(path.c_str());
    ASSERT_NE(file, platform::kNoFile);
    dbx::DbxFile store;
    ASSERT_TRUE(dbx::OpenDbxFile(store, file));
    dbx::MessageData data = dbx::LocateMessageData(store, kRecord);
    EXPECT_TRUE(data.found);
    EXPECT_EQ(data.kind, dbx::kKindMail);
    EXPECT_EQ(data.first_block, 0u);
    EXPECT_TRUE(store.damaged);
    dbx::CloseDbxFile(store);
    platform::CloseFile(file);
}

}  // namespace
