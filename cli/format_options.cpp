#include "cli/format_options.h"

namespace cli {

std::vector<std::pair<std::string, std::string>> GivenFormatOptions(const CommandLine& line)
{
    std::vector<std::pair<std::string, std::string>> options;
    if (!line.from_date.empty()) options.emplace_back("from-date", line.from_date);
    if (line.status_headers) options.emplace_back("status-headers", "on");
    return options;
}

bool ApplyFormatOptions(const CommandLine& line, const engine::WriterPlugin& plugin, std::string& refused)
{
    for (const auto& option : GivenFormatOptions(line)) {
        if (plugin.SetOption && plugin.SetOption(option.first.c_str(), option.second.c_str()) != 0) continue;
        refused = "--" + option.first;
        return false;
    }
    return true;
}

}  // namespace cli
