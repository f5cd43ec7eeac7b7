// The Maildir writer's texts where the platform has no string resources (UTF-8).
#include "plugin_api/dovan_plugin.h"
#include "plugins/common/string_table.h"

namespace {

const plugins::PluginString kStrings[] = {
    {1, "Maildir (1file per message)", "Maildir (1メール1ファイル)"},
    {2,
     "A Maildir is created per OE folder. Read, answered, forwarded, flagged and draft marks are kept in the file "
     "names, and each file is dated as the message was received.",
     "OE のフォルダ毎に Maildir を作成します。既読・返信済み・転送済み・フラグ・下書きの状態をファイル名に残し、"
     "各ファイルの日時はメールの受信日時になります。"},
};

}  // namespace

DOVAN_ENTRY(int) LoadPluginString(uint32_t id, char* buffer, int size)
{
    return plugins::CopyPluginString(kStrings, sizeof kStrings / sizeof kStrings[0], id, buffer, size);
}
