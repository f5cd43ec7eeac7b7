#include "plugins/maildir/maildir_names.h"

#include <cstdio>
#include <cstring>

#include "plugin_api/dovan_plugin.h"
#include "plugins/common/safe_names.h"

namespace maildir {

bool MaildirDirectory(const char* const* folder_path, size_t depth, char* out, size_t capacity)
{
    // Flat: the innermost name alone, made safe as the eml writer makes its folder names.
    if (depth == 0) return false;
    return names::MakeFolderName(folder_path[depth - 1], out, capacity);
}

void FormUniqueName(uint32_t stamp, uint32_t number, char (&out)[kMessageNameSize])
{
    std::snprintf(out, sizeof out, "%u.%08u.dovan", stamp, number);
}

void FormDeliveredName(const char* unique, uint32_t flags, char separator, char (&out)[kMessageNameSize])
{
    static const struct {
        uint32_t flag;
        char letter;
    } kLetters[] = {
        {DOVAN_MESSAGE_DRAFT, 'D'},    {DOVAN_MESSAGE_FLAGGED, 'F'}, {DOVAN_MESSAGE_FORWARDED, 'P'},
        {DOVAN_MESSAGE_ANSWERED, 'R'}, {DOVAN_MESSAGE_READ, 'S'},
    };
    char letters[sizeof kLetters / sizeof kLetters[0] + 1];
    size_t count = 0;
    for (const auto& letter : kLetters)
        if (flags & letter.flag) letters[count++] = letter.letter;
    letters[count] = '\0';
    std::snprintf(out, sizeof out, "%s%c2,%s", unique, separator, letters);
}

bool NameHasStamp(const char* name, uint32_t stamp)
{
    char prefix[16];
    int length = std::snprintf(prefix, sizeof prefix, "%u.", stamp);
    return std::strncmp(name, prefix, static_cast<size_t>(length)) == 0;
}

}  // namespace maildir
