// The mbox writer skips over body lines that cannot need a ">" in long strides. Whatever the lines, the
// quoting mode and the way the text is cut into pieces, its output must be the one that looking at every
// line gives.
#include <gtest/gtest.h>

#include <cctype>
#include <random>
#include <string>
#include <vector>

#include "tests/plugins/common/writer_harness.h"

namespace {

// Body lines whose first bytes put every rule to work, at every position relative to the strides.
std::string RandomBody(std::mt19937& random, size_t lines)
{
    static const char* const kStarts[] = {"From ", "from ",   "FROM:", ">From ", ">>from", "Fro", "F",   "f",
                                          ">",     "Fromage", "x",     "",       " From ", "\r",  "From"};
    std::string body;
    for (size_t i = 0; i < lines; ++i) {
        body += kStarts[random() % (sizeof kStarts / sizeof *kStarts)];
        body += std::string(random() % 40, static_cast<char>('a' + random() % 26));
        if (random() % 7 == 0) body += 'F';  // an 'F' inside a line is never quoted
        body += random() % 5 == 0 ? "\n" : "\r\n";
    }
    switch (random() % 3) {
    case 0:
        body += "From the end, without a line end";
        break;
    case 1:
        body += "the end, without a line end";
        break;
    }
    return body;
}

bool NeedsQuote(const std::string& mode, const std::string& line)
{
    if (mode == "pass-through") return false;
    if (mode == "from-quoting") return line.compare(0, 5, "From ") == 0;
    size_t quotes = line.find_first_not_of('>');
    if (quotes == std::string::npos || quotes + 4 > line.size()) return false;
    std::string word = line.substr(quotes, 4);
    for (char& c : word) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return word == "from";
}

std::string QuotedBody(const std::string& mode, const std::string& body)
{
    std::string out;
    for (size_t at = 0; at < body.size();) {
        size_t end = body.find('\n', at);
        end = end == std::string::npos ? body.size() : end + 1;
        std::string line = body.substr(at, end - at);
        if (NeedsQuote(mode, line)) out += '>';
        out += line;
        at = end;
    }
    return out;
}

class MboxLineScan : public writer_test::WriterTest {
protected:
    const char* WriterName() const override { return "Dovanmbox"; }
};

TEST_F(MboxLineScan, EveryModeAndCutGivesTheLineByLineOutput)
{
    std::mt19937 random(11);
    const std::string header = "From: Someone <a@example.org>\r\nSubject: lines\r\n\r\n";
    for (const std::string mode : {"from-quoting", "ignore-case", "pass-through"}) {
        for (int round = 0; round < 40; ++round) {
            SCOPED_TRACE(mode + ", round " + std::to_string(round));
            std::string body = RandomBody(random, 1 + random() % 300);
            std::string text = header + body;
            std::vector<size_t> cuts;
            size_t piece = 1 + random() % (round % 2 ? 2048 : 64);
            for (size_t at = piece; at < text.size(); at += 1 + random() % piece) cuts.push_back(at);

            std::string destination = Scratch("run" + std::to_string(round) + mode);
            ASSERT_EQ(writer_test::RunCommand("mkdir -p '" + destination + "'"), 0);
            ASSERT_EQ(writer_.SetSetting(mode.c_str()), 1);
            ASSERT_EQ(writer_.StartConvert(destination.c_str()), 1);
            ASSERT_EQ(writer_.NewFolder("Inbox"), 1);
            // Twice: nothing of a message's last line carries over into the next message.
            ASSERT_TRUE(writer_test::PassMessage(writer_, MessageKindMail, writer_test::CutAt(text, cuts)));
            ASSERT_TRUE(writer_test::PassMessage(writer_, MessageKindMail, writer_test::CutAt(text, cuts)));
            ASSERT_EQ(writer_.FinishFolder(), 1);
            ASSERT_EQ(writer_.FinishConvert(), 1);

            std::string output = writer_test::ReadWholeFile(destination + "/Inbox.mbx");
            size_t from_line_end = output.find("\r\n");
            ASSERT_NE(from_line_end, std::string::npos);
            EXPECT_EQ(output.compare(0, 19, "From a@example.org "), 0);
            std::string message = header + QuotedBody(mode, body) + "\r\n";
            EXPECT_TRUE(output.substr(from_line_end + 2) == message + output.substr(0, from_line_end + 2) + message);
        }
    }
}

}  // namespace
