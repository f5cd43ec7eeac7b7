// The live line fits the terminal whatever the folder is called, and no file name can reach the terminal as
// a control sequence.
#include "cli/progress_line.h"

#include <gtest/gtest.h>

namespace {

TEST(ProgressLine, ShowsPositionNameBarAndPercent)
{
    EXPECT_EQ(cli::RenderProgressLine("3 / 12", "Inbox", 40, 80), "3 / 12  Inbox  [########------------]  40%");
    EXPECT_EQ(cli::RenderProgressLine("1 / 1", "a", 0, 80), "1 / 1  a  [--------------------]   0%");
    EXPECT_EQ(cli::RenderProgressLine("1 / 1", "a", 100, 80), "1 / 1  a  [####################] 100%");
    EXPECT_EQ(cli::RenderProgressLine("1 / 1", "a", 250, 80), "1 / 1  a  [####################] 100%");
    EXPECT_EQ(cli::RenderProgressLine("1 / 1", "a", 40, 45), "1 / 1  a  [####------]  40%");
}

TEST(ProgressLine, NeverWiderThanTheTerminal)
{
    std::string long_name(300, 'x');
    for (size_t columns : {0u, 1u, 5u, 20u, 39u, 40u, 60u, 80u, 200u}) {
        std::string line = cli::RenderProgressLine("10 / 12", long_name, 55, columns);
        EXPECT_LE(cli::DisplayWidth(line), columns > 0 ? columns - 1 : 0) << columns;
    }
    std::string line = cli::RenderProgressLine("1 / 2", long_name, 55, 80);
    EXPECT_NE(line.find("xxx...  ["), std::string::npos) << line;
    EXPECT_NE(line.find(" 55%"), std::string::npos) << "the percentage survives a long name";

    std::string wide = cli::RenderProgressLine("1 / 2", "受信トレイ受信トレイ受信トレイ受信トレイ受信トレイ", 10, 50);
    EXPECT_LE(cli::DisplayWidth(wide), 49u);
}

TEST(ProgressLine, WidthCountsWideCharactersTwiceAndCutsWholeCharacters)
{
    EXPECT_EQ(cli::DisplayWidth("Inbox"), 5u);
    EXPECT_EQ(cli::DisplayWidth("受信トレイ"), 10u);
    EXPECT_EQ(cli::DisplayWidth("Café"), 4u);
    EXPECT_EQ(cli::FitToWidth("受信トレイ", 10), "受信トレイ");
    EXPECT_EQ(cli::FitToWidth("受信トレイ", 8), "受信...");  // never half a character
    EXPECT_EQ(cli::FitToWidth("abcdef", 5), "ab...");
    EXPECT_EQ(cli::FitToWidth("abcdef", 2), "..");
}

TEST(ProgressLine, FolderNamesAreMadePrintable)
{
    EXPECT_EQ(cli::PrintableText("In\x1b[2Jbox"), "In?[2Jbox");
    EXPECT_EQ(cli::PrintableText("a\rb\nc\td\x7f"), "a?b?c?d?");
    EXPECT_EQ(cli::PrintableText("\xe5\x8f\x97\xe4\xbf\xa1"), "受信");
    EXPECT_EQ(cli::PrintableText("\xe5\x8f"), "??");  // a cut sequence
    EXPECT_EQ(cli::PrintableText("\xc2\x9b"
                                 "31m"),
              "?31m");                                // the 8-bit control sequence introducer
    EXPECT_EQ(cli::PrintableText("\xc0\xaf"), "??");  // an overlong slash
    EXPECT_EQ(cli::RenderFolderLine("2 / 3", "Sent\x1b]0;x\x07"), "2 / 3  Sent?]0;x?");
    EXPECT_EQ(cli::RenderProgressLine("1 / 1", "a\x1b", 0, 80).find('\x1b'), std::string::npos);
}

}  // namespace
