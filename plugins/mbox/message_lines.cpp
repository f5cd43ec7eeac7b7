// One message's text, line by line: the header is held back until the empty line that ends it (the From_
// line needs the sender found in it), then the From_ line, the header and each body line are written.
#include <cstring>

#include "plugins/mbox/body_quoting.h"
#include "plugins/mbox/message_state.h"
#include "plugins/mbox/setting.h"
#include "plugins/mbox/writer.h"

namespace mbox {
namespace {

// Hands bytes on to the open mbox file. False, with the system's reason, when a write fails.
inline bool Write(MboxWriter& writer, const char* bytes, size_t count)
{
    return plugins::Gather(writer.gathered, writer.output, bytes, count);
}

// CR LF is the stored line end; a bare LF line also ends the header, so that a message stored with bare
// line ends gets its body lines quoted like any other.
bool IsEmptyLine(const char* line, size_t length)
{
    return (length == 2 && line[0] == '\r' && line[1] == '\n') || (length == 1 && line[0] == '\n');
}

// The line end of the state lines: that of the header's last line (the empty line when there is one), or CR LF
// as on the From_ line when the header holds no whole line.
void ChooseLineEnd(const ByteBuffer& header, const char** end, size_t* end_length)
{
    size_t at = header.length;
    bool lf = at > 0 && header.data[at - 1] == '\n';
    bool cr_lf = lf && at > 1 && header.data[at - 2] == '\r';
    *end = cr_lf || !lf ? "\r\n" : "\n";
    *end_length = cr_lf || !lf ? 2 : 1;
}

// empty_line_length: the bytes of the empty line that ended the header, 0 when none did; the state lines go
// before it.
bool WriteFromLineAndHeader(MboxWriter& writer, size_t empty_line_length)
{
    const char* sender = kPlaceholderSender;
    size_t sender_length = sizeof kPlaceholderSender - 1;
    if (writer.sender_found) {
        sender = writer.header.data + writer.sender_start;
        sender_length = writer.sender_end - writer.sender_start;
    }
    char message_date[kDateTextSize];
    const char* date = MessageDateText(message_date) ? message_date : writer.date_text;
    if (writer.line_end_owed && !Write(writer, "\r\n", 2)) return false;
    writer.line_end_owed = false;  // gathered with the From_ line: a failure there owes it again
    if (!(Write(writer, "From ", 5) && Write(writer, sender, sender_length) && Write(writer, date, std::strlen(date))))
        return false;
    if (!WantsStatusLines()) return Write(writer, writer.header.data, writer.header.length);
    const char* line_end = nullptr;
    size_t line_end_length = 0;
    ChooseLineEnd(writer.header, &line_end, &line_end_length);
    char lines[kStatusLinesSize];
    size_t lines_length = FormStatusLines(line_end, line_end_length, lines);
    size_t fields_length = writer.header.length - empty_line_length;
    return Write(writer, writer.header.data, fields_length) && Write(writer, lines, lines_length) &&
           Write(writer, writer.header.data + fields_length, empty_line_length);
}

bool HandleHeaderLine(MboxWriter& writer, const char* line, size_t length)
{
    // Old state lines give way to the store's (message_state.h).
    if (WantsStatusLines() && DropsHeaderLine(line, length)) return true;
    size_t line_offset = writer.header.length;
    if (!AppendToBuffer(writer.header, line, length, 0, kInitialHeaderCapacity)) return false;
    if (!writer.sender_found && IsSenderLine(line, length)) {
        SenderSpan span = FindSender(line, length);
        writer.sender_found = true;
        writer.sender_start = line_offset + span.start;
        writer.sender_end = line_offset + span.end;
    }
    if (IsEmptyLine(line, length)) {
        // On a failed write the flag stays set: nothing more of this message is written.
        if (!WriteFromLineAndHeader(writer, length)) return false;
        writer.in_header = false;
    }
    return true;
}

bool WriteBodyLine(MboxWriter& writer, const char* line, size_t length)
{
    if (NeedsQuote(g_quoting_mode, line, length) && !Write(writer, ">", 1)) return false;
    return Write(writer, line, length);
}

// Only lines that begin with one of these can need a ">": most body lines are passed without a closer look.
inline bool MayNeedQuote(char first) { return first == 'F' || first == 'f' || first == '>'; }

bool HandleLine(MboxWriter& writer, const char* line, size_t length)
{
    return writer.in_header ? HandleHeaderLine(writer, line, length) : WriteBodyLine(writer, line, length);
}

// Assembles the piece's lines and hands each complete one on.
bool AppendLines(const char* data, size_t length)
{
    MboxWriter& writer = g_writer;
    const char* end = data + length;
    const char* at = data;
    // Body lines that need no quoting and lie whole in this piece are written together, straight from it.
    const char* unwritten = at;
    auto write_unwritten = [&](const char* upto) {
        bool ok = upto == unwritten || Write(writer, unwritten, static_cast<size_t>(upto - unwritten));
        unwritten = upto;
        return ok;
    };

    while (at < end) {
        if (writer.line.length == 0 && !writer.in_header) {
            // The body lines before the next one that could need a ">" are left for write_unwritten; the rest
            // of a line that needs none goes out as it comes.
            const char* candidate = writer.passing_line ? FindLaterQuoteCandidate(g_quoting_mode, at, end)
                                                        : FindQuoteCandidate(g_quoting_mode, at, end);
            if (!candidate) {
                // So the piece's last line, if it goes on in the next piece, needs no ">" either.
                writer.passing_line = end[-1] != '\n';
                break;
            }
            writer.passing_line = false;
            at = candidate;
        }
        const void* found = std::memchr(at, '\n', static_cast<size_t>(end - at));
        if (!found) {
            // The line goes on in the next piece.
            if (!write_unwritten(at)) return false;
            return AppendToBuffer(writer.line, at, static_cast<size_t>(end - at), 1, kInitialLineCapacity);
        }
        const char* next = static_cast<const char*>(found) + 1;
        size_t count = static_cast<size_t>(next - at);
        if (writer.line.length > 0) {
            // The end of a line begun in an earlier piece.
            if (!AppendToBuffer(writer.line, at, count, 1, kInitialLineCapacity)) return false;
            bool handled = HandleLine(writer, writer.line.data, writer.line.length);
            writer.line.length = 0;
            if (!handled) return false;
            unwritten = next;
        } else if (!writer.in_header && (!MayNeedQuote(*at) || !NeedsQuote(g_quoting_mode, at, count))) {
            // Left for write_unwritten.
        } else {
            if (!write_unwritten(at) || !HandleLine(writer, at, count)) return false;
            unwritten = next;
        }
        at = next;
    }
    return write_unwritten(end);
}

}  // namespace

bool AppendText(const char* data, size_t length)
{
    MboxWriter& writer = g_writer;
    if (!data && length > 0) {
        platform::SetLastError(platform::kErrorInvalidParameter);
        writer.message_failed = true;
        return false;
    }
    // What is gathered goes out as the buffer fills, and at the end of the message.
    if (AppendLines(data, length)) return true;
    writer.message_failed = true;
    // What was handed on before a failure that was not a write's (memory) is in the file, as it always was.
    platform::ErrorCode reason = platform::LastError();
    plugins::Flush(writer.gathered);
    platform::SetLastError(reason);
    return false;
}

bool WriteHeldText()
{
    MboxWriter& writer = g_writer;
    const char* partial = writer.line.data;
    size_t partial_length = writer.line.length;
    writer.line.length = 0;
    if (writer.in_header) {
        // No empty line ended the header (a header-only item, a truncated message): its text is written
        // now rather than lost.
        writer.in_header = false;
        return WriteFromLineAndHeader(writer, 0) && (partial_length == 0 || Write(writer, partial, partial_length));
    }
    return partial_length == 0 || WriteBodyLine(writer, partial, partial_length);
}

}  // namespace mbox
