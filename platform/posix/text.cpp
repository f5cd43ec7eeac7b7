// Text helpers on POSIX: byte-wise, ASCII case folding, language from the locale variables.
#include <strings.h>

#include <cstdlib>
#include <cstring>

#include "platform/platform.h"

namespace platform {

const char* NextChar(const char* text) { return *text ? text + 1 : text; }

int CompareNoCase(const char* a, const char* b)
{
    int order = strcasecmp(a, b);
    // Names equal but for case keep a stable order.
    return order != 0 ? order : std::strcmp(a, b);
}

void LowerBytes(char* text, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        if (text[i] >= 'A' && text[i] <= 'Z') text[i] = static_cast<char>(text[i] - 'A' + 'a');
}

Language UiLanguage()
{
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value) return std::strncmp(value, "ja", 2) == 0 ? Language::Japanese : Language::English;
    }
    return Language::English;
}

}  // namespace platform
