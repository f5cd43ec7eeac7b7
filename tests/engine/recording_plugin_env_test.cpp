// The recording writer driven through the environment, as another process (the command line's tests) drives it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "engine/conversion_run.h"
#include "tests/engine/support/language.h"
#include "tests/engine/support/recorded_plugin.h"
#include "tests/engine/support/recording_front_end.h"
#include "tests/engine/support/scratch.h"

namespace {

class Environment {
public:
    Environment(const char* name, const std::string& value) : name_(name) { setenv(name, value.c_str(), 1); }
    ~Environment() { unsetenv(name_); }

private:
    const char* name_;
};

TEST(RecordingWriter, LogsAndFailsCallsAsTheEnvironmentSays)
{
    enginetest::LanguageScope language("C");
    enginetest::Scratch scratch;
    scratch.Store("source/Inbox.dbx", enginetest::Mails({"A\r\n", "B"}));
    Environment log("DOVAN_RECORD_LOG", scratch.Path("calls.log"));
    Environment fail("DOVAN_RECORD_FAIL", "NewMessage:2:28,FinishFolder:1");
    Environment delay("DOVAN_RECORD_DELAY_MS", "1");
    enginetest::RecordedPlugin recorded;  // reads the environment as it starts
    enginetest::RecordingFrontEnd front_end;
    front_end.Answer(engine::ErrorChoice::SkipMail);
    engine::RunConversion(scratch.Path("source").c_str(), scratch.Path("out").c_str(), recorded.plugin(), front_end);

    std::ifstream in(scratch.Path("calls.log"), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), "StartConvert " + scratch.Path("out") +
                              "\nNewFolder Inbox\nNewMessage 1\nAppendBuffer 3 410d0a\nFinishMessage\n"
                              "NewMessage 1 FAILED 28\nFinishFolder FAILED 5\nFinishConvert\n");
    ASSERT_EQ(front_end.questions.size(), 1u);
    EXPECT_EQ(front_end.questions[0].code, 28u);
}

}  // namespace
