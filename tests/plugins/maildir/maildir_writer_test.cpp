// The Maildir writer driven through its exports as the host drives it: the Maildir shape, the names and their
// flags, the files' dates, and what a failing write leaves (nothing in cur/, nothing in tmp/).
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <set>

#include "plugins/maildir/maildir_names.h"
#include "tests/plugins/common/writer_harness.h"

namespace {

using writer_test::DirectoryNames;

TEST(MaildirNames, FlagsAsLettersInAsciiOrder)
{
    const struct {
        uint32_t flags;
        const char* name;
    } kCases[] = {
        {0, "7.00000001.dovan:2,"},
        {DOVAN_MESSAGE_READ, "7.00000001.dovan:2,S"},
        {DOVAN_MESSAGE_READ | DOVAN_MESSAGE_ANSWERED, "7.00000001.dovan:2,RS"},
        {DOVAN_MESSAGE_FORWARDED | DOVAN_MESSAGE_DRAFT, "7.00000001.dovan:2,DP"},
        {DOVAN_MESSAGE_READ | DOVAN_MESSAGE_ANSWERED | DOVAN_MESSAGE_FORWARDED | DOVAN_MESSAGE_FLAGGED |
             DOVAN_MESSAGE_DRAFT | DOVAN_MESSAGE_HEADER_ONLY,
         "7.00000001.dovan:2,DFPRS"},
        {DOVAN_MESSAGE_HEADER_ONLY | 0x80000000u, "7.00000001.dovan:2,"},
    };
    char unique[maildir::kMessageNameSize];
    maildir::FormUniqueName(7, 1, unique);
    for (const auto& one : kCases) {
        char name[maildir::kMessageNameSize];
        maildir::FormDeliveredName(unique, one.flags, ':', name);
        EXPECT_STREQ(name, one.name);
    }
    EXPECT_TRUE(maildir::NameHasStamp("7.00000001.dovan:2,S", 7));
    EXPECT_FALSE(maildir::NameHasStamp("77.00000001.dovan:2,S", 7));
    EXPECT_FALSE(maildir::NameHasStamp("7", 7));
}

TEST(MaildirNames, FolderDirectoriesAreMadeSafe)
{
    const struct {
        const char* folder;
        const char* directory;
    } kCases[] = {{"Inbox", "Inbox"}, {"a/b\\c", "a=b=c"}, {"..", "..="}, {"CON", "CON="}, {"", "="}};
    for (const auto& one : kCases) {
        char directory[300];
        const char* path[] = {one.folder};
        ASSERT_TRUE(maildir::MaildirDirectory(path, 1, directory, sizeof directory));
        EXPECT_STREQ(directory, one.directory);
    }
}

class MaildirWriterTest : public writer_test::WriterTest {
protected:
    const char* WriterName() const override { return "Dovanmaildir"; }

    SetMessageFactsFn SetFacts() const
    {
        return reinterpret_cast<SetMessageFactsFn>(platform::FindSymbol(writer_.library, "SetMessageFacts"));
    }

    // One message with these facts into the open folder.
    bool Pass(const std::string& text, const DovanMessageFacts& facts)
    {
        SetFacts()(&facts);
        return writer_test::PassMessage(writer_, MessageKindMail, writer_test::HostPieces(text, 5));
    }

    time_t ModifiedTime(const std::string& path) const
    {
        struct stat info {};
        EXPECT_EQ(stat(path.c_str(), &info), 0) << path;
        return info.st_mtime;
    }
};

DovanMessageFacts Facts(uint32_t present, int64_t received, int64_t sent, uint32_t flags)
{
    DovanMessageFacts facts{};
    facts.size = sizeof facts;
    facts.present = present;
    facts.received_time = 116444736000000000ull + uint64_t(received) * 10000000;
    facts.sent_time = 116444736000000000ull + uint64_t(sent) * 10000000;
    facts.flags = flags;
    return facts;
}

TEST_F(MaildirWriterTest, EveryMessageInCurNamedWithItsFlagsAndDated)
{
    ASSERT_NE(SetFacts(), nullptr);
    EXPECT_EQ(writer_.SettingDlg, nullptr);
    ASSERT_TRUE(writer_.StartConvert(Scratch().c_str()));
    ASSERT_TRUE(writer_.NewFolder("In/box"));
    const uint32_t both = DOVAN_FACT_RECEIVED_TIME | DOVAN_FACT_SENT_TIME;
    ASSERT_TRUE(Pass("Subject: a\r\n\r\none\r\n", Facts(both | DOVAN_FACT_FLAGS, 1000000000, 900000000, 0x1F)));
    ASSERT_TRUE(Pass("Subject: b\r\n\r\ntwo", Facts(DOVAN_FACT_SENT_TIME, 0, 900000000, DOVAN_MESSAGE_READ)));
    DovanMessageFacts old_record = Facts(both, 1000000000, 900000000, 0);
    old_record.size = 8;  // a host that knows no values yet
    time_t before = std::time(nullptr);
    ASSERT_TRUE(Pass("Subject: c\r\n\r\nthree\r\n", old_record));
    writer_.FinishFolder();
    writer_.FinishConvert();

    EXPECT_EQ(DirectoryNames(Scratch("In=box")), (std::vector<std::string>{"cur", "new", "tmp"}));
    EXPECT_TRUE(DirectoryNames(Scratch("In=box/tmp")).empty());
    EXPECT_TRUE(DirectoryNames(Scratch("In=box/new")).empty());
    std::vector<std::string> names = DirectoryNames(Scratch("In=box/cur"));
    ASSERT_EQ(names.size(), 3u);
    EXPECT_NE(names[0].find(".00000001.dovan:2,DFPRS"), std::string::npos) << names[0];
    EXPECT_NE(names[1].find(".00000002.dovan:2,"), std::string::npos) << names[1];  // flags not given
    EXPECT_NE(names[2].find(".00000003.dovan:2,"), std::string::npos) << names[2];
    EXPECT_EQ(writer_test::ReadWholeFile(Scratch("In=box/cur/" + names[0])), "Subject: a\r\n\r\none\r\n");
    EXPECT_EQ(writer_test::ReadWholeFile(Scratch("In=box/cur/" + names[1])), "Subject: b\r\n\r\ntwo\r\n");
    EXPECT_EQ(ModifiedTime(Scratch("In=box/cur/" + names[0])), 1000000000);
    EXPECT_EQ(ModifiedTime(Scratch("In=box/cur/" + names[1])), 900000000);
    EXPECT_GE(ModifiedTime(Scratch("In=box/cur/" + names[2])), before);
}

TEST_F(MaildirWriterTest, AnotherRunIntoTheSameMaildirAddsNewNames)
{
    std::set<std::string> uniques;
    for (int run = 0; run < 3; ++run) {
        ASSERT_TRUE(writer_.StartConvert(Scratch().c_str()));
        ASSERT_TRUE(writer_.NewFolder("Inbox"));
        ASSERT_TRUE(Pass("A\r\n", Facts(DOVAN_FACT_FLAGS, 0, 0, run == 1 ? DOVAN_MESSAGE_READ : 0)));
        writer_.FinishFolder();
        writer_.FinishConvert();
    }
    for (const std::string& name : DirectoryNames(Scratch("Inbox/cur"))) uniques.insert(name.substr(0, name.find(':')));
    EXPECT_EQ(uniques.size(), 3u);
}

TEST_F(MaildirWriterTest, AFailedWriteLeavesNothingBehind)
{
    const struct {
        const char* faults;
        bool fails_at_piece;  // else at FinishMessage
    } kCases[] = {{"write:1:ENOSPC", false},
                  {"short-write:1:ENOSPC", false},
                  {"rename:1:EACCES", false},
                  {"create:1:EACCES", true}};
    for (const auto& one : kCases) {
        SCOPED_TRACE(one.faults);
        std::string destination = Scratch(std::string("run-") + std::to_string(&one - kCases));
        ASSERT_EQ(mkdir(destination.c_str(), 0777), 0);
        ASSERT_TRUE(writer_.StartConvert(destination.c_str()));
        ASSERT_TRUE(writer_.NewFolder("Inbox"));
        setenv("DOVAN_FAULTS", one.faults, 1);
        SetFacts()(nullptr);
        bool passed = writer_test::PassMessage(writer_, MessageKindMail, {"Subject: x\r\n\r\n", "body\r\n"});
        if (!passed) writer_.FinishMessage();  // as the host closes a message whose piece failed
        unsetenv("DOVAN_FAULTS");
        EXPECT_FALSE(passed);
        EXPECT_TRUE(DirectoryNames(destination + "/Inbox/cur").empty());
        EXPECT_TRUE(DirectoryNames(destination + "/Inbox/tmp").empty());
        // The retry is delivered.
        ASSERT_TRUE(writer_test::PassMessage(writer_, MessageKindMail, {"Subject: x\r\n\r\n", "body\r\n"}));
        EXPECT_EQ(DirectoryNames(destination + "/Inbox/cur").size(), 1u);
        writer_.FinishFolder();
        writer_.FinishConvert();
    }
}

}  // namespace
