#include "engine/folder_names.h"

#include <cstring>

#include "plugins/common/safe_names.h"

namespace engine {

std::string WriterFolderName(const std::string& base_name)
{
    // Room for the name and both "=" the rule may add, so the rule never declines for want of space.
    std::string name(base_name.size() + 3, '\0');
    names::MakeFolderName(base_name.c_str(), name.data(), name.size());
    name.resize(std::strlen(name.c_str()));
    return name;
}

}  // namespace engine
