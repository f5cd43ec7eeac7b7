#include "plugins/mbox/tree_folders.h"

#include <string>

#include "platform/platform.h"
#include "plugin_api/dovan_plugin.h"
#include "plugins/common/tree_position.h"
#include "plugins/mbox/writer.h"

namespace mbox {

namespace {

plugins::TreePosition g_position;

const char kSubfolderSuffix[] = ".sbd";

}  // namespace

void ForgetTreeFolders() { plugins::ForgetTreePosition(g_position); }

bool LeaveTreeFolders() { return plugins::ReturnToDestination(g_position); }

bool OpenTreeFolder(const char* const* path, uint32_t depth, uint32_t flags)
{
    if (!plugins::IsUsableTreePath(path, depth)) return false;
    if (!LeaveTreeFolders()) return false;
    for (uint32_t level = 0; level + 1 < depth; ++level)
        if (!plugins::EnterTreeDirectory(g_position, path[level] + std::string(kSubfolderSuffix))) return false;
    const char* name = path[depth - 1];
    if (!OpenFolderFile(name)) return false;
    if (!(flags & DOVAN_FOLDER_HAS_SUBFOLDERS)) return true;
    // Made now, so that the directory is there even when every folder below turns out empty.
    std::string subfolders = name + std::string(kSubfolderSuffix);
    if (platform::CreateDir(subfolders.c_str())) return true;
    platform::ErrorCode reason = platform::LastError();
    if (platform::LookUpPath(subfolders.c_str()) == platform::PathKind::Directory) return true;
    platform::SetLastError(reason);
    return false;
}

}  // namespace mbox
