// Taking back a message the host gave up on: the mbox file is cut back to where the message began, so that a
// retried message is stored once and a skipped one not at all.
#include "plugins/mbox/writer.h"

namespace mbox {

bool TakeBackMessage(MboxWriter& writer)
{
    if (!writer.message_open || writer.output == platform::kNoFile) return true;
    bool taken_back = plugins::TakeBack(writer.gathered, writer.message_start);
    // Cut back, the file ends where it ended before the message; otherwise it may end inside a line.
    writer.line_end_owed = taken_back ? writer.line_end_owed_at_start : true;
    return taken_back;
}

bool DiscardOpenMessage()
{
    MboxWriter& writer = g_writer;
    bool taken_back = TakeBackMessage(writer);
    platform::ErrorCode reason = platform::LastError();
    ForgetMessage(writer);
    if (!writer.run_active) FreeBuffers(writer);
    platform::SetLastError(reason);
    return taken_back;
}

}  // namespace mbox
