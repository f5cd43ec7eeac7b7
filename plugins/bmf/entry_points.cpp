// The entry points through which the host drives the bmf writer (see plugin_api/dovan_plugin.h for the order).
// The others come from shared code: LoadPluginString (plugins/common/string_table.h), SettingDlg on Windows
// (plugins/common/win32/setting_dialog.h), GetDefaultDestDir (default_dest_dir_posix.cpp, win32/), and in builds
// with tests SetMailboxClockForTesting (mailbox_clock.cpp).
#include "platform/platform.h"
#include "plugin_api/dovan_plugin.h"
#include "plugins/bmf/setting.h"
#include "plugins/bmf/writer.h"

namespace {

// String ids of the writer's own table.
constexpr DovanTextResult kPluginNameId = 1;
constexpr DovanTextResult kNoteId = 2;

}  // namespace

DOVAN_ENTRY(DovanTextResult) GetPluginName(void) { return kPluginNameId; }

DOVAN_ENTRY(DovanTextResult) GetNote(void) { return kNoteId; }

DOVAN_ENTRY(int) StartConvert(const char* destination) { return bmf::StartRun(destination) ? 1 : 0; }

DOVAN_ENTRY(int) NewFolder(const char* name) { return bmf::OpenFolder(name) ? 1 : 0; }

DOVAN_ENTRY(int) NewMessage(uint32_t /*kind: mail and news are stored alike*/) { return bmf::BeginMessage() ? 1 : 0; }

DOVAN_ENTRY(int) AppendBuffer(const void* data, uint32_t length) { return bmf::AppendPiece(data, length) ? 1 : 0; }

DOVAN_ENTRY(int) FinishMessage(void) { return bmf::EndMessage() ? 1 : 0; }

DOVAN_ENTRY(int) FinishFolder(void) { return bmf::CloseFolder() ? 1 : 0; }

DOVAN_ENTRY(int) FinishConvert(void) { return 1; }

DOVAN_ENTRY(int) SetSetting(const char* value)
{
    uint32_t size_kb = 0;
    if (!bmf::ParseSplitSize(value, &size_kb)) {
        platform::SetLastError(platform::kErrorInvalidParameter);
        return 0;
    }
    bmf::g_split_size_kb = size_kb;
    return 1;
}
