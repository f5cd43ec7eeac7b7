// The bmf writer's texts where the platform has no string resources (UTF-8).
#include "plugin_api/dovan_plugin.h"
#include "plugins/common/string_table.h"

namespace {

const plugins::PluginString kStrings[] = {
    {1, "Becky! Ver.2 (bmf)", "Becky! Ver.2 (bmf)"},
    {2,
     "1. Confirm your B2 is not running.\r\n2. A new mailbox named `Dovan' will be created, and a folder of each "
     "OE folder will be created under the mailbox.",
     "1. B2 は終了しておいてください。\r\n2. 変換先フォルダに「Dovan」メールボックスを作成し，その中に OE "
     "のフォルダ毎にフォルダを作成します。"},
    {3, "size of each mail storage file in KB, a whole number (default 640)",
     "メール格納ファイル分割の目安 (KB 単位の整数、既定 640)"},
};

}  // namespace

DOVAN_ENTRY(int) LoadPluginString(uint32_t id, char* buffer, int size)
{
    return plugins::CopyPluginString(kStrings, sizeof kStrings / sizeof kStrings[0], id, buffer, size);
}
