// Dovanmbox driven through its exports as the host drives it: the file it writes, byte for byte.
#include <gtest/gtest.h>

#include <random>

#include "tests/plugins/mbox/mbox_test_support.h"

namespace mbox_test {
namespace {

using writer_test::CutAt;
using writer_test::HostPieces;
using writer_test::PassMessage;
using writer_test::SourceFolder;

const std::string kHeader =
    "Return-Path: <alice@example.org>\r\n"
    "From: \"Alice (work) <boss>\" <alice@example.org>\r\n"
    "Subject: lunch\r\n"
    "\r\n";
const std::string kBody =
    "From here on, quoted.\r\n"
    ">From there, left alone.\r\n"
    "from below, left alone.\r\n"
    "From\r\n"
    "last line\r\n";
const std::string kQuotedBody =
    ">From here on, quoted.\r\n"
    ">From there, left alone.\r\n"
    "from below, left alone.\r\n"
    "From\r\n"
    "last line\r\n";

class MboxOutput : public MboxTest {};

TEST_F(MboxOutput, EveryCutOfAMessageGivesTheSameFile)
{
    const std::string text = kHeader + kBody;
    std::string whole = ConvertPieces({text});
    std::string date = RunDate(whole);
    ASSERT_FALSE(date.empty()) << whole;
    const std::string expected = MboxMessage("alice@example.org", date, kHeader + kQuotedBody);
    ASSERT_EQ(whole, expected);

    for (size_t cut = 1; cut < text.size(); ++cut) {
        std::string produced = ConvertPieces(CutAt(text, {cut}));
        ASSERT_EQ(produced.substr(produced.find("\r\n") + 2), expected.substr(expected.find("\r\n") + 2))
            << "cut at " << cut;
    }
    for (size_t cut = 1; cut + 1 < text.size(); cut += 7) {
        std::string produced = ConvertPieces(CutAt(text, {cut, cut + 1, cut + 2}));
        ASSERT_EQ(produced.substr(produced.find("\r\n") + 2), expected.substr(expected.find("\r\n") + 2))
            << "cuts at " << cut;
    }
    std::vector<size_t> every_byte;
    for (size_t at = 1; at < text.size(); ++at) every_byte.push_back(at);
    std::string bytewise = ConvertPieces(CutAt(text, every_byte));
    EXPECT_EQ(bytewise.substr(bytewise.find("\r\n") + 2), expected.substr(expected.find("\r\n") + 2));
}

TEST_F(MboxOutput, EmptyLineSplitBetweenCrAndLfEndsTheHeader)
{
    const std::string header = "From: bob@example.org\r\n\r\n";
    const std::string text = header + "From the body\r\n";
    std::string produced = ConvertPieces(CutAt(text, {header.size() - 1}));
    EXPECT_EQ(produced, MboxMessage("bob@example.org", RunDate(produced), header + ">From the body\r\n"));
}

struct QuotingCase {
    const char* setting;
    const char* body;
    const char* written;
};

void PrintTo(const QuotingCase& example, std::ostream* out) { *out << example.setting; }

class MboxQuoting : public MboxTest, public ::testing::WithParamInterface<QuotingCase> {};

TEST_P(MboxQuoting, BodyLinesAreQuotedByTheSetting)
{
    const QuotingCase& example = GetParam();
    UseSetting(example.setting);
    const std::string header = "From nobody, a header line that is neither quoted nor a sender\r\nFROM: x@y\r\n\r\n";
    std::string produced = ConvertPieces(HostPieces(header + example.body, 2048));
    EXPECT_EQ(produced, MboxMessage("x@y", RunDate(produced), header + example.written));
}

INSTANTIATE_TEST_SUITE_P(
    Modes, MboxQuoting,
    ::testing::Values(
        QuotingCase{"from-quoting",
                    "From here\r\n>From here\r\nfrom here\r\nFrom\r\nFrom:x\r\nFROM here\r\n>\r\nFrom \r\n",
                    ">From here\r\n>From here\r\nfrom here\r\nFrom\r\nFrom:x\r\nFROM here\r\n>\r\n>From \r\n"},
        QuotingCase{"ignore-case",
                    "From here\r\nfrom here\r\nFROM:\r\nFromage\r\n>From here\r\n>>>fRoM x\r\nFrom\r\nFro\r\n"
                    ">Fro\r\n> From\r\n",
                    ">From here\r\n>from here\r\n>FROM:\r\n>Fromage\r\n>>From here\r\n>>>>fRoM x\r\n>From\r\nFro\r\n"
                    ">Fro\r\n> From\r\n"},
        QuotingCase{"pass-through", "From here\r\n>From here\r\nfrom here\r\nFrom\r\n",
                    "From here\r\n>From here\r\nfrom here\r\nFrom\r\n"}));

TEST_F(MboxOutput, LongLineInThreePiecesIsOneLineQuotedAsAWhole)
{
    const std::string header = "From: carol@example.org\r\n\r\n";
    std::string line = "From " + std::string(4993, 'x') + "\r\n";  // 5000 bytes
    ASSERT_EQ(line.size(), 5000u);
    const std::string text = header + line + "tail\r\n";
    std::string produced = ConvertPieces(HostPieces(text, 2048));
    EXPECT_EQ(produced, MboxMessage("carol@example.org", RunDate(produced), header + ">" + line + "tail\r\n"));

    // The same line cut just after its first byte and just before its LF.
    size_t start = header.size();
    produced = ConvertPieces(CutAt(text, {start + 1, start + 4999, start + 5000}));
    EXPECT_EQ(produced, MboxMessage("carol@example.org", RunDate(produced), header + ">" + line + "tail\r\n"));
}

TEST_F(MboxOutput, SenderComesFromTheFirstReturnPathOrFromLine)
{
    struct Case {
        std::string header;
        std::string sender;
    };
    const std::vector<Case> cases = {
        {"From: first@example.org\r\nReturn-Path: <second@example.org>\r\n\r\n", "first@example.org"},
        {"Return-path: <bounce@example.org>\r\nFrom: Person <person@example.org>\r\n\r\n", "bounce@example.org"},
        {"Subject: none\r\nFrom : spaced@example.org\r\n X-Continued:\r\n From: folded@example.org\r\n\r\n",
         kPlaceholder},
        {"Subject: no sender at all\r\n\r\n", kPlaceholder},
        {"From: <>\r\nReturn-Path: late@example.org\r\n\r\n", ""},
        {"from:   \"A <b> (c)\" <abc@example.org> (note)\r\n\r\n", "abc@example.org"},
        {"FROM: dave@example.org (Dave)\r\n\r\n", "dave@example.org"},
    };
    for (const Case& example : cases) {
        std::string produced = ConvertPieces(HostPieces(example.header + "body\r\n", 5));
        std::string date = RunDate(produced);
        ASSERT_FALSE(date.empty()) << produced;
        EXPECT_EQ(produced, MboxMessage(example.sender, date, example.header + "body\r\n")) << example.header;
    }
}

TEST_F(MboxOutput, MessageWithoutEmptyLineKeepsAllItsText)
{
    // A header-only item, and a text whose last line has no LF: the host adds CR LF to that.
    const std::string header_only = "From: eve@example.org\r\nSubject: header only\r\n";
    const std::string truncated = "Subject: cut short\r\nFrom: frank@example.org\r\nX-Partial: no line e";
    const std::string complete = "From: gina@example.org\r\n\r\nFrom the body\r\n";
    ASSERT_TRUE(Convert({{"Inbox", {header_only, truncated, complete}}}, 7));
    std::string produced = Output();
    std::string date = RunDate(produced);
    EXPECT_EQ(produced, MboxMessage("eve@example.org", date, header_only) +
                            MboxMessage("frank@example.org", date, truncated + "\r\n") +
                            MboxMessage("gina@example.org", date, "From: gina@example.org\r\n\r\n>From the body\r\n"));
}

TEST_F(MboxOutput, LastLineWithoutLineEndIsWrittenAtTheEnd)
{
    // Pieces that stop without LF (a host that does not close the text): nothing of it is lost.
    std::string in_header = ConvertPieces({"From: hal@example.org\r\nX-Tail: abc"});
    EXPECT_EQ(in_header, MboxMessage("hal@example.org", RunDate(in_header), "From: hal@example.org\r\nX-Tail: abc"));
    std::string in_body = ConvertPieces({"From: hal@example.org\r\n\r\nline\r\nFrom the end"});
    EXPECT_EQ(in_body,
              MboxMessage("hal@example.org", RunDate(in_body), "From: hal@example.org\r\n\r\nline\r\n>From the end"));
}

TEST_F(MboxOutput, BareLineFeedsAreKeptAndEndTheHeader)
{
    const std::string text = "From: ivy@example.org\nSubject: unix\n\nFrom the body\n\nbye\n";
    std::string produced = ConvertPieces(HostPieces(text, 3));
    EXPECT_EQ(produced, MboxMessage("ivy@example.org", RunDate(produced),
                                    "From: ivy@example.org\nSubject: unix\n\n>From the body\n\nbye\n"));
}

TEST_F(MboxOutput, FoldersGetOneFileEachAndShareTheRunDate)
{
    const std::string first = "From: a@example.org\r\n\r\none\r\n";
    const std::string second = "Return-Path: <b@example.org>\r\n\r\ntwo\r\n";
    const std::string news = "From: c@example.org\r\nNewsgroups: comp.misc\r\n\r\nthree\r\n";
    ASSERT_TRUE(Convert({{"Inbox", {first, "", second}}, {"Empty", {"", ""}}, {"News", {news}, {MessageKindNews}}}));
    EXPECT_EQ(writer_test::DirectoryNames(Scratch()), (std::vector<std::string>{"Inbox.mbx", "News.mbx"}));
    std::string inbox = Output("Inbox");
    std::string date = RunDate(inbox);
    ASSERT_FALSE(date.empty());
    EXPECT_EQ(inbox, MboxMessage("a@example.org", date, first) + MboxMessage("b@example.org", date, second));
    EXPECT_EQ(Output("News"), MboxMessage("c@example.org", date, news));
}

TEST_F(MboxOutput, NewRunReplacesTheOlderFile)
{
    ASSERT_TRUE(writer_test::WriteWholeFile(Scratch("Inbox.mbx"), std::string(100000, 'o')));
    const std::string text = "From: j@example.org\r\n\r\nnew\r\n";
    ASSERT_TRUE(Convert({{"Inbox", {text}}}));
    std::string produced = Output();
    EXPECT_EQ(produced, MboxMessage("j@example.org", RunDate(produced), text));
}

TEST_F(MboxOutput, StoppedRunStillClosesItsMessageAndFolder)
{
    // The host's order after a stop: FinishConvert, then FinishMessage and FinishFolder.
    ASSERT_EQ(writer_.StartConvert(scratch_.c_str()), 1);
    ASSERT_EQ(writer_.NewFolder("Inbox"), 1);
    ASSERT_EQ(writer_.NewMessage(MessageKindMail), 1);
    const std::string text = "From: k@example.org\r\nSubject: held back\r\n";
    ASSERT_EQ(writer_.AppendBuffer(text.data(), static_cast<uint32_t>(text.size())), 1);
    EXPECT_EQ(writer_.FinishConvert(), 1);
    EXPECT_EQ(writer_.FinishMessage(), 1);
    EXPECT_EQ(writer_.FinishFolder(), 1);
    std::string produced = Output();
    EXPECT_EQ(produced, MboxMessage("k@example.org", RunDate(produced), text));

    // And the writer is ready for the next run.
    ASSERT_TRUE(Convert({{"Inbox", {"From: l@example.org\r\n\r\nx\r\n"}}}));
    EXPECT_EQ(Output(), MboxMessage("l@example.org", RunDate(Output()), "From: l@example.org\r\n\r\nx\r\n"));
}

TEST_F(MboxOutput, EightBitAndNulBytesPassUnchanged)
{
    std::string text = "From: \xe5\xb1\xb1\xe7\x94\xb0 <m@example.org>\r\nSubject: \x1b$B;3ED\x1b(B\r\n\r\n";
    text += std::string("a\0b\xff\r\n", 6) + "\x80" + "From\r\n";
    std::string produced = ConvertPieces(HostPieces(text, 4));
    EXPECT_EQ(produced, MboxMessage("m@example.org", RunDate(produced), text));
}

// Reference: the text with one ">" before each body line that begins with "From ".
std::string QuoteFromLines(const std::string& text)
{
    size_t body = text.find("\r\n\r\n") + 4;
    std::string result = text.substr(0, body);
    for (size_t at = body; at < text.size();) {
        size_t next = text.find('\n', at);
        next = next == std::string::npos ? text.size() : next + 1;
        if (text.compare(at, 5, "From ") == 0) result += '>';
        result += text.substr(at, next - at);
        at = next;
    }
    return result;
}

TEST_F(MboxOutput, RandomTextsInRandomPiecesMatchTheQuotingRule)
{
    std::mt19937 random(20040302);
    const char* kLines[] = {"From x\r\n", "from y\r\n", ">From z\r\n", "\r\n", "F\r\n", "Fro", "m \r\n", "\r", "\n"};
    for (int round = 0; round < 60; ++round) {
        std::string text = "From: r@example.org\r\nX-Round: " + std::to_string(round) + "\r\n\r\n";
        int lines = static_cast<int>(random() % 300);
        for (int i = 0; i < lines; ++i) {
            if (random() % 10 == 0) text += std::string(random() % 3000, 'y');
            text += kLines[random() % (sizeof kLines / sizeof kLines[0])];
        }
        text += "\r\n";
        std::vector<size_t> cuts;
        for (size_t at = random() % 50 + 1; at < text.size(); at += random() % 2048 + 1) cuts.push_back(at);
        std::string produced = ConvertPieces(CutAt(text, cuts));
        ASSERT_EQ(produced, MboxMessage("r@example.org", RunDate(produced), QuoteFromLines(text))) << round;
    }
}

TEST_F(MboxOutput, NamesAndSettingsForTheHost)
{
    EXPECT_EQ(writer_.GetPluginName(), 1u);
    EXPECT_EQ(writer_.GetNote(), 2u);
    EXPECT_EQ(writer_.GetDefaultDestDir, nullptr);
    EXPECT_EQ(writer_.SettingDlg, nullptr);
    ASSERT_NE(writer_.LoadPluginString, nullptr);
    char text[1024];
    ASSERT_GT(platform::LoadLibraryString(writer_.library, 1, text, sizeof text), 0);
    EXPECT_STREQ(text, "UNIX mbox");
    ASSERT_GT(platform::LoadLibraryString(writer_.library, 3, text, sizeof text), 0);
    EXPECT_NE(std::string(text).find("pass-through"), std::string::npos);
    EXPECT_EQ(platform::LoadLibraryString(writer_.library, 4, text, sizeof text), 0);

    ASSERT_EQ(writer_.SetSetting("Ignore-Case"), 1);
    errno = 0;
    EXPECT_EQ(writer_.SetSetting("quote-everything"), 0);
    EXPECT_EQ(platform::LastError(), platform::kErrorInvalidParameter);
    EXPECT_EQ(writer_.SetSetting(nullptr), 0);
    // The refused values left ignore-case in force.
    std::string produced = ConvertPieces({"From: n@example.org\r\n\r\nfrom\r\n"});
    EXPECT_EQ(produced, MboxMessage("n@example.org", RunDate(produced), "From: n@example.org\r\n\r\n>from\r\n"));
}

TEST_F(MboxOutput, NotesInEnglishAndJapanese)
{
    std::string saved = getenv("LC_ALL") ? getenv("LC_ALL") : "";
    char text[1024];
    setenv("LC_ALL", "ja_JP.UTF-8", 1);
    platform::LoadLibraryString(writer_.library, 2, text, sizeof text);
    EXPECT_STREQ(text, "OE のフォルダ毎にファイルを作成します。");
    setenv("LC_ALL", "C", 1);
    platform::LoadLibraryString(writer_.library, 2, text, sizeof text);
    EXPECT_STREQ(text, "An mbox file is created per OE folder.");
    if (saved.empty()) unsetenv("LC_ALL");
    else setenv("LC_ALL", saved.c_str(), 1);
}

}  // namespace
}  // namespace mbox_test
