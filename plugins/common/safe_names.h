// Names that every file system Dovan runs on takes as ordinary entries: the one rule behind the folder names
// the engine hands to the writers, the folders the writers make of them and the files eml names after subjects.
//
// Windows reserves device names (CON, NUL, COM1, ...) even with an extension or trailing blanks after them, and
// silently drops a trailing dot or blank from a name. The writers apply the same adjustments on every platform,
// so that a run gives the same output tree wherever it runs; an adjusted name is marked by an inserted "=", in
// the spirit of the "=" that stands for every byte a file name may not hold.
#pragma once

#include <cstddef>

namespace names {

// Longest name (without its terminating NUL) that the writers produce for one directory entry.
inline constexpr size_t kMaxNameLength = 255;

// The length of the reserved device name that `name` begins with, when the system would take the whole name
// for that device (the device name alone, or followed by blanks, dots or an extension); 0 otherwise.
size_t ReservedDeviceLength(const char* name, size_t length);

// Inserts "=" after a reserved device name at the start of name[0..length), in place. `capacity` is the size of
// the buffer; returns the new length (unchanged when nothing needed adjusting or there is no room).
size_t AdjustReservedName(char* name, size_t length, size_t capacity);

// A source folder's name as a directory name inside the current directory: path separators become "=", a
// reserved device name gets its "=", and an empty name or one ending in a dot or blank gets "=" appended (so
// "." and ".." can never lead out of the current directory). Writes a terminated name into out. False when the
// result might not fit; the caller then uses the name as given and lets the system judge it.
bool MakeFolderName(const char* name, char* out, size_t capacity);

}  // namespace names
