#include "plugins/common/safe_names.h"

#include <cstring>

namespace names {
namespace {

bool SameLetters(const char* a, const char* upper, size_t length)
{
    for (size_t i = 0; i < length; ++i) {
        char c = a[i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c != upper[i]) return false;
    }
    return true;
}

}  // namespace

size_t ReservedDeviceLength(const char* name, size_t length)
{
    // Windows looks at the part before the first dot, less its trailing blanks: "nul.txt" and "NUL .x" are NUL.
    size_t stem = 0;
    while (stem < length && name[stem] != '.') ++stem;
    while (stem > 0 && name[stem - 1] == ' ') --stem;

    static const char* const kPlain[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    for (const char* device : kPlain) {
        size_t device_length = std::strlen(device);
        if (stem == device_length && SameLetters(name, device, device_length)) return device_length;
    }
    // COM0 to COM9 and LPT0 to LPT9.
    if (stem == 4 && (SameLetters(name, "COM", 3) || SameLetters(name, "LPT", 3)) && name[3] >= '0' && name[3] <= '9')
        return 4;
    return 0;
}

size_t AdjustReservedName(char* name, size_t length, size_t capacity)
{
    size_t device = ReservedDeviceLength(name, length);
    if (device == 0 || length + 2 > capacity) return length;
    std::memmove(name + device + 1, name + device, length - device);
    name[device] = '=';
    name[length + 1] = '\0';
    return length + 1;
}

bool MakeFolderName(const char* name, char* out, size_t capacity)
{
    size_t length = std::strlen(name);
    if (length + 3 > capacity) return false;  // room for two "=" and the NUL
    for (size_t i = 0; i < length; ++i) out[i] = (name[i] == '/' || name[i] == '\\') ? '=' : name[i];
    out[length] = '\0';
    length = AdjustReservedName(out, length, capacity);
    if (length == 0 || out[length - 1] == '.' || out[length - 1] == ' ') {
        out[length++] = '=';
        out[length] = '\0';
    }
    return true;
}

}  // namespace names
