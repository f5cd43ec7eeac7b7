// The eml writer's texts where the platform has no string resources (UTF-8).
#include "plugin_api/dovan_plugin.h"
#include "plugins/common/string_table.h"

namespace {

const plugins::PluginString kStrings[] = {
    {1, "eml format (1file per message)", "eml 形式 (1メール1ファイル)"},
    {2, "Hit `Setting' to select naming rule.", "ファイル名の付け方は「設定」を押してください。"},
    {3, "sequence (default), sequence-no-extension, subject",
     "sequence (既定), sequence-no-extension, subject"},
};

}  // namespace

DOVAN_ENTRY(int) LoadPluginString(uint32_t id, char* buffer, int size)
{
    return plugins::CopyPluginString(kStrings, sizeof kStrings / sizeof kStrings[0], id, buffer, size);
}
