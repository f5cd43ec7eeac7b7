// The parts of a From_ line: the sender found in the message's header (or the placeholder when there is none)
// and the run's date text.
#pragma once

#include <cstddef>

#include "platform/platform.h"

namespace mbox {

// Written when a header holds neither a Return-Path nor a From line. The reserved top-level domain
// ".invalid" can never name a real mailbox, so nobody can take it for a person's address.
constexpr char kPlaceholderSender[] = "unknown-sender@sender.invalid";

// Room for the date text of any year a LocalTime can hold.
inline constexpr size_t kDateTextSize = 96;

// " Tue Mar 02 09:05:03 2004\r\n": a blank, the weekday, month, day, time and year, and CR LF. Out-of-range
// fields give "???" names rather than reading outside the name tables.
void FormatDateText(const platform::LocalTime& time, char (&text)[kDateTextSize]);

// True when the header line begins with "Return-Path:" or "From:" in any letter case, at its first byte.
bool IsSenderLine(const char* line, size_t length);

struct SenderSpan {
    size_t start = 0;  // offsets into the line
    size_t end = 0;
};

// The sender in a Return-Path or From header line (up to and including its LF, if it has one): the address
// in angle brackets when there is one, else the text after the colon up to a comment, without the blanks
// around it. The span may be empty.
SenderSpan FindSender(const char* line, size_t length);

}  // namespace mbox
