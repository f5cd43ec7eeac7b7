// The entry points through which the host drives the eml writer (see plugin_api/dovan_plugin.h for the order).
// The others come from shared code: LoadPluginString (plugins/common/string_table.h) and SettingDlg on Windows
// (plugins/common/win32/setting_dialog.h).
#include "platform/platform.h"
#include "plugin_api/dovan_plugin.h"
#include "plugins/eml/setting.h"
#include "plugins/eml/writer.h"

namespace {

// String ids of the writer's own table.
constexpr DovanTextResult kPluginNameId = 1;
constexpr DovanTextResult kNoteId = 2;

}  // namespace

DOVAN_ENTRY(DovanTextResult) GetPluginName(void) { return kPluginNameId; }

DOVAN_ENTRY(DovanTextResult) GetNote(void) { return kNoteId; }

DOVAN_ENTRY(int) StartConvert(const char* destination) { return eml::StartRun(destination) ? 1 : 0; }

DOVAN_ENTRY(int) NewFolder(const char* name) { return eml::OpenFolder(name) ? 1 : 0; }

DOVAN_ENTRY(int) NewMessage(uint32_t kind) { return eml::BeginMessage(kind) ? 1 : 0; }

DOVAN_ENTRY(int) AppendBuffer(const void* data, uint32_t length) { return eml::AppendPiece(data, length) ? 1 : 0; }

DOVAN_ENTRY(int) FinishMessage(void) { return eml::EndMessage() ? 1 : 0; }

DOVAN_ENTRY(int) FinishFolder(void) { return eml::CloseFolder() ? 1 : 0; }

DOVAN_ENTRY(int) FinishConvert(void)
{
    eml::EndRun();
    return 1;
}

DOVAN_ENTRY(int) SetSetting(const char* value)
{
    uint32_t rule = 0;
    if (!eml::ParseNamingRule(value, &rule)) {
        platform::SetLastError(platform::kErrorInvalidParameter);
        return 0;
    }
    eml::g_naming_rule = rule;
    return 1;
}
