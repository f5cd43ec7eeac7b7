#include "tests/plugins/mbox/mbox_test_support.h"

#include <regex>

namespace mbox_test {

std::string MboxTest::ConvertPieces(const std::vector<std::string>& pieces)
{
    EXPECT_EQ(writer_.StartConvert(scratch_.c_str()), 1);
    EXPECT_EQ(writer_.NewFolder("Inbox"), 1);
    EXPECT_TRUE(writer_test::PassMessage(writer_, MessageKindMail, pieces));
    EXPECT_EQ(writer_.FinishFolder(), 1);
    EXPECT_EQ(writer_.FinishConvert(), 1);
    return Output();
}

bool MboxTest::Convert(const std::vector<writer_test::SourceFolder>& folders, size_t piece_size)
{
    return writer_test::RunConversion(writer_, scratch_, folders, piece_size);
}

void MboxTest::UseSetting(const char* value) { ASSERT_EQ(writer_.SetSetting(value), 1) << value; }

std::string RunDate(const std::string& mbox)
{
    size_t line_end = mbox.find("\r\n");
    if (mbox.compare(0, 5, "From ") != 0 || line_end == std::string::npos || line_end < 25) return std::string();
    std::string date = mbox.substr(line_end - 25, 27);
    static const std::regex kShape(
        " (Sun|Mon|Tue|Wed|Thu|Fri|Sat) (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) "
        "[0-3][0-9] [0-2][0-9]:[0-5][0-9]:[0-6][0-9] [0-9]{4}\r\n");
    return std::regex_match(date, kShape) ? date : std::string();
}

std::string MboxMessage(const std::string& sender, const std::string& date, const std::string& text)
{
    return "From " + sender + date + text + "\r\n";
}

}  // namespace mbox_test
