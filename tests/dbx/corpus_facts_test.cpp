// The received times and read state of the real stores' messages, against a table checked by hand (each time
// agrees with the message's Date: header or its topmost Received: header). The test finds each time in the
// record's bytes on its own and turns it into a calendar date with its own arithmetic; the reader must agree.
// Skipped where the corpus is absent.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "dbx/message_facts.h"

namespace {

const std::filesystem::path kCorpus = DOVAN_SOURCE_DIR "/../shared/corpus";

struct StoredTime {
    const char* file;
    uint32_t record;
    const char* received_utc;  // whole seconds
    bool read;
};

const StoredTime kTimes[] = {
    {"Inbox.dbx", 0x2e10, "2021-12-12 04:45:59", true},             // Date: Sat, 11 Dec 2021 20:45:59 -0800
    {"extra/kde-test4.dbx", 0x2b24, "1999-05-31 23:00:01", false},  // Date: Tue, 1 Jun 1999 01:00:01 +0200
    {"extra/kde-test4.dbx", 0x2ca4, "1999-06-02 23:00:01", true},
    {"extra/kde-test4.dbx", 0x2e24, "1999-06-03 23:00:01", true},
    {"extra/perl-test.dbx", 0x2b24, "2002-04-14 00:27:57", true},
    {"extra/perl-test1.dbx", 0x2b24, "2002-06-17 20:02:30", true},
};

uint32_t Le32At(const std::string& bytes, size_t at)
{
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes.at(at + i));
    return value;
}

// FILETIME to a UTC calendar date: days since 1601-01-01, then the Gregorian cycles of 400, 100, 4 and 1 years.
std::string CalendarDate(uint64_t filetime)
{
    uint64_t seconds = filetime / 10000000;
    uint64_t days = seconds / 86400, of_day = seconds % 86400;
    uint64_t year = 1601 + 400 * (days / 146097);
    days %= 146097;
    uint64_t centuries = std::min<uint64_t>(days / 36524, 3);
    days -= centuries * 36524;
    uint64_t quads = days / 1461;
    days %= 1461;
    uint64_t years = std::min<uint64_t>(days / 365, 3);
    days -= years * 365;
    year += 100 * centuries + 4 * quads + years;
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    const int month_days[] = {31, leap ? 29 : 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int month = 0;
    while (days >= static_cast<uint64_t>(month_days[month])) days -= month_days[month++];
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02d-%02u %02u:%02u:%02u", static_cast<unsigned>(year), month + 1,
                  static_cast<unsigned>(days + 1), static_cast<unsigned>(of_day / 3600),
                  static_cast<unsigned>(of_day / 60 % 60), static_cast<unsigned>(of_day % 60));
    return text;
}

TEST(CorpusFacts, CalendarArithmeticIsRight)
{
    EXPECT_EQ(CalendarDate(0), "1601-01-01 00:00:00");
    EXPECT_EQ(CalendarDate(116444736000000000ull), "1970-01-01 00:00:00");
    EXPECT_EQ(CalendarDate(116444736000000000ull + 951782400ull * 10000000), "2000-02-29 00:00:00");
    EXPECT_EQ(CalendarDate(116444736000000000ull + 4107542399ull * 10000000), "2100-02-28 23:59:59");
}

TEST(CorpusFacts, ReceivedTimesAndReadStateAsCheckedByHand)
{
    if (!std::filesystem::exists(kCorpus / "Inbox.dbx")) GTEST_SKIP() << "no corpus at " << kCorpus;
    for (const StoredTime& stored : kTimes) {
        SCOPED_TRACE(stored.file);
        std::ifstream in(kCorpus / stored.file, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        ASSERT_GT(bytes.size(), stored.record + 12u);

        // By hand: the entry of attribute 0x12 and the 8 bytes it names in the data area.
        size_t count = static_cast<unsigned char>(bytes[stored.record + 10]);
        size_t data_area = stored.record + 12 + 4 * count;
        uint64_t received = 0;
        for (size_t i = 0; i < count; ++i) {
            uint32_t entry = Le32At(bytes, stored.record + 12 + 4 * i);
            if ((entry & 0xFF) == 0x12)
                received = Le32At(bytes, data_area + (entry >> 8)) |
                           uint64_t(Le32At(bytes, data_area + (entry >> 8) + 4)) << 32;
        }
        EXPECT_EQ(CalendarDate(received), stored.received_utc);

        platform::FileHandle file = platform::OpenForReading((kCorpus / stored.file).string().c_str());
        ASSERT_NE(file, platform::kNoFile);
        dbx::DbxFile dbx;
        ASSERT_TRUE(dbx::OpenDbxFile(dbx, file));
        dbx::MessageFacts facts = dbx::ReadMessageFacts(dbx, stored.record);
        platform::CloseFile(file);
        EXPECT_TRUE(facts.has_received_time);
        EXPECT_EQ(facts.received_time, received);
        EXPECT_TRUE(facts.has_sent_time);
        ASSERT_TRUE(facts.has_flags);
        EXPECT_EQ((facts.flags & dbx::kStoreFlagRead) != 0, stored.read);
        EXPECT_FALSE(facts.header_only);
    }
}

}  // namespace
