// The eml writer's folder tree: a directory per folder, the directories of the folders below it inside it,
// beside its message files.
//
// A message file's name ends in ".eml" or ".nws" or is a number (file_names.h). A subfolder whose name has one
// of those shapes would meet a message file of its parent, so its directory gets "_" appended ("2011" becomes
// "2011_", "Notes.eml" becomes "Notes.eml_"). Top-level folders keep their names: no message lies beside them.
#pragma once

#include <cstdint>
#include <string>

namespace eml {

// A new run: the current directory is the destination.
void ForgetTreeFolders();

// Back to the destination after a tree folder (a flat folder's directory goes there). False with the reason in
// the last-error code when it cannot.
bool LeaveTreeFolders();

// The directory name of a folder named `name` (a safe name), inside its parent's directory when `nested`.
std::string TreeDirectoryName(const char* name, bool nested);

// NewTreeFolder: enters the folder's directory, making it and its parents' directories where missing.
bool OpenTreeFolder(const char* const* path, uint32_t depth, uint32_t flags);

}  // namespace eml
