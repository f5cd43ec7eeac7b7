// What the exports of every writer share: the ids of the texts each writer's string table holds, and the
// answers to a bad call.
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "plugin_api/dovan_plugin.h"

namespace plugins {

inline constexpr DovanTextResult kPluginNameId = 1;  // GetPluginName: the format's name
inline constexpr DovanTextResult kNoteId = 2;        // GetNote: what the writer will make

// SetSetting's answer: 1 when the text named a setting (already taken up), else 0 with kErrorInvalidParameter.
inline int SettingAnswer(bool taken)
{
    if (!taken) platform::SetLastError(platform::kErrorInvalidParameter);
    return taken ? 1 : 0;
}

// Whether AppendBuffer can take a piece: a message file is open and the bytes are there (null only for an
// empty piece). False with kErrorInvalidParameter otherwise.
inline bool CanTakePiece(platform::FileHandle file, const void* data, uint32_t length)
{
    if (file != platform::kNoFile && (data || length == 0)) return true;
    platform::SetLastError(platform::kErrorInvalidParameter);
    return false;
}

}  // namespace plugins
