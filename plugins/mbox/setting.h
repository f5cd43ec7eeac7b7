// The writer's one setting: how body lines that a mailbox reader could take for a From_ line are protected.
// It starts at FromQuoting when the library is loaded and lives in memory only; the settings dialog (Windows)
// and SetSetting (everywhere) change it while no run is in progress.
#pragma once

#include <cstdint>

namespace mbox {

inline constexpr uint32_t kFromQuoting = 0;  // ">" before body lines that begin with exactly "From "
inline constexpr uint32_t kIgnoreCase = 1;   // ">" before body lines of any ">"s followed by "from" in any case
inline constexpr uint32_t kPassThrough = 2;  // body lines written unchanged

extern uint32_t g_quoting_mode;

// The mode named by a setting text ("from-quoting", "ignore-case", "pass-through", in any letter case);
// false for any other text.
bool ParseQuotingMode(const char* text, uint32_t* mode);

}  // namespace mbox
