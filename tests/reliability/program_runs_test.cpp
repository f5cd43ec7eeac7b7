// The built dovan on a failing disk and on hostile names: the fault plan reaches the program and every writer
// module through the environment, and what the program reports matches what is on disk.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstring>
#include <filesystem>
#include <regex>
#include <string>

#include "tests/engine/support/scratch.h"
#include "tests/reliability/support/output_reading.h"

namespace fs = std::filesystem;

namespace reliability {
namespace {

const std::string kProgram = std::string(DOVAN_BUILD_DIR) + "/bin/dovan";

struct ProgramRun {
    int status = -1;
    std::string output;
    long converted = -1;  // from "N message(s) were converted."
};

ProgramRun RunProgram(const enginetest::Scratch& scratch, const std::string& environment, const std::string& arguments)
{
    std::string log = scratch.Path("program.log");
    std::string command =
        "env LANG=C " + environment + " '" + kProgram + "' " + arguments + " </dev/null >'" + log + "' 2>&1";
    ProgramRun run;
    int status = std::system(command.c_str());
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.output = FileBytes(log);
    std::smatch match;
    if (std::regex_search(run.output, match, std::regex("([0-9]+) message\\(s\\) were converted")))
        run.converted = std::stol(match[1]);
    return run;
}

class ProgramRuns : public testing::Test {
protected:
    void SetUp() override
    {
        if (!fs::exists(kProgram)) GTEST_SKIP() << "dovan is not built";
        scratch_.Store("store/Inbox.dbx", enginetest::Mails({"Subject: one\r\n\r\n1\r\n", "Subject: two\r\n\r\n2\r\n",
                                                             "Subject: three\r\n\r\n3\r\n"}));
        scratch_.Store("store/..dbx", enginetest::Mails({"Subject: ../../up\r\n\r\nup\r\n"}));
    }

    std::string Arguments(const std::string& format, const std::string& on_error, const std::string& destination)
    {
        return "convert --format " + format + " --on-error " + on_error + " '" + scratch_.Path("store") + "' '" +
               destination + "'";
    }

    enginetest::Scratch scratch_;
};

TEST_F(ProgramRuns, AFileThatCannotBeCreatedIsSkippedAndLeftOutOfTheCount)
{
    std::string destination = scratch_.Path("out");
    // The second message file of the run cannot be created: "two" of Inbox (folder ".=" comes first).
    ProgramRun run = RunProgram(scratch_, "DOVAN_FAULTS=create:3:ENOSPC", Arguments("eml", "skip-mail", destination));
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(run.converted, 3) << run.output;
    FolderMessages output = ReadOutput(Format::Eml, destination);
    ASSERT_EQ(output.size(), 2u) << run.output;
    EXPECT_EQ(output[".="].size(), 1u);
    EXPECT_EQ(output["Inbox"].size(), 2u);
    EXPECT_NE(run.output.find("Inbox"), std::string::npos) << "the skipped message is not reported";
}

TEST_F(ProgramRuns, AFullDiskStopsAnUnattendedRunWithNothingCountedThatIsNotWritten)
{
    std::string destination = scratch_.Path("out");
    // Without a terminal the answer is Abort: the run stops at its first failure and says so.
    ProgramRun run = RunProgram(scratch_, "DOVAN_FAULTS=write:2+:ENOSPC", Arguments("mbox", "abort", destination));
    EXPECT_EQ(run.status, 3) << run.output;
    EXPECT_EQ(run.converted, -1) << run.output;
    size_t whole = 0;
    for (const auto& [folder, messages] : ReadOutput(Format::Mbox, destination)) whole += messages.size();
    EXPECT_LE(whole, 1u) << run.output;

    // The same run without the fault converts everything, the ".." folder inside the destination.
    ProgramRun again = RunProgram(scratch_, "", Arguments("mbox", "abort", destination));
    EXPECT_EQ(again.status, 0) << again.output;
    EXPECT_EQ(again.converted, 4);
    EXPECT_TRUE(fs::exists(destination + "/.=.mbx"));
    EXPECT_TRUE(fs::exists(destination + "/Inbox.mbx"));
}

TEST_F(ProgramRuns, ADestinationThatCannotBeMadeIsReportedWithItsReason)
{
    ProgramRun run =
        RunProgram(scratch_, "DOVAN_FAULTS=mkdir:1+:EACCES", Arguments("bmf", "abort", scratch_.Path("new/out")));
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_NE(run.output.find("Could not create a directory."), std::string::npos) << run.output;
    EXPECT_NE(run.output.find(std::strerror(EACCES)), std::string::npos) << run.output;
    EXPECT_FALSE(fs::exists(scratch_.Path("new")));
}

}  // namespace
}  // namespace reliability
