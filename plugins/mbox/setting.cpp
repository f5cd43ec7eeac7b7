// The quoting setting and how a setting text names it.
#include "plugins/mbox/setting.h"

#include <cstring>

#include "platform/platform.h"

namespace mbox {

uint32_t g_quoting_mode = kFromQuoting;

namespace {

bool SameTextNoCase(const char* text, const char* name)
{
    size_t length = std::strlen(name);
    if (std::strlen(text) != length) return false;
    char lowered[32];
    if (length >= sizeof lowered) return false;
    std::memcpy(lowered, text, length);
    platform::LowerBytes(lowered, length);
    return std::memcmp(lowered, name, length) == 0;
}

}  // namespace

bool ParseQuotingMode(const char* text, uint32_t* mode)
{
    if (!text) return false;
    struct Named {
        const char* name;
        uint32_t mode;
    };
    static constexpr Named kModes[] = {
        {"from-quoting", kFromQuoting}, {"ignore-case", kIgnoreCase}, {"pass-through", kPassThrough}};
    for (const Named& named : kModes) {
        if (SameTextNoCase(text, named.name)) {
            *mode = named.mode;
            return true;
        }
    }
    return false;
}

}  // namespace mbox
