// The run, folder and message lifecycle of the bmf writer: the mailbox, its folders and their storage files.
#include <cstdio>

#include "plugins/bmf/setting.h"
#include "plugins/bmf/writer.h"
#include "plugins/common/exports.h"
#include "plugins/common/writer_folders.h"

namespace bmf {

BmfWriter g_writer;

namespace {

const char kSeparator[] = "\r\n.\r\n";
constexpr uint32_t kSeparatorLength = 5;

// Counts what reached the storage file; bytes of a failed write are not counted.
bool CountWritten(BmfWriter& writer, uint64_t written_before, bool ok)
{
    uint64_t written = writer.gathered.bytes_written - written_before;
    // Held at the top rather than wrapped: a file past 4 GB must still count as full.
    writer.bytes_in_file =
        written > UINT32_MAX - writer.bytes_in_file ? UINT32_MAX : writer.bytes_in_file + uint32_t(written);
    return ok;
}

// Every byte of a storage file goes out here, gathered into large writes that EndMessage completes.
bool WriteToStorage(BmfWriter& writer, const void* data, uint32_t length)
{
    uint64_t before = writer.gathered.bytes_written;
    bool first = writer.first_piece;
    writer.first_piece = false;
    if (!first) return CountWritten(writer, before, plugins::Gather(writer.gathered, writer.output, data, length));
    // The separator a failed message still owes goes first, so that a retried message is stored on its own
    // rather than run together with the part of it that the failed attempt left.
    bool ok = !writer.separator_owed || plugins::Gather(writer.gathered, writer.output, kSeparator, kSeparatorLength);
    writer.separator_owed = false;
    return CountWritten(writer, before, ok && plugins::Gather(writer.gathered, writer.output, data, length));
}

bool FlushStorage(BmfWriter& writer)
{
    uint64_t before = writer.gathered.bytes_written;
    return CountWritten(writer, before, plugins::Flush(writer.gathered));
}

// False when the system reports that the file's bytes did not all reach the disk.
bool CloseStorageFile(BmfWriter& writer)
{
    bool closed = true;
    if (writer.output != platform::kNoFile) {
        closed = FlushStorage(writer);
        platform::ErrorCode reason = platform::LastError();
        if (!platform::CloseFile(writer.output)) closed = false;
        else if (!closed) platform::SetLastError(reason);
    }
    writer.output = platform::kNoFile;
    writer.bytes_in_file = 0;
    writer.separator_owed = false;  // no message follows in this file
    return closed;
}

void NoteMessageStart(BmfWriter& writer)
{
    writer.message_start = plugins::GatheredEnd(writer.gathered);
    writer.bytes_in_file_at_start = writer.bytes_in_file;
    writer.separator_owed_at_start = writer.separator_owed;
}

void FormMailboxName(uint32_t t, char* out, size_t size) { std::snprintf(out, size, "%08x.mb", t); }

}  // namespace

bool StartRun(const char* destination)
{
    BmfWriter& writer = g_writer;
    CloseStorageFile(writer);
    if (!destination) {
        platform::SetLastError(platform::kErrorInvalidParameter);
        return false;
    }
    if (!platform::SetCurrentDir(destination)) return false;

    // Each run makes a mailbox of its own: the name steps on by 2 past every one already there.
    uint32_t t = MailboxClock();
    char mailbox[16];
    FormMailboxName(t, mailbox, sizeof mailbox);
    while (platform::LookUpPath(mailbox) != platform::PathKind::Missing) {
        t += 2;
        FormMailboxName(t, mailbox, sizeof mailbox);
    }
    if (!platform::CreateDir(mailbox) || !platform::SetCurrentDir(mailbox)) return false;

    char ini_path[16];
    std::snprintf(ini_path, sizeof ini_path, ".%cMailbox.ini", platform::kPathSeparator);
    if (!platform::WriteIniString("Account", "Name", "Dovan", ini_path)) return false;

    writer.file_number = t + 1;  // the first storage file is t + 2
    return true;
}

bool OpenFolder(const char* name)
{
    CloseStorageFile(g_writer);
    return plugins::EnterNewFolder(name);
}

bool CloseFolder()
{
    // The folder's last storage file: a close that fails may have lost what was written, as at a split.
    bool closed = CloseStorageFile(g_writer);
    platform::ErrorCode reason = platform::LastError();
    bool left = platform::SetCurrentDir("..");
    if (!closed) platform::SetLastError(reason);
    return closed && left;
}

bool BeginMessage()
{
    BmfWriter& writer = g_writer;
    // The size is tested only as a message begins, so a storage file always holds whole messages.
    uint32_t threshold = g_split_size_kb * 1024u;
    if (writer.output != platform::kNoFile && writer.bytes_in_file >= threshold) {
        // A close that fails may have lost what was written: say so rather than carry on silently.
        if (!CloseStorageFile(writer)) return false;
    }
    writer.first_piece = true;
    if (writer.output != platform::kNoFile) {
        NoteMessageStart(writer);
        return true;
    }

    ++writer.file_number;  // used up even when the file cannot be created
    char name[16];
    std::snprintf(name, sizeof name, "%08x.bmf", writer.file_number);
    writer.output = platform::CreateForWriting(name);
    writer.bytes_in_file = 0;
    if (writer.output == platform::kNoFile) return false;
    plugins::StartFile(writer.gathered, writer.output);  // the previous file was flushed when it was closed
    NoteMessageStart(writer);
    return true;
}

bool AppendPiece(const void* data, uint32_t length)
{
    BmfWriter& writer = g_writer;
    if (!plugins::CanTakePiece(writer.output, data, length)) return false;
    return WriteToStorage(writer, data, length);
}

bool EndMessage()
{
    BmfWriter& writer = g_writer;
    // The message is in the file, separator and all, before it counts as converted.
    bool written = AppendPiece(kSeparator, kSeparatorLength) && FlushStorage(writer);
    if (written) return true;
    // A message that is not counted leaves nothing: a retry stores it once, a skip not at all.
    platform::ErrorCode reason = platform::LastError();
    TakeBackMessage(writer);
    platform::SetLastError(reason);
    return false;
}

}  // namespace bmf
