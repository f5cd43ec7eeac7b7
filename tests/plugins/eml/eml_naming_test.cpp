// Subject-named files: what a subject becomes, where it is found, and what happens when a name is taken.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "plugins/eml/file_names.h"
#include "plugins/eml/setting.h"
#include "tests/plugins/eml/eml_test_support.h"

namespace eml_test {
namespace {

using writer_test::CutAt;
using writer_test::DirectoryNames;
using writer_test::PassMessage;
using writer_test::ReadWholeFile;
using Names = std::vector<std::string>;

class EmlNamingTest : public EmlTest {};

struct SubjectCase {
    std::vector<std::string> header;  // header lines of the message
    std::string body;
    std::string expected;
};

TEST_F(EmlNamingTest, SubjectsBecomeSafeNames)
{
    const std::string long_subject(130, 'a');
    // Trailing blanks inside the first 128 bytes stay when the line goes on past them.
    const std::string blanks_then_more = std::string(118, 'b') + "  c";
    const std::vector<SubjectCase> cases = {
        {{"Subject: Re: [list] a/b?"}, "", "Re= [list] a=b=.eml"},
        {{"SUBJECT: x"}, "", "x.eml"},
        {{"sUbJeCt:\t \tTabs and blanks   "}, "", "Tabs and blanks.eml"},
        {{"Subject:NoBlank"}, "", "NoBlank.eml"},
        {{"Subject: \xe6\x97\xa5\xe6\x9c\xac"}, "", "======.eml"},
        {{"Subject: a\"*/:;<=>?\\|b\tc\x7f"}, "", "a===========b=c=.eml"},
        {{"Subject: {x}~`^ !#$%&'()+,-.@[]_"}, "", "{x}~`^ !#$%&'()+,-.@[]_.eml"},
        {{"Subject: =?ISO-2022-JP?B?GyRCJEgbKEI=?="}, "", "==ISO-2022-JP=B=GyRCJEgbKEI===.eml"},
        {{"Subject: first line", " folded second line"}, "", "first line.eml"},
        {{"X-Subject: not this"}, "", "noname.eml"},
        {{}, "", "noname.eml"},
        {{}, "subject: found in the body\r\n", "found in the body.eml"},
        // An empty Subject line does not end the search: the next line of the same piece is looked at.
        {{"Subject:   ", "Subject: second"}, "", "second.eml"},
        {{"Subject:" + long_subject}, "", std::string(120, 'a') + ".eml"},
        {{"Subject:" + blanks_then_more}, "", std::string(118, 'b') + "  .eml"},
        // Names a file system reserves or changes get an "=" after the device name.
        {{"Subject: CON"}, "", "CON=.eml"},
        {{"Subject: nul.txt"}, "", "nul=.txt.eml"},
        {{"Subject: Com1 .x"}, "", "Com1= .x.eml"},
        {{"Subject: lpt9"}, "", "lpt9=.eml"},
        {{"Subject: AUX."}, "", "AUX=..eml"},
        {{"Subject: conin$"}, "", "conin$=.eml"},
        {{"Subject: CONSOLE"}, "", "CONSOLE.eml"},
        {{"Subject: COM10"}, "", "COM10.eml"},
        {{"Subject: ..."}, "", "....eml"},
    };
    StartRun("subject");
    for (size_t i = 0; i < cases.size(); ++i) {
        std::string folder = "case" + std::to_string(i);
        std::string text = Mail(cases[i].header, cases[i].body.empty() ? "Hello there.\r\n" : cases[i].body);
        WriteFolder(folder, {text});
        EXPECT_EQ(DirectoryNames(Scratch(folder)), Names{cases[i].expected}) << "case " << i;
        EXPECT_EQ(ReadWholeFile(Scratch(folder + "/" + cases[i].expected)), text) << "case " << i;
        EXPECT_LE(cases[i].expected.size(), 255u);
    }
}

// Numbered names at the edges of their widths: eight digits at least, more where the number needs them.
TEST(EmlMessageNames, NumbersKeepTheirWidthToTheLargest)
{
    struct Case {
        uint32_t rule;
        uint32_t number;
        uint32_t kind;
        const char* expected;
    };
    const Case cases[] = {
        {eml::kSequence, 1, 1, "00000001.eml"},
        {eml::kSequence, 0, 2, "00000000.nws"},
        {eml::kSequence, 99999999, 1, "99999999.eml"},
        {eml::kSequence, 100000000, 1, "100000000.eml"},
        {eml::kSequence, 4294967295u, 1, "4294967295.eml"},
        {eml::kSequenceNoExtension, 0, 1, "0"},
        {eml::kSequenceNoExtension, 4294967295u, 2, "4294967295"},
        {eml::kSubjectName, 10, 2, "temp10.eml"},
    };
    for (const Case& one : cases) {
        char name[eml::kNameBufferSize];
        std::memset(name, 'x', sizeof name);
        eml::FormMessageName(one.rule, one.number, one.kind, name);
        EXPECT_STREQ(name, one.expected);
    }
}

TEST_F(EmlNamingTest, NewsArticlesTakeTheNwsExtension)
{
    StartRun("subject");
    WriteFolder("News", {Mail({"Subject: Posted"}), Mail({"Subject: Posted"})}, MessageKindNews);
    EXPECT_EQ(DirectoryNames(Scratch("News")), (Names{"Posted (1).nws", "Posted.nws"}));
}

// Wherever the pieces are cut, also between CR and LF, the name and the bytes stay the same.
TEST_F(EmlNamingTest, CutsAnywhereGiveTheSameName)
{
    const std::vector<std::pair<std::string, std::string>> messages = {
        {Mail({"Subject: Cut me"}), "Cut me.eml"},
        {Mail({"Subject:   ", "SUBJECT: Second try"}), "Second try.eml"},
        {Mail({"Subject:" + std::string(118, 'b') + "  c" + std::string(40, ' ')}), std::string(118, 'b') + "  .eml"},
        {Mail({"Subject:" + std::string(118, 'd') + "  " + std::string(40, ' ')}), std::string(118, 'd') + ".eml"},
    };
    StartRun("subject");
    int folder_number = 0;
    for (const auto& [text, expected] : messages) {
        std::vector<std::vector<std::string>> cuttings;
        for (size_t position = 1; position < text.size(); ++position) cuttings.push_back(CutAt(text, {position}));
        std::vector<size_t> every_byte;
        for (size_t position = 1; position < text.size(); ++position) every_byte.push_back(position);
        cuttings.push_back(CutAt(text, every_byte));
        for (const auto& pieces : cuttings) {
            std::string folder = "f" + std::to_string(folder_number++);
            ASSERT_TRUE(writer_.NewFolder(folder.c_str()));
            ASSERT_TRUE(PassMessage(writer_, MessageKindMail, pieces));
            ASSERT_TRUE(writer_.FinishFolder());
            ASSERT_EQ(DirectoryNames(Scratch(folder)), Names{expected})
                << "pieces: " << pieces.size() << ", first " << pieces[0].size();
            ASSERT_EQ(ReadWholeFile(Scratch(folder + "/" + expected)), text);
        }
    }
}

TEST_F(EmlNamingTest, TakenNamesGetANumber)
{
    StartRun("subject");
    WriteFolder("Inbox", {Mail({"Subject: Hello"}), Mail({"Subject: Hello"}), Mail({"Subject: Hello"}), Mail({}),
                          Mail({}), Mail({"Subject: HELLO"})});
    EXPECT_EQ(DirectoryNames(Scratch("Inbox")),
              (Names{"HELLO (3).eml", "Hello (1).eml", "Hello (2).eml", "Hello.eml", "noname (1).eml", "noname.eml"}));
}

TEST_F(EmlNamingTest, EntriesAlreadyInTheFolderAreNeverReplaced)
{
    ASSERT_EQ(mkdir(Scratch("Inbox").c_str(), 0777), 0);
    ASSERT_TRUE(writer_test::WriteWholeFile(Scratch("Inbox/world.eml"), "older file"));
    ASSERT_EQ(mkdir(Scratch("Inbox/Folder.eml").c_str(), 0777), 0);
    ASSERT_TRUE(writer_test::WriteWholeFile(Scratch("Inbox/temp2.eml"), "left from before"));
    StartRun("subject");
    WriteFolder("Inbox", {Mail({"Subject: World"}), Mail({"Subject: Folder"}), Mail({"Subject: Third"})});
    EXPECT_EQ(DirectoryNames(Scratch("Inbox")),
              (Names{"Folder (1).eml", "Folder.eml", "Third.eml", "World (1).eml", "temp2.eml", "world.eml"}));
    EXPECT_EQ(ReadWholeFile(Scratch("Inbox/world.eml")), "older file");
    EXPECT_EQ(ReadWholeFile(Scratch("Inbox/temp2.eml")), "left from before");
    EXPECT_EQ(ReadWholeFile(Scratch("Inbox/Third.eml")), Mail({"Subject: Third"}));
}

// A message named "temp2.eml" after its subject must survive the next message's working file.
TEST_F(EmlNamingTest, WorkingFilesNeverTruncateEarlierMessages)
{
    const std::string first = Mail({"Subject: temp2"}, "first body\r\n");
    const std::string second = Mail({"Subject: Other"}, "second body\r\n");
    const std::string third = Mail({"Subject: temp3"}, "third body\r\n");
    StartRun("subject");
    WriteFolder("Inbox", {first, second, third});
    EXPECT_EQ(DirectoryNames(Scratch("Inbox")), (Names{"Other.eml", "temp2.eml", "temp3 (1).eml"}));
    EXPECT_EQ(ReadWholeFile(Scratch("Inbox/temp2.eml")), first);
    EXPECT_EQ(ReadWholeFile(Scratch("Inbox/Other.eml")), second);
    EXPECT_EQ(ReadWholeFile(Scratch("Inbox/temp3 (1).eml")), third);
}

}  // namespace
}  // namespace eml_test
