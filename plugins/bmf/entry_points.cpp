// The entry points through which the host drives the bmf writer (see plugin_api/dovan_plugin.h for the order).
// The others live beside the code they serve: LoadPluginString where there are no string resources
// (strings_posix.cpp), SettingDlg on Windows (plugins/common/win32/setting_dialog.h),
// GetDefaultDestDir (default_dest_dir_posix.cpp, win32/default_dest_dir.cpp) and, in builds with tests,
// SetMailboxClockForTesting (mailbox_clock.cpp).
#include "plugins/bmf/setting.h"
#include "plugins/bmf/writer.h"
#include "plugins/common/exports.h"

DOVAN_ENTRY(DovanTextResult) GetPluginName(void) { return plugins::kPluginNameId; }

DOVAN_ENTRY(DovanTextResult) GetNote(void) { return plugins::kNoteId; }

DOVAN_ENTRY(int) StartConvert(const char* destination) { return bmf::StartRun(destination) ? 1 : 0; }

DOVAN_ENTRY(int) NewFolder(const char* name) { return bmf::OpenFolder(name) ? 1 : 0; }

DOVAN_ENTRY(int) NewMessage(uint32_t /*kind: mail and news are stored alike*/) { return bmf::BeginMessage() ? 1 : 0; }

DOVAN_ENTRY(int) AppendBuffer(const void* data, uint32_t length) { return bmf::AppendPiece(data, length) ? 1 : 0; }

DOVAN_ENTRY(int) FinishMessage(void) { return bmf::EndMessage() ? 1 : 0; }

DOVAN_ENTRY(int) FinishFolder(void) { return bmf::CloseFolder() ? 1 : 0; }

DOVAN_ENTRY(int) FinishConvert(void) { return 1; }

// The setting changes only when the text names one.
DOVAN_ENTRY(int) SetSetting(const char* value)
{
    return plugins::SettingAnswer(bmf::ParseSplitSize(value, &bmf::g_split_size_kb));
}

// Optional: a message the host gives up on leaves nothing in the storage file.
DOVAN_ENTRY(int) DiscardMessage(void) { return bmf::DiscardOpenMessage() ? 1 : 0; }
