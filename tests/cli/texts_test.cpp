// Every text of the command line exists in both languages, and the language follows the locale variables.
#include "cli/texts.h"

#include <gtest/gtest.h>

#include "tests/cli/language_guard.h"

namespace {

TEST(Texts, EveryTextExistsInBothLanguages)
{
    for (const char* lang : {"C", "ja_JP.UTF-8"}) {
        test_support::LanguageGuard guard(lang);
        for (int id = static_cast<int>(cli::Text::Help); id <= static_cast<int>(cli::Text::DamagedHeading); ++id)
            EXPECT_STRNE(cli::CliText(static_cast<cli::Text>(id)), "") << lang << " text " << id;
    }
}

TEST(Texts, LanguageFollowsTheFirstSetVariable)
{
    test_support::LanguageGuard guard("ja_JP.UTF-8");
    EXPECT_STREQ(cli::CliText(cli::Text::Stopped), "変換を中止しました。");
    setenv("LC_MESSAGES", "en_GB.UTF-8", 1);
    EXPECT_STREQ(cli::CliText(cli::Text::Stopped), "The conversion was stopped.");
    setenv("LC_ALL", "ja_JP.eucJP", 1);
    EXPECT_STREQ(cli::CliText(cli::Text::Stopped), "変換を中止しました。");
}

TEST(Texts, FormattingFillsEachPlaceholderInTurn)
{
    test_support::LanguageGuard guard("C");
    EXPECT_EQ(cli::FormatCliText(cli::Text::BadSetting, "99x", "bmf"),
              "The setting \"99x\" is not valid for the format bmf.");
    EXPECT_EQ(cli::FormatCliText(cli::Text::UnknownFormat, "%s%s"), "Unknown format \"%s%s\".");
    EXPECT_EQ(cli::FormatCliText(cli::Text::SkippedMessages, "Inbox"), "  Inbox: message(s) ");
}

}  // namespace
