// The parts of a From_ line that do not come from the message: the run's date text and the placeholder sender.
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

}  // namespace mbox
