#include "engine/error_recovery.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "tests/engine/support/recording_front_end.h"

using engine::AskErrorChoice;
using engine::ErrorChoice;
using enginetest::RecordingFrontEnd;

namespace {

class ErrorRecovery : public testing::Test {
protected:
    void SetUp() override { engine::ResetErrorMemory(); }
    void TearDown() override { engine::ResetErrorMemory(); }

    ErrorChoice Ask(bool file_level, ErrorChoice answer, bool after_all = false)
    {
        front_end.Answer(answer, after_all);
        return AskErrorChoice(file_level, "Inbox", front_end);
    }

    RecordingFrontEnd front_end;
};

TEST_F(ErrorRecovery, TheFirstQuestionOffersRetryAndCarriesTheFailingStepsCode)
{
    platform::SetLastError(ENOSPC);
    front_end.Answer(ErrorChoice::SkipMail);
    EXPECT_EQ(AskErrorChoice(false, "Sent Items", front_end), ErrorChoice::SkipMail);
    ASSERT_EQ(front_end.questions.size(), 1u);
    EXPECT_EQ(front_end.questions[0].code, ENOSPC);
    EXPECT_EQ(front_end.questions[0].default_choice, ErrorChoice::Retry);
    EXPECT_EQ(front_end.questions[0].folder, "Sent Items");
    EXPECT_FALSE(front_end.questions[0].file_level);
    // The confirmed answer is offered next time.
    Ask(false, ErrorChoice::AbortProcessing);
    EXPECT_EQ(front_end.questions[1].default_choice, ErrorChoice::SkipMail);
    Ask(false, ErrorChoice::Retry);
    EXPECT_EQ(front_end.questions[2].default_choice, ErrorChoice::AbortProcessing);
}

TEST_F(ErrorRecovery, AfterAllSkipFolderAnswersEveryLaterErrorOfTheRunWithoutAsking)
{
    EXPECT_EQ(Ask(false, ErrorChoice::SkipFolder, true), ErrorChoice::SkipFolder);
    EXPECT_EQ(AskErrorChoice(false, "Inbox", front_end), ErrorChoice::SkipFolder);
    EXPECT_EQ(AskErrorChoice(true, "Inbox", front_end), ErrorChoice::SkipFolder);
    EXPECT_EQ(front_end.questions.size(), 1u);
}

TEST_F(ErrorRecovery, AfterAllSkipMailStillAsksWhenAFileCannotBeOpened)
{
    EXPECT_EQ(Ask(false, ErrorChoice::SkipMail, true), ErrorChoice::SkipMail);
    EXPECT_EQ(AskErrorChoice(false, "Inbox", front_end), ErrorChoice::SkipMail);
    ASSERT_EQ(front_end.questions.size(), 1u);

    // File level: asked, with Retry offered instead of the SkipMail that cannot be chosen there.
    EXPECT_EQ(Ask(true, ErrorChoice::SkipFolder), ErrorChoice::SkipFolder);
    ASSERT_EQ(front_end.questions.size(), 2u);
    EXPECT_TRUE(front_end.questions[1].file_level);
    EXPECT_EQ(front_end.questions[1].default_choice, ErrorChoice::Retry);
    // Confirmed with OK: the After All answer stays.
    EXPECT_EQ(AskErrorChoice(false, "Inbox", front_end), ErrorChoice::SkipMail);
    EXPECT_EQ(front_end.questions.size(), 2u);
}

TEST_F(ErrorRecovery, AFileLevelQuestionTurnsASkipMailDefaultIntoRetry)
{
    Ask(false, ErrorChoice::SkipMail);
    front_end.Answer(ErrorChoice::AbortProcessing);
    AskErrorChoice(true, "Inbox", front_end);
    EXPECT_EQ(front_end.questions[1].default_choice, ErrorChoice::Retry);
    // A file-level question answered with nothing keeps Retry as the default from then on.
    Ask(false, ErrorChoice::SkipMail);
    AskErrorChoice(true, "Inbox", front_end);
    EXPECT_EQ(engine::DefaultErrorChoice(), ErrorChoice::Retry);
}

TEST_F(ErrorRecovery, OnlySkipAnswersAreRemembered)
{
    EXPECT_EQ(Ask(false, ErrorChoice::Retry, true), ErrorChoice::Retry);
    EXPECT_EQ(Ask(false, ErrorChoice::AbortProcessing, true), ErrorChoice::AbortProcessing);
    EXPECT_EQ(engine::AfterAllChoice(), ErrorChoice::NotShown);
    EXPECT_EQ(Ask(false, ErrorChoice::SkipMail), ErrorChoice::SkipMail);
    EXPECT_EQ(front_end.questions.size(), 3u);
}

TEST_F(ErrorRecovery, ANewRunAsksAgainWithTheAnswerConfirmedLast)
{
    Ask(false, ErrorChoice::SkipFolder, true);
    engine::ForgetAfterAllChoice();
    EXPECT_EQ(Ask(false, ErrorChoice::SkipMail), ErrorChoice::SkipMail);
    ASSERT_EQ(front_end.questions.size(), 2u);
    EXPECT_EQ(front_end.questions[1].default_choice, ErrorChoice::SkipFolder);
}

TEST_F(ErrorRecovery, AQuestionThatCouldNotBeAskedChangesNothing)
{
    Ask(false, ErrorChoice::SkipFolder);
    EXPECT_EQ(AskErrorChoice(false, "Inbox", front_end), ErrorChoice::NotShown);  // no answer scripted
    EXPECT_EQ(engine::DefaultErrorChoice(), ErrorChoice::SkipFolder);
    // An answer that is not offered counts as none: SkipMail at file level, or a value of no choice.
    EXPECT_EQ(Ask(true, ErrorChoice::SkipMail, true), ErrorChoice::NotShown);
    EXPECT_EQ(Ask(false, static_cast<ErrorChoice>(2), true), ErrorChoice::NotShown);
    EXPECT_EQ(engine::AfterAllChoice(), ErrorChoice::NotShown);
    EXPECT_EQ(engine::DefaultErrorChoice(), ErrorChoice::SkipFolder);
}

}  // namespace
