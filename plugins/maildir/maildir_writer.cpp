#include "plugins/maildir/maildir_writer.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/file_times.h"
#include "plugins/common/safe_names.h"

namespace maildir {
namespace {

const char* const kSubdirectories[] = {"tmp", "new", "cur"};

// cur/ seen from tmp/, the current directory of an open folder.
std::string InCur(const char* name)
{
    std::string path = "..";
    path += platform::kPathSeparator;
    path += "cur";
    path += platform::kPathSeparator;
    path += name;
    return path;
}

bool MakeDirectory(const char* path)
{
    if (platform::CreateDir(path)) return true;
    platform::ErrorCode reason = platform::LastError();
    if (platform::LookUpPath(path) == platform::PathKind::Directory) return true;  // an existing one is used
    platform::SetLastError(reason);
    return false;
}

// A stamp no entry of the Maildir's directories begins with, so that this folder's names are new even when
// an earlier run wrote into the same Maildir within the same second.
bool ChooseStamp(MaildirRun& run)
{
    std::vector<platform::DirEntry> entries;
    for (const char* subdirectory : kSubdirectories) {
        std::vector<platform::DirEntry> more;
        if (!platform::ListDirectory(subdirectory, more)) return false;
        entries.insert(entries.end(), more.begin(), more.end());
    }
    for (;;) {
        bool used = std::any_of(entries.begin(), entries.end(), [&](const platform::DirEntry& entry) {
            return NameHasStamp(entry.name.c_str(), run.stamp);
        });
        if (!used) return true;
        ++run.stamp;
    }
}

// Drops the open message's file: nothing of it reaches cur/. Keeps the last-error code.
void AbandonMessage(MaildirRun& run)
{
    platform::ErrorCode reason = platform::LastError();
    if (run.output != platform::kNoFile) {
        plugins::Discard(run.gathered);
        platform::CloseFile(run.output);
        run.output = platform::kNoFile;
    }
    if (run.unique[0]) platform::RemoveFile(run.unique);
    run.unique[0] = '\0';
    platform::SetLastError(reason);
}

bool LeaveFolder(MaildirRun& run)
{
    AbandonMessage(run);
    platform::DropPreparedFiles(run.preparer);
    if (!run.folder_open) return true;
    run.folder_open = false;
    return platform::SetCurrentDir(run.destination.c_str());
}

}  // namespace

MaildirRun& TheRun()
{
    static MaildirRun run;
    return run;
}

bool StartRun(MaildirRun& run, const char* destination)
{
    AbandonMessage(run);
    FinishRun(run);
    run.folder_open = false;
    if (!destination) {
        platform::SetLastError(platform::kErrorInvalidParameter);
        return false;
    }
    run.destination = destination;
    run.stamp = platform::SecondsSince1970();
    return platform::SetCurrentDir(destination);
}

bool OpenFolder(MaildirRun& run, const char* folder_name)
{
    if (!LeaveFolder(run)) return false;
    if (!folder_name) {
        platform::SetLastError(platform::kErrorInvalidParameter);
        return false;
    }
    char directory[names::kMaxNameLength + 1];
    const char* path[] = {folder_name};
    const char* chosen = MaildirDirectory(path, 1, directory, sizeof directory) ? directory : folder_name;
    return EnterMaildir(run, chosen);
}

bool EnterMaildir(MaildirRun& run, const char* directory)
{
    if (!MakeDirectory(directory) || !platform::SetCurrentDir(directory)) return false;
    run.folder_open = true;
    for (const char* subdirectory : kSubdirectories)
        if (!MakeDirectory(subdirectory)) return false;
    run.message_number = 0;
    return ChooseStamp(run) && platform::SetCurrentDir("tmp");
}

void TakeFacts(MaildirRun& run, const DovanMessageFacts* facts)
{
    run.next_facts = DovanMessageFacts{};
    if (!facts || facts->size < sizeof(uint32_t)) return;
    std::memcpy(&run.next_facts, facts, std::min<size_t>(facts->size, sizeof run.next_facts));
    run.next_facts.size = std::min<uint32_t>(facts->size, sizeof run.next_facts);
}

bool OpenMessage(MaildirRun& run)
{
    // A message the host never finished would otherwise keep its file open for good.
    AbandonMessage(run);
    run.facts = run.next_facts;
    run.next_facts = DovanMessageFacts{};
    run.output_failed = false;
    FormUniqueName(run.stamp, ++run.message_number, run.unique);
    if (run.message_number == kPrepareFilesFrom) {
        if (!run.preparer) run.preparer = platform::StartFilePreparer();
        platform::PrepareFilesInCurrentDir(run.preparer);
    }
    run.output = platform::CreatePreparedForWriting(run.preparer, run.unique);
    if (run.output == platform::kNoFile) {
        run.unique[0] = '\0';
        return false;
    }
    plugins::StartFile(run.gathered, run.output);
    return true;
}

bool WritePiece(MaildirRun& run, const void* data, uint32_t length)
{
    if (run.output == platform::kNoFile || (!data && length != 0)) {
        platform::SetLastError(platform::kErrorInvalidParameter);
        return false;
    }
    if (plugins::Gather(run.gathered, run.output, data, length)) return true;
    run.output_failed = true;
    return false;
}

bool DeliverMessage(MaildirRun& run)
{
    if (run.output == platform::kNoFile) return true;  // nothing open: nothing to finish
    if (run.output_failed) {
        // The failure was reported by its piece; what was written of the message is dropped.
        AbandonMessage(run);
        return true;
    }
    const DovanMessageFacts& facts = run.facts;
    uint64_t time = 0;
    if (DOVAN_FACTS_HAVE(&facts, sent_time)) {
        if (facts.present & DOVAN_FACT_RECEIVED_TIME) time = facts.received_time;
        else if (facts.present & DOVAN_FACT_SENT_TIME) time = facts.sent_time;
    }
    uint32_t flags = DOVAN_FACTS_HAVE(&facts, flags) && (facts.present & DOVAN_FACT_FLAGS) ? facts.flags : 0;

    // Every byte on disk and the date set before the message becomes visible; any failure leaves it unseen.
    if (!plugins::Flush(run.gathered) || (time != 0 && !platform::SetFileModifiedTime(run.output, time))) {
        AbandonMessage(run);
        return false;
    }
    bool closed = platform::CloseFile(run.output);
    run.output = platform::kNoFile;
    char delivered[kMessageNameSize];
    FormDeliveredName(run.unique, flags, kInfoSeparator, delivered);
    if (!closed || !platform::MoveFileNoReplace(run.unique, InCur(delivered).c_str())) {
        AbandonMessage(run);
        return false;
    }
    run.unique[0] = '\0';
    return true;
}

bool DiscardMessage(MaildirRun& run)
{
    if (run.output == platform::kNoFile) return true;  // nothing open: nothing to take back
    plugins::Discard(run.gathered);
    platform::CloseFile(run.output);  // its bytes are not wanted: a failing close loses nothing
    run.output = platform::kNoFile;
    bool removed = platform::RemoveFile(run.unique);
    run.unique[0] = '\0';
    return removed;
}

bool CloseFolder(MaildirRun& run) { return LeaveFolder(run); }

void FinishRun(MaildirRun& run)
{
    platform::StopFilePreparer(run.preparer);
    run.preparer = nullptr;
}

}  // namespace maildir
