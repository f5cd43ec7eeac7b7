// Each eml file dated with its message's received time, else its sent time, else left as written; under every
// naming rule, the bytes as given.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <ctime>
#include <string>
#include <vector>

#include "tests/plugins/eml/eml_test_support.h"

namespace {

using eml_test::EmlTest;
using eml_test::Mail;

constexpr uint64_t kFiletimeOf1970 = 116444736000000000ull;

DovanMessageFacts Facts(uint32_t present, int64_t received, int64_t sent, uint32_t size = sizeof(DovanMessageFacts))
{
    DovanMessageFacts facts{};
    facts.size = size;
    facts.present = present;
    facts.received_time = kFiletimeOf1970 + uint64_t(received) * 10000000 + 5000000;  // and half a second
    facts.sent_time = kFiletimeOf1970 + uint64_t(sent) * 10000000;
    facts.flags = DOVAN_MESSAGE_READ;
    return facts;
}

struct Dated {
    DovanMessageFacts facts;
    bool given;        // SetMessageFacts called before the message
    int64_t modified;  // seconds since 1970; 0: the time it was written
};

const uint32_t kBoth = DOVAN_FACT_RECEIVED_TIME | DOVAN_FACT_SENT_TIME;
const Dated kDated[] = {
    {Facts(kBoth | DOVAN_FACT_FLAGS, 1000000000, 900000000), true, 1000000000},
    {Facts(DOVAN_FACT_SENT_TIME, 1000000000, 900000000), true, 900000000},
    {Facts(DOVAN_FACT_RECEIVED_TIME, -86400, 900000000), true, -86400},
    {Facts(DOVAN_FACT_FLAGS, 1000000000, 900000000), true, 0},
    {Facts(kBoth, 1000000000, 900000000, 8), true, 0},  // a record that ends before the times
    {Facts(kBoth, 1000000000, 900000000), false, 0},    // facts of an earlier message are not kept
};

class EmlDatesTest : public EmlTest {
protected:
    struct stat Stat(const std::string& path)
    {
        struct stat info {};
        EXPECT_EQ(stat(path.c_str(), &info), 0) << path;
        return info;
    }
};

TEST_F(EmlDatesTest, FilesTakeTheirMessageDatesUnderEveryNamingRule)
{
    ASSERT_NE(writer_.SetMessageFacts, nullptr);
    struct Rule {
        const char* setting;
        std::vector<std::string> names;
    };
    const Rule kRules[] = {
        {"sequence", {"00000001.eml", "00000002.eml", "00000003.eml", "00000004.eml", "00000005.eml", "00000006.eml"}},
        {"sequence-no-extension", {"1", "2", "3", "4", "5", "6"}},
        {"subject", {"m0.eml", "m1.eml", "m2.eml", "m3.eml", "m4.eml", "m5.eml"}},
    };
    for (const Rule& rule : kRules) {
        SCOPED_TRACE(rule.setting);
        std::string folder = std::string("F-") + rule.setting;
        StartRun(rule.setting);
        ASSERT_TRUE(writer_.NewFolder(folder.c_str()));
        time_t started = time(nullptr);
        std::vector<std::string> texts;
        for (size_t i = 0; i < std::size(kDated); ++i) {
            texts.push_back(Mail({"Subject: m" + std::to_string(i)}, "body " + std::to_string(i)));
            if (kDated[i].given) writer_.SetMessageFacts(&kDated[i].facts);
            ASSERT_TRUE(writer_test::PassMessage(writer_, MessageKindMail, writer_test::HostPieces(texts[i], 5)));
        }
        ASSERT_TRUE(writer_.FinishFolder());
        ASSERT_TRUE(writer_.FinishConvert());
        for (size_t i = 0; i < std::size(kDated); ++i) {
            std::string path = Scratch(folder + "/" + rule.names[i]);
            EXPECT_EQ(writer_test::ReadWholeFile(path), texts[i] + "\r\n") << path;
            struct stat info = Stat(path);
            if (kDated[i].modified != 0) {
                EXPECT_EQ(info.st_mtime, kDated[i].modified) << path;
            } else {
                EXPECT_LE(std::llabs(static_cast<long long>(info.st_mtime - started)), 600) << path;
            }
        }
        // The half second of a received time is kept where the system keeps it.
        EXPECT_EQ(Stat(Scratch(folder + "/" + rule.names[0])).st_mtim.tv_nsec, 500000000);
    }
}

}  // namespace
