#include "plugins/eml/subject_search.h"

#include <cstring>

#include "platform/platform.h"

namespace eml {
namespace {

bool IsBlank(unsigned char c) { return c <= 0x20; }

void HoldBytes(SubjectSearch& search, const unsigned char* bytes, size_t count)
{
    size_t take = kHeldLineMax - search.held_length;
    if (take > count) take = count;
    std::memcpy(search.held + search.held_length, bytes, take);
    search.held_length += take;
    // A line is trimmed before it is cut to 128 bytes: remember whether anything but blanks lies beyond.
    for (size_t i = take; i < count && !search.held_line_goes_on; ++i)
        if (!IsBlank(bytes[i])) search.held_line_goes_on = true;
}

// The held line is complete: take its subject if it is a Subject line, then start a new line.
void CompleteLine(SubjectSearch& search)
{
    size_t length = search.held_length;
    if (!search.held_line_goes_on)
        while (length > 0 && IsBlank(static_cast<unsigned char>(search.held[length - 1]))) --length;
    search.held_length = 0;
    search.held_line_goes_on = false;

    if (length < 8) return;
    platform::LowerBytes(search.held, 7);
    if (std::memcmp(search.held, "subject:", 8) != 0) return;
    size_t start = 8;
    while (start < length && (search.held[start] == ' ' || search.held[start] == '\t')) ++start;
    size_t count = length - start;
    if (count > kSubjectMax) count = kSubjectMax;
    std::memcpy(search.subject, search.held + start, count);
    search.subject_length = count;
}

}  // namespace

void ResetSubjectSearch(SubjectSearch& search)
{
    search.held_length = 0;
    search.held_line_goes_on = false;
    search.subject_length = 0;
}

void ScanPieceForSubject(SubjectSearch& search, const unsigned char* data, size_t length)
{
    size_t position = 0;
    while (position < length && search.subject_length == 0) {
        const void* found = std::memchr(data + position, '\n', length - position);
        if (!found) {
            HoldBytes(search, data + position, length - position);
            return;
        }
        size_t line_end = static_cast<size_t>(static_cast<const unsigned char*>(found) - data);
        HoldBytes(search, data + position, line_end - position);
        CompleteLine(search);
        position = line_end + 1;
    }
}

}  // namespace eml
