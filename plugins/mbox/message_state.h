// What the mbox writer adds from the message facts (plugin_api/dovan_plugin.h), as the options ask:
//   "from-date"       run (default): every From_ line carries the run's local time;
//                     message: the message's received time, else its sent time, else the run's time, in UTC.
//   "status-headers"  off (default) | on: the message's state as header lines at the end of its header, for the
//                     readers of mbox files: "Status:" (RO read, O unread; mutt, Python's mailbox), "X-Status:"
//                     (A answered, F flagged, T draft; only when one applies) and "X-Mozilla-Status:"
//                     (Thunderbird's bits in four hex digits). A message whose state the store does not hold gets
//                     none of them. Lines of these names that the header already has are left out, so that a
//                     reader finds only the store's state. The lines go before the empty line that ends the
//                     header, with that line's line end (CR LF or LF); a header that no empty line ends (a
//                     header-only message) gets them after its last whole line, with that line's line end, and
//                     the empty line that closes every message in the file then ends the header.
#pragma once

#include <cstddef>
#include <cstdint>

#include "plugin_api/dovan_plugin.h"
#include "plugins/mbox/from_line.h"

namespace mbox {

// SetOption. False, with EINVAL, for a name or value it does not know.
bool SetMessageOption(const char* name, const char* value);

// StartConvert: notes the run's time for From_ lines of messages without a date.
void BeginRunFacts();

// SetMessageFacts: the facts of the next message. NewMessage: they become the open message's (a message
// without facts of its own has none).
void NoteMessageFacts(const DovanMessageFacts* facts);
void BeginMessageFacts();

// The From_ line's date text for the open message when the options ask for the message's date; false when
// the run's date text stands.
bool MessageDateText(char (&text)[kDateTextSize]);

// The UTC date text of a FILETIME (from_date.cpp).
void FormatUtcDateText(uint64_t filetime, char (&text)[kDateTextSize]);

// True when the open message gets state lines.
bool WantsStatusLines();

// True when a header line of the open message is left out: an old state line or a continuation of one. Called
// for each header line in order, only while WantsStatusLines().
bool DropsHeaderLine(const char* line, size_t length);

// Room for the state lines.
inline constexpr size_t kStatusLinesSize = 96;

// The open message's state lines, each ended by line_end (CR LF or LF), into text; their length.
size_t FormStatusLines(const char* line_end, size_t line_end_length, char (&text)[kStatusLinesSize]);

}  // namespace mbox
