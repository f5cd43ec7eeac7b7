#include "engine/folder_names.h"

#include <cstddef>

namespace engine {
namespace {

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool SameLetters(const std::string& name, const char* upper, size_t length)
{
    for (size_t i = 0; i < length; ++i)
        if (Upper(name[i]) != upper[i]) return false;
    return true;
}

// The length of the device name that Windows would take the whole name for, 0 when there is none. Windows
// looks at the part before the first dot, less its trailing blanks: "nul.txt" and "NUL .x" are NUL.
size_t DeviceNameLength(const std::string& name)
{
    size_t stem = name.find('.');
    if (stem == std::string::npos) stem = name.size();
    while (stem > 0 && name[stem - 1] == ' ') --stem;

    static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    for (const char* device : kDevices) {
        size_t length = std::char_traits<char>::length(device);
        if (stem == length && SameLetters(name, device, length)) return length;
    }
    // COM0 to COM9 and LPT0 to LPT9.
    if (stem == 4 && (SameLetters(name, "COM", 3) || SameLetters(name, "LPT", 3)) && name[3] >= '0' &&
        name[3] <= '9')
        return 4;
    return 0;
}

}  // namespace

std::string WriterFolderName(const std::string& base_name)
{
    std::string name = base_name;
    // Both separators, wherever the run takes place: the output tree is the same on every system.
    for (char& c : name)
        if (c == '/' || c == '\\') c = '=';
    if (size_t device = DeviceNameLength(name)) name.insert(device, 1, '=');
    // Windows drops a trailing dot or blank, and "." and ".." name the folder itself and its parent.
    if (name.empty() || name.back() == '.' || name.back() == ' ') name += '=';
    return name;
}

}  // namespace engine
