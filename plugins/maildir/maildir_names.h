// The names a Maildir writer gives: the folder's directory, each message's unique name and its info part.
#pragma once

#include <cstddef>
#include <cstdint>

namespace maildir {

// Bytes enough for any message name: "<stamp>.<number>.dovan" and ":2," and five flags.
inline constexpr size_t kMessageNameSize = 64;

// Where ":" cannot be part of a file name, Maildir readers take ";" as the separator of the info part.
#ifdef _WIN32
inline constexpr char kInfoSeparator = ';';
#else
inline constexpr char kInfoSeparator = ':';
#endif

// The directory of a source folder's Maildir, relative to the destination. `folder_path` holds the folder's
// name and, above it, its parents' names, the outermost first (one name while folders are written flat, each
// a Maildir named after the folder). False when the name does not fit; the caller then uses the name as given.
bool MaildirDirectory(const char* const* folder_path, size_t depth, char* out, size_t capacity);

// The unique part of a message's name: "<stamp>.<number, 8 digits>.dovan". The stamp is a folder's, chosen so
// that no name of an earlier run begins with it.
void FormUniqueName(uint32_t stamp, uint32_t number, char (&out)[kMessageNameSize]);

// "<unique><separator>2,<flags>": the flags as letters in ASCII order, D draft, F flagged, P forwarded,
// R answered, S read (DOVAN_MESSAGE_ bits; the others have no letter).
void FormDeliveredName(const char* unique, uint32_t flags, char separator, char (&out)[kMessageNameSize]);

// True when an entry of a Maildir directory is named with this stamp ("<stamp>." at its start).
bool NameHasStamp(const char* name, uint32_t stamp);

}  // namespace maildir
