// The names of the eml writer's files.
#pragma once

#include <cstddef>
#include <cstdint>

namespace eml {

// Large enough for every name formed here (at most names::kMaxNameLength bytes and the NUL).
inline constexpr size_t kNameBufferSize = 256;

// FileNameSafe: which of the bytes 0x00 to 0x7F may stay in a name made from a subject. Bytes 0x80 and above
// never may.
extern const bool kFileNameSafe[128];

// "eml" for a mail, "nws" for anything else (news).
const char* ExtensionFor(uint32_t kind);

// The name a message is written under: "%08d.ext", "%d", or the working name "temp%d.eml" under SubjectName.
void FormMessageName(uint32_t rule, uint32_t number, uint32_t kind, char* out);

// The working name of a subject-named message when the plain "temp%d.eml" is already taken:
// "temp%d (%d).eml" with `attempt`.
void FormOtherWorkingName(uint32_t number, uint32_t attempt, char* out);

// The base of a subject-named file: the subject with every byte FileNameSafe does not allow replaced by "=",
// "noname" for an empty subject, and a reserved device name marked as names::AdjustReservedName does.
// Returns the length written into out (kNameBufferSize bytes).
size_t MakeBaseName(const char* subject, size_t length, char* out);

// "base.ext", or "base (k).ext" for k above 0.
void FormSubjectName(const char* base, uint32_t k, const char* extension, char* out);

}  // namespace eml
