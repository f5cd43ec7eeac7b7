// The Maildir writer's texts where the platform has no string resources (UTF-8).
#include "plugin_api/dovan_plugin.h"
#include "plugins/common/string_table.h"

namespace {

const plugins::PluginString kStrings[] = {
#include "texts/maildir_strings.inc"  // generated from texts/maildir.texts
};

}  // namespace

DOVAN_ENTRY(int) LoadPluginString(uint32_t id, char* buffer, int size)
{
    return plugins::CopyPluginString(kStrings, sizeof kStrings / sizeof kStrings[0], id, buffer, size);
}
