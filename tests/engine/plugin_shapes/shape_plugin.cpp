// Small libraries in the shapes a plugin folder may hold, built once per shape:
//   SHAPE_MINIMAL            the seven required entry points only; its name comes as a text block
//   SHAPE_NO_FINISH_MESSAGE  every entry point but the required FinishMessage: not a writer plugin
//   SHAPE_NAMELESS           the seven required entry points; GetPluginName gives no text
#include "plugin_api/dovan_plugin.h"

DOVAN_ENTRY(DovanTextResult) GetPluginName(void)
{
#if defined(SHAPE_NAMELESS)
    return 0;
#else
    return DovanTextBlock("minimal writer");
#endif
}

DOVAN_ENTRY(DovanTextResult) GetNote(void) { return 0; }
DOVAN_ENTRY(int) StartConvert(const char*) { return 1; }
DOVAN_ENTRY(int) NewFolder(const char*) { return 1; }
DOVAN_ENTRY(int) NewMessage(uint32_t) { return 1; }
DOVAN_ENTRY(int) AppendBuffer(const void*, uint32_t) { return 1; }

#if !defined(SHAPE_NO_FINISH_MESSAGE)
DOVAN_ENTRY(int) FinishMessage(void) { return 1; }
#else
DOVAN_ENTRY(DovanTextResult) GetDefaultDestDir(void) { return 0; }
DOVAN_ENTRY(int) SettingDlg(DovanWindow) { return 1; }
DOVAN_ENTRY(int) FinishFolder(void) { return 1; }
DOVAN_ENTRY(int) FinishConvert(void) { return 1; }
#endif
