// Finding a message's sender in its header, for the From_ line.
#pragma once

#include <cstddef>

namespace mbox {

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
