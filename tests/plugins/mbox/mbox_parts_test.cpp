// The mbox writer's parts on their own: the sender of a header line and the run's date text.
#include <gtest/gtest.h>

#include <string>

#include "plugins/mbox/from_line.h"
#include "plugins/mbox/sender.h"

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
                             "Return-Path : <a@b>\r\n", "From\r\n", "Fro", "", "X-From: a@b\r\n",
                             "Return-Pat: a\r\n"})
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

}  // namespace
