// The .dbx files of a store folder that a run converts, in the order it converts them.
#pragma once

#include <string>
#include <vector>

namespace engine {

struct SourceFolder {
    std::string file_name;  // the name as found, used to open the file (Inbox.DBX stays Inbox.DBX)
    std::string base_name;  // the name less its ".dbx": what the plugin and the texts see
};

// Every file of `source` whose name ends in ".dbx" in any letter case, but the store's own "Folders", "Offline"
// and "Pop3uidl"; directories are ignored. Sorted case-insensitively by base name. Empty when the folder
// cannot be read or holds nothing to convert.
std::vector<SourceFolder> FindSourceFolders(const char* source);

// The full path of a file of the source folder: one separator between the two, whether or not the source text
// ends with one.
std::string SourceFilePath(const char* source, const std::string& file_name);

}  // namespace engine
