// The bmf writer's one setting: the size at which a storage file counts as full. Lives in memory while the
// library is loaded; the settings dialog (Windows) and SetSetting (everywhere) change it between runs.
#pragma once

#include <cstdint>

namespace bmf {

inline constexpr uint32_t kDefaultSplitSizeKB = 640;

extern uint32_t g_split_size_kb;

// The size named by a setting text: a whole number of KB, decimal digits only, 0 to 4294967295. False for any
// other text.
bool ParseSplitSize(const char* text, uint32_t* size_kb);

}  // namespace bmf
