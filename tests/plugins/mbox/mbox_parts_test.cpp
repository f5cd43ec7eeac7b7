// The mbox writer's parts on their own: the sender of a header line, the run's date text and the scans for
// lines that could need a ">".
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "plugins/mbox/body_quoting.h"
#include "plugins/mbox/from_line.h"
#include "plugins/mbox/setting.h"

namespace {

std::string SenderOf(const std::string& line)
{
    mbox::SenderSpan span = mbox::FindSender(line.data(), line.size());
    EXPECT_LE(span.start, span.end);
    EXPECT_LE(span.end, line.size());
    return line.substr(span.start, span.end - span.start);
}

TEST(MboxSender, KeywordMustOpenTheLine)
{
    for (const char* line : {"Return-Path: <a@b>\r\n", "return-path:<a@b>\r\n", "RETURN-PATH:\r\n", "From: a@b\r\n",
                             "fRoM:a\r\n", "from:"})
        EXPECT_TRUE(mbox::IsSenderLine(line, std::char_traits<char>::length(line))) << line;
    for (const char* line : {"From a@b\r\n", "From : a@b\r\n", " From: a@b\r\n", "\tReturn-Path: <a@b>\r\n",
                             "Return-Path : <a@b>\r\n", "From\r\n", "Fro", "", "X-From: a@b\r\n", "Return-Pat: a\r\n"})
        EXPECT_FALSE(mbox::IsSenderLine(line, std::char_traits<char>::length(line))) << line;
}

TEST(MboxSender, AddressIsFoundBetweenQuotesCommentsAndBrackets)
{
    struct Case {
        std::string line;
        std::string sender;
    };
    const Case cases[] = {
        {"From: alice@example.org\r\n", "alice@example.org"},
        {"From: Alice Example <alice@example.org>\r\n", "alice@example.org"},
        {"From: \"Example, Alice\" <alice@example.org>\r\n", "alice@example.org"},
        {"From: \"a <fake@x> b\" <real@example.org>\r\n", "real@example.org"},
        {"From: \"a > b\" <real@example.org>\r\n", "real@example.org"},
        {"From: \"a ( b\" <real@example.org>\r\n", "real@example.org"},
        {"From: \"say \\\"<no>\\\" twice\" <real@example.org>\r\n", "real@example.org"},
        {"From: alice@example.org (Alice <at> home)\r\n", "alice@example.org"},
        {"From: (comment) alice@example.org\r\n", "(comment) alice@example.org"},
        {"From: (a \\) b) <alice@example.org>\r\n", "alice@example.org"},
        {"From: (unclosed comment <x@y>\r\n", "(unclosed comment <x@y>"},
        {"From: \"unclosed <x@y>\r\n", "\"unclosed <x@y>"},
        {"From: <>\r\n", ""},
        {"From:\r\n", ""},
        {"From:   \t \r\n", ""},
        {"From: <a@b\r\n", "a@b"},
        {"From: a@b>junk\r\n", "a@b"},
        {"From: Bob <<bob@example.org>>\r\n", "bob@example.org"},
        {"Return-Path: <bounce@example.org>\r\n", "bounce@example.org"},
        {"Return-Path: bounce@example.org\n", "bounce@example.org"},
        {"From: \xe5\xb1\xb1\xe7\x94\xb0 <yamada@example.jp>\r\n", "yamada@example.jp"},
        {"From: \xe5\xb1\xb1\xe7\x94\xb0\r\n", ""},
        {"From: a\\", "a\\"},
        {"From: \"a\\", "\"a\\"},
        {"From: John Q. Public\r\n", "John Q. Public"},
    };
    for (const Case& example : cases) EXPECT_EQ(SenderOf(example.line), example.sender) << example.line;
}

TEST(MboxDateText, DateHasFixedFieldsAndNames)
{
    char text[mbox::kDateTextSize];
    platform::LocalTime time;
    time.year = 2004;
    time.month = 3;
    time.day = 2;
    time.day_of_week = 2;
    time.hour = 9;
    time.minute = 5;
    time.second = 3;
    mbox::FormatDateText(time, text);
    EXPECT_STREQ(text, " Tue Mar 02 09:05:03 2004\r\n");

    time = platform::LocalTime{};
    time.year = 1999;
    time.month = 12;
    time.day = 31;
    time.day_of_week = 6;
    time.hour = 23;
    time.minute = 59;
    time.second = 59;
    mbox::FormatDateText(time, text);
    EXPECT_STREQ(text, " Sat Dec 31 23:59:59 1999\r\n");

    time.month = 13;
    time.day_of_week = -1;
    time.year = 12345;
    mbox::FormatDateText(time, text);
    EXPECT_STREQ(text, " ??? ??? 31 23:59:59 12345\r\n");
}

// Every scan width finds the first LF-led candidate of any run, wherever it starts and ends relative to the
// strides: texts thick and thin with line ends and candidates, cut at every length up to a few strides.
TEST(MboxQuoteCandidates, EveryWidthFindsTheFirstCandidate)
{
    const mbox::ScanWidth widths[] = {mbox::ScanWidth::OneLine, mbox::ScanWidth::Bytes16, mbox::ScanWidth::Bytes32};
    const uint32_t modes[] = {mbox::kFromQuoting, mbox::kIgnoreCase};
    std::mt19937 random(20261208);
    for (int round = 0; round < 300; ++round) {
        const char alphabet[] = "\nFf>ax \r";
        unsigned thickness = 2 + random() % 60;  // one byte in about `thickness` is special
        std::string text(300, 'a');
        for (char& c : text)
            if (random() % thickness == 0) c = alphabet[random() % (sizeof alphabet - 1)];
        size_t from = random() % 40;
        for (size_t end = from; end <= text.size(); ++end) {
            for (uint32_t mode : modes) {
                const char* expected = nullptr;
                for (size_t p = from; p + 1 < end && !expected; ++p) {
                    char next = text[p + 1];
                    bool candidate = next == 'F' || (mode == mbox::kIgnoreCase && (next == 'f' || next == '>'));
                    if (text[p] == '\n' && candidate) expected = text.data() + p + 1;
                }
                for (mbox::ScanWidth width : widths) {
                    if (!mbox::ScanWidthAvailable(width)) continue;
                    const char* found =
                        mbox::FindLaterQuoteCandidateWith(width, mode, text.data() + from, text.data() + end);
                    ASSERT_EQ(found, expected) << "width " << static_cast<int>(width) << " mode " << mode << " run ["
                                               << from << ", " << end << ")";
                }
            }
        }
    }
}

}  // namespace
