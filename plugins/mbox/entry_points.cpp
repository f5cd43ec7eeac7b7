// The entry points through which the host drives the mbox writer (see plugin_api/dovan_plugin.h for the order).
// The others come from shared code: LoadPluginString (plugins/common/string_table.h) and SettingDlg on Windows
// (plugins/common/win32/setting_dialog.h).
#include "plugins/mbox/entry_points.h"
#include "platform/platform.h"
#include "plugins/mbox/setting.h"
#include "plugins/mbox/writer.h"

namespace {

// String ids of the writer's own table.
constexpr DovanTextResult kPluginNameId = 1;
constexpr DovanTextResult kNoteId = 2;

}  // namespace

DOVAN_ENTRY(DovanTextResult) GetPluginName(void) { return kPluginNameId; }

DOVAN_ENTRY(DovanTextResult) GetNote(void) { return kNoteId; }

DOVAN_ENTRY(int) StartConvert(const char* destination) { return mbox::StartRun(destination) ? 1 : 0; }

DOVAN_ENTRY(int) NewFolder(const char* folder_name) { return mbox::OpenFolder(folder_name) ? 1 : 0; }

DOVAN_ENTRY(int) NewMessage(uint32_t /*kind: mail and news are written alike*/)
{
    mbox::BeginMessage();
    return 1;
}

DOVAN_ENTRY(int) AppendBuffer(const void* data, uint32_t length)
{
    if (!data && length > 0) {
        platform::SetLastError(platform::kErrorInvalidParameter);
        mbox::g_writer.message_failed = true;
        return 0;
    }
    if (mbox::AppendText(static_cast<const char*>(data), length)) return 1;
    mbox::g_writer.message_failed = true;
    return 0;
}

DOVAN_ENTRY(int) FinishMessage(void) { return mbox::EndMessage() ? 1 : 0; }

DOVAN_ENTRY(int) FinishFolder(void) { return mbox::CloseFolder() ? 1 : 0; }

DOVAN_ENTRY(int) FinishConvert(void)
{
    mbox::EndRun();
    return 1;
}

DOVAN_ENTRY(int) SetSetting(const char* value)
{
    uint32_t mode = 0;
    if (!mbox::ParseQuotingMode(value, &mode)) {
        platform::SetLastError(platform::kErrorInvalidParameter);
        return 0;
    }
    mbox::g_quoting_mode = mode;
    return 1;
}
