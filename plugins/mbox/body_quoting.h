// Which body lines get one ">" in front, so that a mailbox reader never takes them for a From_ line, and how
// the writer finds them: only a line whose first byte is 'F' (or, ignoring case, 'f' or '>') can need one.
// Most body lines begin otherwise, so whole stretches of lines are passed on without looking at each one.
#pragma once

#include <cstddef>
#include <cstdint>

namespace mbox {

// True when the body line (with its line end, if it has one) is written with a ">" before it under the
// quoting mode (setting.h).
bool NeedsQuote(uint32_t mode, const char* line, size_t length);

// The first line start in [from, end) whose first byte could need quoting under `mode`; `from` itself is a
// line start. nullptr when there is none (always under PassThrough).
const char* FindQuoteCandidate(uint32_t mode, const char* from, const char* end);

// The same for a `from` inside a line: only the starts of the lines after it count.
const char* FindLaterQuoteCandidate(uint32_t mode, const char* from, const char* end);

// How many bytes a scan looks at in one step. The widest this processor offers is used; the others are kept
// for processors without it and for the tests, which compare them all.
enum class ScanWidth { OneLine, Bytes16, Bytes32 };

bool ScanWidthAvailable(ScanWidth width);

// FindLaterQuoteCandidate with a given width, which must be available.
const char* FindLaterQuoteCandidateWith(ScanWidth width, uint32_t mode, const char* from, const char* end);

}  // namespace mbox
