// The run, folder and message lifecycle of the mbox writer.
#include <cstdlib>
#include <cstring>

#include "plugins/mbox/message_state.h"
#include "plugins/mbox/tree_folders.h"
#include "plugins/mbox/writer.h"

namespace mbox {

MboxWriter g_writer;

void ForgetMessage(MboxWriter& writer)
{
    writer.line.length = 0;
    writer.header.length = 0;
    writer.message_open = false;
    writer.in_header = false;
    writer.message_failed = false;
    writer.sender_found = false;
    writer.passing_line = false;
}

void FreeBuffers(MboxWriter& writer)
{
    FreeBuffer(writer.line);
    FreeBuffer(writer.header);
}

bool StartRun(const char* destination)
{
    MboxWriter& writer = g_writer;
    if (!destination) {
        platform::SetLastError(platform::kErrorInvalidParameter);
        return false;
    }
    ForgetMessage(writer);
    if (!AllocateBuffer(writer.line, kInitialLineCapacity) || !AllocateBuffer(writer.header, kInitialHeaderCapacity)) {
        FreeBuffers(writer);
        platform::SetLastError(platform::kErrorNotEnoughMemory);
        return false;
    }
    FormatDateText(platform::CurrentLocalTime(), writer.date_text);
    BeginRunFacts();
    ForgetTreeFolders();
    if (!platform::SetCurrentDir(destination)) {
        // The host calls nothing more after a failed start, not even FinishConvert: release here.
        platform::ErrorCode reason = platform::LastError();
        FreeBuffers(writer);
        platform::SetLastError(reason);
        return false;
    }
    writer.run_active = true;
    return true;
}

void EndRun()
{
    MboxWriter& writer = g_writer;
    writer.run_active = false;
    // A stopped run may still close its open message after this; it needs the held header, so the buffers
    // then go when that message ends.
    if (!writer.message_open) FreeBuffers(writer);
}

bool OpenFolder(const char* name)
{
    if (!name) {
        platform::SetLastError(platform::kErrorInvalidParameter);
        return false;
    }
    if (!LeaveTreeFolders()) return false;
    size_t name_length = std::strlen(name);
    char* path = static_cast<char*>(std::malloc(name_length + sizeof ".mbx"));
    if (!path) {
        platform::SetLastError(platform::kErrorNotEnoughMemory);
        return false;
    }
    std::memcpy(path, name, name_length);
    std::memcpy(path + name_length, ".mbx", sizeof ".mbx");
    bool opened = OpenFolderFile(path);
    platform::ErrorCode reason = platform::LastError();
    std::free(path);
    platform::SetLastError(reason);
    return opened;
}

bool OpenFolderFile(const char* path)
{
    MboxWriter& writer = g_writer;
    if (writer.output != platform::kNoFile) {
        plugins::Flush(writer.gathered);
        platform::CloseFile(writer.output);
        writer.output = platform::kNoFile;
    }
    // Replaces the file an earlier run left.
    writer.line_end_owed = false;
    writer.output = platform::CreateForWriting(path);
    if (writer.output != platform::kNoFile) plugins::StartFile(writer.gathered, writer.output);
    return writer.output != platform::kNoFile;
}

bool CloseFolder()
{
    MboxWriter& writer = g_writer;
    if (writer.output == platform::kNoFile) return true;
    // Forgotten even when the close fails: the system has released the handle all the same, and closing it
    // again could close a file opened since.
    // A line end still owed is not written: no From_ line follows in this file.
    writer.line_end_owed = false;
    bool flushed = plugins::Flush(writer.gathered);
    platform::ErrorCode reason = platform::LastError();
    bool closed = platform::CloseFile(writer.output);
    writer.output = platform::kNoFile;
    if (!flushed) platform::SetLastError(reason);
    return flushed && closed;
}

void BeginMessage()
{
    MboxWriter& writer = g_writer;
    ForgetMessage(writer);
    BeginMessageFacts();
    writer.message_open = true;
    writer.in_header = true;
    writer.message_start = plugins::GatheredEnd(writer.gathered);
    writer.line_end_owed_at_start = writer.line_end_owed;
}

bool EndMessage()
{
    MboxWriter& writer = g_writer;
    // A message that failed part-way is passed again in full or skipped: what it holds is dropped.
    bool written = writer.message_failed || !writer.message_open || WriteHeldText();
    written = written && plugins::Gather(writer.gathered, writer.output, "\r\n", 2);
    // Everything of the message is in the file before it counts as converted.
    written = plugins::Flush(writer.gathered) && written;
    platform::ErrorCode reason = platform::LastError();
    // A message that is not counted leaves nothing: a retry stores it once, a skip not at all.
    if (written) writer.line_end_owed = false;
    else TakeBackMessage(writer);
    ForgetMessage(writer);
    if (!writer.run_active) FreeBuffers(writer);
    platform::SetLastError(reason);
    return written;
}

}  // namespace mbox
