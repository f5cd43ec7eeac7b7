// The message facts in mbox output: From_ dates with --from-date message, state lines with --status-headers,
// and nothing changed by the facts while both options keep their defaults.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/plugins/mbox/mbox_test_support.h"

namespace {

using mbox_test::MboxMessage;
using mbox_test::MboxTest;

constexpr uint64_t kFiletimeOf1970 = 116444736000000000ull;
constexpr uint32_t kBothTimes = DOVAN_FACT_RECEIVED_TIME | DOVAN_FACT_SENT_TIME;

uint64_t Filetime(int64_t unix_seconds) { return kFiletimeOf1970 + uint64_t(unix_seconds * 10000000); }

DovanMessageFacts Facts(uint32_t present, uint64_t received, uint64_t sent, uint32_t flags)
{
    DovanMessageFacts facts{};
    facts.size = sizeof facts;
    facts.present = present;
    facts.received_time = received;
    facts.sent_time = sent;
    facts.flags = flags;
    return facts;
}

DovanMessageFacts Flags(uint32_t flags) { return Facts(DOVAN_FACT_FLAGS, 0, 0, flags); }

class MboxFactsTest : public MboxTest {
protected:
    void SetUp() override
    {
        MboxTest::SetUp();
        ASSERT_NE(writer_.SetMessageFacts, nullptr);
        ASSERT_NE(writer_.SetOption, nullptr);
        // Options outlive a run while the library stays loaded: every test starts from the defaults.
        ASSERT_TRUE(writer_.SetOption("from-date", "run"));
        ASSERT_TRUE(writer_.SetOption("status-headers", "off"));
    }

    // One folder "Inbox" of these messages, each after its facts (none where facts is shorter).
    std::string Run(const std::vector<std::string>& texts, const std::vector<DovanMessageFacts>& facts)
    {
        EXPECT_TRUE(writer_.StartConvert(Scratch().c_str()));
        EXPECT_TRUE(writer_.NewFolder("Inbox"));
        for (size_t i = 0; i < texts.size(); ++i) {
            if (i < facts.size()) writer_.SetMessageFacts(&facts[i]);
            EXPECT_TRUE(writer_test::PassMessage(writer_, MessageKindMail, writer_test::HostPieces(texts[i], 7)));
        }
        EXPECT_TRUE(writer_.FinishFolder());
        EXPECT_TRUE(writer_.FinishConvert());
        return Output();
    }

    std::string RunOne(const std::string& text, const DovanMessageFacts& facts) { return Run({text}, {facts}); }
};

TEST_F(MboxFactsTest, OptionsTakeOnlyTheirNamesAndValues)
{
    struct Case {
        const char* name;
        const char* value;
        bool accepted;
    };
    const Case kCases[] = {
        {"from-date", "run", true},       {"from-date", "message", true}, {"from-date", "Message", false},
        {"from-date", "", false},         {"status-headers", "on", true}, {"status-headers", "off", true},
        {"status-headers", "yes", false}, {"from-quoting", "on", false},  {"", "on", false},
    };
    for (const Case& one : kCases) {
        platform::SetLastError(0);
        EXPECT_EQ(writer_.SetOption(one.name, one.value) != 0, one.accepted) << one.name << "=" << one.value;
        if (!one.accepted) {
            EXPECT_EQ(platform::LastError(), platform::kErrorInvalidParameter) << one.name;
        }
    }
    EXPECT_FALSE(writer_.SetOption(nullptr, "on"));
    EXPECT_FALSE(writer_.SetOption("from-date", nullptr));
}

TEST_F(MboxFactsTest, DefaultOutputIsTheSameWithFacts)
{
    const std::string text = "From: a@example.org\r\nStatus: U\r\n\r\nFrom here\r\n";
    std::string with_facts = RunOne(text, Facts(kBothTimes | DOVAN_FACT_FLAGS, Filetime(1), Filetime(2), 0x1F));
    std::string date = mbox_test::RunDate(with_facts);
    ASSERT_FALSE(date.empty());
    EXPECT_EQ(with_facts, MboxMessage("a@example.org", date, "From: a@example.org\r\nStatus: U\r\n\r\n>From here\r\n"));
}

TEST_F(MboxFactsTest, FromLineTakesTheMessageDateInUtc)
{
    ASSERT_TRUE(writer_.SetOption("from-date", "message"));
    struct Case {
        uint32_t present;
        uint64_t received;
        uint64_t sent;
        const char* date;  // empty: the run's
    };
    const Case kCases[] = {
        {kBothTimes, Filetime(1000000000), Filetime(900000000), " Sun Sep 09 01:46:40 2001\r\n"},
        {DOVAN_FACT_SENT_TIME, Filetime(1000000000), Filetime(951827696), " Tue Feb 29 12:34:56 2000\r\n"},
        {DOVAN_FACT_RECEIVED_TIME, Filetime(0), 0, " Thu Jan 01 00:00:00 1970\r\n"},
        {DOVAN_FACT_RECEIVED_TIME, Filetime(-1), 0, " Wed Dec 31 23:59:59 1969\r\n"},
        {DOVAN_FACT_RECEIVED_TIME, Filetime(4107542399) + 9999999, 0, " Sun Feb 28 23:59:59 2100\r\n"},
        {DOVAN_FACT_RECEIVED_TIME, 1, 0, " Mon Jan 01 00:00:00 1601\r\n"},
        {DOVAN_FACT_RECEIVED_TIME, 0x7FFFFFFFFFFFFFFFull, 0, " Thu Sep 14 02:48:05 30828\r\n"},
        {0, Filetime(1000000000), Filetime(900000000), ""},
        {DOVAN_FACT_FLAGS, 0, 0, ""},
    };
    for (const Case& one : kCases) {
        std::string produced =
            RunOne("From: a@example.org\r\n\r\nbody\r\n", Facts(one.present, one.received, one.sent, 0));
        size_t line_end = produced.find("\r\n");
        ASSERT_NE(line_end, std::string::npos);
        std::string date = produced.substr(18, line_end + 2 - 18);  // after "From a@example.org"
        SCOPED_TRACE(one.date);
        if (*one.date) {
            EXPECT_EQ(date, one.date);
        } else {
            EXPECT_FALSE(mbox_test::RunDate(produced).empty()) << produced;
        }
    }
}

TEST_F(MboxFactsTest, FromLineKeepsTheRunDateForAMessageWithoutFactsOrAnOldRecord)
{
    ASSERT_TRUE(writer_.SetOption("from-date", "message"));
    DovanMessageFacts old_record = Facts(kBothTimes, Filetime(1000000000), Filetime(1000000000), 0);
    old_record.size = 8;  // the host filled in neither time
    std::string produced = Run({"A: 1\r\n\r\none\r\n", "A: 2\r\n\r\ntwo\r\n", "A: 3\r\n\r\nthree\r\n"},
                               {Facts(DOVAN_FACT_SENT_TIME, 0, Filetime(1000000000), 0), old_record});
    std::string run_date = mbox_test::RunDate(produced.substr(produced.find("From ", 1)));
    ASSERT_FALSE(run_date.empty());
    EXPECT_NE(run_date, " Sun Sep 09 01:46:40 2001\r\n");
    EXPECT_EQ(produced, MboxMessage(mbox_test::kPlaceholder, " Sun Sep 09 01:46:40 2001\r\n", "A: 1\r\n\r\none\r\n") +
                            MboxMessage(mbox_test::kPlaceholder, run_date, "A: 2\r\n\r\ntwo\r\n") +
                            MboxMessage(mbox_test::kPlaceholder, run_date, "A: 3\r\n\r\nthree\r\n"));
}

TEST_F(MboxFactsTest, StateLinesForEachFlag)
{
    ASSERT_TRUE(writer_.SetOption("status-headers", "on"));
    struct Case {
        uint32_t flags;
        const char* lines;
    };
    const Case kCases[] = {
        {0, "Status: O\r\nX-Mozilla-Status: 0000\r\n"},
        {DOVAN_MESSAGE_READ, "Status: RO\r\nX-Mozilla-Status: 0001\r\n"},
        {DOVAN_MESSAGE_ANSWERED, "Status: O\r\nX-Status: A\r\nX-Mozilla-Status: 0002\r\n"},
        {DOVAN_MESSAGE_FLAGGED, "Status: O\r\nX-Status: F\r\nX-Mozilla-Status: 0004\r\n"},
        {DOVAN_MESSAGE_FORWARDED, "Status: O\r\nX-Mozilla-Status: 1000\r\n"},
        {DOVAN_MESSAGE_DRAFT, "Status: O\r\nX-Status: T\r\nX-Mozilla-Status: 0000\r\n"},
        {DOVAN_MESSAGE_HEADER_ONLY, "Status: O\r\nX-Mozilla-Status: 0000\r\n"},
        {0x3F, "Status: RO\r\nX-Status: AFT\r\nX-Mozilla-Status: 1007\r\n"},
        {DOVAN_MESSAGE_READ | DOVAN_MESSAGE_FORWARDED | 0x80000000u, "Status: RO\r\nX-Mozilla-Status: 1001\r\n"},
    };
    for (const Case& one : kCases) {
        std::string produced = RunOne("From: a@example.org\r\nSubject: s\r\n\r\nbody\r\n", Flags(one.flags));
        std::string date = mbox_test::RunDate(produced);
        EXPECT_EQ(produced,
                  MboxMessage("a@example.org", date,
                              "From: a@example.org\r\nSubject: s\r\n" + std::string(one.lines) + "\r\nbody\r\n"))
            << one.flags;
    }
}

TEST_F(MboxFactsTest, StateLinesEndTheHeaderWithItsOwnLineEnds)
{
    ASSERT_TRUE(writer_.SetOption("status-headers", "on"));
    struct Case {
        const char* name;
        std::string text;
        uint32_t present;  // facts given
        std::string written;
    };
    const std::string read = "Status: RO\r\nX-Mozilla-Status: 0001\r\n";
    const std::string read_lf = "Status: RO\nX-Mozilla-Status: 0001\n";
    const Case kCases[] = {
        {"LF", "A: 1\nB: 2\n\nbody\n", DOVAN_FACT_FLAGS, "A: 1\nB: 2\n" + read_lf + "\nbody\n"},
        {"LF header, CR LF empty line", "A: 1\n\r\nbody\n", DOVAN_FACT_FLAGS, "A: 1\n" + read + "\r\nbody\n"},
        {"no header", "\r\nbody\r\n", DOVAN_FACT_FLAGS, read + "\r\nbody\r\n"},
        {"header only", "A: 1\r\nB: 2\r\n", DOVAN_FACT_FLAGS, "A: 1\r\nB: 2\r\n" + read},
        {"header only, LF", "A: 1\nB: 2\n", DOVAN_FACT_FLAGS, "A: 1\nB: 2\n" + read_lf},
        {"header only, no line end", "A: 1", DOVAN_FACT_FLAGS, "A: 1\r\n" + read},
        {"old state lines go",
         "Status: U\r\nA: 1\r\nx-status: D\r\n more\r\n\tmore\r\nX-Mozilla-Status: 0009\r\n"
         "X-Mozilla-Status2: 00000000\r\n\r\nStatus: body\r\n",
         DOVAN_FACT_FLAGS, "A: 1\r\nX-Mozilla-Status2: 00000000\r\n" + read + "\r\nStatus: body\r\n"},
        {"old state lines stay without flags", "Status: U\r\nA: 1\r\n\r\nbody\r\n", kBothTimes,
         "Status: U\r\nA: 1\r\n\r\nbody\r\n"},
    };
    for (const Case& one : kCases) {
        DovanMessageFacts facts = Facts(one.present, Filetime(1), Filetime(1), DOVAN_MESSAGE_READ);
        std::string produced = RunOne(one.text, facts);
        std::string date = mbox_test::RunDate(produced);
        EXPECT_EQ(produced, MboxMessage(mbox_test::kPlaceholder, date, one.written)) << one.name;
    }
}

TEST_F(MboxFactsTest, FactsBelongToTheMessageThatFollowsThem)
{
    ASSERT_TRUE(writer_.SetOption("status-headers", "on"));
    ASSERT_TRUE(writer_.StartConvert(Scratch().c_str()));
    ASSERT_TRUE(writer_.NewFolder("Inbox"));
    DovanMessageFacts read = Flags(DOVAN_MESSAGE_READ);
    writer_.SetMessageFacts(&read);
    ASSERT_TRUE(writer_test::PassMessage(writer_, MessageKindMail, {"A: 1\r\n\r\n"}));
    ASSERT_TRUE(writer_test::PassMessage(writer_, MessageKindMail, {"A: 2\r\n\r\n"}));  // no facts of its own
    writer_.SetMessageFacts(nullptr);
    ASSERT_TRUE(writer_test::PassMessage(writer_, MessageKindMail, {"A: 3\r\n\r\n"}));
    ASSERT_TRUE(writer_.FinishFolder());
    ASSERT_TRUE(writer_.FinishConvert());
    std::string produced = Output();
    std::string date = mbox_test::RunDate(produced);
    EXPECT_EQ(produced,
              MboxMessage(mbox_test::kPlaceholder, date, "A: 1\r\nStatus: RO\r\nX-Mozilla-Status: 0001\r\n\r\n") +
                  MboxMessage(mbox_test::kPlaceholder, date, "A: 2\r\n\r\n") +
                  MboxMessage(mbox_test::kPlaceholder, date, "A: 3\r\n\r\n"));
}

}  // namespace
