// The options that the command line hands to a format by name (SetOption): --from-date, --status-headers.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "cli/command_line.h"
#include "engine/plugin_host.h"

namespace cli {

// The options given on the command line, as SetOption's name and value, in a fixed order.
std::vector<std::pair<std::string, std::string>> GivenFormatOptions(const CommandLine& line);

// Hands the given options to the plugin. False when it takes none of them or refuses one; `refused` then
// names the option as typed ("--from-date").
bool ApplyFormatOptions(const CommandLine& line, const engine::WriterPlugin& plugin, std::string& refused);

}  // namespace cli
