// A writer's string table where the platform has no string resources: the texts compiled in, in English and
// Japanese (UTF-8), reached by the host through the plugin's LoadPluginString export.
#pragma once

#include <cstddef>
#include <cstdint>

namespace plugins {

struct PluginString {
    uint32_t id;
    const char* english;
    const char* japanese;
};

// Copies string `id` in the language of the user interface into buffer (at most size - 1 bytes, terminated).
// Returns the bytes copied; 0 for an unknown id.
int CopyPluginString(const PluginString* table, size_t count, uint32_t id, char* buffer, int size);

}  // namespace plugins
