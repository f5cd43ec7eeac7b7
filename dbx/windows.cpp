// How the reader's windows are filled, and how the text window is read ahead on a helper thread.
#include "dbx/windows.h"

#include <utility>

namespace dbx {
namespace {

// Waits for the read in flight; true when it read what it was asked for or up to the end of the file.
bool FinishReadAhead(DbxFile::ReadAhead& ahead)
{
    uint32_t got = 0;
    bool read = platform::FinishBackgroundRead(ahead.helper, &got);
    ahead.asked = 0;
    ahead.bytes.resize(read ? got : 0);
    return read;
}

// Takes the text read ahead as the new text window when it holds the asked bytes.
bool TakeReadAhead(DbxFile& dbx, uint64_t offset, uint32_t count)
{
    DbxFile::ReadAhead& ahead = dbx.ahead;
    if (ahead.asked == 0 || offset < ahead.start || offset + count > ahead.start + ahead.asked) return false;
    if (!FinishReadAhead(ahead)) return false;  // the read in place gives the reason
    std::swap(dbx.text.bytes, ahead.bytes);
    dbx.text.start = ahead.start;
    return Holds(dbx.text, offset, count);
}

// Begins reading the text that follows the text window, from a window's length before its end: a piece or
// block head of up to a window that straddles the end then lies whole in what is read.
void ReadOnAhead(DbxFile& dbx)
{
    DbxFile::ReadAhead& ahead = dbx.ahead;
    if (!ahead.helper) return;
    if (ahead.asked != 0) FinishReadAhead(ahead);  // read for a place the window did not go to
    uint64_t end = dbx.text.start + dbx.text.bytes.size();
    if (dbx.text.bytes.size() < kTextWindowSize || end >= dbx.file_size) return;  // the file ends in the window
    ahead.start = end - kTextWindowSize;
    ahead.asked = kReadAheadSize;
    ahead.bytes.resize(kReadAheadSize);
    platform::BeginBackgroundRead(ahead.helper, dbx.file, ahead.start, ahead.bytes.data(), kReadAheadSize);
}

}  // namespace

bool Holds(const DbxFile::Window& window, uint64_t offset, uint32_t count)
{
    return offset >= window.start && offset + count <= window.start + window.bytes.size();
}

void Fill(DbxFile& dbx, DbxFile::Window& window, uint64_t offset, uint32_t size)
{
    uint64_t start = offset & ~uint64_t(kValueWindowSize - 1);
    uint32_t got = 0;
    window.bytes.resize(size);
    if (!platform::ReadAt(dbx.file, start, window.bytes.data(), size, &got)) got = 0;
    window.bytes.resize(got);
    window.start = start;
}

void MoveTextWindow(DbxFile& dbx, uint64_t offset, uint32_t count)
{
    uint64_t old_start = dbx.text.start;
    uint64_t old_end = old_start + dbx.text.bytes.size();
    if (TakeReadAhead(dbx, offset, count)) {
        ReadOnAhead(dbx);
        return;
    }
    Fill(dbx, dbx.text, offset, kTextWindowSize);
    // Text that goes on at or just past the old window is being read through: read on ahead of it. After a
    // jump, reading ahead would most likely read in vain.
    if (!dbx.text.bytes.empty() && offset >= old_start && offset < old_end + kTextWindowSize) ReadOnAhead(dbx);
}

void StartReadingAhead(DbxFile& dbx)
{
    // A file that one window holds is never read ahead: no thread for it.
    if (!dbx.ahead.helper && dbx.file_size > kTextWindowSize) dbx.ahead.helper = platform::StartBackgroundReader();
}

void StopReadingAhead(DbxFile& dbx)
{
    DbxFile::ReadAhead& ahead = dbx.ahead;
    if (!ahead.helper) return;
    if (ahead.asked != 0) FinishReadAhead(ahead);
    platform::StopBackgroundReader(ahead.helper);
    ahead.helper = nullptr;
}

}  // namespace dbx
