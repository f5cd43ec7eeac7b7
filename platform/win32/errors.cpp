// Last-error codes on Windows: the thread's GetLastError code, and FormatMessageA's text in the user's language.
#include <windows.h>

#include "platform/platform.h"

namespace platform {

ErrorCode LastError() { return ::GetLastError(); }

void SetLastError(ErrorCode code) { ::SetLastError(code); }

std::string ErrorText(ErrorCode code)
{
    char* system_text = nullptr;
    DWORD length =
        FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM,
                       nullptr, code, LANG_USER_DEFAULT, reinterpret_cast<char*>(&system_text), 0, nullptr);
    if (length == 0 || !system_text) return std::string();
    std::string text(system_text, length);
    LocalFree(system_text);
    // The system's texts end with a line break (and sometimes a blank) that callers add themselves.
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ')) text.pop_back();
    return text;
}

}  // namespace platform
