// Which body lines get one ">" in front, so that a mailbox reader never takes them for a From_ line.
#pragma once

#include <cstddef>
#include <cstdint>

namespace mbox {

// True when the body line (with its line end, if it has one) is written with a ">" before it under the
// quoting mode (setting.h).
bool NeedsQuote(uint32_t mode, const char* line, size_t length);

}  // namespace mbox
