// The split size and the settings-by-text export used where there is no settings dialog.
#include "plugins/bmf/setting.h"

#include "platform/platform.h"
#include "plugin_api/dovan_plugin.h"

namespace bmf {

uint32_t g_split_size_kb = kDefaultSplitSizeKB;

}  // namespace bmf

// A whole number of KB: decimal digits only, 0 to 4294967295.
DOVAN_ENTRY(int) SetSetting(const char* value)
{
    uint64_t size = 0;
    const char* digit = value;
    bool valid = value && *value;
    for (; valid && *digit; ++digit) {
        if (*digit < '0' || *digit > '9') {
            valid = false;
            break;
        }
        size = size * 10 + static_cast<uint64_t>(*digit - '0');
        if (size > UINT32_MAX) valid = false;
    }
    if (!valid) {
        platform::SetLastError(platform::kErrorInvalidParameter);
        return 0;
    }
    bmf::g_split_size_kb = static_cast<uint32_t>(size);
    return 1;
}
