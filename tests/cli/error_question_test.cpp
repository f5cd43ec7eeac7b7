// The error question on a terminal offers what the error dialog offers, with the same default and the same
// limits on After All.
#include "cli/error_question.h"

#include <gtest/gtest.h>

#include "tests/cli/language_guard.h"

namespace {

using engine::ErrorChoice;

engine::ErrorQuestion Question(bool file_level, ErrorChoice default_choice)
{
    engine::ErrorQuestion question;
    question.file_level = file_level;
    question.folder_name = "Sent Items";
    question.code = 5;
    question.default_choice = default_choice;
    return question;
}

engine::ErrorAnswer Answer(const std::string& line, const engine::ErrorQuestion& question, bool* ok = nullptr)
{
    engine::ErrorAnswer answer;
    bool parsed = cli::ParseErrorAnswer(line, question, answer);
    if (ok) *ok = parsed;
    return answer;
}

TEST(ErrorQuestion, LettersChooseAndEnterTakesTheDefault)
{
    engine::ErrorQuestion question = Question(false, ErrorChoice::SkipFolder);
    EXPECT_EQ(Answer("", question).choice, ErrorChoice::SkipFolder);
    EXPECT_EQ(Answer("r", question).choice, ErrorChoice::Retry);
    EXPECT_EQ(Answer(" M ", question).choice, ErrorChoice::SkipMail);
    EXPECT_EQ(Answer("f", question).choice, ErrorChoice::SkipFolder);
    EXPECT_EQ(Answer("p", question).choice, ErrorChoice::AbortProcessing);
    EXPECT_FALSE(Answer("m", question).after_all);
    for (const char* bad : {"x", "rr", "retry", "mb", "1"}) {
        bool ok = true;
        Answer(bad, question, &ok);
        EXPECT_FALSE(ok) << bad;
    }
}

TEST(ErrorQuestion, AfterAllOnlyForSkipAnswers)
{
    engine::ErrorQuestion question = Question(false, ErrorChoice::SkipMail);
    engine::ErrorAnswer answer = Answer("ma", question);
    EXPECT_EQ(answer.choice, ErrorChoice::SkipMail);
    EXPECT_TRUE(answer.after_all);
    answer = Answer("F A", question);
    EXPECT_EQ(answer.choice, ErrorChoice::SkipFolder);
    EXPECT_TRUE(answer.after_all);
    answer = Answer("a", question);  // the After All button with the default selected
    EXPECT_EQ(answer.choice, ErrorChoice::SkipMail);
    EXPECT_TRUE(answer.after_all);

    bool ok = true;
    Answer("ra", question, &ok);
    EXPECT_FALSE(ok);
    Answer("pa", question, &ok);
    EXPECT_FALSE(ok);
    Answer("a", Question(false, ErrorChoice::Retry), &ok);  // the button is disabled with Retry selected
    EXPECT_FALSE(ok);
}

TEST(ErrorQuestion, FileLevelErrorLeavesOutSkipMail)
{
    test_support::LanguageGuard english("C");
    engine::ErrorQuestion question = Question(true, ErrorChoice::SkipMail);
    EXPECT_EQ(cli::EffectiveDefault(question), ErrorChoice::Retry);
    EXPECT_EQ(Answer("", question).choice, ErrorChoice::Retry);
    bool ok = true;
    Answer("m", question, &ok);
    EXPECT_FALSE(ok);
    Answer("ma", question, &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(Answer("fa", question).choice, ErrorChoice::SkipFolder);

    std::string text = cli::RenderErrorQuestion(question, "Input/output error");
    EXPECT_EQ(text.find("Skip current Mail"), std::string::npos);
    EXPECT_NE(text.find("r  Retry  (default)"), std::string::npos) << text;
    EXPECT_NE(text.find("f  Skip current Folder and continue\n"), std::string::npos) << text;
}

TEST(ErrorQuestion, ShowsFolderSystemTextAndDefault)
{
    test_support::LanguageGuard english("C");
    std::string text = cli::RenderErrorQuestion(Question(false, ErrorChoice::SkipFolder), "No space left on device");
    EXPECT_EQ(text.rfind("Conversion Error\n", 0), 0u) << text;
    EXPECT_NE(text.find("A following error ocurreed while processing folder Sent Items\n"), std::string::npos);
    EXPECT_NE(text.find("    No space left on device\n"), std::string::npos);
    EXPECT_NE(text.find("Please select what to do.\n"), std::string::npos);
    EXPECT_NE(text.find("m  Skip current Mail and continue\n"), std::string::npos);
    EXPECT_NE(text.find("f  Skip current Folder and continue  (default)\n"), std::string::npos);
    EXPECT_NE(text.find("p  Abort Processing\n"), std::string::npos);
    EXPECT_NE(text.find("After All"), std::string::npos);

    test_support::LanguageGuard japanese("ja_JP.UTF-8");
    text = cli::RenderErrorQuestion(Question(false, ErrorChoice::Retry), "");
    EXPECT_NE(text.find("変換エラー"), std::string::npos);
    EXPECT_NE(text.find("フォルダ Sent Items の処理中に以下のエラーが発生しました。"), std::string::npos);
    EXPECT_NE(text.find("r  再試行  (既定)"), std::string::npos) << text;
}

TEST(ErrorQuestion, YesNo)
{
    bool yes = true;
    EXPECT_TRUE(cli::ParseYesNo("", yes));
    EXPECT_FALSE(yes);  // No is the default
    EXPECT_TRUE(cli::ParseYesNo("Y", yes));
    EXPECT_TRUE(yes);
    EXPECT_TRUE(cli::ParseYesNo("yes", yes));
    EXPECT_TRUE(yes);
    EXPECT_TRUE(cli::ParseYesNo(" no", yes));
    EXPECT_FALSE(yes);
    EXPECT_FALSE(cli::ParseYesNo("maybe", yes));
}

}  // namespace
