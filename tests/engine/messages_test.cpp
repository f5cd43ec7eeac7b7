#include "engine/messages.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <set>

#include "tests/engine/support/language.h"

using engine::FormatMessageNumber;
using engine::FormatMessageText;
using engine::LoadMessage;
using enginetest::LanguageScope;

namespace {

const int kIds[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12, 13, 14};

TEST(Messages, EveryIdHasItsOwnTextInBothLanguagesAndNoOtherIdHasOne)
{
    for (const char* language : {"C", "ja_JP.UTF-8"}) {
        LanguageScope scope(language);
        std::set<std::string> texts;
        for (int id : kIds) {
            std::string text = LoadMessage(id);
            EXPECT_FALSE(text.empty()) << language << " id " << id;
            texts.insert(text);
            // Every English text fits the 128-byte buffers of the Windows program.
            if (language[0] == 'C') {
                EXPECT_LE(text.size(), 127u) << id;
            }
        }
        EXPECT_EQ(texts.size(), std::size(kIds)) << language;
        for (int id : {0, 11, 15, -1}) EXPECT_EQ(LoadMessage(id), "") << id;
    }
}

TEST(Messages, TheLanguageFollowsTheLocaleVariables)
{
    {
        LanguageScope scope("ja_JP.UTF-8");
        EXPECT_EQ(LoadMessage(1), "変換対象の dbx ファイルがありません。");
        EXPECT_EQ(LoadMessage(4), "本当に中止してよろしいですか。");
    }
    for (const char* other : {"de_DE.UTF-8", "C", "en_US.UTF-8"}) {
        LanguageScope scope(other);
        EXPECT_EQ(LoadMessage(1), "No dbx files to convert.") << other;
        EXPECT_EQ(LoadMessage(4), "Are you sure you want to abort conversion?") << other;
    }
}

TEST(Messages, NumbersAndTextsAreFilledIn)
{
    {
        LanguageScope scope("C");
        EXPECT_EQ(FormatMessageNumber(5, 42), "42 message(s) were converted.");
        EXPECT_EQ(FormatMessageNumber(5, 0), "0 message(s) were converted.");
        EXPECT_EQ(FormatMessageText(12, "/home/me/mail"),
                  "The default destination folder of selected format is /home/me/mail.\r\nDo you want to change it?");
        // A path holding a percent sign is taken as it is, not as another format.
        EXPECT_EQ(FormatMessageText(12, "/a%d/b"),
                  "The default destination folder of selected format is /a%d/b.\r\nDo you want to change it?");
    }
    LanguageScope scope("ja_JP.UTF-8");
    EXPECT_EQ(FormatMessageNumber(5, 42), "42 個のメッセージを変換しました。");
    EXPECT_EQ(FormatMessageText(12, "C:\\Mail"),
              "この出力形式の標準の変換先フォルダは C:\\Mail です。\r\n変更しますか？");
}

TEST(Messages, TheSystemTextGoesOnTheNextLine)
{
    LanguageScope scope("C");
    std::string system_text = platform::ErrorText(ENOENT);
    ASSERT_FALSE(system_text.empty());
    EXPECT_EQ(engine::MessageWithErrorText(LoadMessage(2), ENOENT), "Could not create a directory.\r\n" + system_text);
    // No system text for the code: the message alone, without an empty line.
    EXPECT_EQ(engine::MessageWithErrorText(LoadMessage(3), 0), "Failed to convert.");
}

}  // namespace
