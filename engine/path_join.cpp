#include "engine/path_join.h"

#include "platform/platform.h"

namespace engine {

std::string JoinPath(const char* directory, const std::string& name)
{
    std::string path = directory;
    char last = '\0';
    for (const char* c = path.c_str(); *c; c = platform::NextChar(c)) last = *c;
    if (!path.empty() && !platform::IsPathSeparator(last)) path += platform::kPathSeparator;
    return path + name;
}

}  // namespace engine
