// The options and the open message's facts.
#include "plugins/mbox/message_state.h"

#include <cstring>

#include "platform/file_times.h"
#include "platform/platform.h"
#include "plugins/common/message_facts.h"

namespace mbox {
namespace {

struct MessageState {
    bool from_message_date = false;  // the options keep their values while the library stays loaded
    bool status_headers = false;
    uint64_t run_time = 0;  // FILETIME
    DovanMessageFacts next{};
    DovanMessageFacts open{};
    bool dropping = false;  // the last header line was left out: its continuation lines go too
};

MessageState g_state;

bool ParseSwitch(const char* value, const char* on, const char* off, bool* result)
{
    if (std::strcmp(value, on) == 0) {
        *result = true;
        return true;
    }
    if (std::strcmp(value, off) == 0) {
        *result = false;
        return true;
    }
    return false;
}

bool StartsWithNoCase(const char* line, size_t length, const char* name)
{
    size_t count = std::strlen(name);
    if (length < count) return false;
    for (size_t i = 0; i < count; ++i) {
        char c = line[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != name[i]) return false;
    }
    return true;
}

}  // namespace

bool SetMessageOption(const char* name, const char* value)
{
    bool known = false;
    if (name && value) {
        if (std::strcmp(name, "from-date") == 0)
            known = ParseSwitch(value, "message", "run", &g_state.from_message_date);
        else if (std::strcmp(name, "status-headers") == 0)
            known = ParseSwitch(value, "on", "off", &g_state.status_headers);
    }
    if (!known) platform::SetLastError(platform::kErrorInvalidParameter);
    return known;
}

void BeginRunFacts()
{
    g_state.run_time = platform::FiletimeFromUnixSeconds(platform::SecondsSince1970());
    g_state.next = DovanMessageFacts{};
}

void NoteMessageFacts(const DovanMessageFacts* facts) { g_state.next = plugins::CopyMessageFacts(facts); }

void BeginMessageFacts()
{
    g_state.open = g_state.next;
    g_state.next = DovanMessageFacts{};
    g_state.dropping = false;
}

bool MessageDateText(char (&text)[kDateTextSize])
{
    if (!g_state.from_message_date) return false;
    uint64_t date = plugins::MessageDate(g_state.open);
    FormatUtcDateText(date != 0 ? date : g_state.run_time, text);
    return true;
}

bool WantsStatusLines()
{
    uint32_t flags = 0;
    return g_state.status_headers && plugins::MessageFlags(g_state.open, &flags);
}

bool DropsHeaderLine(const char* line, size_t length)
{
    if (length > 0 && (line[0] == ' ' || line[0] == '\t')) return g_state.dropping;
    g_state.dropping = StartsWithNoCase(line, length, "status:") || StartsWithNoCase(line, length, "x-status:") ||
                       StartsWithNoCase(line, length, "x-mozilla-status:");
    return g_state.dropping;
}

size_t FormStatusLines(const char* line_end, size_t line_end_length, char (&text)[kStatusLinesSize])
{
    uint32_t flags = 0;
    plugins::MessageFlags(g_state.open, &flags);
    size_t length = 0;
    auto add = [&](const char* bytes, size_t count) {
        std::memcpy(text + length, bytes, count);
        length += count;
    };
    auto add_text = [&](const char* bytes) { add(bytes, std::strlen(bytes)); };

    add_text(flags & DOVAN_MESSAGE_READ ? "Status: RO" : "Status: O");
    add(line_end, line_end_length);
    if (flags & (DOVAN_MESSAGE_ANSWERED | DOVAN_MESSAGE_FLAGGED | DOVAN_MESSAGE_DRAFT)) {
        add_text("X-Status: ");
        if (flags & DOVAN_MESSAGE_ANSWERED) add_text("A");
        if (flags & DOVAN_MESSAGE_FLAGGED) add_text("F");
        if (flags & DOVAN_MESSAGE_DRAFT) add_text("T");
        add(line_end, line_end_length);
    }
    // Thunderbird's bits: read 0x0001, replied 0x0002, marked 0x0004, forwarded 0x1000. It has none for a draft.
    unsigned mozilla = (flags & DOVAN_MESSAGE_READ ? 0x0001u : 0) | (flags & DOVAN_MESSAGE_ANSWERED ? 0x0002u : 0) |
                       (flags & DOVAN_MESSAGE_FLAGGED ? 0x0004u : 0) | (flags & DOVAN_MESSAGE_FORWARDED ? 0x1000u : 0);
    static const char kHex[] = "0123456789abcdef";
    add_text("X-Mozilla-Status: ");
    for (int shift = 12; shift >= 0; shift -= 4) add(&kHex[(mozilla >> shift) & 15], 1);
    add(line_end, line_end_length);
    return length;
}

}  // namespace mbox
