// The calls a writer receives when one of its calls fails, for every answer to the error question.
#include <gtest/gtest.h>

#include "engine/conversion_run.h"
#include "tests/engine/support/language.h"
#include "tests/engine/support/recorded_plugin.h"
#include "tests/engine/support/recording_front_end.h"
#include "tests/engine/support/scratch.h"

using engine::ErrorChoice;
using Trace = std::vector<std::string>;

namespace {

struct FailureCase {
    const char* failing;  // the entry point whose first call fails
    ErrorChoice answer;
    Trace calls;    // what the writer receives after StartConvert
    int converted;  // the summary's count; -1 when the run stops without one
};

// One folder, Inbox, of two messages: "A\r\n" and "BB\r\n".
const Trace kFirst{"NewMessage 1", "AppendBuffer 3", "FinishMessage"};
const Trace kSecond{"NewMessage 1", "AppendBuffer 4", "FinishMessage"};

Trace Join(std::initializer_list<Trace> parts)
{
    Trace joined;
    for (const Trace& part : parts) joined.insert(joined.end(), part.begin(), part.end());
    return joined;
}

std::vector<FailureCase> Cases()
{
    const ErrorChoice retry = ErrorChoice::Retry, mail = ErrorChoice::SkipMail, folder = ErrorChoice::SkipFolder,
                      stop = ErrorChoice::AbortProcessing;
    const Trace nf_failed{"NewFolder Inbox FAILED"}, nf{"NewFolder Inbox"};
    const Trace nm_failed{"NewFolder Inbox", "NewMessage 1 FAILED"};
    const Trace ab_failed{"NewFolder Inbox", "NewMessage 1", "AppendBuffer 3 FAILED"};
    const Trace fm_failed{"NewFolder Inbox", "NewMessage 1", "AppendBuffer 3", "FinishMessage FAILED"};
    const Trace end{"FinishFolder", "FinishConvert"}, stopped{"FinishConvert", "FinishFolder"};
    return {
        {"NewFolder", retry, Join({nf_failed, nf, kFirst, kSecond, end}), 2},
        {"NewFolder", mail, Join({nf_failed, nf, kSecond, end}), 1},
        {"NewFolder", folder, Join({nf_failed, {"FinishConvert"}}), 0},
        {"NewFolder", stop, Join({nf_failed, {"FinishConvert"}}), -1},
        {"NewMessage", retry, Join({nm_failed, kFirst, kSecond, end}), 2},
        {"NewMessage", mail, Join({nm_failed, kSecond, end}), 1},
        {"NewMessage", folder, Join({nm_failed, end}), 0},
        {"NewMessage", stop, Join({nm_failed, stopped}), -1},
        {"AppendBuffer", retry, Join({ab_failed, {"FinishMessage"}, kFirst, kSecond, end}), 2},
        {"AppendBuffer", mail, Join({ab_failed, {"FinishMessage"}, kSecond, end}), 1},
        {"AppendBuffer", folder, Join({ab_failed, {"FinishMessage"}, end}), 0},
        {"AppendBuffer", stop, Join({ab_failed, {"FinishConvert", "FinishMessage", "FinishFolder"}}), -1},
        {"FinishMessage", retry, Join({fm_failed, kFirst, kSecond, end}), 2},
        {"FinishMessage", mail, Join({fm_failed, kSecond, end}), 1},
        {"FinishMessage", folder, Join({fm_failed, end}), 0},
        {"FinishMessage", stop, Join({fm_failed, stopped}), -1},
    };
}

std::string CaseName(const testing::TestParamInfo<FailureCase>& info)
{
    const char* answer = info.param.answer == ErrorChoice::Retry        ? "Retry"
                         : info.param.answer == ErrorChoice::SkipMail   ? "SkipMail"
                         : info.param.answer == ErrorChoice::SkipFolder ? "SkipFolder"
                                                                        : "AbortProcessing";
    return std::string(info.param.failing) + "_" + answer;
}

class CallingOrder : public testing::TestWithParam<FailureCase> {};

TEST_P(CallingOrder, FollowsTheAnswerToAFailedCall)
{
    const FailureCase& failure = GetParam();
    enginetest::LanguageScope language("C");
    enginetest::Scratch scratch;
    enginetest::RecordedPlugin recorded;
    enginetest::RecordingFrontEnd front_end;
    scratch.Store("source/Inbox.dbx", enginetest::Mails({"A\r\n", "BB\r\n"}));
    recorded.Fail(failure.failing, 1, ENOSPC);
    front_end.Answer(failure.answer);

    engine::RunOutcome outcome = engine::RunConversion(scratch.Path("source").c_str(), scratch.Path("out").c_str(),
                                                       recorded.plugin(), front_end);

    EXPECT_EQ(recorded.Trace(), Join({{"StartConvert"}, failure.calls}));
    ASSERT_EQ(front_end.questions.size(), 1u);
    EXPECT_EQ(front_end.questions[0].code, static_cast<platform::ErrorCode>(ENOSPC));
    EXPECT_EQ(front_end.questions[0].folder, "Inbox");
    if (failure.converted < 0) {
        EXPECT_EQ(outcome, engine::RunOutcome::Stopped);
        EXPECT_TRUE(front_end.messages.empty());
    } else {
        EXPECT_EQ(outcome, engine::RunOutcome::Completed);
        EXPECT_EQ(front_end.messages, Trace{std::to_string(failure.converted) + " message(s) were converted."});
    }
}

INSTANTIATE_TEST_SUITE_P(EveryAnswer, CallingOrder, testing::ValuesIn(Cases()), CaseName);

}  // namespace
