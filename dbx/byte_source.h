// The byte source of the reader: the bytes of one store file, read through windows, with text read ahead on a
// helper thread. Decoding lies elsewhere (dbx/decode.h); the reader's calls are in dbx_file.h.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/platform.h"

namespace dbx {

// Windows of the file read ahead, so that most reads come from memory instead of a system call each: the
// last four 4 KiB pages that values were read from (index nodes and records lie close together, and a walk
// goes back and forth between a node and its children), and the last 64 KiB of message text (a chain's
// blocks usually follow one another, and their heads are read from there too; one block after a jump) or the last
// text read ahead (below). Bytes outside them are read from the file again, and a read the windows
// cannot serve in full is made exactly as asked, so every result is what a read of the file gives.
struct ByteSource {
    platform::FileHandle file = platform::kNoFile;  // borrowed: opened and closed by the caller
    uint64_t size = 0;                              // the file's size when the source was set up

    struct Window {
        std::vector<unsigned char> bytes;
        uint64_t start = 0;
    };
    std::array<Window, 4> values;  // the most recently used first
    Window text;

    // Text read ahead on a helper thread, once StartReadingAhead has started one: while the text window moves
    // forward through the file, the text that follows it (from a window's length before its end, so that text
    // straddling its end lies whole in it; 256 KiB at first, then twice as much each time, up to 2 MiB) is read
    // while the window's text is converted, and the window then moves onto it. A window that jumps elsewhere is
    // read in place, as without a helper, and so are the first few windows after it that move forward.
    struct ReadAhead {
        platform::BackgroundReader* helper = nullptr;
        std::vector<unsigned char> bytes;  // the helper's while a read is in flight
        uint64_t start = 0;
        uint32_t asked = 0;                 // bytes of the read in flight; 0 when none is
        uint32_t size = 0;                  // bytes of the read begun last
        uint32_t forward_moves = 0;         // reads in place in a row that went on at or just past the window before
        uint32_t forward_moves_needed = 0;  // before reading ahead: more while the helper falls behind
    };
    ReadAhead ahead;

    // The whole file brought into the system's cache from start to end on a helper thread, for files above
    // kSmallestPrefetchedFile: where the store is not in memory, the disk then sees long sequential reads
    // instead of one small read per scattered block.
    platform::FilePrefetcher* prefetcher = nullptr;
};

inline constexpr uint64_t kSmallestPrefetchedFile = 1 << 20;
inline constexpr uint32_t kValueWindowSize = 4096;
inline constexpr uint32_t kTextWindowSize = 64 * 1024;
// The text window after a jump: one block of a message's text, its 16-byte head and the 512 bytes a block holds.
inline constexpr uint32_t kJumpWindowSize = 16 + 512;
inline constexpr uint32_t kFirstReadAheadSize = 256 * 1024;  // read ahead at first, then twice as much each time
inline constexpr uint32_t kReadAheadSize = 2 * 1024 * 1024;  // at most
// Moves forward of the text window read in place before reading ahead begins: at first, and at most after
// the helper fell behind again and again.
inline constexpr uint32_t kForwardMovesBeforeReadingAhead = 4;
inline constexpr uint32_t kMostForwardMovesBeforeReadingAhead = 256;
// Bytes of the file per message above which it is not read ahead at all.
inline constexpr uint64_t kLargestAverageMessageReadAhead = 128 * 1024;

bool Holds(const ByteSource::Window& window, uint64_t offset, uint32_t count);

// Reads `size` bytes from the page boundary at or below `offset` into the window; fewer at the end of the
// file, none when the read fails.
void Fill(ByteSource& source, ByteSource::Window& window, uint64_t offset, uint32_t size);

// Reads `size` bytes from `offset` itself into the window, as Fill does.
void FillFrom(ByteSource& source, ByteSource::Window& window, uint64_t offset, uint32_t size);

// Moves the text window so that it holds `count` bytes at `offset` where the file has them: onto the text read
// ahead when that holds them, by a read in place otherwise.
void MoveTextWindow(ByteSource& source, uint64_t offset, uint32_t count);

// Reads text ahead on a helper thread from now on, for a file of `message_count` messages that are small on
// average (otherwise, or where no thread can be started, nothing changes).
void StartReadingAhead(ByteSource& source, size_t message_count);

// Waits for a read still in flight and ends the helper. Must come before the file is closed.
void StopReadingAhead(ByteSource& source);

// Starts and stops the prefetcher (above). Nothing changes but speed where no helper can be started.
void StartPrefetching(ByteSource& source);
void StopPrefetching(ByteSource& source);

}  // namespace dbx
