// --recover on the command line: the flag in any position, and the summary of what it found, folder by folder.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/run_report.h"
#include "tests/cli/language_guard.h"

namespace {

TEST(RecoveryOption, TheFlagIsTakenAnywhereAndOnlyByConvert)
{
    const std::vector<std::vector<const char*>> lines = {
        {"dovan", "convert", "--recover", "--format", "mbox", "/a", "/b"},
        {"dovan", "convert", "--format", "mbox", "/a", "/b", "--recover"},
    };
    for (const std::vector<const char*>& arguments : lines) {
        cli::CommandLine line;
        std::string error;
        ASSERT_TRUE(cli::ParseCommandLine(static_cast<int>(arguments.size()), arguments.data(), line, error)) << error;
        EXPECT_TRUE(line.recover);
        EXPECT_EQ(line.source, "/a");
    }
    const char* without[] = {"dovan", "convert", "--format", "mbox", "/a", "/b"};
    cli::CommandLine line;
    std::string error;
    ASSERT_TRUE(cli::ParseCommandLine(6, without, line, error));
    EXPECT_FALSE(line.recover);
    const char* misplaced[] = {"dovan", "formats", "--recover"};
    EXPECT_FALSE(cli::ParseCommandLine(3, misplaced, line, error));
}

TEST(RecoveryOption, TheSummaryCountsRecoveredMessagesFolderByFolder)
{
    test_support::LanguageGuard english("C");
    cli::RunReport report;
    cli::NoteMessagesRecovered(report, "Inbox", 0, true);
    EXPECT_EQ(cli::RenderRecoveryReport(report), "Nothing was found outside the indexes to recover.\n");
    cli::NoteMessagesRecovered(report, "Deleted Items", 3, true);
    cli::NoteMessagesRecovered(report, "Sent", 1, false);
    EXPECT_EQ(cli::RenderRecoveryReport(report),
              "Recovered from outside the index: 4 message(s), each in a folder \"NAME (recovered)\":\n"
              "  Deleted Items: 3\n"
              "  Sent: 1\n"
              "  Sent: the search stopped short (too many blocks, or a read failed)\n");
    // Recovery alone is nothing skipped or damaged.
    EXPECT_EQ(cli::RenderRunReport(report), "");

    cli::RunReport cut_short;
    cli::NoteMessagesRecovered(cut_short, "Inbox", 0, false);
    EXPECT_EQ(cli::RenderRecoveryReport(cut_short),
              "Recovered from outside the index: 0 message(s), each in a folder \"NAME (recovered)\":\n"
              "  Inbox: the search stopped short (too many blocks, or a read failed)\n");
}

}  // namespace
