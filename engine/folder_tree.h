// The folder tree of a run: where each folder of the store's folder list goes in the destination, and in which
// order the run visits them.
//
// Placement: the local folders' container is no folder of its own (its subfolders are the top level); every
// other account container is a top-level folder named after the account. A listed folder appears when it or a
// folder below it has a .dbx file in the source (its listed file name matched in any letter case); the others
// are left out. Files that the list names for no folder come last, at the top level under their base name and
// in the order of the flat run.
//
// Damaged lists: a folder whose parent is not listed, or whose parents lead back to itself, is cut loose and
// placed at the top level (its own subfolders stay below it); so is a folder deeper than kMaxFolderDepth, so
// that no path grows without bound. Every step is iterative and linear in the size of the list.
//
// Order: depth-first in list order, each folder before its subfolders; then the unlisted files.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "dbx/folder_list.h"
#include "engine/source_folders.h"

namespace engine {

inline constexpr size_t kMaxFolderDepth = 32;
inline constexpr size_t kNoParentFolder = static_cast<size_t>(-1);

struct TreeFolder {
    size_t parent = kNoParentFolder;  // index in the run's list; kNoParentFolder at the top level
    size_t depth = 1;                 // 1 at the top level
    std::string writer_name;          // one safe path component, unique among its siblings in any letter case
    std::string shown_name;           // the name for texts ("?" for what does not decode), with the same suffix
    std::string file_name;            // the .dbx file as found in the source; empty when it has none
    bool has_subfolders = false;
};

struct TreeOptions {
    std::string code_page = "windows-1252";  // of the names in the folder list
};

// The run's folders in run order: parents before their subfolders.
std::vector<TreeFolder> BuildFolderTree(const std::vector<dbx::FolderRecord>& list,
                                        const std::vector<SourceFolder>& files, const TreeOptions& options);

// A folder's path from the top, component by component: the writer names, or the shown names.
std::vector<std::string> WriterPath(const std::vector<TreeFolder>& folders, size_t index);
std::vector<std::string> ShownPath(const std::vector<TreeFolder>& folders, size_t index);

// The shown path as one text, the names joined with "/".
std::string ShownPathText(const std::vector<TreeFolder>& folders, size_t index);

}  // namespace engine
