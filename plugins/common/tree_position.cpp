#include "plugins/common/tree_position.h"

#include "platform/platform.h"

namespace plugins {

bool IsUsableTreePath(const char* const* path, uint32_t depth)
{
    bool usable = path && depth > 0;
    for (uint32_t level = 0; usable && level < depth; ++level) usable = path[level] != nullptr;
    if (!usable) platform::SetLastError(platform::kErrorInvalidParameter);
    return usable;
}

void ForgetTreePosition(TreePosition& position)
{
    position.destination.clear();
    position.away = false;
}

bool ReturnToDestination(TreePosition& position)
{
    if (position.destination.empty()) return platform::GetCurrentDir(position.destination);
    if (!position.away) return true;
    if (!platform::SetCurrentDir(position.destination.c_str())) return false;
    position.away = false;
    return true;
}

bool EnterTreeDirectory(TreePosition& position, const std::string& name)
{
    if (!platform::CreateDir(name.c_str())) {
        platform::ErrorCode reason = platform::LastError();
        if (platform::LookUpPath(name.c_str()) != platform::PathKind::Directory) {
            platform::SetLastError(reason);
            return false;
        }
    }
    if (!platform::SetCurrentDir(name.c_str())) return false;
    position.away = true;
    return true;
}

}  // namespace plugins
