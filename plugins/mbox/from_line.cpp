#include "plugins/mbox/from_line.h"

#include <cstdio>
#include <cstring>

#include "platform/platform.h"

namespace mbox {

void FormatDateText(const platform::LocalTime& time, char (&text)[kDateTextSize])
{
    static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const char* day = time.day_of_week >= 0 && time.day_of_week <= 6 ? kDays[time.day_of_week] : "???";
    const char* month = time.month >= 1 && time.month <= 12 ? kMonths[time.month - 1] : "???";
    std::snprintf(text, kDateTextSize, " %s %s %02d %02d:%02d:%02d %04d\r\n", day, month, time.day, time.hour,
                  time.minute, time.second, time.year);
}

namespace {

// Control bytes, the blank and every 8-bit byte: a signed char at most 0x20.
bool IsBlank(char c) { return static_cast<signed char>(c) <= 0x20; }

// The position just after the first `closing` byte at or after `from` that no backslash escapes, or the
// line's length when there is none. A backslash takes the byte after it into the quoted text.
size_t SkipQuoted(const char* line, size_t length, size_t from, char closing)
{
    for (size_t i = from; i < length; ++i) {
        if (line[i] == '\\') {
            ++i;
            continue;
        }
        if (line[i] == closing) return i + 1;
    }
    return length;
}

bool StartsWithNoCase(const char* line, size_t length, const char* keyword)
{
    size_t count = std::strlen(keyword);
    if (length < count) return false;
    char lowered[16];
    std::memcpy(lowered, line, count);
    platform::LowerBytes(lowered, count);
    return std::memcmp(lowered, keyword, count) == 0;
}

}  // namespace

bool IsSenderLine(const char* line, size_t length)
{
    return StartsWithNoCase(line, length, "return-path:") || StartsWithNoCase(line, length, "from:");
}

SenderSpan FindSender(const char* line, size_t length)
{
    const void* colon = std::memchr(line, ':', length);
    size_t start = colon ? static_cast<size_t>(static_cast<const char*>(colon) - line) + 1 : length;
    while (start < length && IsBlank(line[start])) ++start;

    size_t at = start;
    while (at < length) {
        char c = line[at];
        if (c == '"') {
            at = SkipQuoted(line, length, at + 1, '"');
        } else if (c == '(') {
            // A comment where the address would begin stays part of the sender unless brackets follow;
            // anywhere else it ends the address.
            if (at != start) break;
            at = SkipQuoted(line, length, at + 1, ')');
        } else if (c == '<') {
            start = ++at;
        } else if (c == '>') {
            break;
        } else {
            ++at;
        }
    }

    size_t end = at;
    while (end > start && IsBlank(line[end - 1])) --end;
    return SenderSpan{start, end};
}

}  // namespace mbox
