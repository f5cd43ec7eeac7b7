#include "plugins/mbox/body_quoting.h"

#include <cstring>

#include "platform/platform.h"
#include "plugins/mbox/setting.h"

namespace mbox {

bool NeedsQuote(uint32_t mode, const char* line, size_t length)
{
    if (mode == kPassThrough) return false;
    size_t quotes = 0;
    while (quotes < length && line[quotes] == '>') ++quotes;
    if (quotes + 4 > length) return false;
    if (mode == kIgnoreCase) {
        // Any run of ">" before "from" in any case, blank or not: a reader that strips one ">" from such
        // lines gets every body line back as stored.
        char word[4];
        std::memcpy(word, line + quotes, 4);
        platform::LowerBytes(word, 4);
        return std::memcmp(word, "from", 4) == 0;
    }
    return length >= 5 && std::memcmp(line, "From ", 5) == 0;
}

}  // namespace mbox
