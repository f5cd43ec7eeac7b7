#include "tests/plugins/eml/eml_test_support.h"

namespace eml_test {

void EmlTest::StartRun(const char* rule)
{
    ASSERT_TRUE(writer_.SetSetting(rule)) << rule;
    ASSERT_TRUE(writer_.StartConvert(Scratch().c_str()));
}

void EmlTest::WriteFolder(const std::string& name, const std::vector<std::string>& texts, uint32_t kind)
{
    ASSERT_TRUE(writer_.NewFolder(name.c_str())) << name;
    for (const std::string& text : texts)
        ASSERT_TRUE(writer_test::PassMessage(writer_, kind, writer_test::HostPieces(text, 2048)));
    ASSERT_TRUE(writer_.FinishFolder());
}

std::string Mail(const std::vector<std::string>& header_lines, const std::string& body)
{
    std::string text = "From: Ann <ann@example.org>\r\nTo: bob@example.org\r\n";
    for (const std::string& line : header_lines) text += line + "\r\n";
    text += "Message-ID: <1@example.org>\r\n\r\n" + body;
    return text;
}

}  // namespace eml_test
