// Files that Dovanmbox writes, read back by Python's standard mailbox module: the same messages, with the
// same bodies once the quoting is undone.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "tests/plugins/mbox/mbox_test_support.h"

namespace mbox_test {
namespace {

struct Sample {
    std::string text;
    std::string sender;
};

// Messages that every mode writes so that a reader finds them again. None has a body line beginning with
// "From " where the mode writes it unquoted, nor one beginning with ">From " where the quoting cannot be
// told from the text.
std::vector<Sample> SamplesFor(const std::string& mode)
{
    std::vector<Sample> samples = {
        {"Return-Path: <list-bounce@example.org>\r\nFrom: \"List (digest)\" <list@example.org>\r\n"
         "Subject: plain\r\nMIME-Version: 1.0\r\nContent-Type: text/plain; charset=us-ascii\r\n\r\n"
         "Hello.\r\n\r\n\r\nThree lines, two empty ones above.\r\n",
         "list-bounce@example.org"},
        {"From: header-only@example.org\r\nSubject: nothing below\r\n", "header-only@example.org"},
        {"Subject: no sender\r\n\r\n" + std::string(5000, 'w') + "\r\n", kPlaceholder},
        {"From: eight@example.org\r\nSubject: =?ISO-2022-JP?B?GyRCOzNFRBsoQg==?=\r\n\r\n"
         "\xe3\x81\x82\xe3\x81\x84\r\n\xff\xfe\r\n",
         "eight@example.org"},
    };
    if (mode != "pass-through") {
        samples.push_back(
            {"From: quoted@example.org\r\nSubject: From lines\r\n\r\nFrom the start\r\nFrom \r\n"
             "From\r\nand From inside\r\nFrom the end\r\n",
             "quoted@example.org"});
    }
    if (mode == "ignore-case") {
        samples.push_back(
            {"From: case@example.org\r\n\r\n>From quoted\r\n>>from twice\r\nfrom low\r\nFROM:\r\n"
             "Fromage\r\n>\r\n",
             "case@example.org"});
    }
    if (mode != "from-quoting") {
        samples.push_back({"From: gt@example.org\r\n\r\n> quoted reply\r\n>From quoted\r\n", "gt@example.org"});
    }
    return samples;
}

class MboxReader : public MboxTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(MboxReader, PythonMailboxReadsTheSameMessages)
{
    if (!writer_test::HavePython()) GTEST_SKIP() << writer_test::kPython << " is missing";
    const std::string mode = GetParam();
    UseSetting(mode.c_str());
    std::vector<Sample> samples = SamplesFor(mode);

    std::string destination = Scratch("out");
    std::string expected = Scratch("expected");
    ASSERT_TRUE(std::filesystem::create_directory(destination));
    ASSERT_TRUE(std::filesystem::create_directory(expected));
    std::vector<std::string> texts;
    for (size_t i = 0; i < samples.size(); ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "%03zu", i);
        std::string given = samples[i].text;
        if (given.back() != '\n') given += "\r\n";
        ASSERT_TRUE(writer_test::WriteWholeFile(expected + "/" + name + ".txt", given));
        ASSERT_TRUE(writer_test::WriteWholeFile(expected + "/" + name + ".sender", samples[i].sender));
        texts.push_back(samples[i].text);
    }
    ASSERT_TRUE(writer_test::RunConversion(writer_, destination, {{"Inbox", texts}}, 333));

    std::string command = std::string(writer_test::kPython) + " " + DOVAN_SOURCE_DIR +
                          "/tests/plugins/mbox/check_mbox.py '" + destination + "/Inbox.mbx' " + mode + " '" +
                          expected + "'";
    EXPECT_EQ(writer_test::RunCommand(command), 0) << command;
}

INSTANTIATE_TEST_SUITE_P(Modes, MboxReader, ::testing::Values("from-quoting", "ignore-case", "pass-through"));

}  // namespace
}  // namespace mbox_test
