// The bmf writer: a run becomes a new mailbox folder "%08x.mb" with Mailbox.ini, one subfolder per source
// folder, and in each the messages in storage files "%08x.bmf" of about SplitSizeKB each. A stored message is
// its text unchanged, then "\r\n.\r\n".
#include <cstdio>

#include "platform/platform.h"
#include "plugin_api/dovan_plugin.h"
#include "plugins/bmf/setting.h"
#include "plugins/common/gathered_output.h"
#include "plugins/eml/portable_names.h"

namespace {

const char kSeparator[] = "\r\n.\r\n";
constexpr uint32_t kSeparatorLength = 5;

// The run state. One run at a time uses it (the host's contract).
uint32_t g_file_number = 0;  // of the last storage file created; runs on across the folders of a run
platform::FileHandle g_output = platform::kNoFile;
uint32_t g_bytes_in_file = 0;  // pieces and separators written to the open storage file
uint32_t g_fixed_time = 0;     // set by tests only: the clock reading that names the mailbox
plugins::GatheredOutput g_gathered;  // the open message's bytes not yet written
bool g_first_piece = false;          // the open message has not had a piece yet
// A message whose separator could not be written: the next message of the file must not run on from it.
bool g_separator_owed = false;

// Counts what reached the storage file; bytes of a failed write are not counted.
bool CountWritten(uint64_t written_before, bool ok)
{
    uint64_t written = g_gathered.bytes_written - written_before;
    // Held at the top rather than wrapped: a file past 4 GB must still count as full.
    g_bytes_in_file = written > UINT32_MAX - g_bytes_in_file ? UINT32_MAX : g_bytes_in_file + uint32_t(written);
    return ok;
}

// Every byte of a storage file goes out here, gathered into large writes that FinishMessage completes.
bool WriteToStorage(const void* data, uint32_t length)
{
    uint64_t before = g_gathered.bytes_written;
    bool first = g_first_piece;
    g_first_piece = false;
    if (!first) return CountWritten(before, plugins::Gather(g_gathered, g_output, data, length));
    // The separator a failed message still owes goes first, so that a retried message is stored on its own
    // rather than run together with the part of it that the failed attempt left.
    bool ok = !g_separator_owed || plugins::Gather(g_gathered, g_output, kSeparator, kSeparatorLength);
    g_separator_owed = false;
    return CountWritten(before, ok && plugins::Gather(g_gathered, g_output, data, length));
}

bool FlushStorage()
{
    uint64_t before = g_gathered.bytes_written;
    return CountWritten(before, plugins::Flush(g_gathered));
}

// False when the system reports that the file's bytes did not all reach the disk.
bool CloseStorageFile()
{
    bool closed = true;
    if (g_output != platform::kNoFile) {
        closed = FlushStorage();
        platform::ErrorCode reason = platform::LastError();
        if (!platform::CloseFile(g_output)) closed = false;
        else if (!closed) platform::SetLastError(reason);
    }
    g_output = platform::kNoFile;
    g_bytes_in_file = 0;
    g_separator_owed = false;  // no message follows in this file
    return closed;
}

int AppendToStorage(const void* data, uint32_t length)
{
    if (g_output == platform::kNoFile || (!data && length != 0)) {
        platform::SetLastError(platform::kErrorInvalidParameter);
        return 0;
    }
    return WriteToStorage(data, length) ? 1 : 0;
}

void FormMailboxName(uint32_t t, char* out, size_t size) { std::snprintf(out, size, "%08x.mb", t); }

}  // namespace

// For tests: the next runs name their mailbox as if the clock read `seconds` since 1970 (0: the real clock).
DOVAN_ENTRY(void) SetMailboxClockForTesting(uint32_t seconds) { g_fixed_time = seconds; }

DOVAN_ENTRY(DovanTextResult) GetPluginName(void) { return 1; }

DOVAN_ENTRY(DovanTextResult) GetNote(void) { return 2; }

DOVAN_ENTRY(int) StartConvert(const char* destination)
{
    CloseStorageFile();
    if (!destination) {
        platform::SetLastError(platform::kErrorInvalidParameter);
        return 0;
    }
    if (!platform::SetCurrentDir(destination)) return 0;

    // Each run makes a mailbox of its own: the name steps on by 2 past every one already there.
    uint32_t t = g_fixed_time != 0 ? g_fixed_time : platform::SecondsSince1970();
    char mailbox[16];
    FormMailboxName(t, mailbox, sizeof mailbox);
    while (platform::LookUpPath(mailbox) != platform::PathKind::Missing) {
        t += 2;
        FormMailboxName(t, mailbox, sizeof mailbox);
    }
    if (!platform::CreateDir(mailbox) || !platform::SetCurrentDir(mailbox)) return 0;

    char ini_path[16];
    std::snprintf(ini_path, sizeof ini_path, ".%cMailbox.ini", platform::kPathSeparator);
    if (!platform::WriteIniString("Account", "Name", "Dovan", ini_path)) return 0;

    g_file_number = t + 1;  // the first storage file is t + 2
    return 1;
}

DOVAN_ENTRY(int) NewFolder(const char* name)
{
    CloseStorageFile();
    if (!name) {
        platform::SetLastError(platform::kErrorInvalidParameter);
        return 0;
    }
    char folder[names::kMaxNameLength + 1];
    const char* directory = names::MakeFolderName(name, folder, sizeof folder) ? folder : name;
    platform::CreateDir(directory);  // an existing folder is simply used
    return platform::SetCurrentDir(directory) ? 1 : 0;
}

DOVAN_ENTRY(int) NewMessage(uint32_t /*kind: mail and news are stored alike*/)
{
    // The size is tested only as a message begins, so a storage file always holds whole messages.
    uint32_t threshold = bmf::g_split_size_kb * 1024u;
    if (g_output != platform::kNoFile && g_bytes_in_file >= threshold) {
        // A close that fails may have lost what was written: say so rather than carry on silently.
        if (!CloseStorageFile()) return 0;
    }
    g_first_piece = true;
    if (g_output != platform::kNoFile) return 1;

    ++g_file_number;  // used up even when the file cannot be created
    char name[16];
    std::snprintf(name, sizeof name, "%08x.bmf", g_file_number);
    g_output = platform::CreateForWriting(name);
    g_bytes_in_file = 0;
    if (g_output == platform::kNoFile) return 0;
    plugins::StartFile(g_gathered, g_output);  // the previous file was flushed when it was closed
    return 1;
}

DOVAN_ENTRY(int) AppendBuffer(const void* data, uint32_t length) { return AppendToStorage(data, length); }

DOVAN_ENTRY(int) FinishMessage(void)
{
    // The message is in the file, separator and all, before it counts as converted.
    g_separator_owed = !AppendToStorage(kSeparator, kSeparatorLength) || !FlushStorage();
    return g_separator_owed ? 0 : 1;
}

DOVAN_ENTRY(int) FinishFolder(void)
{
    CloseStorageFile();
    return platform::SetCurrentDir("..") ? 1 : 0;
}

DOVAN_ENTRY(int) FinishConvert(void) { return 1; }
