// The command line as typed: which command, and its options and operands. Parsing only; nothing is checked
// against the plugins or the file system here.
#pragma once

#include <string>

namespace cli {

enum class Command { Help, Version, Formats, Convert };

enum class OnError { NotGiven, Ask, SkipMail, SkipFolder, Abort };

enum class Folders { NotGiven, Tree, Flat };

struct CommandLine {
    Command command = Command::Help;
    std::string format;
    bool has_setting = false;
    std::string setting;
    OnError on_error = OnError::NotGiven;
    Folders folders = Folders::NotGiven;
    std::string code_page;   // empty: not given
    bool recover = false;    // --recover: texts outside the index into "NAME (recovered)"
    std::string plugin_dir;  // empty: beside the executable
    std::string source;
    std::string destination;

    // Options the format takes by name (SetOption); not given: the format's defaults.
    std::string from_date;        // "run" or "message"; empty when not given
    bool status_headers = false;  // --status-headers given
};

// False for a usage error, with the reason in `error` (one or more lines, without the hint to --help).
bool ParseCommandLine(int argc, const char* const* argv, CommandLine& line, std::string& error);

}  // namespace cli
