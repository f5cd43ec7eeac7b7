// The mbox writer's folder tree, laid out as a Thunderbird profile keeps its mail: a folder's messages in a file
// named after the folder (no extension), the folders below it in the directory "NAME.sbd" beside that file.
#pragma once

#include <cstdint>

namespace mbox {

// A new run: the current directory is the destination.
void ForgetTreeFolders();

// Back to the destination after a tree folder (a flat folder's file goes there). False with the reason in the
// last-error code when it cannot.
bool LeaveTreeFolders();

// NewTreeFolder: creates the "NAME.sbd" directories of the folder's parents (existing ones are used), the
// folder's own file (replacing one an earlier run left), and its "NAME.sbd" when folders below it follow.
bool OpenTreeFolder(const char* const* path, uint32_t depth, uint32_t flags);

}  // namespace mbox
