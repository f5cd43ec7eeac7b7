// The bmf writer driven as the host drives it: the mailbox layout, the split of storage files, failures.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/plugins/common/writer_harness.h"

namespace {

using writer_test::CutAt;
using writer_test::DirectoryNames;
using writer_test::HostPieces;
using writer_test::PassMessage;
using writer_test::ReadWholeFile;
using Names = std::vector<std::string>;

constexpr uint32_t kNewYear2004 = 1072915200;  // 0x3ff36300
const std::string kSeparator = "\r\n.\r\n";

using SetClockFn = void(DOVAN_CALL*)(uint32_t);

class BmfWriterTest : public writer_test::WriterTest {
protected:
    const char* WriterName() const override { return "Dovanbmf"; }

    void SetUp() override
    {
        WriterTest::SetUp();
        if (HasFatalFailure()) return;
        set_clock_ = reinterpret_cast<SetClockFn>(platform::FindSymbol(writer_.library, "SetMailboxClockForTesting"));
        ASSERT_NE(set_clock_, nullptr);
        set_clock_(kNewYear2004);
        ASSERT_TRUE(writer_.SetSetting("640"));
    }

    void TearDown() override
    {
        if (set_clock_) set_clock_(0);
        WriterTest::TearDown();
    }

    // Messages of exactly `size` bytes, ending in CR LF, each with its number in it.
    static std::vector<std::string> Messages(size_t count, size_t size)
    {
        std::vector<std::string> messages;
        for (size_t i = 0; i < count; ++i) {
            std::string text = "Subject: " + std::to_string(i) + "\r\n\r\n";
            text += std::string(size - text.size() - 2, 'm') + "\r\n";
            messages.push_back(text);
        }
        return messages;
    }

    void WriteFolder(const char* name, const std::vector<std::string>& messages)
    {
        ASSERT_TRUE(writer_.NewFolder(name));
        for (const std::string& text : messages)
            ASSERT_TRUE(PassMessage(writer_, MessageKindMail, HostPieces(text, 2048)));
        ASSERT_TRUE(writer_.FinishFolder());
    }

    // How many messages each storage file of a folder holds, in file order.
    std::vector<size_t> MessagesPerFile(const std::string& folder)
    {
        std::vector<size_t> counts;
        for (const std::string& name : DirectoryNames(folder)) {
            std::string content = ReadWholeFile(folder + "/" + name);
            size_t count = 0;
            for (size_t at = content.find(kSeparator); at != std::string::npos; at = content.find(kSeparator, at + 1))
                ++count;
            counts.push_back(count);
        }
        return counts;
    }

    SetClockFn set_clock_ = nullptr;
};

TEST_F(BmfWriterTest, ARunMakesANewMailbox)
{
    const std::vector<std::string> inbox = {"Subject: one\r\n\r\nbody\r\n.\r\n", "Subject: two\r\n\r\n\r\n"};
    ASSERT_TRUE(writer_.StartConvert(Scratch().c_str()));
    WriteFolder("Inbox", inbox);
    WriteFolder("Sent Items", {"Subject: three\r\n\r\nx\r\n"});
    EXPECT_TRUE(writer_.FinishConvert());

    EXPECT_EQ(DirectoryNames(Scratch()), Names{"3ff36300.mb"});
    EXPECT_EQ(DirectoryNames(Scratch("3ff36300.mb")), (Names{"Inbox", "Mailbox.ini", "Sent Items"}));
    EXPECT_EQ(ReadWholeFile(Scratch("3ff36300.mb/Mailbox.ini")), "[Account]\r\nName=Dovan\r\n");
    EXPECT_EQ(DirectoryNames(Scratch("3ff36300.mb/Inbox")), Names{"3ff36302.bmf"});
    EXPECT_EQ(ReadWholeFile(Scratch("3ff36300.mb/Inbox/3ff36302.bmf")), inbox[0] + kSeparator + inbox[1] + kSeparator);
    EXPECT_EQ(DirectoryNames(Scratch("3ff36300.mb/Sent Items")), Names{"3ff36303.bmf"});

    // A second run in the same second finds the mailbox taken and steps on by 2.
    ASSERT_TRUE(writer_.StartConvert(Scratch().c_str()));
    WriteFolder("Inbox", {"Subject: again\r\n\r\n"});
    EXPECT_EQ(DirectoryNames(Scratch()), (Names{"3ff36300.mb", "3ff36302.mb"}));
    EXPECT_EQ(DirectoryNames(Scratch("3ff36302.mb/Inbox")), Names{"3ff36304.bmf"});
}

TEST_F(BmfWriterTest, AFileInTheWayOfTheMailboxIsPassedToo)
{
    ASSERT_TRUE(writer_test::WriteWholeFile(Scratch("3ff36300.mb"), "not a mailbox"));
    ASSERT_EQ(mkdir(Scratch("3ff36302.mb").c_str(), 0777), 0);
    ASSERT_TRUE(writer_.StartConvert(Scratch().c_str()));
    EXPECT_EQ(DirectoryNames(Scratch()), (Names{"3ff36300.mb", "3ff36302.mb", "3ff36304.mb"}));
    EXPECT_EQ(DirectoryNames(Scratch("3ff36302.mb")), Names{});
    EXPECT_EQ(ReadWholeFile(Scratch("3ff36300.mb")), "not a mailbox");
}

TEST_F(BmfWriterTest, TheDefaultSizeSplitsAThousandMessagesIntoFourFiles)
{
    ASSERT_TRUE(writer_.StartConvert(Scratch().c_str()));
    WriteFolder("Inbox", Messages(1000, 2048));
    EXPECT_EQ(DirectoryNames(Scratch("3ff36300.mb/Inbox")),
              (Names{"3ff36302.bmf", "3ff36303.bmf", "3ff36304.bmf", "3ff36305.bmf"}));
    EXPECT_EQ(MessagesPerFile(Scratch("3ff36300.mb/Inbox")), (std::vector<size_t>{320, 320, 320, 40}));
    // The message that reaches the size completes in the same file.
    EXPECT_EQ(ReadWholeFile(Scratch("3ff36300.mb/Inbox/3ff36302.bmf")).size(), 320u * (2048 + 5));
}

TEST_F(BmfWriterTest, SplitSizes)
{
    // 0 KB: every message in a file of its own. 1 KB: a file is full once it holds 1024 bytes or more.
    // 4194304 KB is 0 bytes in 32-bit arithmetic, as the size has always been computed.
    const struct {
        const char* setting;
        std::vector<size_t> expected;
    } cases[] = {{"0", {1, 1, 1, 1, 1}}, {"1", {2, 2, 1}}, {"4194304", {1, 1, 1, 1, 1}}, {"4294967295", {5}}};
    ASSERT_TRUE(writer_.StartConvert(Scratch().c_str()));
    int folder = 0;
    for (const auto& split : cases) {
        ASSERT_TRUE(writer_.SetSetting(split.setting));
        std::string name = "f" + std::to_string(folder++);
        WriteFolder(name.c_str(), Messages(5, 600));
        EXPECT_EQ(MessagesPerFile(Scratch("3ff36300.mb/" + name)), split.expected) << split.setting;
    }
}

TEST_F(BmfWriterTest, PiecesCutAnywhereAreStoredUnchanged)
{
    std::string text = "From: a@example.org\r\nSubject: cut\r\n\r\nline\rbare\nend\r\n";
    for (int value = 0; value < 256; ++value) text += static_cast<char>(value);
    text += "\r\n";
    ASSERT_TRUE(writer_.SetSetting("0"));
    ASSERT_TRUE(writer_.StartConvert(Scratch().c_str()));
    ASSERT_TRUE(writer_.NewFolder("Inbox"));
    for (size_t position = 1; position < text.size(); ++position)
        ASSERT_TRUE(PassMessage(writer_, MessageKindNews, CutAt(text, {position})));
    ASSERT_TRUE(writer_.FinishFolder());
    Names files = DirectoryNames(Scratch("3ff36300.mb/Inbox"));
    ASSERT_EQ(files.size(), text.size() - 1);
    for (const std::string& name : files)
        ASSERT_EQ(ReadWholeFile(Scratch("3ff36300.mb/Inbox/" + name)), text + kSeparator) << name;
}

TEST_F(BmfWriterTest, FolderNamesStayInsideTheMailbox)
{
    ASSERT_TRUE(writer_.StartConvert(Scratch().c_str()));
    WriteFolder("..", {"Subject: x\r\n\r\n"});
    WriteFolder("Inbox", {"Subject: y\r\n\r\n"});
    EXPECT_EQ(DirectoryNames(Scratch()), Names{"3ff36300.mb"});
    EXPECT_EQ(DirectoryNames(Scratch("3ff36300.mb")), (Names{"..=", "Inbox", "Mailbox.ini"}));
}

TEST_F(BmfWriterTest, FailuresReturnZeroWithTheSystemsReason)
{
    EXPECT_EQ(writer_.StartConvert(Scratch("missing").c_str()), 0);
    EXPECT_EQ(platform::LastError(), static_cast<platform::ErrorCode>(ENOENT));

    ASSERT_TRUE(writer_.SetSetting("0"));
    ASSERT_TRUE(writer_.StartConvert(Scratch().c_str()));
    ASSERT_TRUE(writer_test::WriteWholeFile(Scratch("3ff36300.mb/Blocked"), ""));
    EXPECT_EQ(writer_.NewFolder("Blocked"), 0);
    EXPECT_EQ(platform::LastError(), static_cast<platform::ErrorCode>(ENOTDIR));

    // A folder standing where the storage file must go: its number is used up, the next attempt takes the next.
    ASSERT_EQ(mkdir(Scratch("3ff36300.mb/Inbox").c_str(), 0777), 0);
    ASSERT_EQ(mkdir(Scratch("3ff36300.mb/Inbox/3ff36302.bmf").c_str(), 0777), 0);
    ASSERT_EQ(symlink("/dev/full", Scratch("3ff36300.mb/Inbox/3ff36304.bmf").c_str()), 0);
    ASSERT_TRUE(writer_.NewFolder("Inbox"));
    EXPECT_EQ(writer_.NewMessage(MessageKindMail), 0);
    EXPECT_EQ(platform::LastError(), static_cast<platform::ErrorCode>(EISDIR));
    EXPECT_TRUE(PassMessage(writer_, MessageKindMail, {"Subject: ok\r\n\r\n"}));
    EXPECT_EQ(ReadWholeFile(Scratch("3ff36300.mb/Inbox/3ff36303.bmf")), "Subject: ok\r\n\r\n" + kSeparator);

    // A full disk: the message's text and separator are written by its FinishMessage, which fails.
    ASSERT_TRUE(writer_.NewMessage(MessageKindMail));
    EXPECT_EQ(writer_.AppendBuffer("x\r\n", 3), 1);
    errno = 0;
    EXPECT_EQ(writer_.FinishMessage(), 0);
    EXPECT_EQ(platform::LastError(), static_cast<platform::ErrorCode>(ENOSPC));
    EXPECT_TRUE(writer_.FinishFolder());
}

// A full storage file whose close fails (the system's way of saying that written bytes may be lost): the next
// message's NewMessage reports it, and its retry goes on in a new file. Every message is there whole.
TEST_F(BmfWriterTest, AFailingCloseOfAFullFileIsReportedAndLosesNothing)
{
    const std::vector<std::string> messages = Messages(4, 600);
    ASSERT_TRUE(writer_.SetSetting("1"));
    ASSERT_TRUE(writer_.StartConvert(Scratch().c_str()));
    ASSERT_TRUE(writer_.NewFolder("Inbox"));
    ASSERT_TRUE(PassMessage(writer_, MessageKindMail, {messages[0]}));
    ASSERT_TRUE(PassMessage(writer_, MessageKindMail, {messages[1]}));  // the file is full now
    setenv("DOVAN_FAULTS", "close:1:EIO", 1);
    EXPECT_EQ(writer_.NewMessage(MessageKindMail), 0);
    EXPECT_EQ(platform::LastError(), static_cast<platform::ErrorCode>(EIO));
    unsetenv("DOVAN_FAULTS");
    EXPECT_TRUE(PassMessage(writer_, MessageKindMail, {messages[2]}));
    EXPECT_TRUE(PassMessage(writer_, MessageKindMail, {messages[3]}));
    ASSERT_TRUE(writer_.FinishFolder());
    EXPECT_EQ(DirectoryNames(Scratch("3ff36300.mb/Inbox")), (Names{"3ff36302.bmf", "3ff36303.bmf"}));
    EXPECT_EQ(ReadWholeFile(Scratch("3ff36300.mb/Inbox/3ff36302.bmf")),
              messages[0] + kSeparator + messages[1] + kSeparator);
    EXPECT_EQ(ReadWholeFile(Scratch("3ff36300.mb/Inbox/3ff36303.bmf")),
              messages[2] + kSeparator + messages[3] + kSeparator);
}

// A stopped run: FinishConvert first; the open message and folder still close into the same file.
TEST_F(BmfWriterTest, MessageAndFolderCloseAfterFinishConvert)
{
    ASSERT_TRUE(writer_.StartConvert(Scratch().c_str()));
    ASSERT_TRUE(writer_.NewFolder("Inbox"));
    ASSERT_TRUE(writer_.NewMessage(MessageKindMail));
    ASSERT_TRUE(writer_.AppendBuffer("partial\r\n", 9));
    EXPECT_TRUE(writer_.FinishConvert());
    EXPECT_TRUE(writer_.FinishMessage());
    EXPECT_TRUE(writer_.FinishFolder());
    EXPECT_EQ(ReadWholeFile(Scratch("3ff36300.mb/Inbox/3ff36302.bmf")), "partial\r\n" + kSeparator);
}

TEST_F(BmfWriterTest, ExportsTextsAndSetting)
{
    EXPECT_EQ(writer_.GetPluginName(), 1u);
    EXPECT_EQ(writer_.GetNote(), 2u);
    ASSERT_NE(writer_.GetDefaultDestDir, nullptr);
    EXPECT_EQ(writer_.GetDefaultDestDir(), 0u);
    EXPECT_EQ(writer_.SettingDlg, nullptr);
    for (bool japanese : {false, true})
        EXPECT_EQ(writer_test::PluginString(writer_, 1, japanese), "Becky! Ver.2 (bmf)");
    EXPECT_EQ(writer_test::PluginString(writer_, 2, false),
              "1. Confirm your B2 is not running.\r\n2. A new mailbox named `Dovan' will be created, and a folder of "
              "each OE folder will be created under the mailbox.");
    EXPECT_EQ(writer_test::PluginString(writer_, 2, true),
              "1. B2 は終了しておいてください。\r\n2. 変換先フォルダに「Dovan」メールボックスを作成し，その中に OE "
              "のフォルダ毎にフォルダを作成します。");
    EXPECT_NE(writer_test::PluginString(writer_, 3, false).find("640"), std::string::npos);

    for (const char* good : {"0", "640", "4294967295"}) EXPECT_TRUE(writer_.SetSetting(good)) << good;
    for (const char* bad : {"", "-1", "12x", " 5", "4294967296", "99999999999999999999"}) {
        platform::SetLastError(0);
        EXPECT_EQ(writer_.SetSetting(bad), 0) << bad;
        EXPECT_EQ(platform::LastError(), platform::kErrorInvalidParameter);
    }
}

}  // namespace
