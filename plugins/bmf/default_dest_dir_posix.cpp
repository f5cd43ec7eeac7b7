// Where no registry records the mail client's data folder, the bmf writer proposes no destination.
#include "plugin_api/dovan_plugin.h"

DOVAN_ENTRY(DovanTextResult) GetDefaultDestDir(void) { return 0; }
