// Taking back a message the host gave up on: the storage file is cut back to where the message began, so that a
// retried message is stored once and a skipped one not at all.
#include "plugins/bmf/writer.h"

namespace bmf {

bool DiscardOpenMessage()
{
    BmfWriter& writer = g_writer;
    writer.first_piece = false;
    return TakeBackMessage(writer);
}

bool TakeBackMessage(BmfWriter& writer)
{
    if (writer.output == platform::kNoFile) return true;
    if (!plugins::TakeBack(writer.gathered, writer.message_start)) {
        // The file may end inside the message: the next one must not run on from it.
        writer.separator_owed = true;
        return false;
    }
    writer.bytes_in_file = writer.bytes_in_file_at_start;
    writer.separator_owed = writer.separator_owed_at_start;
    return true;
}

}  // namespace bmf
