#include "plugins/common/string_table.h"

#include <cstring>

#include "platform/platform.h"

namespace plugins {

int CopyPluginString(const PluginString* table, size_t count, uint32_t id, char* buffer, int size)
{
    if (!buffer || size <= 0) return 0;
    buffer[0] = '\0';
    bool japanese = platform::UiLanguage() == platform::Language::Japanese;
    for (size_t i = 0; i < count; ++i) {
        if (table[i].id != id) continue;
        const char* text = japanese ? table[i].japanese : table[i].english;
        size_t length = std::strlen(text);
        if (length > static_cast<size_t>(size - 1)) length = static_cast<size_t>(size - 1);
        std::memcpy(buffer, text, length);
        buffer[length] = '\0';
        return static_cast<int>(length);
    }
    return 0;
}

}  // namespace plugins
