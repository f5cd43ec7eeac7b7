// Finding, in a run of body text, the next line that could need a ">": only a line whose first byte is 'F'
// (or, ignoring case, 'f' or '>') can. Most body lines begin otherwise, so whole stretches of lines are
// passed on without looking at each one.
#pragma once

#include <cstdint>

namespace mbox {

// The first line start in [from, end) whose first byte could need quoting under `mode`; `from` itself is a
// line start. nullptr when there is none (always under PassThrough).
const char* FindQuoteCandidate(uint32_t mode, const char* from, const char* end);

}  // namespace mbox
