// Taking back a message the host gave up on: its file goes, and its name and number are free again, so that a
// retried message gets the name it would have had and a skipped one leaves no trace.
#include "platform/file_times.h"
#include "plugins/eml/writer.h"

namespace eml {

bool DiscardOpenMessage()
{
    EmlWriter& writer = g_writer;
    if (writer.output == platform::kNoFile) return true;  // nothing open: nothing to take back
    plugins::Discard(writer.gathered);
    platform::CloseFile(writer.output);  // its bytes are not wanted: a failing close loses nothing
    writer.output = platform::kNoFile;
    return RemoveUncountedFile(writer);
}

bool RemoveUncountedFile(EmlWriter& writer)
{
    // The working name was never noted among the folder's names, so clearing it frees it.
    bool removed = platform::RemoveFile(writer.working_name);
    platform::ErrorCode reason = platform::LastError();
    if (removed) {
        writer.working_name[0] = '\0';
        --writer.message_number;
        return true;
    }
    // The file stays under its working name: later names must not collide with it.
    if (writer.rule == kSubjectName) RememberName(writer.folder_names, writer.working_name);
    writer.working_name[0] = '\0';
    platform::SetLastError(reason);
    return false;
}

}  // namespace eml
