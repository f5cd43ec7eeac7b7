// The split size and how a setting text names it.
#include "plugins/bmf/setting.h"

namespace bmf {

uint32_t g_split_size_kb = kDefaultSplitSizeKB;

bool ParseSplitSize(const char* text, uint32_t* size_kb)
{
    uint64_t size = 0;
    const char* digit = text;
    bool valid = text && *text;
    for (; valid && *digit; ++digit) {
        if (*digit < '0' || *digit > '9') {
            valid = false;
            break;
        }
        size = size * 10 + static_cast<uint64_t>(*digit - '0');
        if (size > UINT32_MAX) valid = false;
    }
    if (valid) *size_kb = static_cast<uint32_t>(size);
    return valid;
}

}  // namespace bmf
