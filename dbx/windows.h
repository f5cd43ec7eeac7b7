// The reader's windows of the file (DbxFile::values, text and ahead): their sizes and how they move.
#pragma once

#include <cstdint>

#include "dbx/dbx_file.h"

namespace dbx {

inline constexpr uint32_t kValueWindowSize = 4096;
inline constexpr uint32_t kTextWindowSize = 64 * 1024;
inline constexpr uint32_t kFirstReadAheadSize = 256 * 1024;  // read ahead at first, then twice as much each time
inline constexpr uint32_t kReadAheadSize = 2 * 1024 * 1024;      // at most
// Moves forward of the text window read in place before reading ahead begins: at first, and at most after
// the helper fell behind again and again.
inline constexpr uint32_t kForwardMovesBeforeReadingAhead = 4;
inline constexpr uint32_t kMostForwardMovesBeforeReadingAhead = 256;
// Bytes of the file per message above which it is not read ahead at all.
inline constexpr uint64_t kLargestAverageMessageReadAhead = 128 * 1024;

bool Holds(const DbxFile::Window& window, uint64_t offset, uint32_t count);

// Reads `size` bytes from the page boundary at or below `offset` into the window; fewer at the end of the
// file, none when the read fails.
void Fill(DbxFile& dbx, DbxFile::Window& window, uint64_t offset, uint32_t size);

// Moves the text window so that it holds `count` bytes at `offset` where the file has them: onto the text read
// ahead when that holds them, by a read in place otherwise.
void MoveTextWindow(DbxFile& dbx, uint64_t offset, uint32_t count);

}  // namespace dbx
