// Text helpers on Windows: the system's code page, case rules and user-interface language.
#include <windows.h>

#include "platform/platform.h"

namespace platform {

const char* NextChar(const char* text) { return CharNextA(text); }

int CompareNoCase(const char* a, const char* b) { return lstrcmpiA(a, b); }

void LowerBytes(char* text, size_t count)
{
    while (count > 0) {
        DWORD chunk = count > 0x40000000u ? 0x40000000u : static_cast<DWORD>(count);
        CharLowerBuffA(text, chunk);
        text += chunk;
        count -= chunk;
    }
}

Language UiLanguage()
{
    return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE ? Language::Japanese : Language::English;
}

}  // namespace platform
