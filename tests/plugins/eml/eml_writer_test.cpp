// The eml writer driven as the host drives it: sequence names, bytes kept exactly, folders, failures, exports.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "tests/plugins/eml/eml_test_support.h"

namespace eml_test {
namespace {

using writer_test::CutAt;
using writer_test::DirectoryNames;
using writer_test::HostPieces;
using writer_test::PassMessage;
using writer_test::ReadWholeFile;
using Names = std::vector<std::string>;

class EmlWriterTest : public EmlTest {};

std::string Canonical(const std::string& path) { return std::filesystem::weakly_canonical(path).string(); }

// Texts that would expose any change to the bytes: every byte value, long lines, bare CR and LF, no final LF.
std::vector<std::string> AwkwardTexts()
{
    std::string all_bytes = Mail({"Subject: bytes"}, "");
    for (int value = 0; value < 256; ++value) all_bytes += static_cast<char>(value);
    all_bytes += "\r\n";
    std::string long_lines = Mail({"Subject: long"}, std::string(5000, 'x') + "\r\n" + std::string(5000, 'y') + "\n");
    std::string bare_ends = Mail({"Subject: ends"}, "one\rtwo\nthree\r\n\r\n.\r\nFrom me\r\n");
    return {all_bytes, long_lines, bare_ends, "no header at all, no line end"};
}

TEST_F(EmlWriterTest, SequenceNamesRestartInEveryFolder)
{
    StartRun("sequence");
    WriteFolder("Inbox", {Mail({"Subject: a"}), Mail({"Subject: b"}), Mail({"Subject: c"})});
    EXPECT_EQ(Canonical(writer_test::CurrentDirectory()), Canonical(Scratch()));
    WriteFolder("news.group", {Mail({}), Mail({})}, MessageKindNews);
    EXPECT_EQ(DirectoryNames(Scratch()), (Names{"Inbox", "news.group"}));
    EXPECT_EQ(DirectoryNames(Scratch("Inbox")), (Names{"00000001.eml", "00000002.eml", "00000003.eml"}));
    EXPECT_EQ(DirectoryNames(Scratch("news.group")), (Names{"00000001.nws", "00000002.nws"}));
    EXPECT_EQ(ReadWholeFile(Scratch("Inbox/00000002.eml")), Mail({"Subject: b"}));
    EXPECT_TRUE(writer_.FinishConvert());
}

TEST_F(EmlWriterTest, SequenceWithoutExtension)
{
    StartRun("sequence-no-extension");
    WriteFolder("Inbox", {Mail({}), Mail({})});
    WriteFolder("Sent", {Mail({}), Mail({}), Mail({})}, MessageKindNews);
    EXPECT_EQ(DirectoryNames(Scratch("Inbox")), (Names{"1", "2"}));
    EXPECT_EQ(DirectoryNames(Scratch("Sent")), (Names{"1", "2", "3"}));
}

// A later run into the same destination replaces sequence-named files and reuses the folders, also in a
// folder large enough for its files to be made ahead, and one that grew since.
TEST_F(EmlWriterTest, ASecondRunReplacesSequenceFiles)
{
    auto texts = [](const std::string& run, size_t count) {
        std::vector<std::string> mails;
        for (size_t i = 1; i <= count; ++i)
            mails.push_back(Mail({}, run + " run, message " + std::to_string(i) + "\r\n"));
        return mails;
    };
    StartRun("sequence");
    WriteFolder("Inbox", {Mail({}, "first run, a longer body\r\n")});
    WriteFolder("Large", texts("first, with a longer text", 20));
    StartRun("sequence");
    WriteFolder("Inbox", {Mail({}, "second\r\n")});
    WriteFolder("Large", texts("second", 30));
    EXPECT_EQ(ReadWholeFile(Scratch("Inbox/00000001.eml")), Mail({}, "second\r\n"));
    Names names = DirectoryNames(Scratch("Large"));
    ASSERT_EQ(names.size(), 30u);
    for (size_t i = 0; i < names.size(); ++i)
        EXPECT_EQ(ReadWholeFile(Scratch("Large/" + names[i])), texts("second", 30)[i]) << names[i];
}

TEST_F(EmlWriterTest, TextIsWrittenUnchangedUnderEveryRule)
{
    const std::vector<std::string> texts = AwkwardTexts();
    std::mt19937 random(20240101);
    for (const char* rule : {"sequence", "sequence-no-extension", "subject"}) {
        StartRun(rule);
        ASSERT_TRUE(writer_.NewFolder(rule));
        std::vector<std::string> expected;
        for (const std::string& text : texts) {
            std::string sent = text;
            if (sent.back() != '\n') sent += "\r\n";  // the host's closing CR LF
            std::vector<std::vector<std::string>> cuttings = {HostPieces(text, 2048), HostPieces(text, 1)};
            std::vector<size_t> cuts;
            for (size_t position = 0; position < sent.size(); position += 1 + random() % 700) cuts.push_back(position);
            cuttings.push_back(CutAt(sent, cuts));
            for (const auto& pieces : cuttings) {
                ASSERT_TRUE(PassMessage(writer_, MessageKindMail, pieces));
                expected.push_back(sent);
            }
        }
        ASSERT_TRUE(writer_.FinishFolder());
        std::vector<std::string> written;
        for (const std::string& name : DirectoryNames(Scratch(rule)))
            written.push_back(ReadWholeFile(Scratch(rule) + "/" + name));
        std::sort(written.begin(), written.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(written, expected) << rule;
    }
}

// Folder names never lead out of the folder they are made in, and look the same on every platform.
TEST_F(EmlWriterTest, FolderNamesStayInsideTheDestination)
{
    StartRun("sequence");
    for (const char* name : {".", "..", "a/b", "c\\d", "CON", "nul.txt", "Inbox.", "Sent ", "", "Plain"})
        WriteFolder(name, {Mail({})});
    EXPECT_EQ(Canonical(writer_test::CurrentDirectory()), Canonical(Scratch()));
    EXPECT_EQ(DirectoryNames(Scratch()),
              (Names{"..=", ".=", "=", "CON=", "Inbox.=", "Plain", "Sent =", "a=b", "c=d", "nul=.txt"}));
    for (const std::string& folder : DirectoryNames(Scratch()))
        EXPECT_EQ(DirectoryNames(Scratch(folder)), Names{"00000001.eml"});
}

TEST_F(EmlWriterTest, FailuresReturnZeroWithTheSystemsReason)
{
    EXPECT_EQ(writer_.StartConvert(Scratch("missing").c_str()), 0);
    EXPECT_EQ(platform::LastError(), static_cast<platform::ErrorCode>(ENOENT));

    ASSERT_TRUE(writer_test::WriteWholeFile(Scratch("Blocked"), ""));
    StartRun("sequence");
    EXPECT_EQ(writer_.NewFolder("Blocked"), 0);
    EXPECT_EQ(platform::LastError(), static_cast<platform::ErrorCode>(ENOTDIR));

    // A folder standing where message 1 must go: the next attempt takes number 2.
    ASSERT_EQ(mkdir(Scratch("Inbox").c_str(), 0777), 0);
    ASSERT_EQ(mkdir(Scratch("Inbox/00000001.eml").c_str(), 0777), 0);
    ASSERT_EQ(symlink("/dev/full", Scratch("Inbox/00000003.eml").c_str()), 0);
    ASSERT_TRUE(writer_.NewFolder("Inbox"));
    EXPECT_EQ(writer_.NewMessage(MessageKindMail), 0);
    EXPECT_EQ(platform::LastError(), static_cast<platform::ErrorCode>(EISDIR));
    EXPECT_TRUE(PassMessage(writer_, MessageKindMail, HostPieces(Mail({}), 2048)));
    EXPECT_EQ(ReadWholeFile(Scratch("Inbox/00000002.eml")), Mail({}));

    // A full disk: the message's text is written by its FinishMessage at the latest, which fails.
    ASSERT_TRUE(writer_.NewMessage(MessageKindMail));
    EXPECT_EQ(writer_.AppendBuffer("x\r\n", 3), 1);
    errno = 0;
    EXPECT_EQ(writer_.FinishMessage(), 0);
    EXPECT_EQ(platform::LastError(), static_cast<platform::ErrorCode>(ENOSPC));
    EXPECT_TRUE(writer_.FinishFolder());
}

// A stopped run: FinishConvert first, then the open message and folder are still closed properly.
TEST_F(EmlWriterTest, MessageAndFolderCloseAfterFinishConvert)
{
    StartRun("subject");
    ASSERT_TRUE(writer_.NewFolder("Inbox"));
    ASSERT_TRUE(writer_.NewMessage(MessageKindMail));
    std::string text = Mail({"Subject: Stopped"});
    ASSERT_TRUE(writer_.AppendBuffer(text.data(), static_cast<uint32_t>(text.size())));
    EXPECT_TRUE(writer_.FinishConvert());
    EXPECT_TRUE(writer_.FinishMessage());
    EXPECT_TRUE(writer_.FinishFolder());
    EXPECT_EQ(ReadWholeFile(Scratch("Inbox/Stopped.eml")), text);
}

TEST_F(EmlWriterTest, ExportsTextsAndSetting)
{
    EXPECT_EQ(writer_.GetPluginName(), 1u);
    EXPECT_EQ(writer_.GetNote(), 2u);
    EXPECT_EQ(writer_.GetDefaultDestDir, nullptr);
    EXPECT_EQ(writer_.SettingDlg, nullptr);
    EXPECT_NE(writer_.FinishFolder, nullptr);
    EXPECT_NE(writer_.FinishConvert, nullptr);
    EXPECT_EQ(writer_test::PluginString(writer_, 1, false), "eml format (1file per message)");
    EXPECT_EQ(writer_test::PluginString(writer_, 1, true), "eml 形式 (1メール1ファイル)");
    EXPECT_EQ(writer_test::PluginString(writer_, 2, false), "Hit `Setting' to select naming rule.");
    EXPECT_EQ(writer_test::PluginString(writer_, 2, true), "ファイル名の付け方は「設定」を押してください。");
    EXPECT_NE(writer_test::PluginString(writer_, 3, false).find("sequence-no-extension"), std::string::npos);
    EXPECT_EQ(writer_test::PluginString(writer_, 4, false), "");

    EXPECT_TRUE(writer_.SetSetting("Subject"));
    for (const char* bad : {"", "subjects", "sequence ", "2"}) {
        platform::SetLastError(0);
        EXPECT_EQ(writer_.SetSetting(bad), 0) << bad;
        EXPECT_EQ(platform::LastError(), platform::kErrorInvalidParameter);
    }
    // The rejected values left the setting as it was.
    ASSERT_TRUE(writer_.StartConvert(Scratch().c_str()));
    WriteFolder("Inbox", {Mail({"Subject: kept"})});
    EXPECT_EQ(DirectoryNames(Scratch("Inbox")), Names{"kept.eml"});
}

}  // namespace
}  // namespace eml_test
