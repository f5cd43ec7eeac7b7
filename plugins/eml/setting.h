// The eml writer's one setting: how each message file is named. Lives in memory while the library is loaded;
// the settings dialog (Windows) and SetSetting (everywhere) change it between runs.
#pragma once

#include <cstdint>

namespace eml {

inline constexpr uint32_t kSequence = 0;             // "%08d.eml" / "%08d.nws"
inline constexpr uint32_t kSequenceNoExtension = 1;  // "%d"
inline constexpr uint32_t kSubjectName = 2;          // the subject made safe, then ".eml" / ".nws"

extern uint32_t g_naming_rule;

// The rule named by a setting text ("sequence", "sequence-no-extension", "subject", in any ASCII letter case);
// false for any other text.
bool ParseNamingRule(const char* text, uint32_t* rule);

}  // namespace eml
