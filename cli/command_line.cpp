#include "cli/command_line.h"

#include <CLI/CLI.hpp>

#include "cli/console.h"
#include "cli/texts.h"

namespace cli {
namespace {

bool ParseOnError(const std::string& value, OnError& on_error)
{
    static const struct {
        const char* name;
        OnError value;
    } kValues[] = {{"ask", OnError::Ask},
                   {"skip-mail", OnError::SkipMail},
                   {"skip-folder", OnError::SkipFolder},
                   {"abort", OnError::Abort}};
    for (const auto& known : kValues) {
        if (value != known.name) continue;
        on_error = known.value;
        return true;
    }
    return false;
}

bool ParseFolders(const std::string& value, Folders& folders)
{
    if (value == "tree") folders = Folders::Tree;
    else if (value == "flat") folders = Folders::Flat;
    else return false;
    return true;
}

}  // namespace

bool ParseCommandLine(int argc, const char* const* argv, CommandLine& line, std::string& error)
{
    CLI::App app("", "dovan");
    // Help is our own text in the user's language, and it must win over missing operands, so CLI11's
    // help flag and its required markers are not used.
    app.set_help_flag();
    bool help = false;
    bool version = false;
    std::string on_error;
    std::string folders;
    app.add_flag("-h,--help", help);
    app.add_flag("--version", version);
    app.add_option("--plugin-dir", line.plugin_dir);
    app.require_subcommand(0, 1);

    CLI::App* formats = app.add_subcommand("formats");
    formats->set_help_flag();
    formats->fallthrough();

    CLI::App* convert = app.add_subcommand("convert");
    convert->set_help_flag();
    convert->fallthrough();
    CLI::Option* format = convert->add_option("--format", line.format);
    CLI::Option* setting = convert->add_option("--setting", line.setting);
    CLI::Option* on_error_option = convert->add_option("--on-error", on_error);
    CLI::Option* folders_option = convert->add_option("--folders", folders);
    convert->add_option("--codepage", line.code_page);
    convert->add_flag("--recover", line.recover);
    CLI::Option* source = convert->add_option("source", line.source);
    CLI::Option* destination = convert->add_option("destination", line.destination);

    CLI::Option* from_date = convert->add_option("--from-date", line.from_date);
    convert->add_flag("--status-headers", line.status_headers);

    try {
        app.parse(argc, const_cast<char**>(argv));
    } catch (const CLI::ParseError& parse_error) {
        error = Utf8FromSystem(parse_error.what());  // it may quote an argument, given in the system's code page
        return false;
    }

    if (help) {
        line.command = Command::Help;
        return true;
    }
    if (version) {
        line.command = Command::Version;
        return true;
    }
    if (formats->parsed()) {
        line.command = Command::Formats;
        return true;
    }
    if (!convert->parsed()) {
        error = CliText(Text::NoCommand);
        return false;
    }
    line.command = Command::Convert;
    line.has_setting = setting->count() > 0;
    if (on_error_option->count() > 0 && !ParseOnError(on_error, line.on_error)) {
        error = FormatCliText(Text::BadOnError, Utf8FromSystem(on_error)) + "\n" + CliText(Text::ValidOnError);
        return false;
    }
    if (folders_option->count() > 0 && !ParseFolders(folders, line.folders)) {
        error = FormatCliText(Text::BadFolders, folders) + "\n" + CliText(Text::ValidFolders);
        return false;
    }
    if (from_date->count() > 0 && line.from_date != "run" && line.from_date != "message") {
        error = FormatCliText(Text::BadFromDate, line.from_date) + "\n" + CliText(Text::ValidFromDate);
        return false;
    }
    if (format->count() == 0 || source->count() == 0 || destination->count() == 0) {
        error = CliText(Text::MissingArguments);
        return false;
    }
    return true;
}

}  // namespace cli
