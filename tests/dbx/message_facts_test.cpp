// Message facts from records: each value present, absent or unreadable, in every shape a record can hold it,
// decoded from the record's bytes and read through the reader from a whole store.
#include <gtest/gtest.h>

#include <filesystem>

#include "dbx/message_facts.h"
#include "tests/dbx/scratch_dir.h"
#include "tests/support/fact_stores.h"

namespace {

using fixture::FactShape;
using fixture::FixtureFacts;

constexpr uint64_t kSent = 0x01C3A2B4C5D6E7F0ull;
constexpr uint64_t kReceived = 0x01C3A2B5D0000000ull;

struct FactsCase {
    const char* name;
    FixtureFacts stored;
    uint32_t first_block;  // 0: the record names no text
    dbx::MessageFacts expected;
};

dbx::MessageFacts Facts(bool has_received, uint64_t received, bool has_sent, uint64_t sent, bool has_flags,
                        uint32_t flags, bool header_only = false)
{
    dbx::MessageFacts facts;
    facts.has_received_time = has_received;
    facts.received_time = received;
    facts.has_sent_time = has_sent;
    facts.sent_time = sent;
    facts.has_flags = has_flags;
    facts.flags = flags;
    facts.header_only = header_only;
    return facts;
}

const FactsCase kCases[] = {
    {"everything",
     {FactShape::InData, 0x81, FactShape::InData, kSent, FactShape::InData, kReceived},
     0x400,
     Facts(true, kReceived, true, kSent, true, 0x81)},
    {"flags in the entry",
     {FactShape::Direct, 0x20081, FactShape::InData, kSent, FactShape::Absent, 0},
     0x400,
     Facts(false, 0, true, kSent, true, 0x20081)},
    {"nothing", {}, 0x400, Facts(false, 0, false, 0, false, 0)},
    {"header only",
     {FactShape::InData, 0x80, FactShape::InData, kSent, FactShape::InData, kReceived},
     0,
     Facts(true, kReceived, true, kSent, true, 0x80, true)},
    {"no body bit but a text",
     {FactShape::Direct, 0x80, FactShape::Absent, 0, FactShape::Absent, 0},
     0x400,
     Facts(false, 0, false, 0, true, 0x80)},
    {"downloaded without text",
     {FactShape::Direct, 0x81, FactShape::Absent, 0, FactShape::Absent, 0},
     0,
     Facts(false, 0, false, 0, true, 0x81)},
    {"no flags, no text", {}, 0, Facts(false, 0, false, 0, false, 0)},
    {"times past the record",
     {FactShape::OutOfRange, 0, FactShape::OutOfRange, 0, FactShape::OutOfRange, 0},
     0x400,
     Facts(false, 0, false, 0, false, 0)},
    {"times in the entry",
     {FactShape::Direct, 1, FactShape::Direct, 0, FactShape::Direct, 0},
     0x400,
     Facts(false, 0, false, 0, true, 1)},
    {"zero times",
     {FactShape::Absent, 0, FactShape::InData, 0, FactShape::InData, 0},
     0x400,
     Facts(false, 0, false, 0, false, 0)},
    {"times no clock can show",
     {FactShape::Absent, 0, FactShape::InData, ~0ull, FactShape::InData, 1ull << 63},
     0x400,
     Facts(false, 0, false, 0, false, 0)},
    {"large flags in the data area",
     {FactShape::InData, 0xFF1FFFFF, FactShape::Absent, 0, FactShape::Absent, 0},
     0x400,
     Facts(false, 0, false, 0, true, 0xFF1FFFFF)},
};

void ExpectFacts(const dbx::MessageFacts& got, const dbx::MessageFacts& expected, const char* name)
{
    SCOPED_TRACE(name);
    EXPECT_EQ(got.has_received_time, expected.has_received_time);
    EXPECT_EQ(got.received_time, expected.received_time);
    EXPECT_EQ(got.has_sent_time, expected.has_sent_time);
    EXPECT_EQ(got.sent_time, expected.sent_time);
    EXPECT_EQ(got.has_flags, expected.has_flags);
    EXPECT_EQ(got.flags, expected.flags);
    EXPECT_EQ(got.header_only, expected.header_only);
}

dbx::MessageFacts Decode(const std::string& record)
{
    return dbx::DecodeMessageFacts(reinterpret_cast<const unsigned char*>(record.data()), record.size());
}

TEST(MessageFacts, DecodedFromTheRecordsBytes)
{
    for (const FactsCase& one : kCases)
        for (uint32_t kind : {1u, 2u})
            ExpectFacts(Decode(fixture::EncodeFactRecord(one.stored, kind, one.first_block, 0x3000)), one.expected,
                        one.name);
}

TEST(MessageFacts, CutRecordsLoseOnlyWhatIsCutOff)
{
    FixtureFacts stored{FactShape::InData, 0x81, FactShape::InData, kSent, FactShape::InData, kReceived};
    std::string record = fixture::EncodeFactRecord(stored, 1, 0x400, 0x3000);
    // The data area holds flags, sent, received in that order, at its end.
    size_t data_end = record.size();
    ExpectFacts(Decode(record.substr(0, data_end - 1)), Facts(false, 0, true, kSent, true, 0x81), "received cut");
    ExpectFacts(Decode(record.substr(0, data_end - 9)), Facts(false, 0, false, 0, true, 0x81), "sent cut");
    ExpectFacts(Decode(record.substr(0, 12 + 4)), Facts(false, 0, false, 0, false, 0), "entries cut");
    ExpectFacts(Decode(record.substr(0, 5)), Facts(false, 0, false, 0, false, 0), "head cut");
    ExpectFacts(dbx::DecodeMessageFacts(nullptr, 0), Facts(false, 0, false, 0, false, 0), "no bytes");
}

TEST(MessageFacts, EveryFlagCombinationReadsBack)
{
    const uint32_t bits[] = {dbx::kStoreFlagRead,    dbx::kStoreFlagAnswered, dbx::kStoreFlagForwarded,
                             dbx::kStoreFlagFlagged, dbx::kStoreFlagDraft,    dbx::kStoreFlagBodyDownloaded};
    for (uint32_t combination = 0; combination < 64; ++combination) {
        uint32_t flags = 0;
        for (int bit = 0; bit < 6; ++bit)
            if (combination & (1u << bit)) flags |= bits[bit];
        for (FactShape shape : {FactShape::Direct, FactShape::InData}) {
            FixtureFacts stored{shape, flags, FactShape::Absent, 0, FactShape::Absent, 0};
            dbx::MessageFacts facts = Decode(fixture::EncodeFactRecord(stored, 1, 0x400, 0x3000));
            EXPECT_TRUE(facts.has_flags);
            EXPECT_EQ(facts.flags, flags) << combination;
        }
    }
}

TEST(MessageFacts, ReadThroughTheReaderWithoutMarkingDamage)
{
    std::vector<fixture::FixtureMessage> messages(3);
    for (size_t i = 0; i < messages.size(); ++i) messages[i].text = "Subject: " + std::to_string(i) + "\r\n\r\nx\r\n";
    messages[1].kind = 2;
    std::vector<FixtureFacts> facts = {kCases[0].stored, kCases[1].stored, kCases[7].stored};
    ScratchDir scratch;
    std::string path = scratch.File("facts.dbx");
    ASSERT_TRUE(fixture::WriteFixture(path, fixture::BuildDbxWithFacts(messages, facts)));

    platform::FileHandle file = platform::OpenForReading(path.c_str());
    ASSERT_NE(file, platform::kNoFile);
    dbx::DbxFile dbx;
    ASSERT_TRUE(dbx::OpenDbxFile(dbx, file));
    std::vector<uint32_t> records = dbx::CollectMessageRecords(dbx);
    ASSERT_EQ(records.size(), 3u);
    ExpectFacts(dbx::ReadMessageFacts(dbx, records[0]), kCases[0].expected, "mail");
    ExpectFacts(dbx::ReadMessageFacts(dbx, records[1]), kCases[1].expected, "news");
    ExpectFacts(dbx::ReadMessageFacts(dbx, records[2]), kCases[7].expected, "out of range");
    EXPECT_EQ(dbx::LocateMessageData(dbx, records[1]).kind, dbx::kKindNews);
    // A record beyond the end of the file, or at the header, has no facts and does no harm.
    ExpectFacts(dbx::ReadMessageFacts(dbx, static_cast<uint32_t>(dbx.file_size - 2)), dbx::MessageFacts{}, "end");
    ExpectFacts(dbx::ReadMessageFacts(dbx, 0), dbx::MessageFacts{}, "header");
    EXPECT_FALSE(dbx.damaged);
    platform::CloseFile(file);
}

}  // namespace
