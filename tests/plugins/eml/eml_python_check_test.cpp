// Every file the eml writer makes is read back by Python's email package as the message that was passed in.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/plugins/eml/eml_test_support.h"

namespace eml_test {
namespace {

class EmlPythonCheckTest : public EmlTest {};

std::string MessageWithId(int id, const std::string& subject)
{
    std::string header = "From: Ann <ann@example.org>\r\nTo: bob@example.org\r\nSubject: " + subject +
                         "\r\nMessage-ID: <" + std::to_string(id) + "@example.org>\r\n";
    if (id % 2 == 0) return header + "\r\nPlain body\r\n.\r\nFrom the body\r\n";
    return header +
           "MIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=\"b1\"\r\n\r\npreamble\r\n--b1\r\n"
           "Content-Type: text/plain\r\n\r\npart one\r\n--b1\r\nContent-Type: application/octet-stream\r\n"
           "Content-Transfer-Encoding: base64\r\n\r\nAAEC\r\n--b1--\r\n";
}

TEST_F(EmlPythonCheckTest, EveryFileParsesAsTheMessagePassedIn)
{
    if (!writer_test::HavePython()) GTEST_SKIP() << "no " << writer_test::kPython;
    std::string manifest;
    auto expect = [&manifest](const std::string& path, int id) {
        manifest += path + "\t<" + std::to_string(id) + "@example.org>\t" + (id % 2 == 0 ? "0" : "2") + "\n";
    };
    ASSERT_EQ(mkdir(Scratch("out").c_str(), 0777), 0);
    const char* const rules[] = {"sequence", "sequence-no-extension", "subject"};
    for (const char* rule : rules) {
        ASSERT_TRUE(writer_.SetSetting(rule));
        ASSERT_TRUE(writer_.StartConvert(Scratch("out").c_str()));
        std::vector<std::string> texts;
        std::string folder = std::string("by-") + rule;
        for (int id = 1; id <= 4; ++id) {
            texts.push_back(MessageWithId(id, id == 3 ? "Re: a/b? =?UTF-8?B?w6k=?=" : "same"));
            std::string name = rule == std::string("sequence")                ? "0000000" + std::to_string(id) + ".eml"
                               : rule == std::string("sequence-no-extension") ? std::to_string(id)
                               : id == 1                                      ? "same.eml"
                               : id == 2                                      ? "same (1).eml"
                               : id == 3                                      ? "Re= a=b= ==UTF-8=B=w6k===.eml"
                                                                              : "same (2).eml";
            expect(folder + "/" + name, id);
        }
        WriteFolder(folder, texts);
    }
    ASSERT_TRUE(writer_test::WriteWholeFile(Scratch("manifest.txt"), manifest));
    std::string command = std::string(writer_test::kPython) +
                          " '" DOVAN_SOURCE_DIR "/tests/plugins/eml/check_eml.py' '" + Scratch("out") + "' '" +
                          Scratch("manifest.txt") + "'";
    EXPECT_EQ(writer_test::RunCommand(command), 0) << command;
}

}  // namespace
}  // namespace eml_test
