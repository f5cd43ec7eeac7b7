// Last-error codes on POSIX: the thread's errno, and strerror's text in the user's locale.
#include <cerrno>
#include <clocale>
#include <cstring>

#include "platform/platform.h"

namespace platform {

ErrorCode LastError() { return static_cast<ErrorCode>(errno); }

void SetLastError(ErrorCode code) { errno = static_cast<int>(code); }

std::string ErrorText(ErrorCode code)
{
    if (code == 0) return std::string();
    // strerror_l in the environment's locale gives the user's language where the C library has a translation.
    locale_t locale = newlocale(LC_ALL_MASK, "", static_cast<locale_t>(0));
    if (locale == static_cast<locale_t>(0)) locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    std::string text = strerror_l(static_cast<int>(code), locale);
    freelocale(locale);
    return text;
}

}  // namespace platform
