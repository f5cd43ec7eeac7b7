// How the byte source's windows are filled, and how the text window is read ahead on a helper thread.
#include "dbx/byte_source.h"

#include <algorithm>
#include <utility>

namespace dbx {
namespace {

// Waits for the read in flight; true when it read what it was asked for or up to the end of the file.
bool FinishReadAhead(ByteSource::ReadAhead& ahead)
{
    uint32_t got = 0;
    bool read = platform::FinishBackgroundRead(ahead.helper, &got);
    ahead.asked = 0;
    ahead.bytes.resize(read ? got : 0);
    return read;
}

// The helper's read was in vain or came too late: it is asked again only after a longer run of text read
// through in place.
void ReadAheadLater(ByteSource::ReadAhead& ahead)
{
    ahead.forward_moves_needed = std::min(2 * ahead.forward_moves_needed, kMostForwardMovesBeforeReadingAhead);
}

bool AskedAhead(const ByteSource::ReadAhead& ahead, uint64_t offset, uint32_t count)
{
    return ahead.asked != 0 && offset >= ahead.start && offset + count <= ahead.start + ahead.asked;
}

// Takes the text read ahead as the new text window when it holds the asked bytes. Never waits for the helper:
// while its read is still under way, reading in place is quicker than waiting for all of it.
bool TakeReadAhead(ByteSource& source, uint64_t offset, uint32_t count)
{
    ByteSource::ReadAhead& ahead = source.ahead;
    if (!AskedAhead(ahead, offset, count) || !platform::BackgroundReadFinished(ahead.helper)) return false;
    if (!FinishReadAhead(ahead)) return false;  // the read in place gives the reason
    std::swap(source.text.bytes, ahead.bytes);
    source.text.start = ahead.start;
    return Holds(source.text, offset, count);
}

// Begins reading the text that follows the text window, from a window's length before its end: a piece or
// block head of up to a window that straddles the end then lies whole in what is read. The first read after
// the window began moving forward is short, and each one the window moves onto reads twice as much, up to
// kReadAheadSize: a store whose messages lie in no order costs little reading in vain, one read through from
// end to end soon goes in large reads.
void ReadOnAhead(ByteSource& source, bool window_moved_onto_the_last)
{
    ByteSource::ReadAhead& ahead = source.ahead;
    if (!ahead.helper) return;
    if (ahead.asked != 0) {
        // Read for a place the window did not go to: never waited for, the helper is needed again only after.
        ReadAheadLater(ahead);
        if (!platform::BackgroundReadFinished(ahead.helper)) return;
        FinishReadAhead(ahead);
    }
    uint64_t end = source.text.start + source.text.bytes.size();
    if (source.text.bytes.size() < kTextWindowSize || end >= source.size) return;  // the file ends in the window
    ahead.size = window_moved_onto_the_last ? std::min(2 * ahead.size, kReadAheadSize) : kFirstReadAheadSize;
    ahead.start = end - kTextWindowSize;
    ahead.asked = ahead.size;
    ahead.bytes.resize(ahead.size);
    platform::BeginBackgroundRead(ahead.helper, source.file, ahead.start, ahead.bytes.data(), ahead.size);
}

}  // namespace

bool Holds(const ByteSource::Window& window, uint64_t offset, uint32_t count)
{
    return offset >= window.start && offset + count <= window.start + window.bytes.size();
}

void Fill(ByteSource& source, ByteSource::Window& window, uint64_t offset, uint32_t size)
{
    FillFrom(source, window, offset & ~uint64_t(kValueWindowSize - 1), size);
}

void FillFrom(ByteSource& source, ByteSource::Window& window, uint64_t offset, uint32_t size)
{
    uint32_t got = 0;
    window.bytes.resize(size);
    if (!platform::ReadAt(source.file, offset, window.bytes.data(), size, &got)) got = 0;
    window.bytes.resize(got);
    window.start = offset;
}

void MoveTextWindow(ByteSource& source, uint64_t offset, uint32_t count)
{
    uint64_t old_start = source.text.start;
    uint64_t old_end = old_start + source.text.bytes.size();
    ByteSource::ReadAhead& ahead = source.ahead;
    if (TakeReadAhead(source, offset, count)) {
        ahead.forward_moves_needed = std::max(ahead.forward_moves_needed / 2, kForwardMovesBeforeReadingAhead);
        ReadOnAhead(source, true);
        return;
    }
    // The helper is slower than the conversion here: it only competes with it.
    if (AskedAhead(ahead, offset, count)) ReadAheadLater(ahead);
    // Text that jumps elsewhere (a store whose blocks lie scattered) is read a block at a time, from the block's
    // head: most of a full window would be read in vain, a copy per block that cost more than the read itself.
    bool moving_on = offset >= old_start && offset < old_end + kTextWindowSize;
    if (moving_on || count > kJumpWindowSize) Fill(source, source.text, offset, kTextWindowSize);
    else FillFrom(source, source.text, offset, kJumpWindowSize);
    // Text that has gone on at or just past the old window several times in a row is being read through: read
    // on ahead of it. After a jump, or within a message that a few windows hold, reading ahead would mostly read
    // in vain, and the copies the helper makes then only compete with the conversion's own.
    bool forward = !source.text.bytes.empty() && offset >= old_start && offset < old_end + kTextWindowSize;
    ahead.forward_moves = forward ? ahead.forward_moves + 1 : 0;
    if (ahead.forward_moves >= ahead.forward_moves_needed) ReadOnAhead(source, false);
}

void StartReadingAhead(ByteSource& source, size_t message_count)
{
    // The helper pays where the conversion spends much of its time on each message besides reading its text
    // (a file to create, a message's end to write): where messages are small. Through large ones the text read
    // in place is worked through faster than text another processor copied. A file that one window holds is
    // never read ahead either.
    if (source.ahead.helper || source.size <= kTextWindowSize) return;
    if (message_count == 0 || source.size / message_count > kLargestAverageMessageReadAhead) return;
    source.ahead.helper = platform::StartBackgroundReader();
    source.ahead.forward_moves_needed = kForwardMovesBeforeReadingAhead;
}

void StartPrefetching(ByteSource& source)
{
    if (source.prefetcher || source.size < kSmallestPrefetchedFile) return;
    platform::ErrorCode code = platform::LastError();  // a helper that cannot start is no failure of the caller
    source.prefetcher = platform::StartFilePrefetcher(source.file, source.size);
    platform::SetLastError(code);
}

void StopPrefetching(ByteSource& source)
{
    platform::StopFilePrefetcher(source.prefetcher);
    source.prefetcher = nullptr;
}

void StopReadingAhead(ByteSource& source)
{
    ByteSource::ReadAhead& ahead = source.ahead;
    if (!ahead.helper) return;
    if (ahead.asked != 0) FinishReadAhead(ahead);
    platform::StopBackgroundReader(ahead.helper);
    ahead.helper = nullptr;
}

}  // namespace dbx
