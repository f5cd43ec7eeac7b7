// The command line as scripts type it: commands, options in any position, and every usage error.
#include "cli/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Parsed {
    bool ok = false;
    cli::CommandLine line;
    std::string error;
};

Parsed Parse(std::vector<const char*> arguments)
{
    arguments.insert(arguments.begin(), "dovan");
    Parsed parsed;
    parsed.ok = cli::ParseCommandLine(static_cast<int>(arguments.size()), arguments.data(), parsed.line, parsed.error);
    return parsed;
}

TEST(CommandLine, ConvertTakesEveryOptionInAnyOrder)
{
    Parsed parsed = Parse({"convert", "/store", "--setting", "subject", "--on-error", "skip-folder", "--format", "EML",
                           "/out", "--plugin-dir", "/plugins"});
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_EQ(parsed.line.command, cli::Command::Convert);
    EXPECT_EQ(parsed.line.format, "EML");
    EXPECT_TRUE(parsed.line.has_setting);
    EXPECT_EQ(parsed.line.setting, "subject");
    EXPECT_EQ(parsed.line.on_error, cli::OnError::SkipFolder);
    EXPECT_EQ(parsed.line.plugin_dir, "/plugins");
    EXPECT_EQ(parsed.line.source, "/store");
    EXPECT_EQ(parsed.line.destination, "/out");

    Parsed joined = Parse({"--plugin-dir=/p", "convert", "--format=mbox", "--setting=ignore-case", "a", "/b"});
    ASSERT_TRUE(joined.ok) << joined.error;
    EXPECT_EQ(joined.line.plugin_dir, "/p");
    EXPECT_TRUE(joined.line.has_setting);
    EXPECT_EQ(joined.line.setting, "ignore-case");
    EXPECT_EQ(joined.line.source, "a");  // made absolute later, not here
    EXPECT_EQ(joined.line.on_error, cli::OnError::NotGiven);
}

TEST(CommandLine, OnErrorValues)
{
    const std::pair<const char*, cli::OnError> known[] = {{"ask", cli::OnError::Ask},
                                                          {"skip-mail", cli::OnError::SkipMail},
                                                          {"skip-folder", cli::OnError::SkipFolder},
                                                          {"abort", cli::OnError::Abort}};
    for (const auto& [value, expected] : known) {
        Parsed parsed = Parse({"convert", "--format", "mbox", "--on-error", value, "/a", "/b"});
        ASSERT_TRUE(parsed.ok) << value;
        EXPECT_EQ(parsed.line.on_error, expected) << value;
    }
    for (const char* bad : {"Skip-Mail", "skip", "", "retry"}) {
        Parsed parsed = Parse({"convert", "--format", "mbox", "--on-error", bad, "/a", "/b"});
        EXPECT_FALSE(parsed.ok) << bad;
        EXPECT_NE(parsed.error.find("skip-folder"), std::string::npos) << "lists the valid values: " << parsed.error;
    }
}

TEST(CommandLine, HelpAndVersionWinOverMissingOperands)
{
    EXPECT_EQ(Parse({"--help"}).line.command, cli::Command::Help);
    EXPECT_EQ(Parse({"-h"}).line.command, cli::Command::Help);
    Parsed convert_help = Parse({"convert", "--help"});
    EXPECT_TRUE(convert_help.ok) << convert_help.error;
    EXPECT_EQ(convert_help.line.command, cli::Command::Help);
    EXPECT_EQ(Parse({"--version"}).line.command, cli::Command::Version);
    Parsed formats = Parse({"formats"});
    EXPECT_TRUE(formats.ok);
    EXPECT_EQ(formats.line.command, cli::Command::Formats);
}

TEST(CommandLine, UsageErrors)
{
    const std::vector<std::vector<const char*>> bad = {
        {},                                                       // no command
        {"transmogrify"},                                         // unknown command
        {"convert", "/a", "/b"},                                  // no format
        {"convert", "--format", "mbox", "/a"},                    // no destination
        {"convert", "--format", "mbox", "/a", "/b", "/c"},        // one operand too many
        {"convert", "--format", "mbox", "--colour", "/a", "/b"},  // unknown option
        {"convert", "--format"},                                  // option without its value
        {"formats", "extra"},
    };
    for (const auto& arguments : bad) {
        Parsed parsed = Parse(arguments);
        EXPECT_FALSE(parsed.ok) << (arguments.empty() ? "(nothing)" : arguments.back());
        EXPECT_FALSE(parsed.error.empty());
    }
}

}  // namespace
