// The writer's string table where the platform has no string resources: display name, note, and the
// description of the accepted setting values that a host without dialogs shows for a bad value.
#include "plugin_api/dovan_plugin.h"
#include "plugins/common/string_table.h"

namespace {

const plugins::PluginString kStrings[] = {
#include "texts/mbox_strings.inc"  // generated from texts/mbox.texts
};

}  // namespace

DOVAN_ENTRY(int) LoadPluginString(uint32_t id, char* buffer, int size)
{
    return plugins::CopyPluginString(kStrings, sizeof kStrings / sizeof kStrings[0], id, buffer, size);
}
