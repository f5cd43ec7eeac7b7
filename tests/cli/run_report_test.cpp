// The end-of-run list of what was skipped and where the store was damaged.
#include "cli/run_report.h"

#include <gtest/gtest.h>

#include "tests/cli/language_guard.h"

namespace {

TEST(RunReport, MessageNumbersCountFromOneAndJoinRuns)
{
    EXPECT_EQ(cli::MessageNumberList({}), "");
    EXPECT_EQ(cli::MessageNumberList({0}), "1");
    EXPECT_EQ(cli::MessageNumberList({6, 4, 5, 1, 9, 4}), "2, 5-7, 10");
    EXPECT_EQ(cli::MessageNumberList({0xFFFFFFFFu, 0xFFFFFFFEu}), "4294967295-4294967296");
}

TEST(RunReport, ListsFoldersInTheOrderMet)
{
    test_support::LanguageGuard english("en_US.UTF-8");
    cli::RunReport report;
    EXPECT_EQ(cli::RenderRunReport(report), "");
    cli::NoteMessageSkipped(report, "Inbox", 3);
    cli::NoteFolderDamaged(report, "Drafts");
    cli::NoteMessageSkipped(report, "Inbox", 1);
    cli::NoteMessageSkipped(report, "Inbox", 2);
    cli::NoteFolderSkipped(report, "Inbox");
    cli::NoteFolderSkipped(report, "Sent Items");
    EXPECT_EQ(cli::RenderRunReport(report),
              "Skipped:\n"
              "  Inbox: message(s) 2-4\n"
              "  Inbox: the rest of the folder\n"
              "  Sent Items: the rest of the folder\n"
              "Damaged store files (messages past the damage could not be read):\n"
              "  Drafts\n");

    test_support::LanguageGuard japanese("ja_JP.UTF-8");
    std::string text = cli::RenderRunReport(report);
    EXPECT_NE(text.find("スキップしたもの:\n  Inbox: メッセージ 2-4\n"), std::string::npos) << text;
}

TEST(RunReport, DamageAloneIsReported)
{
    test_support::LanguageGuard english("C");
    cli::RunReport report;
    cli::NoteFolderDamaged(report, "Inbox");
    EXPECT_EQ(cli::RenderRunReport(report),
              "Damaged store files (messages past the damage could not be read):\n  Inbox\n");
}

}  // namespace
