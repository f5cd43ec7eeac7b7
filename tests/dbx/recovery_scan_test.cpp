// The recovery scan's pieces: which bytes count as a block head, that chunk boundaries change nothing, and that a
// chain's text reads with the placeholder exactly where bytes were lost.
#include "dbx/recovery_scan.h"

#include <gtest/gtest.h>

#include "fixtures/dbx_builder.h"
#include "tests/dbx/scratch_dir.h"
#include "tests/support/recovery_pieces.h"

namespace {

std::string Head(uint32_t self, uint32_t size, uint32_t used, uint32_t next)
{
    return fixture::Le32(self) + fixture::Le32(size) + fixture::Le32(used) + fixture::Le32(next);
}

TEST(RecoveryScan, RecognisesLiveAndFreedHeadsAndNothingElse)
{
    const std::string text(0x200, 't');
    std::string freed_last_text = "end of text" + std::string(0x200 - 11, '\0');
    struct Case {
        const char* name;
        std::string bytes;
        uint64_t file_size;  // 0: exactly the bytes
        bool recognised;
        uint32_t info;
    };
    const Case cases[] = {
        {"a full live block", Head(0x1000, 0x200, 0x200, 0x1210) + text, 0, true, 0x200},
        {"a live last block of one byte", Head(0x1000, 0x200, 1, 0) + "x", 0, true, 1},
        {"a live block with a shifted own offset", Head(0x9000, 0x200, 0x10, 0) + text.substr(0, 16), 0, true, 0x10},
        {"no bytes used", Head(0x1000, 0x200, 0, 0) + text, 0, false, 0},
        {"more used than a block holds", Head(0x1000, 0x200, 0x201, 0) + text + "x", 0, false, 0},
        {"another size", Head(0x1000, 0x1FF, 0x10, 0) + text, 0, false, 0},
        {"text past the end of the file", Head(0x1000, 0x200, 0x100, 0) + text.substr(0, 0xFF), 0, false, 0},
        {"a freed block inside a chain", Head(0x1000, 0x1FC, 0x210, 0x1210) + text, 0, true, 0x200 | dbx::kInfoFreed},
        {"a freed last block: the zeros after its text are left out", Head(0x1000, 0x1FC, 0x210, 0) + freed_last_text,
         0, true, 11 | dbx::kInfoFreed},
        {"a freed last block of zeros keeps its lost bytes", Head(0x1000, 0x1FC, 0x210, 0) + std::string(0x200, '\0'),
         0, true, 4 | dbx::kInfoFreed},
        {"a freed block cut by the end of the file", Head(0x1000, 0x1FC, 0x210, 0x1210) + text.substr(0, 100), 0, true,
         100 | dbx::kInfoFreed},
        {"a freed size word with another object size", Head(0x1000, 0x1FC, 0x200, 0) + text, 0, false, 0},
        {"fewer than 16 bytes", Head(0x1000, 0x200, 1, 0).substr(0, 15), 0, false, 0},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        dbx::CandidateBlock candidate;
        uint64_t position = 0x1000;
        uint64_t file_size = test.file_size ? test.file_size : position + test.bytes.size();
        bool recognised = dbx::RecognizeBlockHead(reinterpret_cast<const unsigned char*>(test.bytes.data()),
                                                  test.bytes.size(), position, file_size, candidate);
        EXPECT_EQ(recognised, test.recognised);
        if (recognised) {
            EXPECT_EQ(candidate.info, test.info);
            EXPECT_EQ(candidate.position, position);
            EXPECT_EQ(candidate.self, fixture::GetLe32(test.bytes, 0));
            EXPECT_EQ(candidate.next, fixture::GetLe32(test.bytes, 12));
        }
    }
    // No head lies where its words would pass the 32-bit range.
    std::string head = Head(0, 0x200, 1, 0) + "x";
    dbx::CandidateBlock candidate;
    EXPECT_FALSE(dbx::RecognizeBlockHead(reinterpret_cast<const unsigned char*>(head.data()), head.size(),
                                         0xFFFFFFF8ull, 0x100000010ull, candidate));
}

TEST(RecoveryScan, ChunkBoundariesChangeNothing)
{
    // Blocks at odd positions too, so that heads straddle every chunk size tried.
    std::string image = fixture::BuildDbx({fixture::FixtureMessage{fixture::MailText("indexed", 3000)}});
    uint32_t live = static_cast<uint32_t>(image.size()) + 3;
    fixture::Place(image, live, fixture::LiveChain(live, fixture::MailText("live", 2000), 0x8000));
    uint32_t freed = static_cast<uint32_t>(image.size()) + 1;
    fixture::Place(image, freed, fixture::FreedChain(freed, fixture::MailText("freed", 1500)));
    ScratchDir scratch;
    std::string path = scratch.File("Inbox.dbx");
    ASSERT_TRUE(fixture::WriteFixture(path, image));

    platform::FileHandle file = platform::OpenForReading(path.c_str());
    ASSERT_NE(file, platform::kNoFile);
    dbx::DbxFile store;
    ASSERT_TRUE(dbx::OpenDbxFile(store, file));
    std::vector<uint32_t> whole_positions;
    for (size_t chunk : {image.size() + 1, size_t(528), size_t(1000), size_t(4096), size_t(0x2001)}) {
        SCOPED_TRACE(chunk);
        dbx::CandidateTable table;
        table.limit = dbx::kDefaultCandidateLimit;
        ASSERT_TRUE(dbx::ScanFile(store, table, chunk));
        std::vector<uint32_t> positions;
        for (const dbx::CandidateBlock& block : table.blocks) positions.push_back(block.position);
        if (whole_positions.empty()) whole_positions = positions;
        EXPECT_EQ(positions, whole_positions);
        EXPECT_FALSE(table.full);
    }
    EXPECT_EQ(whole_positions.size(), 6u + 4u + 3u);  // the indexed, the live and the freed chain
    platform::CloseFile(file);
}

TEST(RecoveryScan, AChainReadsWithThePlaceholderExactlyWhereBytesWereLost)
{
    std::string image(0x100, '\0');
    std::string text = fixture::MailText("deleted", 1100);
    fixture::Place(image, 0x100, fixture::FreedChain(0x100, text, {0x1234, 0x5678, 0}));
    ScratchDir scratch;
    std::string path = scratch.File("Deleted.dbx");
    ASSERT_TRUE(fixture::WriteFixture(path, image));
    platform::FileHandle file = platform::OpenForReading(path.c_str());
    ASSERT_NE(file, platform::kNoFile);
    dbx::DbxFile store;
    ASSERT_TRUE(dbx::OpenDbxFile(store, file));

    dbx::CandidateTable table;
    table.limit = 100;
    ASSERT_TRUE(dbx::ScanFile(store, table));
    std::vector<dbx::RecoveredChain> chains = dbx::RebuildChains(table, {}, {});
    ASSERT_EQ(chains.size(), 1u);
    EXPECT_TRUE(chains[0].freed);
    EXPECT_EQ(chains[0].blocks, 3u);
    EXPECT_EQ(chains[0].lost, 12u);
    EXPECT_EQ(chains[0].text_length, text.size());

    std::string read;
    std::vector<uint32_t> pieces;
    dbx::ChainReader reader = dbx::StartChainReader(chains[0]);
    unsigned char piece[300];
    for (uint32_t count = 1; count != 0;) {
        ASSERT_TRUE(dbx::ReadChainPiece(store, table, reader, piece, sizeof piece, count));
        read.append(reinterpret_cast<const char*>(piece), count);
        if (count) pieces.push_back(count);
    }
    EXPECT_EQ(read, fixture::WithLostBytes(text));
    // The lost bytes and the text are separate pieces, and no piece spans two blocks.
    EXPECT_EQ(pieces, (std::vector<uint32_t>{4, 300, 208, 4, 300, 208, 4, 72}));
    platform::CloseFile(file);
}

}  // namespace
