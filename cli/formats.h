// The output formats as the command line names them: short names, matching a name the user typed, the
// setting values a plugin accepts, and the listing of `dovan formats`.
#pragma once

#include <string>
#include <vector>

#include "engine/plugin_host.h"

namespace cli {

// The library's base name without its suffix and the leading "Dovan": "Dovanmbox.so" gives "mbox".
std::string ShortName(const engine::WriterPlugin& plugin);

// The plugin whose short name or display name equals `name` in any letter case; null when none does.
engine::WriterPlugin* FindFormat(const std::vector<engine::WriterPlugin*>& plugins, const std::string& name);

// The plugin's description of its setting values (its string 3), line breaks as "\n"; empty when it has none.
std::string SettingValues(const engine::WriterPlugin& plugin);

// Lines "  mbox  UNIX mbox", one per plugin, for messages that list the valid formats.
std::string FormatNameLines(const std::vector<engine::WriterPlugin*>& plugins);

// The listing of `dovan formats`: per plugin its short and display name, its note and its setting values.
std::string FormatsListing(const std::vector<engine::WriterPlugin*>& plugins);

// CR LF and lone CR line breaks of a plugin or program text as "\n".
std::string UnixLineBreaks(const std::string& text);

}  // namespace cli
