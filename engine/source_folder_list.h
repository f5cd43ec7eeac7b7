// The folder list of a source folder: its Folders.dbx, found in any letter case.
#pragma once

#include <vector>

#include "dbx/folder_list.h"

namespace engine {

// Reads the folder list of `source`. False when there is no Folders.dbx, it cannot be opened, or it is not a
// folder list; a damaged list gives what could be read.
bool ReadSourceFolderList(const char* source, std::vector<dbx::FolderRecord>& list);

}  // namespace engine
