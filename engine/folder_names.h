// The name under which a source folder is handed to the writer plugin.
#pragma once

#include <string>

namespace engine {

// The .dbx file's base name made safe to use as a name inside the destination, for every writer alike: a
// writer makes a file or a folder of it and may enter that folder and leave it again with "..". Path
// separators become "=", a reserved device name ("CON", "nul.x", "COM1") gets "=" after the device name, and an
// empty name or one that ends in a dot or a blank gets "=" appended, so "." and ".." can never lead out of
// the destination. Any other name is handed on unchanged. This is names::MakeFolderName
// (plugins/common/safe_names.h), which the writers that make folders apply themselves, so a name that passed
// here stays as it is.
std::string WriterFolderName(const std::string& base_name);

}  // namespace engine
