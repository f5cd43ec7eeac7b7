// The writer's string table where the platform has no string resources: display name, note, and the
// description of the accepted setting values that a host without dialogs shows for a bad value.
#include "plugin_api/dovan_plugin.h"
#include "plugins/common/string_table.h"

namespace {

const plugins::PluginString kStrings[] = {
    {1, "UNIX mbox", "UNIX mbox"},
    {2, "An mbox file is created per OE folder.", "OE のフォルダ毎にファイルを作成します。"},
    {3, "from-quoting (default), ignore-case, pass-through",
     "from-quoting（既定）、ignore-case（大文字小文字を無視）、pass-through（そのまま）"},
};

}  // namespace

DOVAN_ENTRY(int) LoadPluginString(uint32_t id, char* buffer, int size)
{
    return plugins::CopyPluginString(kStrings, sizeof kStrings / sizeof kStrings[0], id, buffer, size);
}
