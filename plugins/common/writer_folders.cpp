#include "plugins/common/writer_folders.h"

#include "platform/platform.h"
#include "plugins/common/safe_names.h"

namespace plugins {

bool EnterNewFolder(const char* name)
{
    if (!name) {
        platform::SetLastError(platform::kErrorInvalidParameter);
        return false;
    }
    char folder[names::kMaxNameLength + 1];
    const char* directory = names::MakeFolderName(name, folder, sizeof folder) ? folder : name;
    platform::CreateDir(directory);  // an existing folder is simply used
    return platform::SetCurrentDir(directory);
}

}  // namespace plugins
