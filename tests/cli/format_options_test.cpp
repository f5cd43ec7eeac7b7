// --from-date and --status-headers: parsed, checked, and handed to the format by name, or refused with the
// option's name when the format does not take it.
#include "cli/format_options.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

namespace {

bool ParseArguments(std::vector<const char*> arguments, cli::CommandLine& line, std::string& error)
{
    arguments.insert(arguments.begin(), {"dovan", "convert", "--format", "mbox"});
    arguments.insert(arguments.end(), {"/a", "/b"});
    return cli::ParseCommandLine(static_cast<int>(arguments.size()), arguments.data(), line, error);
}

using Options = std::vector<std::pair<std::string, std::string>>;

TEST(FormatOptions, ParsedIntoNamesAndValues)
{
    const struct {
        std::vector<const char*> arguments;
        bool ok;
        Options options;
    } kCases[] = {
        {{}, true, {}},
        {{"--from-date", "run"}, true, {{"from-date", "run"}}},
        {{"--from-date=message", "--status-headers"}, true, {{"from-date", "message"}, {"status-headers", "on"}}},
        {{"--status-headers"}, true, {{"status-headers", "on"}}},
        {{"--from-date", "Message"}, false, {}},
        {{"--from-date", ""}, false, {}},
        {{"--from-date"}, false, {}},
        {{"--status-headers=off"}, true, {}},  // a flag's own way of saying "not given"
    };
    for (const auto& one : kCases) {
        cli::CommandLine line;
        std::string error;
        bool ok = ParseArguments(one.arguments, line, error);
        EXPECT_EQ(ok, one.ok) << error;
        if (ok) {
            EXPECT_EQ(cli::GivenFormatOptions(line), one.options);
        }
    }
    cli::CommandLine line;
    std::string error;
    EXPECT_FALSE(ParseArguments({"--from-date", "today"}, line, error));
    EXPECT_NE(error.find("run, message"), std::string::npos) << error;
}

std::vector<std::string> g_handed;
int DOVAN_CALL TakeAllButStatusHeaders(const char* name, const char* value)
{
    g_handed.push_back(std::string(name) + "=" + value);
    if (std::string(name) != "status-headers") return 1;
    errno = EINVAL;
    return 0;
}

TEST(FormatOptions, HandedToTheFormatOrRefused)
{
    engine::WriterPlugin without;
    engine::WriterPlugin with;
    with.SetOption = TakeAllButStatusHeaders;
    cli::CommandLine line;
    std::string refused;

    EXPECT_TRUE(cli::ApplyFormatOptions(line, without, refused));  // nothing given: nothing asked
    line.from_date = "message";
    EXPECT_FALSE(cli::ApplyFormatOptions(line, without, refused));
    EXPECT_EQ(refused, "--from-date");

    g_handed.clear();
    EXPECT_TRUE(cli::ApplyFormatOptions(line, with, refused));
    line.status_headers = true;
    EXPECT_FALSE(cli::ApplyFormatOptions(line, with, refused));
    EXPECT_EQ(refused, "--status-headers");
    EXPECT_EQ(g_handed, (std::vector<std::string>{"from-date=message", "from-date=message", "status-headers=on"}));
}

}  // namespace
